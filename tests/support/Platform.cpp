#include "support/Platform.h"

#include <clocale>
#include <cstdlib>
#include <initializer_list>

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

const char* LatinLocale() {
  const char* name = nullptr;
  for (const char* candidate : {"en_US.ISO-8859-15", ".1252"}) {
    if (name == nullptr && std::setlocale(LC_CTYPE, candidate) != nullptr) name = candidate;
  }
  std::setlocale(LC_CTYPE, "C");
  return name;
}

}  // namespace vxtest
