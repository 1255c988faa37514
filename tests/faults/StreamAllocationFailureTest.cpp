// The typed streams over memory channels whose growth fails: every
// allocation of every put failing in turn. The failure reaches the caller as
// std::bad_alloc, the channel keeps every byte of the earlier puts and adds
// none, the count follows each stream's rule (the binary stream counts a put
// once written, the portable stream before writing), and the stream stays
// usable.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "faults/FaultTally.h"
#include "support/AllocationFailure.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"

namespace {

using vxtest::ForEachAllocationFailure;
using vxtest::TallyPoints;

struct Put {
  const char* name;
  size_t width;
  std::function<void(tvc::ITVCOutStream&)> put;
};

std::vector<Put> Puts() {
  static const std::string block(3000, 'b');
  return {
      {"PutBool", 1, [](tvc::ITVCOutStream& o) { o.PutBool(false); }},
      {"PutChar", 1, [](tvc::ITVCOutStream& o) { o.PutChar('c'); }},
      {"PutBYTE", 1, [](tvc::ITVCOutStream& o) { o.PutBYTE(0xFE); }},
      {"PutInt", 4, [](tvc::ITVCOutStream& o) { o.PutInt(-5); }},
      {"PutUint", 4, [](tvc::ITVCOutStream& o) { o.PutUint(5u); }},
      {"PutShort", 2, [](tvc::ITVCOutStream& o) { o.PutShort(-3); }},
      {"PutLong", 4, [](tvc::ITVCOutStream& o) { o.PutLong(-7); }},
      {"PutDWORD", 4, [](tvc::ITVCOutStream& o) { o.PutDWORD(7); }},
      {"PutWORD", 2, [](tvc::ITVCOutStream& o) { o.PutWORD(9); }},
      {"PutDouble", 8, [](tvc::ITVCOutStream& o) { o.PutDouble(0.5); }},
      {"PutInt64", 8, [](tvc::ITVCOutStream& o) { o.PutInt64(std::int64_t{-1}); }},
      {"PutUint64", 8, [](tvc::ITVCOutStream& o) { o.PutUint64(std::uint64_t{1}); }},
      {"PutSizet", 8, [](tvc::ITVCOutStream& o) { o.PutSizet(size_t{2}); }},
      {"PutN", 5, [](tvc::ITVCOutStream& o) { o.PutN("12345", 5); }},
      {"PutN large", block.size(),
       [](tvc::ITVCOutStream& o) { o.PutN(block.data(), block.size()); }},
  };
}

template <typename Stream>
struct Counting;
template <>
struct Counting<vx::CBinaryOutputStream> {
  static constexpr bool kBeforeWriting = false;
};
template <>
struct Counting<vx::CPortableOutputStream> {
  static constexpr bool kBeforeWriting = true;
};

// A memory writer or an IPC queue, full, so that the next write must grow.
template <typename Channel>
struct FullChannel;
template <>
struct FullChannel<vx::CMemWriter> {
  vx::CMemWriter channel{"seed", 4};
  std::string Bytes() const {
    return std::string(reinterpret_cast<const char*>(channel.GetData()), channel.GetSize());
  }
};
template <>
struct FullChannel<vx::PXIpcStreamBuf> {
  FullChannel() { channel.Write("seed", 4); }
  vx::PXIpcStreamBuf channel;
  std::string Bytes() { return std::string(channel.str(), channel.out_waiting()); }
  void Fill() {
    // Fill the queue up to its capacity, so that the next write grows it.
    while (channel.out_waiting() < channel.GetCapacity()) channel.Write("f", 1);
  }
};

template <typename Pair>
class PutOverGrowingChannel : public testing::Test {};

template <typename S, typename C>
struct StreamOver {
  using Stream = S;
  using Channel = C;
};
using Pairs = testing::Types<StreamOver<vx::CBinaryOutputStream, vx::CMemWriter>,
                             StreamOver<vx::CPortableOutputStream, vx::CMemWriter>,
                             StreamOver<vx::CBinaryOutputStream, vx::PXIpcStreamBuf>,
                             StreamOver<vx::CPortableOutputStream, vx::PXIpcStreamBuf>>;
struct PairNames {
  template <typename Pair>
  static std::string GetName(int) {
    const bool binary = std::is_same_v<typename Pair::Stream, vx::CBinaryOutputStream>;
    const bool queue = std::is_same_v<typename Pair::Channel, vx::PXIpcStreamBuf>;
    return std::string(binary ? "Binary" : "Portable") + (queue ? "OverQueue" : "OverMemWriter");
  }
};
TYPED_TEST_SUITE(PutOverGrowingChannel, Pairs, PairNames);

TYPED_TEST(PutOverGrowingChannel, EveryPutFailsCleanlyAtEveryAllocation) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  using Stream = typename TypeParam::Stream;
  using Channel = typename TypeParam::Channel;
  for (const Put& put : Puts()) {
    SCOPED_TRACE(put.name);
    FullChannel<Channel> full;
    if constexpr (std::is_same_v<Channel, vx::PXIpcStreamBuf>) full.Fill();
    Stream out(&full.channel);
    const std::string before = full.Bytes();
    size_t expectedTell = 0;
    const int points = TallyPoints(ForEachAllocationFailure(
        [&] {
          if (Counting<Stream>::kBeforeWriting) expectedTell += put.width;
          put.put(out);
        },
        [&] {
          EXPECT_EQ(full.Bytes(), before);
          EXPECT_EQ(out.Tell(), expectedTell);
        }));
    EXPECT_GE(points, 1);
    if (!Counting<Stream>::kBeforeWriting) expectedTell += put.width;
    EXPECT_EQ(out.Tell(), expectedTell);
    EXPECT_EQ(full.Bytes().substr(0, before.size()), before);
    const size_t charsPerByte = Counting<Stream>::kBeforeWriting ? 2 : 1;
    EXPECT_EQ(full.Bytes().size(), before.size() + charsPerByte * put.width);
  }
}

}  // namespace
