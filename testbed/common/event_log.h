// The stand-ins' log: one line per event, appended to a file of the test
// bed's log directory (C:\testbed\logs), so that a test can read from
// outside what a stand-in was asked to do and when.
#ifndef KV_TESTBED_EVENT_LOG_H
#define KV_TESTBED_EVENT_LOG_H

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace testbed {

const char kLogDirectory[] = "C:\\testbed\\logs";

// Appends "hh:mm:ss.mmm pid TEXT" to C:\testbed\logs\LOGNAME, TEXT
// formatted as by printf. Several processes may log at once: each line is
// one write to a file opened for appending.
inline void LogEvent(const char* logName, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);

  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[1200];
  int length = snprintf(line, sizeof line, "%02u:%02u:%02u.%03u %lu %s\r\n", now.wHour, now.wMinute,
                              now.wSecond, now.wMilliseconds, GetCurrentProcessId(), text);

  CreateDirectoryA("C:\\testbed", nullptr);
  CreateDirectoryA(kLogDirectory, nullptr);
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\%s", kLogDirectory, logName);
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  if (length < 0) length = 0;
  if (length >= static_cast<int>(sizeof line)) length = sizeof line - 1;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace testbed

#endif  // KV_TESTBED_EVENT_LOG_H
