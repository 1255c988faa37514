#ifndef VEXLO_VEXLO_H
#define VEXLO_VEXLO_H

/// \file
/// The library's one public header: includes every public class.

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
