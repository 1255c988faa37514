// The memory channels with every allocation of every mutating operation
// failing in turn, from the states that the channel tests leave out (a
// writer with no room, exactly full or partly full; a queue before its first
// allocation, after adopting a block, partly read; copies and assignments):
// the channel keeps what its contract promises (a failed write adds nothing
// and keeps every earlier byte; a failed assignment leaves the target as it
// was), and nothing leaks.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "faults/FaultTally.h"
#include "support/AllocationFailure.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using vxtest::ForEachAllocationFailure;
using vxtest::TallyPoints;

#define SKIP_WITHOUT_INJECTION() \
 if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here"

std::string Content(const vx::CMemWriter& w) {
  return std::string(reinterpret_cast<const char*>(w.GetData()), w.GetSize());
}

std::string Content(vx::PXIpcStreamBuf& q, size_t written) {
  return q.str() == nullptr ? std::string() : std::string(q.str(), written);
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 37 + 1);
  return s;
}

TEST(CMemWriterFaults, FailedWriteKeepsEveryEarlierByteAndAddsNone) {
  SKIP_WITHOUT_INJECTION();
  const std::string earlier = Pattern(13);
  // Writers that must grow for the next write: default (capacity 1), exactly
  // full, and with room for part of it.
  std::vector<vx::CMemWriter> writers;
  writers.emplace_back();
  writers.emplace_back(earlier.data(), earlier.size());
  writers.emplace_back(20);
  writers[2].Write(earlier.data(), earlier.size());
  for (size_t n : {1u, 7u, 300u}) {
    const std::string more = Pattern(n);
    for (vx::CMemWriter& w : writers) {
      const std::string before = Content(w);
      const size_t capacity = w.GetCapacity();
      TallyPoints(ForEachAllocationFailure([&] { w.Write(more.data(), more.size()); },
                                           [&] {
                                             EXPECT_EQ(Content(w), before);
                                             EXPECT_EQ(w.GetCapacity(), capacity);
                                             EXPECT_EQ(w.GetData()[w.GetSize()], 0);
                                           }));
      EXPECT_EQ(Content(w), before + more);
      EXPECT_EQ(w.GetData()[w.GetSize()], 0);
    }
  }
}

TEST(CMemWriterFaults, ConstructorsAndCopiesLeakNothing) {
  SKIP_WITHOUT_INJECTION();
  const std::string bytes = Pattern(50);
  EXPECT_GE(TallyPoints(ForEachAllocationFailure([] { vx::CMemWriter w; })), 1);
  EXPECT_GE(TallyPoints(ForEachAllocationFailure([] { vx::CMemWriter w(100); })), 1);
  EXPECT_GE(
      TallyPoints(ForEachAllocationFailure([&] { vx::CMemWriter w(bytes.data(), bytes.size()); })),
      1);
  const vx::CMemWriter source(bytes.data(), bytes.size());
  EXPECT_GE(TallyPoints(ForEachAllocationFailure([&] {
              vx::CMemWriter copy(source);
              EXPECT_EQ(Content(copy), bytes);
            })),
            1);
}

TEST(CMemWriterFaults, FailedAssignmentLeavesTheTargetAsItWas) {
  SKIP_WITHOUT_INJECTION();
  const std::string big = Pattern(500);
  const vx::CMemWriter source(big.data(), big.size());
  vx::CMemWriter target("xyz", 3);  // too small: the assignment needs new storage
  const int points = TallyPoints(ForEachAllocationFailure([&] { target = source; },
                                                          [&] {
                                                            EXPECT_EQ(Content(target), "xyz");
                                                            EXPECT_EQ(target.GetCapacity(), 4u);
                                                          }));
  EXPECT_GE(points, 1);
  EXPECT_EQ(Content(target), big);
}

TEST(PXIpcStreamBufFaults, FailedWriteChangesNothing) {
  SKIP_WITHOUT_INJECTION();
  const std::string first = Pattern(10);
  const std::string more = Pattern(40);
  // An empty queue (first allocation), one that adopted a block (growth
  // releases the block), and one partly read (growth keeps the position).
  vx::PXIpcStreamBuf empty;
  char* block = new char[first.size()];
  std::memcpy(block, first.data(), first.size());
  vx::PXIpcStreamBuf adopted(block, static_cast<int>(first.size()));
  vx::PXIpcStreamBuf partlyRead;
  partlyRead.Write(first.data(), first.size());
  char sink[4];
  partlyRead.Read(sink, sizeof sink);

  struct Case {
    vx::PXIpcStreamBuf* queue;
    size_t written;
  };
  for (Case c : {Case{&empty, 0}, Case{&adopted, first.size()}, Case{&partlyRead, first.size()}}) {
    vx::PXIpcStreamBuf& q = *c.queue;
    const std::string before = Content(q, c.written);
    const char* const storage = q.str();
    const size_t capacity = q.GetCapacity();
    const size_t waiting = q.out_waiting();
    const int points =
        TallyPoints(ForEachAllocationFailure([&] { q.Write(more.data(), more.size()); },
                                             [&] {
                                               EXPECT_EQ(q.str(), storage);
                                               EXPECT_EQ(Content(q, c.written), before);
                                               EXPECT_EQ(q.GetCapacity(), capacity);
                                               EXPECT_EQ(q.out_waiting(), waiting);
                                             }));
    EXPECT_EQ(points, 1);
    EXPECT_EQ(Content(q, c.written + more.size()), before + more);
    EXPECT_EQ(q.out_waiting(), waiting + more.size());
  }
}

TEST(PXIpcStreamBufFaults, FailedCopiesLeaveTheTargetAsItWas) {
  SKIP_WITHOUT_INJECTION();
  const std::string bytes = Pattern(30);
  vx::PXIpcStreamBuf source;
  source.Write(bytes.data(), bytes.size());
  char sink[5];
  source.Read(sink, sizeof sink);
  EXPECT_EQ(TallyPoints(ForEachAllocationFailure([&] {
              vx::PXIpcStreamBuf copy(source);
              EXPECT_EQ(copy.out_waiting(), bytes.size() - 5);
            })),
            1);

  vx::PXIpcStreamBuf target;
  target.Write("ab", 2);  // capacity 16, unlike the source's 60
  const char* const storage = target.str();
  EXPECT_EQ(TallyPoints(ForEachAllocationFailure([&] { target = source; },
                                                 [&] {
                                                   EXPECT_EQ(target.str(), storage);
                                                   EXPECT_EQ(Content(target, 2), "ab");
                                                   EXPECT_EQ(target.out_waiting(), 2u);
                                                 })),
            1);
  EXPECT_EQ(Content(target, bytes.size()), bytes);
  EXPECT_EQ(target.out_waiting(), bytes.size() - 5);
}

TEST(CMemReaderFaults, UnderrunStaysAnUnderrunWhenTheLoggerCannotAllocate) {
  SKIP_WITHOUT_INJECTION();
  const std::string bytes = Pattern(8);
  vx::CMemReader reader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  char buffer[16];
  testing::internal::CaptureStderr();
  for (long k = 1; k <= 8; ++k) {
    vxtest::ScopedAllocationFailure fail(k);
    EXPECT_THROW(reader.Read(buffer, sizeof buffer), tvc::TVCBufferUnderrunException) << k;
  }
  testing::internal::GetCapturedStderr();
  reader.Read(buffer, bytes.size());
  EXPECT_EQ(std::string(buffer, bytes.size()), bytes);
}

}  // namespace
