// winsim: version resources read from PE files (placeholder until the area lands).
#include "machine.h"
