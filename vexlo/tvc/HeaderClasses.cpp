// The classes of the binary interface that live entirely in headers have no
// member defined out of line, so no source file of the library is otherwise
// bound to emit their vtables and type information. This one includes the
// interfaces and the exception family of tvc; channels/CMemStreamBuf.cpp,
// which implements it, does the same for IReadWriteDevice. On Windows,
// VX_API (dllexport while the library is built) turns what they emit into
// exports of the DLL, which is where the programs' dllimport declarations
// look for them: without it a program that throws or derives from one of
// these classes fails to link. Elsewhere it changes nothing.

#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"
#include "vexlo/tvc/ITVCInStream.h"
#include "vexlo/tvc/ITVCOutStream.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"
#include "vexlo/tvc/TVCException.h"
#include "vexlo/tvc/TVCIPCException.h"
