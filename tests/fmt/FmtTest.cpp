// vexlo/fmt.h: strings and views format as their exact bytes, with the
// options of a string. Built only where fmt is installed.
#include <gtest/gtest.h>
#include <vexlo/fmt.h>

#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;

TEST(Fmt, StringsAndViewsFormatAsTheirBytesWithTheOptionsOfAString) {
  const vx::VXString word("vexlo");
  const vx::VXString binary("a\0b\xff\x80", 5);  // a NUL and bytes that are no UTF-8
  const vx::VXString empty;
  struct Case {
    const char* name;
    std::string got;
    std::string want;
  };
  const Case cases[] = {
      {"plain", fmt::format("[{}]", word), "[vexlo]"},
      {"NUL and high bytes", fmt::format("[{}]", binary), "[a\0b\xff\x80]"s},
      {"empty string", fmt::format("[{}]", empty), "[]"},
      {"right-aligned", fmt::format("[{:>7}]", word), "[  vexlo]"},
      {"fill and centre", fmt::format("[{:*^9}]", word), "[**vexlo**]"},
      {"precision cuts", fmt::format("[{:.3}]", word), "[vex]"},
      {"dynamic width", fmt::format("[{:<{}}]", word, 6), "[vexlo ]"},
      {"positional", fmt::format("{1}{0}", word, binary), "a\0b\xff\x80vexlo"s},
      {"view", fmt::format("[{}]", word(1, 3)), "[exl]"},
      {"view with NUL", fmt::format("[{}]", binary(0, 3)), "[a\0b]"s},
      {"view padded", fmt::format("[{:>5}]", word(3, 2)), "[   lo]"},
      {"null view", fmt::format("[{:3}]", vx::VXSubString()), "[   ]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got, c.want) << c.name;
  }
}

TEST(Fmt, AViewFormatsTheBytesItsStringHoldsWhenFormatted) {
  vx::VXString text("hello");
  const vx::VXSubString middle = text(1, 3);
  text.toUpper();
  EXPECT_EQ(fmt::format("{}", middle), "ELL");
  EXPECT_EQ(fmt::to_string(text), "HELLO");
}

}  // namespace
