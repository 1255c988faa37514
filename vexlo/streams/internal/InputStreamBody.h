#ifndef VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H
#define VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H

/// \file
/// Internal: the body that the two input streams share. Each get of
/// `CBinaryInputStream` and `CPortableInputStream` is one line of its .cpp
/// that builds an `InputStreamBody` over its reader and calls the body's
/// member of the same name; everything inline.

#include <cstddef>
#include <cstdint>
#include <new>

#include "vexlo/channels/internal/MemReaderAccess.h"
#include "vexlo/internal/ByteOrder.h"
#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {
namespace detail {

// The two reads of the body. A block's is kept apart, one copy per format,
// which GetN calls; a value's is built into each get, where its width is
// known, so that a format decodes it in one step of that width.

/// Reads an `n`-byte block in `Format` (see `InputStreamBody`) into
/// `destination`; `std::bad_alloc` for the scratch area, or for a size no
/// array can have also where none is needed, comes before anything is read.
template <class Format>
void ReadBlock(tvc::ITVCBinaryReader* reader, unsigned char* destination, size_t n) {
  if (n > Format::kMaxBlock) throw std::bad_array_new_length();
  const size_t length = Format::EncodedSize(n);
  CMemReader* const memory = MemReaderAccess::Of(reader);
  if (memory != nullptr && MemReaderAccess::Apart(*memory, destination, n)) {
    if (length > static_cast<size_t>(PTRDIFF_MAX)) throw std::bad_array_new_length();
    Format::Decode(MemReaderAccess::Take(*memory, length), n, destination);
    return;
  }
  CScratchArea<unsigned char> scratch(length);
  reader->Read(scratch.get(), length);
  Format::Decode(scratch.get(), n, destination);
}

/// Reads a value of `n` bytes (1, 2, 4 or 8) in `Format` into `bytes`, a
/// local of the caller's that becomes its variable only later.
template <class Format>
__attribute__((always_inline)) inline void ReadValue(tvc::ITVCBinaryReader* reader,
                                                     unsigned char* bytes, size_t n) {
  if (CMemReader* const memory = MemReaderAccess::Of(reader)) {
    Format::Decode(MemReaderAccess::Take(*memory, Format::EncodedSize(n)), n, bytes);
  } else if constexpr (Format::kEncodedAsIs) {
    reader->Read(bytes, n);
  } else {
    unsigned char text[Format::EncodedSize(8)];
    reader->Read(text, Format::EncodedSize(n));
    Format::Decode(text, n, bytes);
  }
}

/// The gets of an input stream whose format is `Format`, a type with
///
///     static constexpr bool kEncodedAsIs;             // the channel holds the bytes themselves
///     static constexpr size_t kMaxBlock;              // larger blocks: bad_array_new_length
///     static constexpr size_t EncodedSize(size_t n);  // bytes on the channel for n bytes
///     // n bytes from their encoded form at `text` to `destination`; may
///     // throw, and then leaves `destination` untouched
///     static void Decode(const unsigned char* text, size_t n, unsigned char* destination);
///
/// Every get has one shape: one `Read` of the value's encoded form into a
/// buffer of its own (on the stack, or a scratch area for a large block),
/// decoding from there, and only then the caller's variable. From a
/// `CMemReader` the encoded form is decoded where it lies in the reader's
/// buffer (`MemReaderAccess`), which the reader gives up exactly as `Read`
/// would: the same position after it, the same log line and exception when
/// short, and no scratch area; the one exception is a block that lies
/// within the reader's own buffer, which takes the copying way. The widths of
/// `tvc::ITVCInStream` are kept here: each get reads the width of the value
/// the format carries and extends it to the caller's type.
template <class Format>
class InputStreamBody {
 public:
  /// Gets from `reader`.
  explicit InputStreamBody(tvc::ITVCBinaryReader* reader) noexcept : reader_(reader) {}

  void GetChar(char& value) { Get<char>(value); }
  void GetBYTE(unsigned char& value) { Get<unsigned char>(value); }
  void GetInt(int& value) { Get<int>(value); }
  void GetUint(unsigned int& value) { Get<unsigned int>(value); }
  void GetShort(short& value) { Get<short>(value); }
  void GetLong(long& value) { Get<std::int32_t>(value); }
  void GetDWORD(unsigned long& value) { Get<std::uint32_t>(value); }
  void GetWORD(unsigned short& value) { Get<unsigned short>(value); }
  void GetDouble(double& value) { Get<double>(value); }
  void GetInt64(std::int64_t& value) { Get<std::int64_t>(value); }
  void GetUint64(std::uint64_t& value) { Get<std::uint64_t>(value); }
  void GetSizet(size_t& value) { Get<std::uint64_t>(value); }

  void GetN(void* destination, size_t n) {
    ReadBlock<Format>(reader_, static_cast<unsigned char*>(destination), n);
  }

  /// Reads a value of `n` bytes into `bytes` (see `ReadValue`).
  void GetValueBytes(unsigned char* bytes, size_t n) { ReadValue<Format>(reader_, bytes, n); }

 private:
  // A reader may fill part of its buffer before it throws: the value reaches
  // the caller's variable only from a local, and only when whole.
  template <class Wire, class T>
  void Get(T& value) {
    unsigned char bytes[sizeof(Wire)];
    GetValueBytes(bytes, sizeof(Wire));
    value = static_cast<T>(LoadLittleEndian<Wire>(bytes));
  }

  tvc::ITVCBinaryReader* reader_;
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_INPUTSTREAMBODY_H
