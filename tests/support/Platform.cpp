#include "support/Platform.h"

#include <cstdlib>

#if defined(_WIN32)
# ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
# endif
# include <windows.h>
#endif

namespace vxtest {

bool RunningUnderWine() {
#if defined(_WIN32)
  // Wine's ntdll exports its version query; Windows' never has.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

bool LatinLocaleExpected() { return std::getenv("LOCPATH") != nullptr; }

}  // namespace vxtest
