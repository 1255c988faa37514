// The README's tour: make a string, edit it, write a record with a portable
// stream into a file, read it back, and read past its end. The consumer checks
// (tests/consumer) also build it against the installed library, the way
// another project would: exported classes, free operators, exported data
// (NPOS) and exception type information all cross the library boundary here.
#include <vexlo/vexlo.h>

#include <cstdio>
#include <cstring>

int main() {
  using namespace vx;
  VXString name("world");
  name.prepend("hello, ");
  name.toUpper();  // "HELLO, WORLD"
  {
    CFileWriter file("tour.dat", EFileCreationDisposition::CreateAlways,
                     EFileShareCharacteristics::ShareNone);
    CPortableOutputStream out(&file);
    out.PutInt(42);
    out << name;  // the text "2A000000" "0C00000000000000" "48454C4C..."
  }
  CFileReader file("tour.dat", EFileShareCharacteristics::ShareRead);
  CPortableInputStream in(&file);
  int answer = 0;
  VXString back;
  in.GetInt(answer);
  in >> back;
  std::printf("%d %s\n", answer, back.data());  // 42 HELLO, WORLD
  bool ended = false;
  try {
    in.GetInt(answer);  // nothing is left
  } catch (const tvc::TVCException& e) {
    ended = std::strcmp(e.what(), "Buffer underrun error during IPC/streaming") == 0;
  }
  std::remove("tour.dat");
  return back == name && back.index("MOON") == NPOS && ended ? 0 : 1;
}
