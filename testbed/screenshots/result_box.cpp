// resultbox.exe: one of KV_UPDAT.EXE's result message boxes, shown by the
// tool's own code (ShowResultMessage, from the kvtool library) with the
// tool's own texts, for a box that the program itself cannot be brought to
// show under Wine (Wine lets every user administer services, so the
// program never meets "not an administrator" there).
//
//   resultbox.exe MODE CODE     ShowResultMessage(MODE, CODE)
//
// Exit code 0 once the box was answered, 1 when the tool has no box for
// MODE and CODE, 2 on a wrong command line.
#include <windows.h>

#include <cstdlib>

#include "ui/message_catalogue.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc != 3) return 2;
  return ShowResultMessage(std::atoi(__argv[1]), std::atoi(__argv[2])) == 0 ? 1 : 0;
}
