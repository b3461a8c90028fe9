// Local printers and the suite's status manager on the simulated Windows:
// EnumPrintersA's two-call protocol at level 2, and "zamgik.dll" with its
// log, its faults and its open handles.
#include <string>
#include <vector>

#include "bind_export.h"
#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/printer_control.h"

namespace {

class WinsimPrinterTest : public SimTest {};

TEST_F(WinsimPrinterTest, TwoCallEnumerationAtLevel2) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> printers;  // name, driver
  };
  const Row rows[] = {
      {"no printers", {}},
      {"one", {{"Printer A", "ZAM Alpha"}}},
      {"two, in the order added", {{"Printer B", "ZAM Beta"}, {"Office", "Generic / Text Only"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    winsim::Reset();
    for (const auto& printer : row.printers) winsim::AddPrinter(printer.first, printer.second);

    DWORD needed = 77, returned = 77;
    SetLastError(0);
    const BOOL sized = EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
    EXPECT_EQ(returned, 0u);
    if (row.printers.empty()) {
      // Nothing to list: success at once, nothing needed.
      EXPECT_TRUE(sized);
      EXPECT_EQ(needed, 0u);
      continue;
    }
    EXPECT_FALSE(sized);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GE(needed, row.printers.size() * sizeof(PRINTER_INFO_2A));

    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed - 1, &again, &returned));
    EXPECT_EQ(again, needed);
    ASSERT_TRUE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &again, &returned));
    ASSERT_EQ(returned, row.printers.size());
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    const char* begin = reinterpret_cast<const char*>(buffer.data());
    for (size_t i = 0; i < returned; ++i) {
      EXPECT_STREQ(records[i].pPrinterName, row.printers[i].first.c_str());
      EXPECT_STREQ(records[i].pDriverName, row.printers[i].second.c_str());
      EXPECT_TRUE(records[i].pPrinterName >= begin && records[i].pPrinterName < begin + needed)
          << "the strings lie in the caller's buffer";
    }
  }
}

TEST_F(WinsimPrinterTest, LevelsAndSpoolerFaults) {
  winsim::AddPrinter("Printer A", "ZAM Alpha");
  DWORD needed = 0, returned = 0;
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), 124u);  // ERROR_INVALID_LEVEL
  winsim::InjectFault("EnumPrintersA", 1722);  // the spooler is not running
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), 1722u);
}

typedef DWORD(WINAPI* OpenFn)(LPCSTR, DWORD, DWORD, DWORD*);
typedef DWORD(WINAPI* UpdateFn)(DWORD, LPCSTR, const void*, DWORD);
typedef DWORD(WINAPI* CloseFn)(DWORD);

class WinsimStatusManagerTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::AddPrinter("Printer A", "ZAM Alpha");
    winsim::AddPrinter("Printer B", "ZAM Alpha");
    module_ = LoadLibraryA("zamgik.dll");
    ASSERT_NE(module_, nullptr);
    open_ = BindExport<OpenFn>(module_, "OpenManagerExA");
    update_ = BindExport<UpdateFn>(module_, "UpdatePrinterStatusA");
    close_ = BindExport<CloseFn>(module_, "CloseManager");
    ASSERT_TRUE(open_ && update_ && close_);
  }
  void TearDown() override {
    FreeLibrary(module_);
    SimTest::TearDown();
  }

  std::vector<std::string> Log() {
    std::vector<std::string> calls;
    for (const winsim::Call& call : winsim::CallLog())
      if (call.name != "LoadLibraryA" && call.name != "GetProcAddress") calls.push_back(winsim::FormatCall(call));
    return calls;
  }

  HMODULE module_ = nullptr;
  OpenFn open_ = nullptr;
  UpdateFn update_ = nullptr;
  CloseFn close_ = nullptr;
};

TEST_F(WinsimStatusManagerTest, HandOffIsLoggedByPrinterName) {
  winsim::InjectFault("OpenManagerExA", 5, "Printer B");
  DWORD handle = 0;
  const int32_t zero = 0;
  ASSERT_EQ(open_("Printer A", 0, 1, &handle), 0u);
  EXPECT_EQ(update_(handle, "ServerConnection", &zero, sizeof zero), 0u);
  EXPECT_EQ(close_(handle), 0u);
  DWORD other = 0;
  EXPECT_EQ(open_("Printer B", 0, 1, &other), 5u);
  EXPECT_EQ(open_("ZAM Alpha", 0, 1, &other), 1801u) << "a driver name is no printer name";

  const std::vector<std::string> expected = {
      "OpenManagerExA(\"Printer A\", 0, 1)",
      "UpdatePrinterStatusA(\"Printer A\", \"ServerConnection\", 0, 4)",
      "CloseManager(\"Printer A\")",
      "OpenManagerExA(\"Printer B\", 0, 1)",
      "OpenManagerExA(\"ZAM Alpha\", 0, 1)",
  };
  EXPECT_EQ(Log(), expected);
  ASSERT_EQ(winsim::StatusUpdates().size(), 1u);
  EXPECT_EQ(winsim::StatusUpdates()[0].printer, "Printer A");
  EXPECT_EQ(winsim::StatusUpdates()[0].variable, "ServerConnection");
  EXPECT_EQ(winsim::StatusUpdates()[0].size, 4u);

  // A closed handle is no longer valid.
  EXPECT_EQ(close_(handle), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(update_(handle, "ServerConnection", &zero, sizeof zero), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(winsim::StatusUpdates().size(), 1u);
}

TEST_F(WinsimStatusManagerTest, OpenManagerIsReportedUntilClosed) {
  DWORD handle = 0;
  ASSERT_EQ(open_("Printer B", 0, 1, &handle), 0u);
  const std::vector<std::string> open = winsim::OpenResources();
  ASSERT_EQ(open.size(), 2u) << "the module and the manager";
  EXPECT_NE(open[1].find("status manager handle"), std::string::npos);
  EXPECT_NE(open[1].find("\"Printer B\""), std::string::npos);
  close_(handle);
  EXPECT_EQ(winsim::OpenResources().size(), 1u);
}

}  // namespace
