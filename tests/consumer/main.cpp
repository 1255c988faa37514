// Uses the library only through its public header, as another project would:
// exported classes, free operators, exported data (NPOS) and exception type
// information must all reach across the library boundary.
#include <vexlo/vexlo.h>

#include <cstdio>
#include <cstring>

int main() {
  vx::VXString text("hello"), copy(text);
  const vx::VXString shared(text);
  copy[0] = 'j';  // the writable index marks the record unshareable
  const vx::VXString third(copy);
  vx::CMemWriter writer;
  vx::CPortableOutputStream out(&writer);
  out << text;
  vx::CMemReader reader(writer.GetData(), writer.GetSize());
  vx::CPortableInputStream in(&reader);
  vx::VXString back;
  in >> back;
  bool caught = false;
  try {
    in >> back;  // past the end: the reader logs and throws
  } catch (const tvc::TVCException& e) {
    caught = std::strcmp(e.what(), "Buffer underrun error during IPC/streaming") == 0;
  }
  const bool ok = shared.data() == text.data() && text.first('z') == vx::NPOS &&
                  third.data() != copy.data() && text == "hello" && back == text && caught;
  std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
