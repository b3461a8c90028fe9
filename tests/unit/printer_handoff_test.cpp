// The hand-off of the printers' status to the status manager before the
// status server stops.
#include "suite/suite_environment.h"
#include "suite_fixture.h"
#include "winsim/printer_control.h"
#include "winsim/thread_control.h"

namespace {

const char* kModels = "SOFTWARE\\ZAM\\Kestrovane\\Printers";

class PrinterHandOffTest : public SuiteTest {
 protected:
  void SetUp() override {
    SuiteTest::SetUp();
    Arrange(true, true);
  }
  void Arrange(bool printers, bool panel) {
    AddModel("LP-1", true);
    AddModel("LP-2", false);  // a model without status variables
    AddModel("LP-3", true);
    if (printers) {
      winsim::AddPrinter("Office A", "ZAM LP-1");
      winsim::AddPrinter("Shop", "ZAM LP-3");
      winsim::AddPrinter("Office B", "ZAM LP-1");
      winsim::AddPrinter("Plain", "ZAM LP-2");
      winsim::AddPrinter("Lower", "ZAM lp-1");  // differs only in case
      winsim::AddPrinter("Other", "Generic Text");
    }
    if (panel) OpenPanel();
  }
  static void AddModel(const std::string& model, bool statusVariables) {
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kModels) + "\\" + model + (statusVariables ? "\\Status Variables" : ""));
  }
  static std::vector<std::string> UpdatedPrinters() {
    std::vector<std::string> printers;
    for (const winsim::StatusUpdate& update : winsim::StatusUpdates()) {
      EXPECT_EQ(update.variable, "ServerConnection");
      EXPECT_EQ(update.value, 0);
      EXPECT_EQ(update.size, 4u);
      printers.push_back(update.printer);
    }
    return printers;
  }
  // The hand-off and the time it took.
  uint64_t HandOff() {
    const uint64_t start = winsim::NowMs();
    suite.HandOffPrinterStatus();
    return winsim::NowMs() - start;
  }
  SuiteEnvironment suite;
};

TEST_F(PrinterHandOffTest, EveryPrinterOfASuiteDriverWithStatusVariables) {
  EXPECT_EQ(HandOff(), 5000u);
  // By driver in the registry's order, then by printer in the spooler's.
  EXPECT_EQ(UpdatedPrinters(), (std::vector<std::string>{"Office A", "Office B", "Shop"}));
  std::vector<std::string> calls;
  for (const winsim::Call& call : winsim::CallLog())
    if (call.name == "OpenManagerExA" || call.name == "UpdatePrinterStatusA" || call.name == "CloseManager")
      calls.push_back(winsim::FormatCall(call));
  EXPECT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[0], "OpenManagerExA(\"Office A\", 0, 1)");
  EXPECT_EQ(calls[1], "UpdatePrinterStatusA(\"Office A\", \"ServerConnection\", 0, 4)");
  EXPECT_EQ(calls[2], "CloseManager(\"Office A\")");
}

DWORD WINAPI HandOffOnWorker(LPVOID suite) {
  static_cast<SuiteEnvironment*>(suite)->HandOffPrinterStatus();
  return 0;
}

// The status manager is released before the pause, not held through it; the
// pause is the last thing the hand-off does.
TEST_F(PrinterHandOffTest, ThePauseComesAfterTheLibraryIsFreed) {
  const uint64_t start = winsim::NowMs();
  DWORD id = 0;
  const HANDLE worker = CreateThread(nullptr, 0, HandOffOnWorker, &suite, 0, &id);
  ASSERT_TRUE(worker);
  winsim::WaitUntilOthersIdle();  // the worker runs up to its pause
  EXPECT_EQ(winsim::StatusUpdates().size(), 3u);
  EXPECT_EQ(winsim::ModuleLoadCount("zamgik.dll"), 0);
  EXPECT_EQ(winsim::LiveThreadCount(), 1);
  ASSERT_TRUE(winsim::AdvanceToNextWake());
  EXPECT_EQ(winsim::NowMs() - start, 5000u);
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
  CloseHandle(worker);
}

TEST_F(PrinterHandOffTest, APrinterThatCannotBeOpenedIsSkipped) {
  winsim::InjectFault("OpenManagerExA", 5, "Office A");
  EXPECT_EQ(HandOff(), 5000u);
  EXPECT_EQ(UpdatedPrinters(), (std::vector<std::string>{"Office B", "Shop"}));
  EXPECT_EQ(winsim::CallsTo("CloseManager").size(), 2u);
}

// Without the panel nothing is done. Otherwise the pause is taken whenever
// the library loaded, even when nothing could be handed over; without the
// library there is no pause.
TEST_F(PrinterHandOffTest, ThePauseFollowsThePanelAndTheLibrary) {
  const auto nothing = [] {};
  const struct {
    const char* name;
    bool panel, printers;
    void (*arrange)();
    uint64_t elapsedMs;
  } cases[] = {
      {"panel not running", false, true, nothing, 0},
      {"no library", true, true, [] { winsim::SetModulePresent("zamgik.dll", false); }, 0},
      {"no OpenManagerExA", true, true, [] { winsim::SetExportPresent("zamgik.dll", "OpenManagerExA", false); }, 5000},
      {"no UpdatePrinterStatusA", true, true,
       [] { winsim::SetExportPresent("zamgik.dll", "UpdatePrinterStatusA", false); }, 5000},
      {"no CloseManager", true, true, [] { winsim::SetExportPresent("zamgik.dll", "CloseManager", false); }, 5000},
      {"no local printers", true, false, nothing, 5000},
      {"printers cannot be listed", true, true, [] { winsim::InjectFault("EnumPrintersA", ERROR_ACCESS_DENIED); }, 5000},
      {"models cannot be listed", true, true, [] { winsim::SetAdministrator(false); }, 5000},
  };
  for (const auto& c : cases) {
    FreshMachine();
    Arrange(c.printers, c.panel);
    c.arrange();
    EXPECT_EQ(HandOff(), c.elapsedMs) << c.name;
    EXPECT_TRUE(winsim::StatusUpdates().empty()) << c.name;
    EXPECT_TRUE(winsim::CallsTo("OpenManagerExA").empty()) << c.name;
    EXPECT_EQ(winsim::CallsTo("LoadLibraryA").empty(), !c.panel) << c.name;
    EXPECT_EQ(winsim::CallsTo("RegOpenKeyExA").empty(), !c.panel) << c.name;
  }
}

}  // namespace
