// On Windows `long` is 32 bits wide (LLP64), so the whole range of the
// platform's long and unsigned long must travel through the streams, in the
// same four bytes that every platform writes and reads.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "channels/ChannelTestSupport.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"

namespace {

using namespace vxtest;
using Disposition = vx::EFileCreationDisposition;
using Share = vx::EFileShareCharacteristics;

static_assert(sizeof(long) == 4 && sizeof(unsigned long) == 4, "Windows keeps long at 32 bits");
static_assert(sizeof(size_t) == 8, "the library ships as a 64-bit DLL");

// The last value's bytes are 00 0D 1A 0A: carriage return, the text-mode
// end-of-file mark and line feed, which a file opened in text mode would
// change.
void PutLongs(tvc::ITVCOutStream& out) {
  out.PutLong(LONG_MIN), out.PutLong(LONG_MAX), out.PutLong(-1);
  out.PutDWORD(ULONG_MAX), out.PutDWORD(0x0A1A0D00ul);
}

void ExpectLongs(tvc::ITVCInStream& in) {
  long l[3] = {};
  unsigned long d[2] = {};
  in.GetLong(l[0]), in.GetLong(l[1]), in.GetLong(l[2]), in.GetDWORD(d[0]), in.GetDWORD(d[1]);
  EXPECT_EQ(l[0], LONG_MIN);
  EXPECT_EQ(l[1], LONG_MAX);
  EXPECT_EQ(l[2], -1);
  EXPECT_EQ(d[0], ULONG_MAX);
  EXPECT_EQ(d[1], 0x0A1A0D00ul);
}

template <class Out, class In>
void RoundTripThroughAFile(const std::string& path, const Bytes& expectedFile) {
  {
    vx::CFileWriter writer(path.c_str(), Disposition::CreateAlways, Share::ShareNone);
    Out out(&writer);
    PutLongs(out);
    EXPECT_EQ(out.Tell(), 20u);
  }
  EXPECT_EQ(ReadFile(path), expectedFile);
  vx::CFileReader reader(path.c_str(), Share::ShareRead);
  In in(&reader);
  ExpectLongs(in);
}

TEST(WindowsLong, WholeRangeTravelsInFourBytesThroughFiles) {
  TempDirectory directory;
  const Bytes binary = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x0D, 0x1A, 0x0A};
  RoundTripThroughAFile<vx::CBinaryOutputStream, vx::CBinaryInputStream>(directory.File("binary"),
                                                                         binary);
  RoundTripThroughAFile<vx::CPortableOutputStream, vx::CPortableInputStream>(
      directory.File("portable"), Text("00000080FFFFFF7FFFFFFFFFFFFFFFFF000D1A0A"));
}

}  // namespace
