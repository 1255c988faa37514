// Uses the library only through its public header, as another project would:
// exported classes, free operators, exported data and exception type
// information must all reach across the library boundary.
#include <vexlo/vexlo.h>

#include <cstdio>
#include <cstring>

int main() {
  int failures = 0;
  auto check = [&failures](bool ok, const char* what) {
    if (!ok) {
      std::printf("consumer: FAILED %s\n", what);
      ++failures;
    }
  };

  vx::VXString text("hello");
  vx::VXString copy(text);
  check(copy.data() == text.data(), "copies share their text");
  check(text.first('z') == vx::NPOS, "NPOS is exported data");
  copy[0] = 'j';  // the writable index marks the record unshareable
  vx::VXString third(copy);
  check(third.data() != copy.data() && text == "hello", "copy on write and the unshareable mark");

  vx::CMemWriter writer;
  vx::CPortableOutputStream out(&writer);
  out << text;
  vx::CMemReader reader(writer.GetData(), writer.GetSize());
  vx::CPortableInputStream in(&reader);
  vx::VXString back;
  in >> back;
  check(back == text, "a string round-trips through the portable stream");
  try {
    in >> back;  // past the end: the reader logs and throws
    check(false, "reading past the end throws");
  } catch (const tvc::TVCException& e) {  // type information crosses the boundary
    check(std::strcmp(e.what(), "Buffer underrun error during IPC/streaming") == 0, "what()");
  }
  std::printf("consumer: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
