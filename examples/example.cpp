// A tour of vx::VXString, one section per function: sharing and copy on
// write, editing, search, comparison and hashing, views and stripping.
#include <vexlo/vexlo.h>

#include <iostream>

namespace {

const char* YesNo(bool value) { return value ? "yes" : "no"; }

void Sharing() {
  std::cout << "== Sharing and copy on write ==\n";
  vx::VXString a("hello");
  vx::VXString b = a;  // no bytes copied: both hold one counted record
  std::cout << "b = a shares a's text:          " << YesNo(a.data() == b.data()) << '\n';
  b.append(", world");  // b copies the record before changing it
  std::cout << "after b.append:                 a = \"" << a << "\", b = \"" << b << "\"\n";
  b[0] = 'H';  // a writable index keeps b's record to b alone...
  vx::VXString c = b;
  std::cout << "a copy of an indexed string:    shares? " << YesNo(c.data() == b.data()) << '\n';
  b += '!';  // ...until the next edit, after which copies share again
  vx::VXString d = b;
  std::cout << "after an edit, a new copy:      shares? " << YesNo(d.data() == b.data()) << "\n\n";
}

void Editing() {
  std::cout << "== Editing ==\n";
  vx::VXString s("hello");
  std::cout << "replace(1, 3, \"ipp\"):  " << s.replace(1, 3, "ipp") << '\n';
  std::cout << "insert(0, \"a \"):       " << s.insert(0, "a ") << '\n';
  std::cout << "append('!', 3):        " << s.append('!', 3) << '\n';
  std::cout << "remove(0, 2):          " << s.remove(0, 2) << '\n';
  s.toUpper();
  std::cout << "toUpper():             " << s << '\n';
  vx::VXString grow;
  std::cout << "capacities while appending one byte at a time:";
  for (size_t last = 0; grow.length() < 100; grow += 'x') {
    if (grow.capacity() != last) std::cout << ' ' << (last = grow.capacity());
  }
  std::cout << "\n\n";
}

void Searching() {
  std::cout << "== Search ==\n";
  const vx::VXString s("The quick brown fox");
  std::cout << "first('o') = " << s.first('o') << ", last('o') = " << s.last('o') << '\n';
  std::cout << "first of any of \"xyz\" = " << s.first("xyz") << '\n';
  std::cout << "index(\"QUICK\") exact = " << (s.index("QUICK") == vx::NPOS ? "NPOS" : "found")
            << ", ignoring case = " << s.index("QUICK", 0, vx::VXString::IgnoreCase) << "\n\n";
}

void Comparing() {
  std::cout << "== Comparison and hash ==\n";
  const vx::VXString abc("abc");
  std::cout << "\"abc\" vs \"ABC\": exact " << (abc.compareTo("ABC") > 0 ? "positive" : "negative")
            << " ('a' is 0x61, 'A' 0x41), ignoring case "
            << abc.compareTo("ABC", vx::VXString::IgnoreCase) << '\n';
  std::cout << "\"abc\" vs \"abcd\": " << abc.compareTo("abcd") << " (shorter first)\n";
  std::cout << "abc == \"abc\": " << YesNo(abc == "abc") << ", hash = 0x" << std::hex << abc.hash()
            << std::dec << "\n\n";
}

void Views() {
  std::cout << "== Views and stripping ==\n";
  const vx::VXString padded("   key   ");
  const vx::VXSubString key = padded.strip(vx::VXString::Both, ' ');
  std::cout << "strip(Both, ' ') views " << key.length() << " bytes from " << key.start()
            << "; equals \"key\": " << YesNo(key == "key") << '\n';
  const vx::VXString owned = key;  // a view becomes a string of its own
  std::cout << "as a string: \"" << owned << "\", padded(3, 2) equals \"ke\": "
            << YesNo(padded(3, 2) == "ke") << '\n';
}

}  // namespace

int main() {
  Sharing();
  Editing();
  Searching();
  Comparing();
  Views();
  return 0;
}
