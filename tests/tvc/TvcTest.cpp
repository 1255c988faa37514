// The logger: its Windows size prefixes and the edge of its first buffer.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "vexlo/vexlo.h"

namespace {

// What one call of the logger wrote.
template <class... Args>
std::string Logged(const char* format, Args... args) {
  testing::internal::CaptureStderr();
  tvc::LogErr(format, args...);
  return testing::internal::GetCapturedStderr();
}

// Each Windows size prefix, behind any flags, width and precision, takes its argument at its full
// width: the value, and the argument after it, come out as the C99 spelling formats them. "%%"
// converts nothing; no format, no line.
TEST(LogErr, EachWindowsSizePrefixTakesItsArgumentAtItsFullWidth) {
  for (const char* flags : {"", "-8", "+05", "-8.3", "# 12", "0.20"}) {
    for (const char* conversion : {"u", "d", "x", "X", "o"}) {
      const std::string head = std::string("%") + flags, tail = conversion + std::string("|%d");
      const auto check = [&](const char* prefix, const char* c99, auto value) {
        char expected[64];
        std::snprintf(expected, sizeof expected, (head + c99 + tail).c_str(), value, 42);
        EXPECT_EQ(Logged((head + prefix + tail).c_str(), value, 42), expected + std::string("\n"))
            << head + prefix + tail;
      };
      check("I", "z", (size_t{1} << 40) + 7);
      check("I64", "ll", (std::int64_t{1} << 50) + 0x1234);
      check("I32", "", std::int32_t{0x7FFFFFF9});
      ASSERT_FALSE(HasFailure()) << "stopped at the first failing case";
    }
  }
  EXPECT_EQ(Logged("%%Iu|%%I64d|%s", "x") + Logged(nullptr), "%Iu|%I64d|x\n");
}

// Messages of every length up to beyond the logger's first buffer (512 bytes) come out whole, as
// one line: a newline is added where the message has none.
TEST(LogErr, MessagesUpToBeyondTheFirstBufferComeOutWholeOnOneLine) {
  for (std::string text; text.size() < 516; text += static_cast<char>('a' + text.size() % 26))
    for (const char* end : {"", "\n"})
      ASSERT_EQ(Logged("%s", (text + end).c_str()), text + "\n") << text.size() << " bytes" << end;
}

}  // namespace
