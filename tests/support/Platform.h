#ifndef VEXLO_TESTS_SUPPORT_PLATFORM_H
#define VEXLO_TESTS_SUPPORT_PLATFORM_H

// What the tests need to know about the platform they run on.

namespace vxtest {

/// True when a Windows build runs under Wine rather than on Windows. Wine
/// departs from the documented Windows file API in a few corners; a test
/// that checks such a corner skips under Wine and says which:
///
///     if (vxtest::RunningUnderWine()) GTEST_SKIP() << "Wine moves past 4 GiB";
///
/// Always false outside Windows builds.
bool RunningUnderWine();

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_PLATFORM_H
