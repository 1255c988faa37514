#ifndef VEXLO_TVC_LOGERR_H
#define VEXLO_TVC_LOGERR_H

/// \file
/// The error logger of the support library (`tavric`), a library of its own
/// that `vexlo` links against, shared or static as `vexlo` is.

/// \def TVC_LOG_API
/// `VX_API` (vexlo/Export.h) for the support library: `TVC_BUILDING_TAVRIC`
/// while it is built, `TVC_STATIC` for its static build.
#if defined(TVC_STATIC)
# define TVC_LOG_API
#elif defined(_WIN32) || defined(__CYGWIN__)
# if defined(TVC_BUILDING_TAVRIC)
#  define TVC_LOG_API __declspec(dllexport)
# else
#  define TVC_LOG_API __declspec(dllimport)
# endif
#else
# define TVC_LOG_API __attribute__((visibility("default")))
#endif

namespace tvc {

/// Formats a message printf-style and writes it, as one line, to the standard
/// error stream.
///
/// The format follows the C runtime's printf conventions, extended by the
/// size prefixes of the Windows runtime, which the logger understands on
/// every platform: `%Iu`, `%Id`, `%Ix`, `%IX`, `%Io` take a `size_t` (or
/// `ptrdiff_t` for `%Id`/`%Ii`), `%I64u`, `%I64d`, ... a 64-bit integer and
/// `%I32u`, `%I32d`, ... a 32-bit one. A trailing newline is added when the
/// message has none. Each message reaches the stream in a single write, so
/// messages logged from several threads at once never interleave.
///
///     tvc::LogErr("read %Iu of %Iu bytes", got, wanted);
///
/// Never throws; a message that cannot be formatted is dropped.
TVC_LOG_API void LogErr(const char* format, ...);

}  // namespace tvc

#endif  // VEXLO_TVC_LOGERR_H
