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

bool IsFlagOrWidth(char c) { return std::strchr("-+ #0'*.123456789", c) != nullptr && c != '\0'; }

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
    if (p[1] == '6' && p[2] == '4') {
      out += "ll";
      p += 3;
    } else if (p[1] == '3' && p[2] == '2') {
      p += 3;
    } else {
      out += 'z';
      p += 1;
    }
  }
  return out;
}

}  // namespace

namespace tvc {

void LogErr(const char* format, ...) {
  if (format == nullptr) return;
  try {
    const std::string c99 = ToC99Format(format);
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);

    char small[512];
    std::string message;
    const int n = std::vsnprintf(small, sizeof small, c99.c_str(), args);
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
      message.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
      message.resize(static_cast<size_t>(n) + 1);
      std::vsnprintf(&message[0], message.size(), c99.c_str(), again);
      message.resize(static_cast<size_t>(n));
    }
    va_end(again);
    va_end(args);
    if (n < 0) return;

    if (message.empty() || message.back() != '\n') message += '\n';
    // One locked stdio call per message keeps concurrent lines whole.
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fflush(stderr);
  } catch (...) {
    // A logger must not turn a failure it reports into another one.
  }
}

}  // namespace tvc
