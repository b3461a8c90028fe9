// winsim: LZ expansion (lz32.dll).
#ifndef WINSIM_WIN_LZ_H
#define WINSIM_WIN_LZ_H

#include "win_types.h"

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *POFSTRUCT, *LPOFSTRUCT;

#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_CREATE 0x00001000
#define OF_EXIST 0x00004000

#define LZERROR_BADINHANDLE (-1)
#define LZERROR_BADOUTHANDLE (-2)
#define LZERROR_READ (-3)
#define LZERROR_WRITE (-4)
#define LZERROR_GLOBALLOC (-5)
#define LZERROR_GLOBLOCK (-6)
#define LZERROR_BADVALUE (-7)
#define LZERROR_UNKNOWNALG (-8)

INT LZOpenFileA(LPSTR fileName, LPOFSTRUCT reOpenBuffer, WORD style);
LONG LZCopy(INT source, INT destination);
void LZClose(INT file);

#endif  // WINSIM_WIN_LZ_H
