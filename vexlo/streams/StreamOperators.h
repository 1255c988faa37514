#ifndef VEXLO_STREAMS_STREAMOPERATORS_H
#define VEXLO_STREAMS_STREAMOPERATORS_H

/// \file
/// The streaming operators of strings and bit vectors, through the typed
/// streams' virtual operations only. They live apart from the classes they
/// join, so that the strings depend on no stream and the streams on no
/// string.
///
/// A string of n bytes is put as two values: n with `PutUint64`, then the n
/// bytes with `PutN`, with no terminating NUL. A NUL-terminated text has the
/// same form (its characters before the first NUL), so it reads back as a
/// `VXString`. The text abc:
///
///     binary stream:   03 00 00 00 00 00 00 00 | 61 62 63
///     portable stream: "0300000000000000" then "616263"
///
/// A string read is assigned to its target only once it is complete: what
/// the stream throws (the length limit included, see Conventions in
/// vexlo.h) passes unchanged and leaves the target as it was. The operators
/// are made visible in namespace `tvc` as well, so that argument-dependent
/// lookup finds them in a chain such as `out << name << "text"`.

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/tvc/ITVCInStream.h"
#include "vexlo/tvc/ITVCOutStream.h"

namespace vx {

/// Puts `str`, NUL bytes included, from the string's own buffer. Returns `s`.
VX_API tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const VXString& str);

/// Puts the NUL-terminated text at `p`, which is not tested. Returns `s`.
VX_API tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const char* const& p);

/// As `s << p`, but of at most `maxLen` characters: the text is cut there,
/// no terminator added, and no character past the first `maxLen` is read.
/// Returns `s`.
VX_API tvc::ITVCOutStream& PutLPCSTR(tvc::ITVCOutStream& s, const char* const& p, size_t maxLen);

/// Reads a string and assigns it to `str`, which then holds it in a record
/// of its own. Returns `s`.
VX_API tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, VXString& str);

/// Reads a string into a new `VXString` made with `new`, which the caller
/// owns, and stores its address in `pstr`; the object `pstr` pointed to is
/// neither looked at nor deleted. On a failure nothing is allocated.
/// Returns `s`.
VX_API tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, VXString*& pstr);

/// Calls `v.WriteTo(s)`. Returns `s`.
VX_API tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const CBitVector& v);

/// Calls `v.ReadFrom(s)`. Returns `s`.
VX_API tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, CBitVector& v);

}  // namespace vx

namespace tvc {
using vx::operator<<;
using vx::operator>>;
}  // namespace tvc

#endif  // VEXLO_STREAMS_STREAMOPERATORS_H
