// The registry layer: strings and their types, existence, and subkey
// enumeration with full access.
#include "suite/registry_access.h"
#include "sim_fixture.h"

namespace {

const char* kKey = "SOFTWARE\\ZAM\\Kestrovane";

class RegistryAccessTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Plain", "C:\\ZAM\\UNINST.EXE");
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Expand", "%windir%\\UNINST.EXE", REG_EXPAND_SZ);
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Number", REG_DWORD, {1, 0, 0, 0});
  }
};

TEST_F(RegistryAccessTest, StringsAreReadOnlyAsRegSz) {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Full", std::string(259, 'x'));  // 260 with its NUL
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "TooLong", std::string(260, 'x'));
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "NoNul", REG_SZ, std::vector<uint8_t>(260, 'y'));
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Early", REG_SZ, {'a', 0, 'b', 0});
  const struct {
    const char* value;
    int result;
    std::string text;
  } cases[] = {
      {"Plain", 0, "C:\\ZAM\\UNINST.EXE"},
      {"Full", 0, std::string(259, 'x')},
      {"NoNul", 0, std::string(260, 'y')},  // the whole buffer, never past it
      {"Early", 0, "a"},                    // up to the first NUL
      {"TooLong", -1, "unchanged"},
      {"Expand", -2, "unchanged"},
      {"Number", -2, "unchanged"},
      {"None", -1, "unchanged"},
  };
  for (const auto& c : cases) {
    std::string text = "unchanged";
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, c.value, text), c.result) << c.value;
    EXPECT_EQ(text, c.text) << c.value;
  }
  // Reading needs no more than read access: a plain user can.
  winsim::SetAdministrator(false);
  std::string text;
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, "Plain", text), 0);
}

TEST_F(RegistryAccessTest, EntriesExist) {
  EXPECT_EQ(RegistryEntryExists(HKEY_LOCAL_MACHINE, kKey, ""), 1);
  EXPECT_EQ(RegistryEntryExists(HKEY_LOCAL_MACHINE, kKey, "Number"), 1);
  EXPECT_EQ(RegistryEntryExists(HKEY_LOCAL_MACHINE, kKey, "None"), 0);
  EXPECT_EQ(RegistryEntryExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\None", ""), 0);
  EXPECT_EQ(RegistryEntryExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\None", "Number"), 0);
}

TEST_F(RegistryAccessTest, SubkeysAreAppendedInTheRegistrysOrderWithFullAccess) {
  for (const char* name : {"beta", "Alpha", "Gamma"}) winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\" + name);
  std::vector<std::string> names = {"kept"};
  EXPECT_EQ(EnumerateSubkeys(HKEY_LOCAL_MACHINE, kKey, names), 3);
  EXPECT_EQ(names, (std::vector<std::string>{"kept", "Alpha", "beta", "Gamma"}));
  EXPECT_EQ(winsim::CallsTo("RegOpenKeyExA").back().args[3], "0xF003F");

  EXPECT_EQ(EnumerateSubkeys(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Alpha", names), 0);
  EXPECT_EQ(EnumerateSubkeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\None", names), -1);
  winsim::SetAdministrator(false);
  EXPECT_EQ(EnumerateSubkeys(HKEY_LOCAL_MACHINE, kKey, names), -1);
  EXPECT_EQ(names.size(), 4u);
}

}  // namespace
