#ifndef VEXLO_STREAMS_STREAMOPERATORS_H
#define VEXLO_STREAMS_STREAMOPERATORS_H

/// \file
/// The streaming operators of strings and bit vectors: they put a
/// `vx::VXString`, a NUL-terminated text or a `vx::CBitVector` onto any typed
/// output stream and read them back from any typed input stream, through the
/// streams' virtual operations only.
///
/// They live together in this header, apart from the classes they join, so
/// that the strings depend on no stream and the streams on no string: only a
/// caller that includes this header ties the two together.
///
/// Serialised form of a string
/// ---------------------------
/// A string of n bytes is two values: n with `PutUint64`, then the n bytes
/// with `PutN`, with no terminating NUL. A NUL-terminated text has the same
/// form (its characters before the first NUL), so it reads back as a
/// `VXString`. The text abc:
///
///     binary stream:   03 00 00 00 00 00 00 00 | 61 62 63
///     portable stream: "0300000000000000" then "616263"
///
/// An empty string is the length 0 and a block of 0 bytes (a `Write` of
/// length 0). `Tell()` grows by 8 + n in both formats.
///
///     vx::CMemWriter writer;
///     vx::CPortableOutputStream out(&writer);
///     out << vx::VXString("abc") << "de";        // two strings back to back
///     vx::CMemReader reader(writer.GetData(), writer.GetSize());
///     vx::CPortableInputStream in(&reader);
///     vx::VXString first, second;
///     in >> first >> second;                     // "abc", "de"
///
/// Failures pass unchanged to the caller: what the stream or its channel
/// throws (`tvc::TVCBufferUnderrunException` when the channel runs short,
/// `CStreamFormatException` for malformed input, and for a length above the
/// input stream's limit, `SetLengthLimit`, checked before anything is
/// allocated), and `std::bad_alloc` when memory runs out,
/// `std::bad_array_new_length` for a length no array can have. A string read is assigned to its
/// target only once it is complete, so a failed read leaves the target as it was. Nothing is
/// logged.
///
/// The operators are declared in namespace `vx` and made visible in
/// namespace `tvc` as well, so that argument-dependent lookup finds them from
/// any typed stream: a chain such as `out << name << "text"`, whose later
/// links see a plain `tvc::ITVCOutStream&` and a `const char*`, needs no
/// using-declaration of its own.

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/tvc/ITVCInStream.h"
#include "vexlo/tvc/ITVCOutStream.h"

namespace vx {

/// Puts `str` as its `length()` (with `PutUint64`) and its bytes, NUL bytes
/// included (with `PutN`). The bytes go to the stream from the string's own
/// buffer. Returns `s`.
VX_API tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const VXString& str);

/// Puts the NUL-terminated text at `p` as its length up to the first NUL and
/// those characters. `p` must point to a NUL-terminated text; it is not
/// tested. Returns `s`.
VX_API tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const char* const& p);

/// As `s << p`, but of at most `maxLen` characters: the text is cut there,
/// no terminator added, and no character past the first `maxLen` is read.
/// Returns `s`.
VX_API tvc::ITVCOutStream& PutLPCSTR(tvc::ITVCOutStream& s, const char* const& p, size_t maxLen);

/// Reads a string (its length with `GetUint64`, then its bytes with `GetN`)
/// and assigns it to `str`, which then holds it in a record of its own.
/// The bytes are read into a scratch area: on the stack for up to 4096
/// bytes, otherwise one heap array of exactly the length, freed on every
/// exit. On any failure `str` keeps its value. Returns `s`.
VX_API tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, VXString& str);

/// Reads a string as above into a new `VXString` made with `new`, and
/// stores its address in `pstr`. The caller owns the new string; the object
/// `pstr` pointed to before is neither looked at nor deleted. On any failure
/// nothing is allocated and `pstr` keeps its value. Returns `s`.
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
