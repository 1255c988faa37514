// The classes of the binary interface that live entirely in headers (the
// channel and stream interfaces, the exception family, IReadWriteDevice)
// have no member defined out of line, so no source file of the library is
// otherwise bound to emit their vtables and type information. This one
// includes them all. On Windows, VX_API (dllexport while the library is
// built) turns what it emits into exports of the DLL, which is where the
// programs' dllimport declarations look for them: without it a program that
// throws or derives from one of these classes fails to link. Elsewhere it
// changes nothing.

#include "vexlo/vexlo.h"
