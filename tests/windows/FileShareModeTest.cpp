// What the file channels' share values do on Windows, where the file API
// enforces share modes (elsewhere no open is refused for sharing, so none of
// this can be seen there). The channels also run everywhere else; only this
// needs Windows.

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
# define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <filesystem>
#include <string>

#include "vexlo/vexlo.h"

namespace {

using vx::CFileReader;
using vx::CFileWriter;
using Share = vx::EFileShareCharacteristics;

// The share mode that `holder` opened `path` with, read back from what it lets
// another opener, which itself shares everything, do now.
template <class Channel>
DWORD GrantedBy(const Channel& holder, const std::string& path) {
  EXPECT_TRUE(holder.IsValid()) << "the holder opened " << path;
  const std::pair<DWORD, DWORD> probes[] = {{GENERIC_READ, FILE_SHARE_READ},
                                            {GENERIC_WRITE, FILE_SHARE_WRITE},
                                            {DELETE, FILE_SHARE_DELETE}};
  DWORD granted = 0;
  for (const auto& [access, share] : probes) {
    const HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      granted |= share;
      CloseHandle(h);
    }
  }
  return granted;
}

// Each holder is closed before the next row opens the file, so a handle left
// open would refuse the next opener.
TEST(FileShareMode, EachValueGrantsTheModeOfItsRowToOtherOpeners) {
  const std::string path =
      testing::TempDir() + "vexlo-share-" + std::to_string(GetCurrentProcessId());
  CFileWriter(path.c_str(), vx::EFileCreationDisposition::CreateAlways, Share::ShareNone);
  // A reader holds read access alone: a reader that lets others only read is let in beside it.
  {
    const CFileReader first(path.c_str(), Share::ShareRead);
    EXPECT_TRUE(first.IsValid()) << "the first reader";
    EXPECT_TRUE(CFileReader(path.c_str(), Share::ShareRead).IsValid()) << "a second reader";
  }
  // Out-of-range values share nothing, as 3 does.
  const std::pair<int, DWORD> rows[] = {
      {0, FILE_SHARE_DELETE}, {1, FILE_SHARE_WRITE}, {2, FILE_SHARE_READ}, {3, 0}, {7, 0}, {-1, 0}};
  for (const auto& [value, mode] : rows) {
    EXPECT_EQ(GrantedBy(CFileReader(path.c_str(), Share(value)), path), mode)
        << "a reader opened with share value " << value;
    const CFileWriter writer(path.c_str(), vx::EFileCreationDisposition::OpenExisting,
                             Share(value));
    EXPECT_EQ(GrantedBy(writer, path), mode) << "a writer opened with share value " << value;
    // The writer holds write access: a reader that lets others only read is refused beside it
    // (in row 2 for that reason alone).
    EXPECT_FALSE(CFileReader(path.c_str(), Share::ShareRead).IsValid())
        << "a reader beside the writer with share value " << value;
  }
  std::filesystem::remove(path);
}

}  // namespace
