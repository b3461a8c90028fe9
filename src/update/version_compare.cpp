#include "update/version_compare.h"

#include <vector>

int GetFileVersionNumber(const std::string& path, DWORD& ms, DWORD& ls) {
  ms = 0;
  ls = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), NULL);
  if (size == 0) return 0;
  std::vector<BYTE> buffer(size);  // released on every return
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return 0;
  if (!VerQueryValueA(buffer.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length)) return 0;
  ms = fixed->dwFileVersionMS;
  ls = fixed->dwFileVersionLS;
  return 1;
}

int CompareVersionNumbers(DWORD firstMs, DWORD firstLs, DWORD secondMs, DWORD secondLs) {
  if (firstMs > secondMs) return 1;
  if (firstMs < secondMs) return 2;
  if (firstLs > secondLs) return 1;
  if (firstLs < secondLs) return 2;
  return 0;
}

int GetFileWriteTime(const std::string& path, FILETIME& time) {
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;  // no search was opened
  time = data.ftLastWriteTime;
  FindClose(find);
  return 1;
}

int CompareFileTimes(FILETIME first, FILETIME second) {
  const LONG order = CompareFileTime(&first, &second);
  if (order > 0) return 1;
  if (order < 0) return 2;
  return 0;
}

int CompareFileVersions(const std::string& first, const std::string& second) {
  DWORD firstMs = 0, firstLs = 0, secondMs = 0, secondLs = 0;
  const int firstHasVersion = GetFileVersionNumber(first, firstMs, firstLs);
  const int secondHasVersion = GetFileVersionNumber(second, secondMs, secondLs);
  if (firstHasVersion && secondHasVersion) {
    const int order = CompareVersionNumbers(firstMs, firstLs, secondMs, secondLs);
    if (order == 1 || order == 2) return order;
  }
  FILETIME firstTime = {0, 0};
  FILETIME secondTime = {0, 0};
  if (!GetFileWriteTime(first, firstTime)) return -1;
  if (!GetFileWriteTime(second, secondTime)) return -1;
  return CompareFileTimes(firstTime, secondTime);
}
