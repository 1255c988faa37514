// What the file channels' share values do on Windows, where the file API
// enforces share modes (elsewhere no open is refused for sharing, so none of
// this can be seen there).

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "support/Support.h"
#include "vexlo/vexlo.h"

namespace {

using namespace vx;
using Share = EFileShareCharacteristics;

// The share mode that the holder (open meanwhile) opened `path` with, read back from what it lets
// another opener, which itself shares everything, do now (all of it when the holder did not open).
DWORD GrantedBy(bool /*holder open*/, const char* path) {
  // What FILE_SHARE_READ (bit 0), FILE_SHARE_WRITE (bit 1) and FILE_SHARE_DELETE (bit 2) let.
  const DWORD accesses[] = {GENERIC_READ, GENERIC_WRITE, DELETE};
  DWORD granted = 0;
  for (int bit = 0; bit < 3; ++bit) {
    const HANDLE h = CreateFileA(path, accesses[bit], 7, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) granted |= 1 << bit, CloseHandle(h);
  }
  return granted;
}

// 0 grants deleting, 1 writing, 2 reading; out-of-range values none, as 3 does. Each holder is
// closed before the next value opens the file, so a handle left open would refuse the next opener.
// A reader holds read access alone: a second reader that lets others only read opens beside it;
// a writer holds write access, beside which that reader is refused (by 2 for that alone).
TEST(FileShareMode, EachValueGrantsItsModeToOtherOpeners) {
  const vxtest::TempDirectory dir;
  const std::string name = dir.File("shared");
  const char* const path = name.c_str();
  CFileWriter(path, EFileCreationDisposition::CreateAlways, Share::ShareNone);
  EXPECT_TRUE(CFileReader(path, Share::ShareRead) && CFileReader(path, Share::ShareRead));
  for (int value = -1; value < 8; ++value) {
    const DWORD mode = value >= 0 && value < 3 ? FILE_SHARE_DELETE >> value : 0;
    EXPECT_EQ(GrantedBy(CFileReader(path, Share(value)).IsValid(), path), mode) << value;
    const CFileWriter writer(path, EFileCreationDisposition::OpenExisting, Share(value));
    EXPECT_EQ(GrantedBy(writer.IsValid(), path), mode) << "writer " << value;
    EXPECT_FALSE(CFileReader(path, Share::ShareRead).IsValid()) << "beside " << value;
  }
}

}  // namespace
