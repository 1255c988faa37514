#include "vexlo/tvc/LogErr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

template <class... Args>
std::string Logged(const char* format, Args... args) {
  testing::internal::CaptureStderr();
  tvc::LogErr(format, args...);
  return testing::internal::GetCapturedStderr();
}

TEST(LogErr, PrintsTheLibraryMessageWithSizeArguments) {
  const size_t count = 1, position = 10, size = 10;
  EXPECT_EQ(Logged("CMemReader Read failure - attempt to read %Iu bytes from position %Iu of "
                   "%Iu byte buffer",
                   count, position, size),
            "CMemReader Read failure - attempt to read 1 bytes from position 10 of 10 byte "
            "buffer\n");
}

TEST(LogErr, SizeArgumentsAbove32BitsKeepTheirValueAndAlignment) {
  const size_t big = (size_t{1} << 40) + 7;
  EXPECT_EQ(Logged("%Iu|%Iu|%d", big, size_t{3}, 42), "1099511627783|3|42\n");
  EXPECT_EQ(Logged("%Ix %IX %Id", size_t{0xabcdef012}, size_t{255}, std::ptrdiff_t{-5}),
            "abcdef012 FF -5\n");
}

TEST(LogErr, UnderstandsTheExplicitWidthPrefixes) {
  EXPECT_EQ(Logged("%I64d %I64u %I32d %I32u", -(std::int64_t{1} << 40),
                   std::uint64_t{18446744073709551615u}, std::int32_t{-7}, std::uint32_t{7}),
            "-1099511627776 18446744073709551615 -7 7\n");
  EXPECT_EQ(Logged("%5Iu|%-4Iu|%%Iu", size_t{12}, size_t{3}), "   12|3   |%Iu\n");
}

TEST(LogErr, EndsEveryMessageWithExactlyOneNewline) {
  EXPECT_EQ(Logged("already ended\n"), "already ended\n");
  EXPECT_EQ(Logged(""), "\n");
  const std::string longText(3000, 'x');
  EXPECT_EQ(Logged("%s", longText.c_str()), longText + "\n");
}

}  // namespace
