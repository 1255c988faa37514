// The input streams' length limit: a string or bit vector that announces more
// bytes than the limit is refused before anything is allocated, with the
// target unchanged; one at the limit reads as usual; GetN is not limited.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "support/FailingAllocator.h"
#include "vexlo/vexlo.h"

using namespace vx;

namespace {

constexpr size_t kLimit = 5000;  // above the 4096 bytes kept on the stack

// The channel's bytes for `length` announced and `present` bytes that follow.
std::string Encoded(bool portable, std::uint64_t length, size_t present) {
  CMemWriter writer;
  CBinaryOutputStream binary(writer);
  CPortableOutputStream text(&writer);
  tvc::ITVCOutStream& out = portable ? static_cast<tvc::ITVCOutStream&>(text) : binary;
  out.PutUint64(length);
  out.PutN(std::string(present, 'q').data(), present);
  return std::string(reinterpret_cast<const char*>(writer.GetData()), writer.GetSize());
}

// Reads into `target` with every allocation failing when `refused` (the read must fail before
// it allocates); a failed read leaves the target as it was. Answers its size.
template <class T, class Size>
std::string ReadInto(tvc::ITVCInStream& in, bool refused, T target, Size size) {
  const T kept = target;
  try {
    const vxtest::ScopedAllocationFailure nothingAllocated(refused ? 1 : 0);
    in >> target;
  } catch (...) {
    EXPECT_EQ(target, kept) << "a refused read changed its target";
    throw;
  }
  return std::to_string(size(target));
}

using Read = std::string (*)(tvc::ITVCInStream&, bool refused);
struct Target {
  const char* name;
  size_t bytesPerUnit;  // a length counts bytes, a bit vector's count bits
  Read read;
};

const Target kTargets[] = {
    {"VXString", 1,
     [](tvc::ITVCInStream& in, bool refused) {
       return ReadInto(in, refused, VXString("kept"), [](const VXString& s) { return s.length(); });
     }},
    {"VXString*", 1,
     [](tvc::ITVCInStream& in, bool refused) {
       VXString kept("kept");
       return ReadInto(in, refused, &kept,
                       [](VXString* made) { return std::unique_ptr<VXString>(made)->length(); });
     }},
    {"CBitVector", 8,
     [](tvc::ITVCInStream& in, bool refused) {
       return ReadInto(in, refused, CBitVector(3, true),
                       [](const CBitVector& v) { return v.Size(); });
     }},
};

// A reader over `encoded` and both input streams on it, limited to `limit`;
// `in(portable)` is the one of that format.
struct Limited {
  Limited(std::string encoded, size_t limit)
      : bytes(std::move(encoded)),
        reader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) {
    binary.SetLengthLimit(limit);
    text.SetLengthLimit(limit);
  }
  tvc::ITVCInStream& in(bool portable) {
    return portable ? static_cast<tvc::ITVCInStream&>(text) : binary;
  }
  std::string bytes;
  CMemReader reader;
  CBinaryInputStream binary{reader};
  CPortableInputStream text{&reader};
};

}  // namespace

TEST(LengthLimit, RefusesLongerTargetsBeforeAllocatingAnything) {
  for (bool portable : {false, true}) {
    for (const Target& t : kTargets) {
      const std::string name = std::string(portable ? "portable " : "binary ") + t.name;
      // At the limit: read whole. A bit count just above 8 * limit implies
      // one byte more than the limit.
      const std::uint64_t atLimit = kLimit * t.bytesPerUnit;
      EXPECT_EQ(t.read(Limited(Encoded(portable, atLimit, kLimit), kLimit).in(portable), false),
                std::to_string(atLimit))
          << name;
      for (std::uint64_t length : {atLimit + 1, std::uint64_t{1} << 40, UINT64_MAX}) {
        Limited limited(Encoded(portable, length, 0), kLimit);
        const long live = vxtest::LiveAllocations();
        char what[256] = "nothing thrown";  // no allocation between the two counts
        try {
          t.read(limited.in(portable), true);
        } catch (const CStreamFormatException& e) {
          std::snprintf(what, sizeof what, "%s", e.what());
        } catch (const std::exception& e) {
          std::snprintf(what, sizeof what, "wrong exception: %s", e.what());
        }
        EXPECT_FALSE(vxtest::AllocationFailureFired()) << name << " allocated";
        EXPECT_EQ(vxtest::LiveAllocations(), live) << name;
        const std::uint64_t bytes = length / t.bytesPerUnit + (length % t.bytesPerUnit != 0);
        EXPECT_NE(std::string(what).find("a length of " + std::to_string(bytes) + " bytes"),
                  std::string::npos)
            << name << ": " << what;
        EXPECT_NE(std::string(what).find("limit of 5000 bytes"), std::string::npos)
            << name << ": " << what;
      }
    }
  }
}

// A stream derived from one of the library's keeps its limit.
TEST(LengthLimit, HoldsForDerivedStreams) {
  struct DerivedText : CPortableInputStream {
    using CPortableInputStream::CPortableInputStream;
  };
  struct DerivedBinary : CBinaryInputStream {
    using CBinaryInputStream::CBinaryInputStream;
  };
  for (bool portable : {false, true}) {
    const std::string bytes = Encoded(portable, 3, 3);
    CMemReader reader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    DerivedText text(&reader);
    DerivedBinary binary(&reader);
    text.SetLengthLimit(2);
    binary.SetLengthLimit(2);
    VXString s;
    EXPECT_THROW(portable ? text >> s : binary >> s, CStreamFormatException) << portable;
  }
}

// The limit belongs to the library's streams: a stream of the caller's own,
// here one that passes every get on to a limited stream, has none. Without a
// limit, a length that no array can have is refused as `new` refuses it,
// before anything is allocated.
TEST(LengthLimit, IsTheStreamsOwnAndWithoutItNoImpossibleLengthAllocates) {
  struct Forwarding : tvc::ITVCInStream {
    explicit Forwarding(tvc::ITVCInStream& to) : in(to) {}
    void GetBool(bool& v) override { in.GetBool(v); }
    void GetChar(char& v) override { in.GetChar(v); }
    void GetBYTE(unsigned char& v) override { in.GetBYTE(v); }
    void GetInt(int& v) override { in.GetInt(v); }
    void GetUint(unsigned int& v) override { in.GetUint(v); }
    void GetShort(short& v) override { in.GetShort(v); }
    void GetLong(long& v) override { in.GetLong(v); }
    void GetDWORD(unsigned long& v) override { in.GetDWORD(v); }
    void GetWORD(unsigned short& v) override { in.GetWORD(v); }
    void GetDouble(double& v) override { in.GetDouble(v); }
    void GetInt64(std::int64_t& v) override { in.GetInt64(v); }
    void GetUint64(std::uint64_t& v) override { in.GetUint64(v); }
    void GetSizet(size_t& v) override { in.GetSizet(v); }
    void GetN(void* data, size_t count) override { in.GetN(data, count); }
    tvc::ITVCInStream& in;
  };
  Limited limited(Encoded(false, 3, 3), 2);
  Limited unlimited(Encoded(false, std::uint64_t{1} << 63, 0), SIZE_MAX);
  Forwarding own(limited.binary);
  VXString s;
  own >> s;
  EXPECT_EQ(s, "qqq");
  const long live = vxtest::LiveAllocations();
  EXPECT_THROW(unlimited.binary >> s, std::bad_array_new_length);
  EXPECT_EQ(vxtest::LiveAllocations(), live);
  EXPECT_EQ(s, "qqq");
}

// The limit starts unlimited, copies take it along, and GetN ignores it.
TEST(LengthLimit, StartsUnlimitedTravelsWithCopiesAndLeavesGetNAlone) {
  const std::string bytes = Encoded(true, 0, kLimit + 1).substr(16);
  CMemReader reader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  CPortableInputStream text(&reader);
  CBinaryInputStream binary(reader);
  EXPECT_EQ(text.GetLengthLimit(), SIZE_MAX);
  EXPECT_EQ(binary.GetLengthLimit(), SIZE_MAX);
  text.SetLengthLimit(7);
  binary.SetLengthLimit(9);
  EXPECT_EQ(CPortableInputStream(text).GetLengthLimit(), 7u);
  EXPECT_EQ(CBinaryInputStream(binary).GetLengthLimit(), 9u);
  std::string block(kLimit + 1, '\0');
  text.GetN(&block[0], block.size());
  EXPECT_EQ(block, std::string(kLimit + 1, 'q'));
}
