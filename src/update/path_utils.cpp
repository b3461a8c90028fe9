#include "win32api.h"
