// Built with _GLIBCXX_USE_CXX11_ABI=0: here std::string is libstdc++'s
// reference-counted string. See CowString.h.
#include "CowString.h"

#include <new>
#include <string>

#if _GLIBCXX_USE_CXX11_ABI
# error "CowString.cpp must be built with _GLIBCXX_USE_CXX11_ABI=0"
#endif

namespace vxbench {
namespace {

static_assert(sizeof(std::string) == sizeof(void*),
              "the old-ABI string is expected to be a single pointer");
static_assert(alignof(std::string) <= alignof(void*), "storage alignment too small");

std::string& Str(unsigned char* storage) {
  return *std::launder(reinterpret_cast<std::string*>(storage));
}

const std::string& Str(const unsigned char* storage) {
  return *std::launder(reinterpret_cast<const std::string*>(storage));
}

}  // namespace

CowString::CowString() { new (storage_) std::string(); }

CowString CowString::FromBytes(const char* data, size_t size) {
  CowString result;
  Str(result.storage_).assign(data, size);
  return result;
}

CowString::CowString(const CowString& other) { new (storage_) std::string(Str(other.storage_)); }

CowString& CowString::operator=(const CowString& other) {
  Str(storage_) = Str(other.storage_);
  return *this;
}

CowString::~CowString() {
  using String = std::string;
  Str(storage_).~String();
}

void CowString::PushBack(char c) { Str(storage_).push_back(c); }

size_t CowString::Size() const { return Str(storage_).size(); }

const char* CowString::Data() const { return Str(storage_).data(); }

}  // namespace vxbench
