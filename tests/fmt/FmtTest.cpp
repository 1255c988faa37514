// vexlo/fmt.h: a string and a view format as their exact bytes (a NUL and
// bytes that are no UTF-8 too: every byte of their length) and take the
// options of a string; the null view formats as nothing. Built only where
// fmt is installed.
#include <gtest/gtest.h>
#include <vexlo/fmt.h>

#include <string>

using namespace std::string_literals;

TEST(Fmt, StringsAndViewsFormatAsTheirBytesWithTheOptionsOfAString) {
  const vx::VXString text("a\0b\xff\x80-tail", 10);
  EXPECT_EQ(fmt::format("[{}|{:*>4}|{:.2}|{:3}]", text, text(1, 2), text(5, 5), vx::VXSubString()),
            "[a\0b\xff\x80-tail|**\0b|-t|   ]"s);
}
