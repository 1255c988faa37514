#ifndef VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H
#define VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H

/// \file
/// Internal to the library's streams: the body that the two input streams,
/// `CBinaryInputStream` and `CPortableInputStream`, share. They differ only
/// in how a value's bytes lie on the channel; everything else is written
/// once, here:
///
/// - `ReadBlock<Format>`, the shape of every read: one `Read` of the block's
///   encoded form into a scratch area, then decoding from there into the
///   destination, which `Format` writes only once it knows the whole block
///   good, so that a short channel or malformed input leaves it untouched.
/// - `ReadValue<Format>`, the same for a fixed-width value, whose encoded
///   form fits a small buffer on the stack.
/// - `VX_DEFINE_INPUT_STREAM_MEMBERS(Stream, Format)`, which defines in the
///   stream's .cpp the members whose bodies do not depend on the format: the
///   constructors from a reader pointer and from a device, the fixed-width
///   gets (all but `GetBool`), `GetAs`, `ReadType`, `GetN` and the length
///   limit's accessors. The stream's .cpp defines `GetBool` and its `Format`.
///   The gets call `ReadValue` directly rather than the exported `ReadType`,
///   which the compiler must call through the library's symbol table.
///
/// A `Format` is a type with
///
///     static constexpr bool kEncodedAsIs;             // the channel holds the bytes themselves
///     static constexpr size_t kMaxBlock;              // larger blocks: bad_array_new_length
///     static constexpr size_t EncodedSize(size_t n);  // bytes on the channel for n bytes
///     // n bytes from their encoded form at `text` to `destination`; may
///     // throw, and then leaves `destination` untouched
///     static void Decode(const unsigned char* text, size_t n, unsigned char* destination);

#include <cstddef>
#include <cstdint>
#include <new>

#include "vexlo/streams/PersistTypeUnion.h"
#include "vexlo/internal/ByteOrder.h"
#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {
namespace detail {

/// Reads an `n`-byte block in `Format` from `reader` into `destination`
/// (see the file comment). Throws what the reader or `Format::Decode`
/// throws, or `std::bad_alloc` for the scratch area, before anything is read.
template <class Format>
void ReadBlock(tvc::ITVCBinaryReader* reader, unsigned char* destination, size_t n) {
  if (n > Format::kMaxBlock) throw std::bad_array_new_length();
  const size_t length = Format::EncodedSize(n);
  CScratchArea<unsigned char> scratch(length);
  reader->Read(scratch.get(), length);
  Format::Decode(scratch.get(), n, destination);
}

/// Reads a value of `n` bytes (1, 2, 4 or 8) in `Format` from `reader` into
/// `bytes`, a local of the caller's that becomes its variable only later.
template <class Format>
void ReadValue(tvc::ITVCBinaryReader* reader, unsigned char* bytes, size_t n) {
  if constexpr (Format::kEncodedAsIs) {
    reader->Read(bytes, n);
  } else {
    unsigned char text[Format::EncodedSize(8)];
    reader->Read(text, Format::EncodedSize(n));
    Format::Decode(text, n, bytes);
  }
}

}  // namespace detail
}  // namespace vx

/// Defines the format-independent members of input stream class `Stream`
/// (see the file comment), in namespace `vx`. `Format` names the stream's
/// format type.
#define VX_DEFINE_INPUT_STREAM_MEMBERS(Stream, Format)                                           \
 Stream::Stream(tvc::ITVCBinaryReader* reader) : reader(reader), lengthLimit(SIZE_MAX) {}        \
 Stream::Stream(IReadWriteDevice& device) : reader(device.GetReader()), lengthLimit(SIZE_MAX) {} \
 Stream::Stream(IReadWriteDevice* device) : Stream(*device) {}                                   \
                                                                                                 \
 /* The value is read into a local union and reaches the caller's variable */                    \
 /* only when whole: a reader may fill part of its buffer before it throws. */                   \
 template <class Wire, class T>                                                                  \
 void Stream::GetAs(T& value) {                                                                  \
  PersistTypeUnion u;                                                                            \
  detail::ReadValue<Format>(reader, u.bytes, sizeof(Wire));                                      \
  value = static_cast<T>(detail::LoadLittleEndian<Wire>(u.bytes));                               \
 }                                                                                               \
                                                                                                 \
 void Stream::GetChar(char& value) { GetAs<char>(value); }                                       \
 void Stream::GetBYTE(unsigned char& value) { GetAs<unsigned char>(value); }                     \
 void Stream::GetInt(int& value) { GetAs<int>(value); }                                          \
 void Stream::GetUint(unsigned int& value) { GetAs<unsigned int>(value); }                       \
 void Stream::GetShort(short& value) { GetAs<short>(value); }                                    \
 void Stream::GetLong(long& value) { GetAs<std::int32_t>(value); }                               \
 void Stream::GetDWORD(unsigned long& value) { GetAs<std::uint32_t>(value); }                    \
 void Stream::GetWORD(unsigned short& value) { GetAs<unsigned short>(value); }                   \
 void Stream::GetDouble(double& value) { GetAs<double>(value); }                                 \
 void Stream::GetInt64(std::int64_t& value) { GetAs<std::int64_t>(value); }                      \
 void Stream::GetUint64(std::uint64_t& value) { GetAs<std::uint64_t>(value); }                   \
 void Stream::GetSizet(size_t& value) { GetAs<std::uint64_t>(value); }                           \
                                                                                                 \
 void Stream::ReadType(PersistTypeUnion& u, size_t n) {                                          \
  detail::ReadValue<Format>(reader, u.bytes, n);                                                 \
 }                                                                                               \
                                                                                                 \
 void Stream::GetN(void* data, size_t count) {                                                   \
  detail::ReadBlock<Format>(reader, static_cast<unsigned char*>(data), count);                   \
 }                                                                                               \
                                                                                                 \
 void Stream::SetLengthLimit(size_t maxBytes) { lengthLimit = maxBytes; }                        \
 size_t Stream::GetLengthLimit() const { return lengthLimit; }

#endif  // VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H
