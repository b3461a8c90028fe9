// The simulated registry answers as Windows XP does. Opening keys, reading
// values into every size of buffer, the rights each call needs and the order
// and buffers of enumeration are compared with Wine by the probe's registry
// group; these tests cover a plain user's refusals, binary values, the log,
// and the order of names that Wine sorts otherwise.
#include "sim_fixture.h"
#include "win32api.h"

namespace {

const char kKey[] = "SOFTWARE\\Kv";

class WinsimRegistryTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Text", "abcdef");
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Bytes", REG_BINARY, {1, 2, 3});
  }
  HKEY Open(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key), ERROR_SUCCESS) << path;
    return key;
  }
};

// A plain user may read HKLM but not open it for any write right; a root
// itself is answered without a check.
TEST_F(WinsimRegistryTest, APlainUserOpensHklmForReadingOnly) {
  const REGSAM kWriteDac = 0x00040000, kDelete = 0x00010000;
  struct Case {
    HKEY root;
    const char* subKey;
    REGSAM access;
    LONG status;
  } cases[] = {
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_READ, ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_WRITE, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_READ | KEY_SET_VALUE, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_CREATE_SUB_KEY, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_CREATE_LINK, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", kWriteDac, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", kDelete, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", GENERIC_WRITE, ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Missing", KEY_ALL_ACCESS, ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, nullptr, KEY_ALL_ACCESS, ERROR_SUCCESS},
      {HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, ERROR_SUCCESS},
  };
  winsim::AddRegistryKey(HKEY_CURRENT_USER, "Software");
  winsim::SetAdministrator(false);
  for (const Case& c : cases) {
    const std::string name = std::string(c.subKey ? c.subKey : "NULL") + " access " + std::to_string(c.access);
    HKEY key = HKEY_USERS;
    EXPECT_EQ(RegOpenKeyExA(c.root, c.subKey, 0, c.access, &key), c.status) << name;
    if (c.status != ERROR_SUCCESS) {
      EXPECT_EQ(key, nullptr) << name;
    } else {
      EXPECT_EQ(key == c.root, c.subKey == nullptr) << name;
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS) << name;
    }
  }
}

TEST_F(WinsimRegistryTest, OpenKeysAreLoggedAndReportedUntilClosed) {
  // 0x95 0x5C is one character in code page 932, not a separator.
  const std::string dbcs = "SOFTWARE\\\x95\x5C";
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, dbcs);
  HKEY key = Open("software\\kv", KEY_READ);
  HKEY dbcsKey = Open(dbcs, KEY_READ);
  EXPECT_EQ(winsim::OpenResources(),
            (std::vector<std::string>{"registry key HKLM\\SOFTWARE\\Kv", "registry key HKLM\\" + dbcs}));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("RegOpenKeyExA").at(0)),
            "RegOpenKeyExA(HKLM, \"software\\kv\", 0, 0x20019)");
  for (HKEY k : {key, dbcsKey}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

// A string gets a NUL where the buffer has room (compared with Wine by the
// probe); other types get nothing added.
TEST_F(WinsimRegistryTest, ABinaryValueGetsNoNul) {
  HKEY key = Open(kKey, KEY_QUERY_VALUE);
  unsigned char buffer[5] = {0xBD, 0xBD, 0xBD, 0xBD, 0xBD};
  DWORD size = 4, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Bytes", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "\1\2\3\xBD\xBD");
  RegCloseKey(key);
}

// Each row: a name that Windows puts before the other: '[', '^' and '_' lie
// after the upper-case letters. (Wine compares lower-cased names, so the
// probe's registry.enum.signs is a listed deviation; mixed case, prefixes
// and kanji are compared by its registry.enum.order.)
TEST_F(WinsimRegistryTest, SubkeysComeSortedByUpperCasedName) {
  const std::pair<const char*, const char*> rows[] = {{"AB", "A_B"}, {"Kz", "K["}, {"Zeta", "^x"}};
  for (const auto& row : rows) {
    winsim::Reset();
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\" + row.second);
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\" + row.first);
    HKEY key = Open(kKey, KEY_READ);
    std::string names;
    char name[MAX_PATH];
    for (DWORD i = 0, size = sizeof name; RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, size = sizeof name)
      names += std::string(name) + "|";
    RegCloseKey(key);
    EXPECT_EQ(names, std::string(row.first) + "|" + row.second + "|");
  }
}

TEST_F(WinsimRegistryTest, EnumerationGivesTheTimeTheKeyWasMade) {
  winsim::AdvanceClock(5000);
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Name");
  HKEY key = Open(kKey, KEY_READ);
  char name[8];
  DWORD size = sizeof name;
  FILETIME time{};
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, &time), ERROR_SUCCESS);
  const FILETIME created = winsim::FileTimeAt(5000);
  EXPECT_EQ(CompareFileTime(&time, &created), 0);
  RegCloseKey(key);
}

}  // namespace
