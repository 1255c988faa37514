#ifndef VEXLO_STREAMS_CSTREAMFORMATEXCEPTION_H
#define VEXLO_STREAMS_CSTREAMFORMATEXCEPTION_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/tvc/TVCIPCException.h"

namespace vx {

/// Thrown by the input streams of the library when the bytes a get read
/// cannot be the encoding of the value asked for (each stream says which),
/// or a length is above the stream's length limit. A handler for
/// `tvc::TVCIPCException`, `tvc::TVCException` or `std::exception` catches
/// it; unlike the family's fixed texts, `what()` says what was wrong:
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
/// allocate and never throw; a longer message is cut at `MaxMessageLength`
/// characters.
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
