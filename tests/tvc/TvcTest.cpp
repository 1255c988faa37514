// The exception family's fixed texts and the logger's printf dialect.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "vexlo/vexlo.h"

namespace {

// what() is the fixed text of the class thrown, through whichever base it is
// seen; an underrun is caught as any of its bases.
TEST(TVCException, WhatIsTheFixedTextOfTheClassThrown) {
  const auto what = [](const std::exception& e) { return std::string(e.what()); };
  EXPECT_EQ(what(tvc::TVCBufferUnderrunException()), "Buffer underrun error during IPC/streaming");
  EXPECT_EQ(what(tvc::TVCIPCException()), "TVCIPCException");
  EXPECT_EQ(what(tvc::TVCException()), "TVCException");
  EXPECT_THROW(throw tvc::TVCBufferUnderrunException(), tvc::TVCIPCException);
  EXPECT_THROW(throw tvc::TVCIPCException(), tvc::TVCException);
}

// The Windows size prefixes take their arguments' full width, so later arguments
// stay aligned; each message is one line, one longer than the logger's first
// buffer too.
TEST(LogErr, TranslatesTheWindowsSizePrefixesAndEndsEachMessageWithOneNewline) {
  const auto logged = [](const auto& log) {  // what one call of the logger wrote
    testing::internal::CaptureStderr();
    log();
    return testing::internal::GetCapturedStderr();
  };
  const std::string prefixed = logged([] {
    tvc::LogErr("%Iu|%Id|%IX|%5Iu|%I64d|%I64u|%I32d|%%Iu|%d", (size_t{1} << 40) + 7,
                std::ptrdiff_t{-5}, size_t{255}, size_t{12}, -(std::int64_t{1} << 40), UINT64_MAX,
                std::int32_t{-7}, 42);
  });
  EXPECT_EQ(prefixed, "1099511627783|-5|FF|   12|-1099511627776|18446744073709551615|-7|%Iu|42\n");
  EXPECT_EQ(logged([] { tvc::LogErr("ended\n"); }), "ended\n") << "a message's own newline";
  EXPECT_EQ(logged([] { tvc::LogErr(""); }), "\n") << "the empty message";
  EXPECT_EQ(logged([] { tvc::LogErr("%600d", 7); }), std::string(599, ' ') + "7\n")
      << "longer than the first buffer";
}

// What the logger cannot format it drops whole: no format, a wide string that
// the C locale cannot convert, a format that ends inside a conversion (the C
// library refuses the last two). The next message is unaffected.
TEST(LogErr, DropsAMessageItCannotFormat) {
  testing::internal::CaptureStderr();
  tvc::LogErr(nullptr);
#if !defined(_WIN32)  // the Windows runtimes print a stand-in character instead
  tvc::LogErr("before %ls after", L"\x100");
  tvc::LogErr("50%");  // a conversion cut short by the end of the format
#endif
  tvc::LogErr("%s", "next");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "next\n");
}

// The streams keep nothing back: Flush, through the interface, writes nothing
// and leaves the count as it was.
TEST(ITVCOutStream, FlushWritesNothing) {
  vx::CMemWriter binaryBytes, portableBytes;
  vx::CBinaryOutputStream binary(&binaryBytes);
  vx::CPortableOutputStream portable(&portableBytes);
  for (tvc::ITVCOutStream* out : std::initializer_list<tvc::ITVCOutStream*>{&binary, &portable}) {
    out->PutBYTE(7);
    out->Flush();
    EXPECT_EQ(out->Tell(), 1u);
  }
  EXPECT_EQ(binaryBytes.GetSize(), 1u);
  EXPECT_EQ(portableBytes.GetSize(), 2u);
}

}  // namespace
