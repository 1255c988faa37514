// The contract that every reader keeps, run over each reader, and every
// writer run against every reader.

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
class ReaderContract : public testing::Test {
 protected:
  Maker maker;
};
using Readers = testing::Types<FileReaderMaker, MemReaderMaker, IpcReaderMaker>;
TYPED_TEST_SUITE(ReaderContract, Readers, ByIndex);

TYPED_TEST(ReaderContract, DeliversExactlyOrThrowsAndStaysUsable) {
  const Bytes source = Pattern(10);
  tvc::ITVCBinaryReader& reader = this->maker.Make(source);
  Bytes got(10, 0);
  reader.Read(got.data(), 4);
  reader.Read(nullptr, 0);
  testing::internal::CaptureStderr();  // the memory reader logs failures
  EXPECT_THROW(reader.Read(got.data() + 4, 7), TVCBufferUnderrunException);
  if (!TypeParam::kConsumesOnUnderrun) {
    EXPECT_EQ(got[4], 0) << "nothing copied";
    reader.Read(got.data() + 4, 6);
  }
  EXPECT_EQ(got, source);
  EXPECT_THROW(reader.Read(got.data(), 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
  reader.Read(got.data(), 0);
}

template <class W, class R>
struct Pair {
  using Writer = W;
  using Reader = R;
};

template <class P>
class WriterAgainstReader : public testing::Test {
 protected:
  typename P::Writer out;
  typename P::Reader in;
};
using Pairs = testing::Types<
    Pair<FileWriterMaker, FileReaderMaker>, Pair<FileWriterMaker, MemReaderMaker>,
    Pair<FileWriterMaker, IpcReaderMaker>, Pair<MemWriterMaker, FileReaderMaker>,
    Pair<MemWriterMaker, MemReaderMaker>, Pair<MemWriterMaker, IpcReaderMaker>,
    Pair<IpcWriterMaker, FileReaderMaker>, Pair<IpcWriterMaker, MemReaderMaker>,
    Pair<IpcWriterMaker, IpcReaderMaker>>;
TYPED_TEST_SUITE(WriterAgainstReader, Pairs, ByIndex);

TYPED_TEST(WriterAgainstReader, BytesWrittenInPiecesReadBackInOtherPieces) {
  const Bytes source = Pattern(1310);
  size_t at = 0;
  for (size_t piece : {0, 1, 7, 1000, 0, 2, 300}) {
    this->out.writer.Write(source.data() + at, piece);
    at += piece;
  }
  tvc::ITVCBinaryReader& reader = this->in.Make(this->out.Written());
  Bytes got(source.size());
  at = 0;
  for (size_t piece : {5, 0, 1024, 281}) {
    reader.Read(got.data() + at, piece);
    at += piece;
  }
  EXPECT_EQ(got, source);
  testing::internal::CaptureStderr();
  EXPECT_THROW(reader.Read(got.data(), 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
}

}  // namespace
