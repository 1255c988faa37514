#include "support/Support.h"

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <initializer_list>
#include <new>

#if defined(_WIN32)
# define WIN32_LEAN_AND_MEAN
# include <windows.h>
#else
# include <fcntl.h>
# include <pthread.h>
# include <signal.h>
# include <sys/stat.h>
# include <unistd.h>
#endif

namespace vxtest {

void ForEachAllocationFailure(const std::function<void()>& operation,
                              const std::function<void()>& checkUnchanged) {
  constexpr int kMaxPoints = 10000;
  for (int k = 1; k <= kMaxPoints; ++k) {
    const long before = LiveAllocations();
    try {
      const ScopedAllocationFailure arm(k);
      operation();
      return;
    } catch (const std::exception& e) {
      // Only the injected std::bad_alloc counts (`arm` disarms but leaves that it fired).
      if (!AllocationFailureFired() || dynamic_cast<const std::bad_alloc*>(&e) == nullptr) {
        ADD_FAILURE() << "allocation failure " << k << " escaped as: " << e.what();
        return;
      }
    }
    if (checkUnchanged) checkUnchanged();
    EXPECT_EQ(LiveAllocations(), before) << "leak after allocation failure " << k;
  }
  ADD_FAILURE() << "operation still allocating after " << kMaxPoints << " failure points";
}

const char* LatinLocale() {
  for (const char* name : {"en_US.ISO-8859-15", ".1252"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr) return std::setlocale(LC_CTYPE, "C"), name;
  }
  if (std::getenv("LOCPATH") != nullptr) ADD_FAILURE() << "the Latin-9 locale built did not load";
  return nullptr;
}

#if defined(_WIN32)

bool Windows() { return true; }
void CloseUnderneath(const std::string& path, const std::function<void()>& open) {
  const HANDLE raw = CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_ALWAYS, 0, nullptr);
  CloseHandle(raw), open(), CloseHandle(raw);
}
unsigned SharesGranted(const std::string& path) {
  const DWORD accesses[] = {GENERIC_READ, GENERIC_WRITE, DELETE};
  unsigned granted = 0;
  for (unsigned bit = 0; bit < 3; ++bit) {
    const HANDLE h = CreateFileA(path.c_str(), accesses[bit], 7, nullptr, OPEN_EXISTING, 0, {});
    if (h != INVALID_HANDLE_VALUE) granted |= 1u << bit, CloseHandle(h);
  }
  return granted;
}
long OpenFiles() { return 0; }
bool MakeFifo(const std::string&) { return false; }
long WhileInterrupted(std::thread&, const std::function<void()>& body) { return body(), 0; }
bool PendingPipeSignalSurvives(const std::function<void()>& write) { return write(), true; }

#else

static std::atomic<long> g_interruptions{0};  // lock-free: the signal handler counts

bool Windows() { return false; }
unsigned SharesGranted(const std::string&) { return 7; }

void CloseUnderneath(const std::string& path, const std::function<void()>& open) {
  const int raw = ::open(path.c_str(), O_RDONLY | O_CREAT, 0600);
  ::close(raw), open(), ::close(raw);
}

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
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  pthread_kill(pthread_self(), SIGPIPE);
  write();
  const timespec now = {0, 0};
  const bool survived = sigtimedwait(&pipe, nullptr, &now) == SIGPIPE;  // takes it back
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return survived;
}

#endif

}  // namespace vxtest
