// Streams over a channel that fails: a writer or reader that throws on its
// k-th call, for every k. The streams must pass the fault on unchanged, count
// exactly what their rules say (the binary stream counts a put once its write
// returned, the portable stream before it writes), leave the bytes of earlier
// calls intact, stay usable, and leave every destination of a failed read
// as it was.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "faults/FaultyReader.h"
#include "faults/FaultyWriter.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/StreamOperators.h"
#include "vexlo/strings/VXString.h"

namespace {

using vxtest::ChannelFault;
using vxtest::FaultyReader;
using vxtest::FaultyWriter;

struct PutStep {
  const char* name;
  std::function<void(tvc::ITVCOutStream&)> put;
};

// One of every put, the string operators among them (two writes each).
std::vector<PutStep> PutScript() {
  static const std::string big(3000, 'q');  // past the portable stack scratch
  return {
      {"PutBool", [](tvc::ITVCOutStream& o) { o.PutBool(true); }},
      {"PutChar", [](tvc::ITVCOutStream& o) { o.PutChar('A'); }},
      {"PutBYTE", [](tvc::ITVCOutStream& o) { o.PutBYTE(0xA5); }},
      {"PutInt", [](tvc::ITVCOutStream& o) { o.PutInt(1000); }},
      {"PutUint", [](tvc::ITVCOutStream& o) { o.PutUint(3000000000u); }},
      {"PutShort", [](tvc::ITVCOutStream& o) { o.PutShort(-2); }},
      {"PutLong", [](tvc::ITVCOutStream& o) { o.PutLong(-100); }},
      {"PutDWORD", [](tvc::ITVCOutStream& o) { o.PutDWORD(0x12345678UL); }},
      {"PutWORD", [](tvc::ITVCOutStream& o) { o.PutWORD(0x1234); }},
      {"PutDouble", [](tvc::ITVCOutStream& o) { o.PutDouble(-2.5); }},
      {"PutInt64", [](tvc::ITVCOutStream& o) { o.PutInt64(std::int64_t{-2}); }},
      {"PutUint64", [](tvc::ITVCOutStream& o) { o.PutUint64(std::uint64_t{0x0102030405060708}); }},
      {"PutSizet", [](tvc::ITVCOutStream& o) { o.PutSizet(300); }},
      {"PutN", [](tvc::ITVCOutStream& o) { o.PutN("Hi!", 3); }},
      {"PutN empty", [](tvc::ITVCOutStream& o) { o.PutN(nullptr, 0); }},
      {"PutN large", [](tvc::ITVCOutStream& o) { o.PutN(big.data(), big.size()); }},
      {"<< VXString", [](tvc::ITVCOutStream& o) { o << vx::VXString("a\0b", 3); }},
      {"<< text", [](tvc::ITVCOutStream& o) { o << "abc"; }},
      {"PutLPCSTR", [](tvc::ITVCOutStream& o) { vx::PutLPCSTR(o, "abcdef", 2); }},
      {"<< CBitVector", [](tvc::ITVCOutStream& o) { o << vx::CBitVector(10, true); }},
  };
}

// What each step hands the writer, call by call, on a channel that works.
template <typename Stream>
std::vector<std::vector<std::string>> ReferenceCalls(const std::vector<PutStep>& script) {
  std::vector<std::vector<std::string>> calls;
  for (const PutStep& step : script) {
    FaultyWriter w;
    Stream out(&w);
    step.put(out);
    std::vector<std::string> mine;
    size_t at = 0;
    for (size_t size : w.sizes()) {
      mine.push_back(w.bytes().substr(at, size));
      at += size;
    }
    calls.push_back(mine);
  }
  return calls;
}

template <typename Stream>
struct OutputTraits;
template <>
struct OutputTraits<vx::CBinaryOutputStream> {
  static constexpr size_t kCharsPerByte = 1;
  static constexpr bool kCountsBeforeWriting = false;
};
template <>
struct OutputTraits<vx::CPortableOutputStream> {
  static constexpr size_t kCharsPerByte = 2;
  static constexpr bool kCountsBeforeWriting = true;
};

template <typename Stream>
class OutputChannelFault : public testing::Test {};
using OutputStreams = testing::Types<vx::CBinaryOutputStream, vx::CPortableOutputStream>;
struct OutputStreamNames {
  template <typename Stream>
  static std::string GetName(int) {
    return std::is_same_v<Stream, vx::CBinaryOutputStream> ? "Binary" : "Portable";
  }
};
TYPED_TEST_SUITE(OutputChannelFault, OutputStreams, OutputStreamNames);

TYPED_TEST(OutputChannelFault, EveryWriteFailingInTurn) {
  using Traits = OutputTraits<TypeParam>;
  const std::vector<PutStep> script = PutScript();
  const auto reference = ReferenceCalls<TypeParam>(script);
  int total = 0;
  for (const auto& calls : reference) total += static_cast<int>(calls.size());
  // The string forms and the bit vector write twice.
  ASSERT_EQ(total, static_cast<int>(script.size()) + 4);

  for (int k = 1; k <= total; ++k) {
    SCOPED_TRACE("write " + std::to_string(k) + " fails");
    FaultyWriter w(k);
    TypeParam out(&w);
    std::string expectedBytes;
    size_t expectedTell = 0;
    int call = 0;
    for (size_t s = 0; s < script.size(); ++s) {
      bool expectFault = false;
      for (const std::string& bytes : reference[s]) {
        const size_t width = bytes.size() / Traits::kCharsPerByte;
        if (++call == k) {
          if (Traits::kCountsBeforeWriting) expectedTell += width;
          expectFault = true;
          break;
        }
        expectedBytes += bytes;
        expectedTell += width;
      }
      if (expectFault) {
        EXPECT_THROW(script[s].put(out), ChannelFault) << script[s].name;
      } else {
        EXPECT_NO_THROW(script[s].put(out)) << script[s].name;
      }
      ASSERT_EQ(out.Tell(), expectedTell) << "after " << script[s].name;
    }
    EXPECT_EQ(w.bytes(), expectedBytes);
  }
}

// The input side: what the portable stream wrote, read back while the k-th
// read fails. A failed get leaves its destination alone, and asking again
// reads the value, since the reader consumed nothing.
TEST(InputChannelFault, EveryReadFailingInTurn) {
  FaultyWriter source;
  vx::CPortableOutputStream out(&source);
  const std::string big(3000, 'q');
  out.PutInt(-7);
  out.PutBool(true);
  out.PutDouble(0.25);
  out.PutN(big.data(), big.size());
  out << vx::VXString("text", 4);
  out << vx::VXString(big.c_str());
  out << vx::VXString("ptr", 3);
  vx::CBitVector bits(10);
  bits.Set(0);
  bits.Set(9);
  out << bits;
  const std::string text = source.bytes();
  constexpr int kReads = 12;  // four gets, then four counted values of two reads each

  int reads = 0;
  {
    FaultyReader r(text);
    vx::CPortableInputStream in(&r);
    int i;
    bool b;
    double d;
    std::string block(big.size(), '\0');
    vx::VXString s1, s2, *p = nullptr;
    vx::CBitVector v;
    in.GetInt(i);
    in.GetBool(b);
    in.GetDouble(d);
    in.GetN(&block[0], block.size());
    in >> s1 >> s2 >> p >> v;
    delete p;
    reads = r.calls();
  }
  ASSERT_EQ(reads, kReads);

  for (int k = 1; k <= reads; ++k) {
    SCOPED_TRACE("read " + std::to_string(k) + " fails");
    FaultyReader r(text, k);
    vx::CPortableInputStream in(&r);
    // Runs a get; on the fault, checks that `unchanged` holds and runs `again`.
    auto get = [&](const std::function<void()>& once, const std::function<bool()>& unchanged,
                   const std::function<void()>& again) {
      try {
        once();
      } catch (const ChannelFault&) {
        EXPECT_TRUE(unchanged());
        again();
      }
    };
    int i = 42;
    get([&] { in.GetInt(i); }, [&] { return i == 42; }, [&] { in.GetInt(i); });
    EXPECT_EQ(i, -7);
    bool b = false;
    get([&] { in.GetBool(b); }, [&] { return !b; }, [&] { in.GetBool(b); });
    EXPECT_TRUE(b);
    double d = 9.0;
    get([&] { in.GetDouble(d); }, [&] { return d == 9.0; }, [&] { in.GetDouble(d); });
    EXPECT_EQ(d, 0.25);
    std::string block(big.size(), '-');
    get([&] { in.GetN(&block[0], block.size()); },
        [&] { return block == std::string(big.size(), '-'); },
        [&] { in.GetN(&block[0], block.size()); });
    EXPECT_EQ(block, big);
    // A string read that fails after its length leaves the text to be read
    // as a block.
    for (const std::string& expected : {std::string("text"), big}) {
      vx::VXString s("old");
      const int before = r.calls();
      get([&] { in >> s; }, [&] { return s == "old"; },
          [&] {
            if (r.calls() == before + 1) {
              in >> s;  // the length failed: read the whole string again
            } else {
              std::string rest(expected.size(), '\0');
              in.GetN(&rest[0], rest.size());
              s = rest.c_str();
            }
          });
      EXPECT_EQ(std::string(s.data(), s.length()), expected);
    }
    vx::VXString* p = nullptr;
    vx::VXString* const sentinel = reinterpret_cast<vx::VXString*>(&b);
    p = sentinel;
    const int before = r.calls();
    get([&] { in >> p; }, [&] { return p == sentinel; },
        [&] {
          if (r.calls() == before + 1) {
            in >> p;
          } else {
            char rest[3];
            in.GetN(rest, 3);
            p = new vx::VXString(rest, 3);
          }
        });
    ASSERT_NE(p, sentinel);
    EXPECT_EQ(*p, "ptr");
    delete p;
    vx::CBitVector v(3, true);
    const int beforeBits = r.calls();
    get([&] { in >> v; }, [&] { return v == vx::CBitVector(3, true); },
        [&] {
          if (r.calls() == beforeBits + 1) {
            in >> v;
          } else {
            unsigned char packed[2];
            in.GetN(packed, 2);
            EXPECT_EQ(packed[0], 0x01);
            EXPECT_EQ(packed[1], 0x02);
            v = bits;
          }
        });
    EXPECT_EQ(v, bits);
    EXPECT_EQ(r.position(), text.size());
  }
}

}  // namespace
