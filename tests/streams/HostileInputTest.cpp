// Arbitrary bytes from another process: whatever a channel holds, a get
// either delivers a value or throws one of the documented exceptions with
// the destination untouched, and nothing leaks. Run under the asan preset,
// this is also the memory-safety check of the decoders.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <string>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using vxtest::StringReader;

enum class Outcome { kValue, kUnderrun, kMalformed, kNoMemory };

// Runs one get; on any failure checks that the destination's bytes are the
// sentinel they were set to.
template <class T>
Outcome Get(const std::function<void(T&)>& get) {
  T value;
  std::memset(static_cast<void*>(&value), 0xA7, sizeof value);
  unsigned char before[sizeof(T)];
  std::memcpy(before, &value, sizeof value);
  try {
    get(value);
    return Outcome::kValue;
  } catch (const tvc::TVCBufferUnderrunException&) {
    EXPECT_EQ(std::memcmp(before, &value, sizeof value), 0);
    return Outcome::kUnderrun;
  } catch (const vx::CStreamFormatException&) {
    EXPECT_EQ(std::memcmp(before, &value, sizeof value), 0);
    return Outcome::kMalformed;
  } catch (const std::bad_alloc&) {
    EXPECT_EQ(std::memcmp(before, &value, sizeof value), 0);
    return Outcome::kNoMemory;
  }
}

// Random content, half of the time drawn mostly from the hexadecimal
// alphabet so that the portable decoder gets past the first character.
std::string RandomContent(std::mt19937& rng) {
  static const char kAlphabet[] = "0123456789ABCDEF";
  std::uniform_int_distribution<int> length(0, 80);
  std::uniform_int_distribution<int> byte(0, 255);
  const bool hexish = rng() % 2 == 0;
  std::string s(static_cast<size_t>(length(rng)), '\0');
  for (char& c : s) {
    c = hexish && rng() % 50 != 0 ? kAlphabet[rng() % 16] : static_cast<char>(byte(rng));
  }
  return s;
}

template <class Stream>
void Hammer(unsigned seed, int rounds) {
  std::mt19937 rng(seed);
  int outcomes[4] = {};
  for (int round = 0; round < rounds; ++round) {
    StringReader reader(RandomContent(rng));
    reader.sizes.reserve(64);
    const long live = vxtest::LiveAllocations();
    {
      Stream stream(&reader);
      for (int step = 0; step < 12; ++step) {
        Outcome o = Outcome::kValue;
        switch (rng() % 12) {
          case 0:
            o = Get<bool>([&](bool& v) { stream.GetBool(v); });
            break;
          case 1:
            o = Get<char>([&](char& v) { stream.GetChar(v); });
            break;
          case 2:
            o = Get<short>([&](short& v) { stream.GetShort(v); });
            break;
          case 3:
            o = Get<int>([&](int& v) { stream.GetInt(v); });
            break;
          case 4:
            o = Get<long>([&](long& v) { stream.GetLong(v); });
            break;
          case 5:
            o = Get<unsigned long>([&](unsigned long& v) { stream.GetDWORD(v); });
            break;
          case 6:
            o = Get<double>([&](double& v) { stream.GetDouble(v); });
            break;
          case 7:
            o = Get<std::uint64_t>([&](std::uint64_t& v) { stream.GetUint64(v); });
            break;
          case 8:
            o = Get<size_t>([&](size_t& v) { stream.GetSizet(v); });
            break;
          case 9: {
            const size_t n = rng() % 20;
            o = Get<unsigned char[20]>([&](unsigned char(&v)[20]) { stream.GetN(v, n); });
            break;
          }
          default: {
            vx::CBitVector v(5, true);
            const vx::CBitVector before = v;
            try {
              v.ReadFrom(stream);
              o = Outcome::kValue;
            } catch (const tvc::TVCBufferUnderrunException&) {
              o = Outcome::kUnderrun;
            } catch (const vx::CStreamFormatException&) {
              o = Outcome::kMalformed;
            } catch (const std::bad_alloc&) {
              o = Outcome::kNoMemory;
            }
            if (o != Outcome::kValue) {
              EXPECT_EQ(v, before);
            }
            break;
          }
        }
        ++outcomes[static_cast<int>(o)];
      }
    }
    ASSERT_EQ(vxtest::LiveAllocations(), live) << "round " << round;
    ASSERT_FALSE(::testing::Test::HasFailure()) << "round " << round;
  }
  // The generator must reach every kind of outcome, or the test proves
  // little.
  EXPECT_GT(outcomes[static_cast<int>(Outcome::kValue)], 0);
  EXPECT_GT(outcomes[static_cast<int>(Outcome::kUnderrun)], 0);
  EXPECT_GT(outcomes[static_cast<int>(Outcome::kMalformed)], 0);
  EXPECT_GT(outcomes[static_cast<int>(Outcome::kNoMemory)], 0) << "huge bit counts";
}

TEST(HostileInput, PortableStreamDecodesOrRejectsAnyBytes) {
  Hammer<vx::CPortableInputStream>(20240601u, 3000);
}

TEST(HostileInput, BinaryStreamDecodesOrRejectsAnyBytes) {
  Hammer<vx::CBinaryInputStream>(20240602u, 3000);
}

}  // namespace
