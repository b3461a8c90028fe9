// Finding the installed suite: its uninstall entry, its programs on both
// Windows families, and the services that count as running.
#include "suite/suite_environment.h"
#include "suite_fixture.h"

namespace {

class SuiteDetectionTest : public SuiteTest {};

struct Entry {
  const char* name;
  const char* command;  // null: no "UninstallString" value
  DWORD type;
};

// The entry chosen among candidates, whatever their order of enumeration
// (the registry lists subkeys sorted by name, so the cases place candidates
// before and after each other by their names).
TEST_F(SuiteDetectionTest, TheInstallDirectoryComesFromTheBestUninstallEntry) {
  const struct {
    const char* name;
    std::vector<Entry> entries;
    int found;
    const char* directory;
    const char* notRead;  // an entry whose command must not be read: the scan stopped before it
  } cases[] = {
      {"1.2 before a greater name", {{"Kestrovane 1.2", "C:\\A\\U.EXE", REG_SZ}, {"Kestrovane 2.0", "C:\\B\\U.EXE", REG_SZ}},
       1, "C:\\A\\", "Kestrovane 2.0"},
      {"1.2 after a lower name", {{"Kestrovane 1.1", "C:\\B\\U.EXE", REG_SZ}, {"Kestrovane 1.2", "C:\\A\\U.EXE", REG_SZ}},
       1, "C:\\A\\", nullptr},
      {"the greatest name", {{"Kestrovane", "C:\\A\\U.EXE", REG_SZ}, {"Kestrovane 1.10", "C:\\B\\U.EXE", REG_SZ},
                             {"Kestrovane 1.3", "C:\\C\\U.EXE", REG_SZ}, {"Other", "C:\\D\\U.EXE", REG_SZ}},
       1, "C:\\C\\", nullptr},
      {"the prefix is case-sensitive", {{"KESTROVANE 1.2", "C:\\A\\U.EXE", REG_SZ}, {"kestrovane 3", "C:\\B\\U.EXE", REG_SZ},
                                        {"Kestrovane 1.0", "C:\\C\\U.EXE", REG_SZ}},
       1, "C:\\C\\", nullptr},
      {"1.2 without a command", {{"Kestrovane 1.2", nullptr, REG_SZ}, {"Kestrovane 1.0", "C:\\C\\U.EXE", REG_SZ}},
       1, "C:\\C\\", nullptr},
      {"a command as REG_EXPAND_SZ", {{"Kestrovane 1.2", "%ProgramFiles%\\K\\U.EXE", REG_EXPAND_SZ}}, 0, "", nullptr},
      {"a command without a backslash", {{"Kestrovane 1.2", "UNINST.EXE", REG_SZ}}, 1, "", nullptr},
      {"quotes and arguments stay", {{"Kestrovane 1.2", "\"C:\\Program Files\\K\\U.EXE\" /x", REG_SZ}},
       1, "\"C:\\Program Files\\K\\", nullptr},
      {"a shorter name never matches", {{"Kestrovan", "C:\\A\\U.EXE", REG_SZ}}, 0, "", nullptr},
      // "ソ" (0x83 0x5C) is greater than "ｱ" (0xB1) as a character, though
      // its lead byte is smaller.
      {"double-byte names", {{"Kestrovane \xB1", "C:\\A\\U.EXE", REG_SZ}, {"Kestrovane \x83\x5C", "C:\\B\\U.EXE", REG_SZ}},
       1, "C:\\B\\", nullptr},
      {"no entry", {}, 0, "", nullptr},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, kUninstall);
    for (const Entry& entry : c.entries) {
      if (entry.command) {
        AddUninstallEntry(entry.name, entry.command, entry.type);
      } else {
        winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\" + entry.name);
      }
    }
    SuiteEnvironment suite;
    std::string directory = "stale";
    EXPECT_EQ(suite.FindInstallDirectory(directory), c.found) << c.name;
    EXPECT_EQ(directory, c.directory) << c.name;
    const std::string notRead = c.notRead ? c.notRead : "\x01";
    for (const winsim::Call& call : winsim::CallsTo("RegOpenKeyExA"))
      EXPECT_EQ(call.args[1].find(notRead), std::string::npos) << c.name;
  }
}

TEST_F(SuiteDetectionTest, ProgramsOnNt) {
  InstallSuite();
  for (const char* file : {"ZAMYEMNT.EXE", "ZAMJOFNT.EXE", "ZAMDRXNT.EXE", "ZAMVODNT.EXE"})
    winsim::AddFile(std::string("C:\\WINDOWS\\system32\\") + file, "x");
  winsim::AddFile("C:\\Program Files\\Kestrovane\\ZAMKLTNT.EXE", "x");
  winsim::AddService({"ZAMDRX", SERVICE_STOPPED, 0, 0, {}});  // ZAMVOD is not installed as a service
  winsim::SetServiceState("ZAMWTQNT", SERVICE_START_PENDING);

  SuiteEnvironment suite;
  ASSERT_EQ(suite.DetectSuite(), 1);
  EXPECT_EQ(suite.isWin9x, 0);
  EXPECT_EQ(suite.isInstalled, 1);
  const std::string sys = "C:\\WINDOWS\\system32\\";
  const struct {
    const SuiteProgram& program;
    std::string path;
    int detected;
  } expected[] = {
      {suite.yemProgram, sys + "ZAMYEMNT.EXE", 1},
      {suite.jofProgram, sys + "ZAMJOFNT.EXE", 1},
      {suite.statusServer, sys + "ZAMWTQNT.EXE", 1},  // start pending counts as running
      {suite.drxProgram, sys + "ZAMDRXNT.EXE", 0},    // its service is stopped
      {suite.vodProgram, sys + "ZAMVODNT.EXE", 0},    // no such service
      {suite.kltProgram, "C:\\Program Files\\Kestrovane\\ZAMKLTNT.EXE", 1},
      {suite.statusPanel, sys + "ZAMBAZ.EXE", 1},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(e.program.path, e.path);
    EXPECT_EQ(e.program.detected, e.detected) << e.path;
  }
}

// A service's program needs its file too. (A paused service counts as
// running: ServiceControlTest's Query gives 2 for it.)
TEST_F(SuiteDetectionTest, ARunningServiceWithoutItsFileIsNotDetected) {
  InstallSuite();
  ASSERT_TRUE(DeleteFileA(kServer));
  SuiteEnvironment suite;
  ASSERT_EQ(suite.DetectSuite(), 1);
  EXPECT_EQ(suite.statusServer.detected, 0);
}

TEST_F(SuiteDetectionTest, ProgramsOnThe95Family) {
  winsim::SetOs(winsim::Os::Win98);
  AddUninstallEntry("Kestrovane 1.2", "C:\\KESTRO\\UNINST.EXE");
  for (const char* file : {"ZAMWTQ95.EXE", "ZAMDRX95.EXE", "ZAMBAZ.EXE"})
    winsim::AddFile(std::string("C:\\WINDOWS\\system32\\") + file, "x");
  // Either run-services key will do; the value's content does not matter.
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\Kestrovane\\RunServices", "ZAMWTQ", "");
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices", "ZAMDRX",
                           REG_DWORD, {0, 0, 0, 0});

  SuiteEnvironment suite;
  ASSERT_EQ(suite.DetectSuite(), 1);
  EXPECT_EQ(suite.isWin9x, 1);
  EXPECT_EQ(suite.statusServer.path, "C:\\WINDOWS\\system32\\ZAMWTQ95.EXE");
  EXPECT_EQ(suite.statusServer.detected, 1);
  EXPECT_EQ(suite.drxProgram.detected, 1);
  EXPECT_EQ(suite.statusPanel.detected, 1);
  EXPECT_EQ(suite.kltProgram.path, "C:\\KESTRO\\ZAMKLT95.EXE");
  EXPECT_EQ(suite.kltProgram.detected, 0);
  EXPECT_EQ(suite.vodProgram.path, "");  // not a program of the 95 family
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").empty());
  EXPECT_EQ(suite.IsSpoolerRunning(), 0);  // no service control manager here
}

TEST_F(SuiteDetectionTest, NotInstalledOrUnreadable) {
  winsim::AddFile(kServer, "server");
  SuiteEnvironment notInstalled;
  EXPECT_EQ(notInstalled.DetectSuite(), 0);
  EXPECT_EQ(notInstalled.isInstalled, 0);
  EXPECT_EQ(notInstalled.statusServer.path, "");  // nothing examined
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").empty());
  EXPECT_EQ(notInstalled.IsSpoolerRunning(), 0);

  InstallSuite();
  winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER, "", 0, 1);
  SuiteEnvironment unreadable;
  EXPECT_EQ(unreadable.DetectSuite(), -1);
  EXPECT_EQ(unreadable.isInstalled, 0);
  EXPECT_EQ(unreadable.statusPanel.path, "");

  winsim::SetAdministrator(false);  // the uninstall key is opened with full access
  SuiteEnvironment plainUser;
  EXPECT_EQ(plainUser.DetectSuite(), 0);
  EXPECT_EQ(plainUser.isInstalled, 0);
}

TEST_F(SuiteDetectionTest, AManagerThatCannotBeOpenedLeavesOnlyTheServiceFlagsFalse) {
  InstallSuite();
  winsim::InjectFault("OpenSCManagerA", ERROR_ACCESS_DENIED);
  SuiteEnvironment suite;
  ASSERT_EQ(suite.DetectSuite(), 1);
  EXPECT_EQ(suite.statusServer.detected, 0);
  EXPECT_EQ(suite.statusPanel.detected, 1);
  EXPECT_EQ(suite.IsSpoolerRunning(), 0);
}

// Without the system directory its programs are not looked for, so nothing
// of the same name in the current directory is taken for them.
TEST_F(SuiteDetectionTest, AnUnreadableSystemDirectoryIsNotTheCurrentOne) {
  InstallSuite();
  winsim::AddFile("C:\\KVTOOL\\ZAMBAZ.EXE", "planted");
  winsim::InjectFault("GetSystemDirectoryA", ERROR_INVALID_PARAMETER);
  SuiteEnvironment suite;
  ASSERT_EQ(suite.DetectSuite(), 1);
  EXPECT_EQ(suite.statusPanel.detected, 0);
  EXPECT_EQ(suite.statusPanel.path, "");
  EXPECT_EQ(suite.kltProgram.path, "C:\\Program Files\\Kestrovane\\ZAMKLTNT.EXE");
}

}  // namespace
