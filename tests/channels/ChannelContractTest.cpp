// The contract that every reader and every writer keeps, run over each of
// them. A writer stores exactly the bytes it was given and a reader delivers
// exactly the bytes it holds, so every writer works with every reader.

#include <gtest/gtest.h>

#include <string>

#include "ChannelTestSupport.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using namespace vxtest;
using tvc::TVCBufferUnderrunException;

// Typed suites are named by index (the type is printed with each test).
struct ByIndex {
  template <class T>
  static std::string GetName(int index) {
    return std::to_string(index);
  }
};

template <class Maker>
class ReaderContract : public testing::Test {};
using Readers = testing::Types<FileReaderMaker, MemReaderMaker, IpcReaderMaker>;
TYPED_TEST_SUITE(ReaderContract, Readers, ByIndex);

TYPED_TEST(ReaderContract, DeliversExactlyInAnyPiecesOrThrowsAndStaysUsable) {
  TypeParam maker;
  const Bytes source = Pattern(1310);
  tvc::ITVCBinaryReader& reader = maker.Make(source);
  Bytes got(source.size() + 1, 0);
  size_t at = 0;
  for (size_t piece : {5, 0, 1, 2, 4, 8, 16, 1024})
    reader.Read(got.data() + at, piece), at += piece;
  testing::internal::CaptureStderr();  // the memory reader logs failures
  EXPECT_THROW(reader.Read(got.data() + at, 251), TVCBufferUnderrunException);
  if (!TypeParam::kConsumesOnUnderrun) {
    EXPECT_EQ(got[at], 0) << "nothing copied";
    reader.Read(got.data() + at, 250);
  }
  got.pop_back();
  EXPECT_EQ(got, source);
  EXPECT_THROW(reader.Read(got.data(), 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
  reader.Read(got.data(), 0);
}

template <class Maker>
class WriterContract : public testing::Test {};
using Writers = testing::Types<FileWriterMaker, MemWriterMaker, IpcWriterMaker>;
TYPED_TEST_SUITE(WriterContract, Writers, ByIndex);

TYPED_TEST(WriterContract, StoresExactlyTheBytesWrittenInPieces) {
  TypeParam maker;
  const Bytes source = Pattern(1310);
  size_t at = 0;
  for (size_t piece : {0, 1, 7, 1000, 0, 2, 4, 8, 16, 272}) {
    maker.writer.Write(source.data() + at, piece);
    at += piece;
  }
  EXPECT_EQ(maker.Written(), source);
}

}  // namespace
