#include "vexlo/streams/CStreamFormatException.h"

#include <cstring>

namespace vx {

namespace {

const char kGenericMessage[] = "malformed stream data";

}  // namespace

// Emitted here, so that the DLL exports it: programs that take the constant's
// address import it from the library, and an inline constant that the
// library itself only reads at compile time is otherwise never emitted.
constexpr size_t CStreamFormatException::MaxMessageLength;

CStreamFormatException::CStreamFormatException() noexcept
    : CStreamFormatException(kGenericMessage) {}

CStreamFormatException::CStreamFormatException(const char* text) noexcept : message() {
  if (text == nullptr) text = kGenericMessage;
  size_t length = std::strlen(text);
  if (length > MaxMessageLength) length = MaxMessageLength;
  std::memcpy(message, text, length);
  message[length] = '\0';
}

// Defined here so that the class's type information and vtable are emitted
// once, in the library.
CStreamFormatException::~CStreamFormatException() = default;

const char* CStreamFormatException::what() const noexcept { return message; }

}  // namespace vx
