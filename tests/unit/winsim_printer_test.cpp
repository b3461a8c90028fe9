// Local printers and the suite's status manager on the simulated Windows:
// EnumPrintersA's two-call protocol at level 2, and "zamgik.dll" with its
// log and its open handles.
#include <cstdio>
#include <string>
#include <vector>

#include "common/system_library.h"
#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/printer_control.h"

namespace {

class WinsimPrinterTest : public SimTest {};

// With no printer at all the size query is the whole answer, as the probe's
// desktop.printers lines show on Wine.
TEST_F(WinsimPrinterTest, TwoCallEnumerationAtLevel2) {
  winsim::AddPrinter("Printer B", "ZAM Beta");
  winsim::AddPrinter("Office", "Generic / Text Only");
  DWORD needed = 77, returned = 77;
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(returned, 0u);
  std::vector<BYTE> buffer(needed);
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed - 1, &needed, &returned));
  ASSERT_EQ(buffer.size(), needed);
  ASSERT_TRUE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 2u);
  const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  EXPECT_STREQ(records[0].pPrinterName, "Printer B");
  EXPECT_STREQ(records[1].pPrinterName, "Office");
  EXPECT_STREQ(records[1].pDriverName, "Generic / Text Only");
  EXPECT_LT(records[1].pDriverName, reinterpret_cast<const char*>(buffer.data() + needed));
}

typedef DWORD(WINAPI* OpenFn)(LPCSTR, DWORD, DWORD, DWORD*);
typedef DWORD(WINAPI* CloseFn)(DWORD);

// Its log by printer name, and a fault for one printer, are in
// PrinterHandOffTest; these are its refusals and its open handles.
TEST_F(WinsimPrinterTest, StatusManagerRefusalsAndOpenHandles) {
  winsim::AddPrinter("Printer A", "ZAM Alpha");
  const HMODULE module = LoadLibraryA("zamgik.dll");
  const auto open = kv::EntryPoint<OpenFn>(module, "OpenManagerExA");
  const auto close = kv::EntryPoint<CloseFn>(module, "CloseManager");
  ASSERT_TRUE(open && close);
  DWORD handle = 0, other = 0;
  ASSERT_EQ(open("Printer A", 0, 1, &handle), 0u);
  EXPECT_NE(winsim::OpenResources().back().find("status manager handle"), std::string::npos);
  EXPECT_EQ(close(handle), 0u);
  EXPECT_EQ(open("ZAM Alpha", 0, 1, &other), 1801u) << "a driver name is no printer name";
  EXPECT_EQ(close(handle), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << "closed already";
  char staleClose[40];
  std::snprintf(staleClose, sizeof staleClose, "CloseManager(0x%X)", static_cast<unsigned>(handle));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("CloseManager").back()), staleClose) << "no open manager: its value";
  FreeLibrary(module);
}

}  // namespace
