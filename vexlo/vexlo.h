#ifndef VEXLO_VEXLO_H
#define VEXLO_VEXLO_H

/// \file
/// The library's one public header: includes every public class.
///
/// Conventions
/// -----------
/// Rules that several classes share, written here once; each class's header
/// says what is particular to it.
/// - **Destruction.** The byte reader and writer interfaces and the typed
///   input interface have no virtual destructor: their objects are destroyed
///   through their own type, and the file and memory readers and writers are
///   `final`.
/// - **Streams and channels.** A stream does not own its channel, which must
///   outlive it, tests nothing about it and keeps no buffer between calls.
///   Copies of a stream use the same channel, and an output stream's copy
///   starts from its source's count.
/// - **Scratch area.** What a stream encodes or reads for one block or string
///   lies on the stack up to 4096 bytes, and beyond that in one heap array of
///   exactly its size, obtained before anything is read or written and freed
///   on every exit: `std::bad_alloc` may come first
///   (`std::bad_array_new_length` for a size no array can have).
/// - **Length limit.** A string or bit vector read from a stream announces its
///   length, and room for it is made before its bytes are read. For input
///   from another process, `SetLengthLimit(n)` on either input stream refuses
///   every such length above `n` bytes (for a bit vector, the `(bits + 7) / 8`
///   bytes its count implies) with `CStreamFormatException`, which names both
///   numbers, before anything is allocated; the target keeps its value. The
///   limit starts at the largest `size_t` and goes with copies of the stream;
///   `GetN` is not limited, its count being the caller's.

#include "vexlo/Export.h"

#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"
#include "vexlo/tvc/ITVCInStream.h"
#include "vexlo/tvc/ITVCOutStream.h"
#include "vexlo/tvc/LogErr.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"
#include "vexlo/tvc/TVCException.h"
#include "vexlo/tvc/TVCIPCException.h"

#include "vexlo/strings/VXString.h"
#include "vexlo/strings/VXSubString.h"

#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/EFileCreationDisposition.h"
#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/channels/PXIpcStreamBuf.h"

#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/PersistTypeUnion.h"
#include "vexlo/streams/StreamOperators.h"

#endif  // VEXLO_VEXLO_H
