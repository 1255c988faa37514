// The benchmark program's entry point: Google Benchmark's own flags, plus
// --file_mib=N, which shrinks the file cases (256 MiB by default) for the
// smoke run, and the build facts that the report prints beside the machine.
//
// Before any case runs, main starts and joins one thread. From then on the
// C and C++ runtimes know the process is multi-threaded: libstdc++ skips the
// atomic instructions of its reference counts (old-ABI std::string,
// std::shared_ptr) while a process has never had a second thread, and every
// case is measured as a program with threads runs it, like the library,
// whose counts are always atomic.
//
// The C allocator is told to serve every block up to 32 MiB from its heap and
// to keep what is freed. Left to itself it maps large blocks fresh from the
// kernel until the first such block is freed, and then raises that limit: a
// case would pay page faults or not depending on which cases ran before it,
// which, with the repetitions run in random order, is chance. On this virtual
// machine one page fault costs more than copying the page.
#include <malloc.h>

#include <QtGlobal>
#include <boost/version.hpp>
#include <cereal/version.hpp>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"

namespace {

std::string CompilerName() {
#if defined(__clang__)
  return std::string("Clang ") + __clang_version__;
#elif defined(__GNUC__)
  return std::string("GCC ") + __VERSION__;
#else
  return "unknown";
#endif
}

}  // namespace

int main(int argc, char** argv) {
  static const char fileFlag[] = "--file_mib=";
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], fileFlag, sizeof fileFlag - 1) == 0) {
      vxbench::SetFileBytes(std::atoll(argv[i] + sizeof fileFlag - 1) * vxbench::MiB);
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
  std::thread([] {}).join();

  vxbench::RegisterFileBenchmarks();
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
    return 1;
  }
  benchmark::AddCustomContext("compiler", CompilerName());
#if defined(NDEBUG)
  benchmark::AddCustomContext("assertions", "off");
#else
  benchmark::AddCustomContext("assertions", "on");
#endif
  benchmark::AddCustomContext("qt_version", qVersion());
  benchmark::AddCustomContext("boost_version", BOOST_LIB_VERSION);
  benchmark::AddCustomContext("cereal_version", std::to_string(CEREAL_VERSION_MAJOR) + "." +
                                                    std::to_string(CEREAL_VERSION_MINOR) + "." +
                                                    std::to_string(CEREAL_VERSION_PATCH));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
