// The simulated registry answers as Windows XP does: access refused to a
// plain user, sizes and short buffers, and the order of enumeration.
#include <cstring>

#include "sim_fixture.h"
#include "win32api.h"

namespace {

const char kKey[] = "SOFTWARE\\Kv";

class WinsimRegistryTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Text", "abcdef");
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "NoNul", REG_SZ, {'a', 'b', 'c'});
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Bytes", REG_BINARY, {1, 2, 3});
  }
  HKEY Open(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key), ERROR_SUCCESS) << path;
    return key;
  }
  // The subkey names of a key in the order RegEnumKeyExA gives them.
  std::vector<std::string> Enumerate(const std::string& path) {
    HKEY key = Open(path, KEY_READ);
    std::vector<std::string> names;
    char name[MAX_PATH];
    DWORD size = sizeof name;
    LONG status;
    while ((status = RegEnumKeyExA(key, static_cast<DWORD>(names.size()), name, &size, nullptr, nullptr, nullptr,
                                   nullptr)) == ERROR_SUCCESS) {
      names.emplace_back(name, size);
      size = sizeof name;
    }
    EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
    return names;
  }
};

TEST_F(WinsimRegistryTest, OpenFollowsTheUserAndTheAccessAsked) {
  const REGSAM kWriteDac = 0x00040000, kDelete = 0x00010000;
  struct Case {
    bool administrator;
    HKEY root;
    const char* subKey;
    REGSAM access;
    LONG status;
    bool sameAsRoot;
  } cases[] = {
      {true, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_ALL_ACCESS, ERROR_SUCCESS, false},
      {true, HKEY_LOCAL_MACHINE, "software\\KV\\", KEY_READ, ERROR_SUCCESS, false},
      {true, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Missing", KEY_READ, ERROR_FILE_NOT_FOUND, false},
      {true, HKEY_LOCAL_MACHINE, "Missing", KEY_READ, ERROR_FILE_NOT_FOUND, false},
      {true, HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Kv", KEY_READ, ERROR_BAD_PATHNAME, false},
      {true, HKEY_LOCAL_MACHINE, "", KEY_READ, ERROR_SUCCESS, true},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_READ, ERROR_SUCCESS, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_ALL_ACCESS, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_WRITE, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_READ | KEY_SET_VALUE, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_CREATE_SUB_KEY, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", KEY_CREATE_LINK, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", kWriteDac, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", kDelete, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv", GENERIC_WRITE, ERROR_ACCESS_DENIED, false},
      {false, HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Missing", KEY_ALL_ACCESS, ERROR_FILE_NOT_FOUND, false},
      {false, HKEY_LOCAL_MACHINE, nullptr, KEY_ALL_ACCESS, ERROR_SUCCESS, true},  // the root itself, unchecked
      {false, HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, ERROR_SUCCESS, false},
  };
  winsim::AddRegistryKey(HKEY_CURRENT_USER, "Software");
  for (const Case& c : cases) {
    const std::string name = std::string(c.subKey ? c.subKey : "NULL") + " access " + std::to_string(c.access);
    winsim::SetAdministrator(c.administrator);
    HKEY key = HKEY_USERS;
    EXPECT_EQ(RegOpenKeyExA(c.root, c.subKey, 0, c.access, &key), c.status) << name;
    if (c.status != ERROR_SUCCESS) {
      EXPECT_EQ(key, nullptr) << name;
    } else {
      EXPECT_EQ(key == c.root, c.sameAsRoot) << name;
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS) << name;
    }
  }
}

TEST_F(WinsimRegistryTest, OpenKeysAreLoggedAndReportedUntilClosed) {
  // 0x95 0x5C is one character in code page 932, not a separator.
  const std::string dbcs = "SOFTWARE\\\x95\x5C";
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, dbcs);
  HKEY key = Open("software\\kv", KEY_READ);
  HKEY again = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_NE(again, key);
  HKEY dbcsKey = Open(dbcs, KEY_READ);
  EXPECT_EQ(winsim::OpenResources(),
            (std::vector<std::string>{"registry key HKLM\\SOFTWARE\\Kv", "registry key HKLM\\SOFTWARE\\Kv",
                                      "registry key HKLM\\" + dbcs}));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("RegOpenKeyExA").at(0)),
            "RegOpenKeyExA(HKLM, \"software\\kv\", 0, 0x20019)");
  for (HKEY k : {key, again, dbcsKey}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(WinsimRegistryTest, QueryValueSizesAndShortBuffers) {
  const DWORD kNoSize = 0xFFFFFFFF;  // row without a size pointer
  struct Case {
    const char* value;
    bool withData;
    DWORD size;
    LONG status;
    DWORD sizeAfter;
    const char* bufferAfter;  // the first bytes of the buffer (0xBD is the fill)
    DWORD length;
  } cases[] = {
      {"Text", false, kNoSize, ERROR_SUCCESS, kNoSize, "", 0},
      {"Missing", false, kNoSize, ERROR_FILE_NOT_FOUND, kNoSize, "", 0},
      {"Text", false, 99, ERROR_SUCCESS, 7, "", 0},
      {"Missing", false, 99, ERROR_FILE_NOT_FOUND, 0, "", 0},
      {"Text", true, kNoSize, ERROR_INVALID_PARAMETER, kNoSize, "\xBD", 1},
      {"Text", true, 6, ERROR_MORE_DATA, 7, "\xBD\xBD\xBD\xBD\xBD\xBD\xBD", 7},
      {"Text", true, 7, ERROR_SUCCESS, 7, "abcdef\0\xBD", 8},
      {"Missing", true, 7, ERROR_FILE_NOT_FOUND, 7, "\xBD", 1},
      {"NoNul", true, 3, ERROR_SUCCESS, 3, "abc\xBD", 4},     // no room: no NUL
      {"NoNul", true, 4, ERROR_SUCCESS, 3, "abc\0\xBD", 5},   // room: a NUL, not counted
      {"Bytes", true, 4, ERROR_SUCCESS, 3, "\1\2\3\xBD", 4},  // not a string: nothing added
  };
  HKEY key = Open(kKey, KEY_QUERY_VALUE);
  for (const Case& c : cases) {
    const std::string name = std::string(c.value) + " size " + std::to_string(c.size);
    unsigned char buffer[16];
    std::memset(buffer, 0xBD, sizeof buffer);
    DWORD size = c.size;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, c.value, nullptr, &type, c.withData ? buffer : nullptr,
                               c.size == kNoSize ? nullptr : &size),
              c.status)
        << name;
    EXPECT_EQ(size, c.sizeAfter) << name;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.length), std::string(c.bufferAfter, c.length)) << name;
    if (c.status == ERROR_SUCCESS || c.status == ERROR_MORE_DATA) {
      EXPECT_EQ(type, std::string(c.value) == "Bytes" ? DWORD{REG_BINARY} : DWORD{REG_SZ}) << name;
    }
  }
  RegCloseKey(key);
}

TEST_F(WinsimRegistryTest, EachCallNeedsItsRightOnTheHandle) {
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Sub");
  HKEY enumerateOnly = Open(kKey, KEY_ENUMERATE_SUB_KEYS);
  HKEY queryOnly = Open(kKey, KEY_QUERY_VALUE);
  char name[MAX_PATH];
  DWORD size = sizeof name;
  EXPECT_EQ(RegQueryValueExA(enumerateOnly, "Text", nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegEnumKeyExA(queryOnly, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegEnumKeyExA(enumerateOnly, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(enumerateOnly);
  RegCloseKey(queryOnly);
  EXPECT_EQ(RegQueryValueExA(queryOnly, "Text", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(WinsimRegistryTest, SubkeysComeSortedByUpperCasedName) {
  // Each row: a name that Windows puts before the other. '[', '^' and '_'
  // lie after the upper-case letters; the kanji U+4E00 (0x88EA) comes before
  // U+4E9C (0x889F) although its code page 932 bytes are greater.
  const std::pair<const char*, const char*> rows[] = {
      {"AB", "A_B"},
      {"Kz", "K["},
      {"alpha", "Beta"},
      {"beta", "Gamma"},
      {"Zeta", "^x"},
      {"Kestrovane", "Kestrovane 1.2"},
      {"Kestrovane 1.10", "kestrovane 1.2"},
      {"\x88\xEA", "\x88\x9F"},
      {"Z", "\x88\xEA"},
  };
  for (const auto& row : rows) {
    winsim::Reset();
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\" + row.second);
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\" + row.first);
    EXPECT_EQ(Enumerate(kKey), (std::vector<std::string>{row.first, row.second})) << row.first << " " << row.second;
  }
}

TEST_F(WinsimRegistryTest, EnumerationBuffersAndTimes) {
  winsim::AdvanceClock(5000);
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv\\Name");
  HKEY key = Open(kKey, KEY_READ);
  char name[8];
  std::memset(name, 0xBD, sizeof name);
  DWORD size = 4;  // "Name" needs five with its NUL
  FILETIME time{};
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, &time), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(static_cast<unsigned char>(name[0]), 0xBD);
  size = 5;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, &time), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(name, "Name");
  const FILETIME created = winsim::FileTimeAt(5000);
  EXPECT_EQ(CompareFileTime(&time, &created), 0);
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

}  // namespace
