#ifndef VEXLO_TESTS_SUPPORT_PLATFORM_H
#define VEXLO_TESTS_SUPPORT_PLATFORM_H

// What the tests need to know about the platform they run on, and the POSIX
// facilities that the file tests use where there are any: a test that needs
// one skips where the helper says it is missing.

#include <functional>
#include <string>
#include <thread>

namespace vxtest {

/// True when a Windows build runs under Wine rather than on Windows. Wine
/// departs from the documented Windows file API in a few corners; a test
/// that checks such a corner skips under Wine and says which:
///
///     if (vxtest::RunningUnderWine()) GTEST_SKIP() << "Wine moves past 4 GiB";
///
/// Always false outside Windows builds.
bool RunningUnderWine();

/// The name of a locale that changes the case of the Latin letters above
/// 0x7F: Latin-9 from the test setup (Linux), or code page 1252 (Windows);
/// null when there is none. Leaves LC_CTYPE at "C".
const char* LatinLocale();

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

/// Why no Latin locale could be set, for a skip; also a test failure where the
/// test setup built one (it points LOCPATH at it), so that a locale that
/// stopped loading cannot pass unnoticed.
const char* NoLatinLocale();

}  // namespace vxtest

/// Ends the current test (or helper) when no Latin locale could be set.
#define VXTEST_NO_LATIN_LOCALE() GTEST_SKIP() << vxtest::NoLatinLocale()

#endif  // VEXLO_TESTS_SUPPORT_PLATFORM_H
