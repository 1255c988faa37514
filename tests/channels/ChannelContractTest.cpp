// The contract that every reader keeps, run over each reader, and every
// writer run against every reader.

#include <gtest/gtest.h>

#include <string>

#include "ChannelTestSupport.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using tvc::TVCBufferUnderrunException;
using vxtest::Bytes;
using vxtest::Pattern;

template <class Maker>
class ReaderContract : public testing::Test {
 protected:
  Maker maker;
};

using Readers = testing::Types<vxtest::FileReaderMaker, vxtest::MemReaderMaker,
                               vxtest::MemStreamBufReaderMaker, vxtest::IpcReaderMaker>;
TYPED_TEST_SUITE(ReaderContract, Readers, vxtest::MakerNames);

TYPED_TEST(ReaderContract, DeliversExactlyTheBytesAskedForInOrder) {
  const Bytes source = Pattern(10);
  tvc::ITVCBinaryReader& reader = this->maker.Make(source);
  Bytes got(10, 0xEE);
  reader.Read(got.data(), 4);
  reader.Read(got.data() + 4, 0);
  reader.Read(got.data() + 4, 6);
  EXPECT_EQ(got, source);
  reader.Read(nullptr, 0);  // also at the end
}

TYPED_TEST(ReaderContract, UnderrunThrowsAndLeavesTheReaderUsable) {
  const Bytes source = Pattern(10);
  tvc::ITVCBinaryReader& reader = this->maker.Make(source);
  Bytes got(10);
  reader.Read(got.data(), 4);
  testing::internal::CaptureStderr();  // the memory reader logs the failure
  EXPECT_THROW(reader.Read(got.data() + 4, 7), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
  if (TypeParam::kConsumesOnUnderrun) {
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 10), source);  // the 6 bytes that were there
  } else {
    EXPECT_EQ(got[4], 0) << "nothing copied";
    reader.Read(got.data() + 4, 6);
    EXPECT_EQ(got, source);
  }
  testing::internal::CaptureStderr();
  EXPECT_THROW(reader.Read(got.data(), 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
  reader.Read(got.data(), 0);
}

TYPED_TEST(ReaderContract, EmptyChannelAcceptsOnlyZeroByteReads) {
  tvc::ITVCBinaryReader& reader = this->maker.Make(Bytes());
  unsigned char byte = 0;
  reader.Read(&byte, 0);
  testing::internal::CaptureStderr();
  EXPECT_THROW(reader.Read(&byte, 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
}

template <class WriterMaker, class ReaderMaker>
struct Pair {
  using Writer = WriterMaker;
  using Reader = ReaderMaker;
};

struct PairNames {
  template <class P>
  static std::string GetName(int) {
    return std::string(P::Writer::kName) + "To" + P::Reader::kName;
  }
};

template <class P>
class WriterAgainstReader : public testing::Test {
 protected:
  typename P::Writer writer;
  typename P::Reader reader;
};

using namespace vxtest;
using Pairs = testing::Types<
    Pair<FileWriterMaker, FileReaderMaker>, Pair<FileWriterMaker, MemReaderMaker>,
    Pair<FileWriterMaker, MemStreamBufReaderMaker>, Pair<FileWriterMaker, IpcReaderMaker>,
    Pair<MemWriterMaker, FileReaderMaker>, Pair<MemWriterMaker, MemReaderMaker>,
    Pair<MemWriterMaker, MemStreamBufReaderMaker>, Pair<MemWriterMaker, IpcReaderMaker>,
    Pair<MemStreamBufWriterMaker, FileReaderMaker>, Pair<MemStreamBufWriterMaker, MemReaderMaker>,
    Pair<MemStreamBufWriterMaker, MemStreamBufReaderMaker>,
    Pair<MemStreamBufWriterMaker, IpcReaderMaker>, Pair<IpcWriterMaker, FileReaderMaker>,
    Pair<IpcWriterMaker, MemReaderMaker>, Pair<IpcWriterMaker, MemStreamBufReaderMaker>,
    Pair<IpcWriterMaker, IpcReaderMaker>>;
TYPED_TEST_SUITE(WriterAgainstReader, Pairs, PairNames);

TYPED_TEST(WriterAgainstReader, BytesWrittenInPiecesReadBackInOtherPieces) {
  const Bytes source = Pattern(1310, 3);
  tvc::ITVCBinaryWriter& out = this->writer.Writer();
  size_t at = 0;
  for (size_t piece : {0, 1, 7, 1000, 0, 2, 300}) {
    out.Write(source.data() + at, piece);
    at += piece;
  }
  ASSERT_EQ(at, source.size());
  tvc::ITVCBinaryReader& in = this->reader.Make(this->writer.Written());
  Bytes got(source.size());
  at = 0;
  for (size_t piece : {5, 0, 1024, 281}) {
    in.Read(got.data() + at, piece);
    at += piece;
  }
  EXPECT_EQ(got, source);
  testing::internal::CaptureStderr();
  EXPECT_THROW(in.Read(got.data(), 1), TVCBufferUnderrunException);
  testing::internal::GetCapturedStderr();
}

}  // namespace
