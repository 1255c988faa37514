#ifndef VEXLO_BENCHMARKS_COWSTRING_H
#define VEXLO_BENCHMARKS_COWSTRING_H

/// \file
/// The reference-counted, copy-on-write `std::string` of libstdc++'s old ABI,
/// behind a plain interface.
///
/// The benchmark program and Google Benchmark are built with the new ABI, in
/// which `std::string` copies its bytes. CowString.cpp alone is built with
/// `_GLIBCXX_USE_CXX11_ABI=0`; this header mentions no standard string type,
/// so the two ABIs never meet in one declaration. A string of the old ABI is
/// one pointer to its shared record, and lives in place inside a `CowString`:
/// copying a handle costs what copying the old string costs (one call, one
/// atomic increment) and nothing else.
///
///     vxbench::CowString a = vxbench::CowString::FromBytes("abc", 3);
///     vxbench::CowString b(a);          // shares a's record
///     b.PushBack('d');                    // detaches b; a still reads "abc"

#include <cstddef>

namespace vxbench {

class CowString {
 public:
  /// The empty string (the library's shared empty record; no allocation).
  CowString();
  /// A string holding a copy of the `size` bytes at `data`.
  static CowString FromBytes(const char* data, size_t size);

  /// Shares `other`'s record: one atomic increment, no byte copied.
  CowString(const CowString& other);
  CowString& operator=(const CowString& other);
  /// Gives the record up: one atomic decrement; the last holder frees it.
  ~CowString();

  /// Appends one byte (detaching first when the record is shared).
  void PushBack(char c);
  size_t Size() const;
  const char* Data() const;

 private:
  // Room for the old ABI's string object: a single pointer. CowString.cpp
  // checks the size and the alignment.
  alignas(void*) unsigned char storage_[sizeof(void*)];
};

}  // namespace vxbench

#endif  // VEXLO_BENCHMARKS_COWSTRING_H
