// Code-page questions: POSIX names are UTF-8, where every byte of a multi-byte character lies
// above 127, so ASCII case rules can never split one.
#include "platform/posix_win32.h"

BOOL IsDBCSLeadByte(BYTE /*c*/) { return FALSE; }
