#ifndef VEXLO_STREAMS_CSTREAMFORMATEXCEPTION_H
#define VEXLO_STREAMS_CSTREAMFORMATEXCEPTION_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/tvc/TVCIPCException.h"

namespace vx {

/// Thrown by the input streams of the library when the bytes a get read
/// cannot be the encoding of the value asked for: a character of portable
/// text that is not an upper-case hexadecimal digit, a binary bool byte that
/// is neither 00 nor 01, a bit vector whose padding bits are set.
///
/// Data from another process is not trusted, so malformed input is reported
/// instead of being decoded into a value. When it is thrown, the destination
/// of the get keeps its previous value and the stream stays usable (the
/// offending characters have been consumed from the channel).
///
/// It belongs to the channel exception family: a handler for
/// `tvc::TVCIPCException`, `tvc::TVCException` or `std::exception` catches
/// it. Unlike the family's fixed texts, `what()` says what was wrong:
///
///     try {
///       in.GetInt(value);
///     } catch (const vx::CStreamFormatException& e) {
///       std::puts(e.what());
///       // CPortableInputStream: 'g' (0x67) at character 3 of 8 is not an
///       // upper-case hexadecimal digit
///     }
///
/// The text is held in the object itself, so constructing and copying never
/// allocate and never throw; a message longer than `MaxMessageLength`
/// characters is cut there.
class VX_API CStreamFormatException : public tvc::TVCIPCException {
 public:
  /// The longest message kept, in characters, without its terminating NUL.
  static constexpr size_t MaxMessageLength = 191;

  /// A generic message: "malformed stream data".
  CStreamFormatException() noexcept;
  /// Keeps a copy of the NUL-terminated `message` (null gives the generic
  /// message).
  explicit CStreamFormatException(const char* message) noexcept;
  /// Copies the message; never throws.
  CStreamFormatException(const CStreamFormatException&) noexcept = default;
  /// Copies the message; never throws.
  CStreamFormatException& operator=(const CStreamFormatException&) noexcept = default;
  ~CStreamFormatException() override;

  /// The message given at construction (or the generic one).
  const char* what() const noexcept override;

 private:
  char message[MaxMessageLength + 1];
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CSTREAMFORMATEXCEPTION_H
