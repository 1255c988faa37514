#ifndef VEXLO_STREAMS_INTERNAL_HOSTBYTEORDER_H
#define VEXLO_STREAMS_INTERNAL_HOSTBYTEORDER_H

/// \file
/// Internal to the library's streams: the one place that knows the host's
/// byte order.
///
/// Both stream formats put every value least significant byte first, and the
/// streams take those bytes straight from the value's in-memory form (the
/// binary stream hands the caller's own variable to the channel). That is
/// correct on a little-endian host only, which every target of the library
/// is; a big-endian build stops here instead of writing swapped values.

/// 1 when the host stores multi-byte values least significant byte first.
#if defined(_WIN32)
# define VEXLO_HOST_LITTLE_ENDIAN 1
#elif defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
# define VEXLO_HOST_LITTLE_ENDIAN (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
#else
# define VEXLO_HOST_LITTLE_ENDIAN 0
#endif

static_assert(VEXLO_HOST_LITTLE_ENDIAN,
              "the stream formats are little-endian and copy values as they lie in memory");

#endif  // VEXLO_STREAMS_INTERNAL_HOSTBYTEORDER_H
