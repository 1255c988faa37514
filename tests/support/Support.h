#ifndef VEXLO_TESTS_SUPPORT_SUPPORT_H
#define VEXLO_TESTS_SUPPORT_SUPPORT_H

// What the test programs share: the exception-safety harness over the failing
// allocator (support/FailingAllocator.h), a temporary directory, and what the
// tests need to know about the platform they run on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "support/FailingAllocator.h"
#include "support/Hex.h"

namespace vxtest {

/// Runs `operation` with the k-th allocation failing, for k = 1, 2, ... until
/// it completes without a failure. After every failed run, `checkUnchanged`
/// is called (the strong guarantee is checked there) and the count of live
/// allocations must equal the count before the run (nothing leaked). Reports a
/// test failure if an allocation failure escaped as anything but
/// std::bad_alloc, and stops after 10000 points:
///
///     vxtest::ForEachAllocationFailure([&] { s.append("more"); },
///                                      [&] { EXPECT_EQ(s, "before"); });
///
/// Where injection is not available (AllocationFailureInjectable()), the
/// operation runs once.
void ForEachAllocationFailure(const std::function<void()>& operation,
                              const std::function<void()>& checkUnchanged = {});

/// A directory of its own under the test's temporary directory, removed with
/// its content when it goes.
class TempDirectory {
 public:
  TempDirectory() { std::filesystem::create_directory(path); }
  ~TempDirectory() {
    std::error_code bestEffort;
    std::filesystem::remove_all(path, bestEffort);
  }
  TempDirectory(const TempDirectory&) = delete;  // one removal

  /// The path of `name` in the directory.
  std::string File(const std::string& name) const { return (path / name).string(); }

  /// The bytes of the file at `file`; "none" when there is no such file.
  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "none";
  }

  const std::filesystem::path path =
      testing::TempDir() + "vexlo-" + std::to_string(std::random_device()());
};

/// True in Windows builds.
bool Windows();

/// Runs `open`, which opens a channel on the file at `path`, and closes the
/// handle that the channel took underneath it: the one that an open of
/// `path` here had just freed, POSIX and Wine handing out the lowest free one.
void CloseUnderneath(const std::string& path, const std::function<void()>& open);

/// The name of a locale that changes the case of the Latin letters above
/// 0x7F: Latin-9 from the test setup (Linux), or code page 1252 (Windows);
/// null when there is none, which is also a test failure where the test setup
/// built one (it points LOCPATH at it), so that a locale that stopped loading
/// cannot pass unnoticed. Leaves LC_CTYPE at "C".
const char* LatinLocale();

/// The share modes that whoever holds `path` open now grants: bit 0 set when
/// another opener, which itself shares everything, may open it for reading,
/// bit 1 for writing, bit 2 for deleting (FILE_SHARE_READ, _WRITE, _DELETE).
/// 7 where the system enforces no share modes (POSIX).
unsigned SharesGranted(const std::string& path);

/// The files this process holds open, where the system lists them (Linux);
/// 0 elsewhere. A Windows build takes 0 also under Wine, whose descriptors
/// in the Linux list come and go as Wine likes.
long OpenFiles();

/// Makes a FIFO at `path`; false where there are none (Windows).
bool MakeFifo(const std::string& path);

/// Runs `body` while SIGUSR1 reaches the calling thread and `other` every
/// millisecond. Its handler is installed without SA_RESTART, so a blocked
/// open, read or write that it meets returns EINTR or a short count; it stays
/// installed afterwards, so that a signal still on its way finds it. Returns
/// the number of signals handled meanwhile (0 without POSIX signals, where
/// `body` runs alone).
long WhileInterrupted(std::thread& other, const std::function<void()>& body);

/// Runs `write` with a SIGPIPE pending and blocked in the calling thread and
/// tells whether it is still pending afterwards; then takes it back. True
/// without POSIX signals.
bool PendingPipeSignalSurvives(const std::function<void()>& write);

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_SUPPORT_H
