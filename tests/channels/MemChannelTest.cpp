#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

#include "ChannelTestSupport.h"
#include "support/AllocationFailure.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using namespace vxtest;
using tvc::TVCBufferUnderrunException;
using vx::CMemReader;
using vx::CMemStreamBuf;
using vx::CMemWriter;
using vx::PXIpcStreamBuf;

static_assert(!std::is_copy_constructible<CMemStreamBuf>::value, "a device owns its channel");

constexpr size_t kMost = std::numeric_limits<size_t>::max();

Bytes Content(const CMemWriter& writer) {
  EXPECT_EQ(writer.GetData()[writer.GetSize()], 0) << "terminator";
  return Bytes(writer.GetData(), writer.GetData() + writer.GetSize());
}

Bytes ReadAll(PXIpcStreamBuf& queue) {
  Bytes bytes(queue.out_waiting());
  queue.Read(bytes.data(), bytes.size());
  return bytes;
}

TEST(CMemReader, UnderrunLogsCountPositionAndSizeAndCopiesAdvanceAlone) {
  const Bytes ten = Pattern(10);
  CMemReader reader(ten.data(), ten.size());  // own defaults to false
  unsigned char got[10];
  reader.Read(got, 4);
  CMemReader copy(reader);
  testing::internal::CaptureStderr();
  EXPECT_THROW(reader.Read(got + 4, 7), TVCBufferUnderrunException);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "CMemReader Read failure - attempt to read 7 bytes from position 4 of 10 byte buffer\n");
  copy.Read(got, 1);
  EXPECT_EQ(got[0], ten[4]);
}

TEST(CMemReader, OwnedBufferIsReleasedOnceByItsLastHolder) {
  const long before = LiveAllocations();
  {
    CMemReader owner(new unsigned char[4]{1, 2, 3, 4}, 4, true);
    const Bytes one = {7};
    CMemReader assigned(one);
    assigned = CMemReader(owner);
    owner = CMemReader(one);  // gives up its share; `assigned` still holds the bytes
    unsigned char got[4];
    assigned.Read(got, 4);
    EXPECT_EQ(Bytes(got, got + 4), Bytes({1, 2, 3, 4}));
  }
  if (!AllocationFailureInjectable()) return;  // ASan reports leaks and double frees as well
  EXPECT_EQ(LiveAllocations(), before);
  // The caller's buffer, then the shared owner, whose failure releases the buffer.
  EXPECT_EQ(ForEachAllocationFailure([] { CMemReader(new unsigned char[4], 4, true); }), 2);
}

// The content must fit, then the terminator: 5 into capacity 1 gives
// max(1 + 0, 5) = 5, then max(5 + 2, 6) = 7.
TEST(CMemWriter, GrowsByHalfItsCapacityOrToTheSizeNeeded) {
  CMemWriter writer, sized(4);
  EXPECT_EQ(Content(writer), Bytes());
  const Bytes source = Pattern(17);
  const size_t steps[][2] = {{5, 7}, {0, 7}, {1, 7}, {1, 10}, {10, 25}};  // written, capacity
  size_t written = 0;
  for (const auto& step : steps) {
    writer.Write(source.data() + written, step[0]);
    written += step[0];
    EXPECT_EQ(writer.GetCapacity(), step[1]) << "after " << written << " bytes";
  }
  EXPECT_EQ(Content(writer), source);
  sized.Write(source.data(), 4);
  EXPECT_EQ(sized.GetCapacity(), 5u);
  EXPECT_EQ(CMemWriter(source.data(), 17).GetCapacity(), 18u);
}

TEST(CMemWriter, CopiesAreIndependentAndSizedExactly) {
  CMemWriter source(100), roomy(50), small;
  source.Write("a\0c", 3);
  CMemWriter copy(source);
  copy.Write("d", 1);  // grows from the exact capacity 4
  const unsigned char* storage = roomy.GetData();
  roomy = copy;
  small = source;
  small = *&small;
  EXPECT_EQ(roomy.GetData(), storage) << "enough capacity: reused";
  EXPECT_EQ(small.GetCapacity(), 4u);
  EXPECT_EQ(Content(small), Text(std::string("a\0c", 3)));
  EXPECT_EQ(Content(roomy), Text(std::string("a\0cd", 4)));
}

TEST(CMemWriter, FailuresKeepTheEarlierBytes) {
  CMemWriter writer, target;
  writer.Write("abc", 3);
  auto unchanged = [&] {
    EXPECT_EQ(Content(writer), Text("abc"));
    EXPECT_EQ(writer.GetCapacity(), 4u);
  };
  EXPECT_THROW(writer.Write("x", kMost), std::length_error);          // data not read
  EXPECT_THROW(writer.Write("x", kMost / 2 - 3), std::length_error);  // beyond PTRDIFF_MAX
  EXPECT_THROW(CMemWriter{kMost / 2}, std::length_error);
  unchanged();
  if (!AllocationFailureInjectable()) return;
  const Bytes big = Pattern(100);
  EXPECT_EQ(ForEachAllocationFailure([&] { writer.Write(big.data(), big.size()); }, unchanged), 1);
  ForEachAllocationFailure([&] { target = writer; }, [&] { EXPECT_EQ(Content(target), Bytes()); });
}

TEST(CMemStreamBuf, WriteBufferHasRoomForItsInitialSizeReadBufferOnlyReads) {
  CMemStreamBuf deflt, sixteen(16, 99, 7), none(0);
  EXPECT_EQ(deflt.GetReader(), nullptr);
  EXPECT_STREQ(deflt.str(), "");
  auto writesInPlace = [](CMemStreamBuf& buffer, size_t count) {
    const char* before = buffer.str();
    buffer.GetWriter()->Write(Pattern(count).data(), count);
    return buffer.str() == before;
  };
  EXPECT_TRUE(writesInPlace(deflt, 1024) && writesInPlace(sixteen, 16));
  EXPECT_FALSE(writesInPlace(deflt, 1) || writesInPlace(sixteen, 1) || writesInPlace(none, 5000));
  ASSERT_EQ(none.out_waiting(), 5000u);
  EXPECT_EQ(Bytes(none.str(), none.str() + 5000), Pattern(5000));
  EXPECT_EQ(none.str()[5000], '\0');
  std::string text("he\0lo", 5);  // a read buffer reads the caller's bytes and writes nothing
  CMemStreamBuf in(&text[0], 5), empty(text.c_str(), 0);
  EXPECT_EQ(in.GetWriter(), nullptr);
  char got[5];
  in.GetReader()->Read(got, 5);
  EXPECT_EQ(std::string(got, 5), text);
  EXPECT_STREQ(empty.str(), "");
  EXPECT_EQ(empty.out_waiting(), 0u);
  testing::internal::CaptureStderr();
  EXPECT_THROW(empty.GetReader()->Read(&text[0], 1), TVCBufferUnderrunException);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("of 0 byte buffer"), std::string::npos);
}

TEST(CMemStreamBuf, DestroyedThroughTheDeviceInterfaceFreesItsChannel) {
  const long before = LiveAllocations();
  vx::IReadWriteDevice* devices[] = {new CMemStreamBuf(64), new CMemStreamBuf("xyz", 3)};
  devices[0]->GetWriter()->Write("xyz", 3);
  for (vx::IReadWriteDevice* device : devices) delete device;
  if (!AllocationFailureInjectable()) return;  // ASan shows leaks as well
  EXPECT_EQ(LiveAllocations(), before);
  // The writer and its storage; the reader.
  EXPECT_EQ(ForEachAllocationFailure([] { CMemStreamBuf(32); }), 2);
  EXPECT_EQ(ForEachAllocationFailure([] { CMemStreamBuf("ab", 2); }), 1);
}

// 16 at least, then 3/2 of what is needed; a first write of 8 or more gets twice its size.
TEST(PXIpcStreamBuf, GrowsByTheRuleOrChangesNothing) {
  PXIpcStreamBuf queue;
  EXPECT_EQ(queue.str(), nullptr);
  queue.Write(nullptr, 0);
  EXPECT_EQ(queue.GetCapacity(), 16u);
  const Bytes source = Pattern(23);
  queue.Write(source.data(), 16);
  EXPECT_EQ(queue.GetCapacity(), 16u);
  queue.Write(source.data() + 16, 7);
  EXPECT_EQ(queue.GetCapacity(), 34u);
  for (size_t first : {7, 8, 10}) {
    PXIpcStreamBuf fresh;
    fresh.Write(source.data(), first);
    EXPECT_EQ(fresh.GetCapacity(), first < 8 ? 16 : 2 * first);
  }
  PXIpcStreamBuf empty;
  const char* storage = queue.str();
  auto unchanged = [&] {
    EXPECT_TRUE(queue.str() == storage && queue.GetCapacity() == 34u && queue.out_waiting() == 23u);
  };
  EXPECT_THROW(queue.Write("x", kMost - 8), std::length_error);      // the sum overflows
  EXPECT_THROW(queue.Write("x", kMost / 3), std::length_error);      // 3/2 of the sum: too large
  EXPECT_THROW(empty.Write("x", kMost / 2 + 1), std::length_error);  // twice the count overflows
  EXPECT_EQ(empty.str(), nullptr);
  unchanged();
  if (!AllocationFailureInjectable()) return;
  EXPECT_EQ(ForEachAllocationFailure([&] { queue.Write(source.data(), 23); }, unchanged), 1);
}

TEST(PXIpcStreamBuf, CopiesOwnTheirBytesReadingConsumesForwardRewinds) {
  PXIpcStreamBuf source, sameCapacity, larger, empty;
  source.Write("abcdef", 6);
  char got[2];
  source.Read(got, 2);
  sameCapacity.Write("x", 1);
  larger.Write(Pattern(40).data(), 40);
  const char* storage = sameCapacity.str();
  PXIpcStreamBuf copy(source);
  sameCapacity = source;
  larger = source;
  copy.Write("g", 1);
  EXPECT_EQ(ReadAll(copy), Text("cdefg"));
  EXPECT_EQ(ReadAll(source), Text("cdef"));
  EXPECT_EQ(sameCapacity.str(), storage) << "equal capacity: reused";
  EXPECT_EQ(larger.GetCapacity(), 16u);
  EXPECT_EQ(ReadAll(larger), Text("cdef"));
  larger = empty;
  larger = *&larger;
  EXPECT_EQ(PXIpcStreamBuf(larger).str(), nullptr);
  PXIpcStreamBuf adopted(new char[4]{1, 2, 3, 4}, 4);
  const char* start = adopted.str();
  adopted.Read(got, 2);
  EXPECT_TRUE(adopted.out_waiting() == 2u && adopted.str() == start);
  adopted.Write("\x05", 1);  // grows from the adopted 4 bytes and releases them
  EXPECT_EQ(adopted.GetCapacity(), 7u);
  EXPECT_EQ(ReadAll(adopted), Bytes({3, 4, 5}));
  adopted.forward();
  EXPECT_EQ(ReadAll(adopted), Bytes({1, 2, 3, 4, 5}));
}

}  // namespace
