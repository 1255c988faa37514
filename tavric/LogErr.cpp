// The support library's error logger.
//
// Messages arrive in the Windows runtime's printf dialect: "%Iu" for a
// size_t, "%I64d" for a 64-bit value and so on. The C99 runtimes read "I" as
// a flag (glibc: locale digits) and would then take a size_t argument as an
// int, printing values above 2^32 wrong and misaligning every later
// argument. The logger therefore rewrites those prefixes into their C99
// spellings ("z", "ll", none) before formatting; every runtime it is built
// for (glibc, and MinGW-w64's C99-conforming printf) understands those.

#include "vexlo/tvc/LogErr.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Never asked about the terminator, which strchr would find.
bool IsFlagOrWidth(char c) { return std::strchr("-+ #0'*.123456789", c) != nullptr; }

// Rewrites the Windows size prefixes of one printf format into C99 ones and
// leaves everything else as it stands.
std::string ToC99Format(const char* format) {
  std::string out;
  out.reserve(std::strlen(format) + 8);
  for (const char* p = format; *p != '\0';) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == '%') {
      out += *p++;
      continue;
    }
    while (*p != '\0' && IsFlagOrWidth(*p)) out += *p++;
    if (*p != 'I') continue;
    if (std::strncmp(p + 1, "64", 2) == 0) {
      out += "ll";
      p += 3;
    } else if (std::strncmp(p + 1, "32", 2) == 0) {
      p += 3;
    } else {
      out += 'z';
      p += 1;
    }
  }
  return out;
}

// Formats into `message`. Every va_list copy is opened and closed around one
// vsnprintf call, so an allocation that throws in between never leaves a
// va_list without its va_end. Returns false when the format is rejected.
bool Format(const std::string& c99, std::va_list args, std::string& message) {
  char small[512];
  std::va_list first;
  va_copy(first, args);
  const int n = std::vsnprintf(small, sizeof small, c99.c_str(), first);
  va_end(first);
  if (n < 0) return false;
  if (static_cast<size_t>(n) < sizeof small) {
    message.assign(small, static_cast<size_t>(n));
    return true;
  }
  message.resize(static_cast<size_t>(n) + 1);
  std::va_list second;
  va_copy(second, args);
  std::vsnprintf(&message[0], message.size(), c99.c_str(), second);
  va_end(second);
  message.resize(static_cast<size_t>(n));
  return true;
}

void Emit(const char* format, std::va_list args) noexcept {
  try {
    std::string message;
    if (!Format(ToC99Format(format), args, message)) return;
    if (message.empty() || message.back() != '\n') message += '\n';
    // One locked stdio call per message keeps concurrent lines whole.
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fflush(stderr);
  } catch (...) {
    // A logger must not turn a failure it reports into another one.
  }
}

}  // namespace

namespace tvc {

void LogErr(const char* format, ...) {
  if (format == nullptr) return;
  std::va_list args;
  va_start(args, format);
  Emit(format, args);
  va_end(args);
}

}  // namespace tvc
