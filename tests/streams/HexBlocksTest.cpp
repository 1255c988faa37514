// The portable streams encode and decode whole blocks of 16 bytes with vector
// instructions where the processor has them, and the rest byte by byte. Here
// both parts are held against the plain hexadecimal text at every length
// around a block, and every character is tried at every place of a block.
#include <gtest/gtest.h>

#include <string>

#include "StreamFakes.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CStreamFormatException.h"

namespace {

using namespace vxtest;

TEST(PortableHexBlocks, BlocksAndTailsEncodeAndDecodeAsTheyStand) {
  for (size_t n = 0; n <= 70; ++n) {
    const std::string block = Pattern(n + 200).substr(200);
    RecordingWriter writer;
    vx::CPortableOutputStream out(&writer);
    out.PutN(block.data(), n);
    ASSERT_EQ(writer.All(), Hex(block)) << n;
    StringReader reader(writer.All());
    vx::CPortableInputStream in(&reader);
    std::string back(n, 'z');
    in.GetN(&back[0], n);
    EXPECT_EQ(back, block) << n;
  }
}

TEST(PortableHexBlocks, EveryCharacterAtEveryPlaceOfABlock) {
  const std::string block = Pattern(48);  // three blocks of 16 bytes
  for (int c = 0; c < 256; ++c) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 55 : -1;
    for (size_t at = static_cast<size_t>(c) % 7; at < 96; at += 7) {
      std::string text = Hex(block);
      text[at] = static_cast<char>(c);
      std::string expected = block;
      if (digit >= 0) {
        unsigned char& byte = reinterpret_cast<unsigned char&>(expected[at / 2]);
        byte = static_cast<unsigned char>(at % 2 == 0 ? (digit << 4) | (byte & 0x0F)
                                                      : (byte & 0xF0) | digit);
      }
      StringReader reader(text);
      vx::CPortableInputStream in(&reader);
      std::string back(block.size(), 'z');
      if (digit < 0) {
        ASSERT_THROW(in.GetN(&back[0], back.size()), vx::CStreamFormatException) << c << " " << at;
        ASSERT_EQ(back, std::string(block.size(), 'z'));
      } else {
        in.GetN(&back[0], back.size());
        ASSERT_EQ(back, expected) << c << " " << at;
      }
    }
  }
}

}  // namespace
