// The ports' implementations live in win32/ and posix/; this file keeps the
// library non-empty whichever of them is built.
#include "platform/platform.h"
