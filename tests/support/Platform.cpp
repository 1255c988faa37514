#include "support/Platform.h"

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#if defined(_WIN32)
# ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
# endif
# include <windows.h>
#else
# include <pthread.h>
# include <signal.h>
# include <sys/stat.h>
#endif

namespace vxtest {

bool LatinLocaleExpected() { return std::getenv("LOCPATH") != nullptr; }

const char* LatinLocale() {
  const char* name = nullptr;
  for (const char* candidate : {"en_US.ISO-8859-15", ".1252"}) {
    if (name == nullptr && std::setlocale(LC_CTYPE, candidate) != nullptr) name = candidate;
  }
  std::setlocale(LC_CTYPE, "C");
  return name;
}

#if defined(_WIN32)

// Wine's ntdll exports its version query; Windows' never has.
bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
long OpenFiles() { return 0; }
bool MakeFifo(const std::string&) { return false; }
long WhileInterrupted(std::thread&, const std::function<void()>& body) { return body(), 0; }
bool PendingPipeSignalSurvives(const std::function<void()>& write) { return write(), true; }

#else

static std::atomic<long> g_interruptions{0};  // lock-free: the signal handler counts

bool RunningUnderWine() { return false; }

long OpenFiles() {
  std::error_code none;
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd", none), {});
}

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

long WhileInterrupted(std::thread& other, const std::function<void()>& body) {
  struct sigaction action = {};
  action.sa_handler = [](int) { g_interruptions.fetch_add(1); };
  sigaction(SIGUSR1, &action, nullptr);
  const long before = g_interruptions;
  std::atomic<bool> stop{false};
  const pthread_t targets[] = {pthread_self(), other.native_handle()};
  std::thread sender([&] {
    for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
      for (pthread_t t : targets) pthread_kill(t, SIGUSR1);
  });
  body();
  stop = true;
  sender.join();
  return g_interruptions - before;
}

bool PendingPipeSignalSurvives(const std::function<void()>& write) {
  sigset_t pipe, old, pending;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  pthread_kill(pthread_self(), SIGPIPE);
  write();
  sigpending(&pending);
  const bool survived = sigismember(&pending, SIGPIPE) == 1;
  const timespec now = {0, 0};
  sigtimedwait(&pipe, nullptr, &now);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return survived;
}

#endif

}  // namespace vxtest
