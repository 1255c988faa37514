// What the file channels' share values do on Windows, where the file API
// enforces share modes (elsewhere no open is refused for sharing, so none of
// this can be seen there).

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
# define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

namespace {

using namespace vx;
using Share = EFileShareCharacteristics;

// The share mode that `holder` opened `path` with, read back from what it lets another opener,
// which itself shares everything, do now (all of it when the holder did not open).
template <class Channel>
DWORD GrantedBy(const Channel& /*holder, open meanwhile*/, const std::string& path) {
  DWORD granted = 0;
  for (const auto& [access, share] : {std::pair<DWORD, DWORD>{GENERIC_READ, FILE_SHARE_READ},
                                      {GENERIC_WRITE, FILE_SHARE_WRITE},
                                      {DELETE, FILE_SHARE_DELETE}}) {
    const HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) granted |= share, CloseHandle(h);
  }
  return granted;
}

// Each value grants the mode of its row, out-of-range values none, as 3 does. Each holder is
// closed before the next row opens the file, so a handle left open would refuse the next opener.
// A reader holds read access alone: a second reader that lets others only read opens beside it;
// a writer holds write access, beside which that reader is refused (in row 2 for that alone).
TEST(FileShareMode, EachValueGrantsTheModeOfItsRowToOtherOpeners) {
  const vxtest::TempDirectory dir;
  const std::string path = dir.File("shared");
  CFileWriter(path.c_str(), EFileCreationDisposition::CreateAlways, Share::ShareNone);
  EXPECT_TRUE(CFileReader(path.c_str(), Share::ShareRead) &&
              CFileReader(path.c_str(), Share::ShareRead));
  const std::pair<int, DWORD> rows[] = {
      {0, FILE_SHARE_DELETE}, {1, FILE_SHARE_WRITE}, {2, FILE_SHARE_READ}, {3, 0}, {7, 0}, {-1, 0}};
  for (const auto& [value, mode] : rows) {
    EXPECT_EQ(GrantedBy(CFileReader(path.c_str(), Share(value)), path), mode) << "reader " << value;
    const CFileWriter writer(path.c_str(), EFileCreationDisposition::OpenExisting, Share(value));
    EXPECT_EQ(GrantedBy(writer, path), mode) << "writer " << value;
    EXPECT_FALSE(CFileReader(path.c_str(), Share::ShareRead).IsValid()) << "beside " << value;
  }
}

}  // namespace
