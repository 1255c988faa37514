// The README's ten-line tour: make a string, edit it, write a record with a
// portable stream into a file, read it back.
#include <vexlo/vexlo.h>

#include <cstdio>

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
  std::remove("tour.dat");
  return back == name ? 0 : 1;
}
