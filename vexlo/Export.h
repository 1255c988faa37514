#ifndef VEXLO_EXPORT_H
#define VEXLO_EXPORT_H

/// \file
/// The library's one export macro.
///
/// `VX_API` marks every class, free function and data object that forms the
/// library's binary interface. The library is built with hidden visibility,
/// so anything without `VX_API` stays internal on every platform: a missing
/// export fails to link here just as it would against the Windows DLL.
///
/// - Building the library (CMake defines `VX_BUILDING_LIBRARY`): on Windows
///   `__declspec(dllexport)`, elsewhere default visibility.
/// - Using the library: on Windows `__declspec(dllimport)`, elsewhere default
///   visibility, so that type information and vtables of the exported
///   polymorphic and exception classes are shared across the boundary.
/// - The static library (`VX_STATIC`, defined for the library and for every
///   user by the CMake target `vexlo::vexlo` and by `vexlo.pc`): nothing.
///   There is no boundary; the library's code becomes part of the program.

/// \def VX_API
/// Marks a declaration as part of the library's binary interface.
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
