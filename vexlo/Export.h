#ifndef VEXLO_EXPORT_H
#define VEXLO_EXPORT_H

/// \file
/// The library's one export macro.

/// \def VX_API
/// Marks a class, free function or data object as part of the library's
/// binary interface. The library is built with hidden visibility, so a
/// missing mark fails to link on every platform, as it would against the
/// Windows DLL. It is `__declspec(dllexport)` while the library is built on
/// Windows (`VX_BUILDING_LIBRARY`), `__declspec(dllimport)` for its users
/// there, default visibility elsewhere, and nothing in the static library
/// (`VX_STATIC`, which the CMake target `vexlo::vexlo` and `vexlo.pc` define
/// for every user).
#if defined(VX_STATIC)
# define VX_API
#elif defined(_WIN32) || defined(__CYGWIN__)
# if defined(VX_BUILDING_LIBRARY)
#  define VX_API __declspec(dllexport)
# else
#  define VX_API __declspec(dllimport)
# endif
#else
# define VX_API __attribute__((visibility("default")))
#endif

#endif  // VEXLO_EXPORT_H
