// A tour of the library, one section per function: vx::VXString (sharing
// and copy on write, editing, search, comparison and hashing, views and
// stripping), then the typed streams (the portable text and the binary
// layout of one record, through a file and through memory).
#include <vexlo/vexlo.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

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
  std::cout << "as a string: \"" << owned
            << "\", padded(3, 2) equals \"ke\": " << YesNo(padded(3, 2) == "ke") << '\n';
}

// ---- Typed streams -------------------------------------------------------

// A record of the kind components exchange: a few fundamental values, a
// string that holds a NUL byte, a text and a bit vector.
struct Record {
  int count = 0;
  bool flag = false;
  short delta = 0;
  double ratio = 0;
  vx::VXString name;
  vx::VXString note;  // put as a NUL-terminated text, read back as a string
  vx::CBitVector bits;
};

const char* const kFieldLabels[] = {"PutInt(1000)",     "PutBool(true)",     "PutShort(-2)",
                                    "PutDouble(-2.5)",  "<< name (3 bytes)", "<< note.data()",
                                    "<< bits (10 bits)"};

// Puts the record, noting Tell() after each field so that the output can be
// cut into fields: Tell() counts value bytes in both formats.
std::vector<size_t> PutRecord(tvc::ITVCOutStream& out, const Record& r) {
  std::vector<size_t> ends;
  out.PutInt(r.count), ends.push_back(out.Tell());
  out.PutBool(r.flag), ends.push_back(out.Tell());
  out.PutShort(r.delta), ends.push_back(out.Tell());
  out.PutDouble(r.ratio), ends.push_back(out.Tell());
  out << r.name, ends.push_back(out.Tell());         // its length, then its bytes
  out << r.note.data(), ends.push_back(out.Tell());  // the same form, up to the NUL
  out << r.bits, ends.push_back(out.Tell());         // its bit count, then the bits
  return ends;
}

void GetRecord(tvc::ITVCInStream& in, Record& r) {
  in.GetInt(r.count), in.GetBool(r.flag), in.GetShort(r.delta), in.GetDouble(r.ratio);
  in >> r.name >> r.note >> r.bits;
}

void PrintRecord(const Record& r) {
  std::cout << "  count=" << r.count << " flag=" << (r.flag ? "true" : "false")
            << " delta=" << r.delta << " ratio=" << r.ratio << " name=\"";
  for (char c : r.name) std::cout << (c == '\0' ? "\\0" : std::string(1, c));
  std::cout << "\" (" << r.name.length() << " bytes) note=\"" << r.note << "\" bits=";
  for (size_t i = 0; i < r.bits.Size(); ++i) std::cout << (r.bits.Test(i) ? '1' : '0');
  std::cout << '\n';
}

// Shows the output field by field: two characters per value byte of text,
// or the raw bytes in hex. Strings and bit vectors are two values, a length
// or count and then the bytes, split by a bar.
void PrintFields(const char* output, const std::vector<size_t>& ends, bool text) {
  size_t from = 0;
  for (size_t f = 0; f < ends.size(); ++f) {
    std::string shown;
    for (size_t i = from; i < ends[f]; ++i) {
      if (i == from + 8 && f >= 4) shown += text ? " | " : "| ";
      if (text) {
        shown.append(output + 2 * i, 2);
      } else {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(output[i]));
        shown += hex;
      }
    }
    if (!shown.empty() && shown.back() == ' ') shown.pop_back();
    std::printf("  %-18s %s\n", kFieldLabels[f], shown.c_str());
    from = ends[f];
  }
}

void Streams() {
  std::cout << "\n== Typed streams ==\nThe record:\n";
  Record record;
  record.count = 1000;
  record.flag = true;
  record.delta = -2;
  record.ratio = -2.5;
  record.name = vx::VXString("a\0b", 3);
  record.note = "hi";
  record.bits = vx::CBitVector(10);
  record.bits.Set(0), record.bits.Set(2), record.bits.Set(9);
  PrintRecord(record);

  std::random_device random;
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("vexlo-example-" + std::to_string(random()));
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "record.txt").string();
  std::vector<size_t> ends;
  {
    vx::CFileWriter file(path.c_str(), vx::EFileCreationDisposition::CreateAlways,
                         vx::EFileShareCharacteristics::ShareNone);
    vx::CPortableOutputStream out(&file);
    ends = PutRecord(out, record);
  }
  std::string text(2 * ends.back(), '\0');
  {
    vx::CFileReader file(path.c_str(), vx::EFileShareCharacteristics::ShareRead);
    file.Read(&text[0], text.size());
  }
  std::cout << "\nPortable text, written through CPortableOutputStream + CFileWriter:\n  " << text
            << "\nEvery value byte is two upper-case hex digits, least significant "
            << "byte first;\na bool is the character T (54) or F (46). Field by field:\n";
  PrintFields(text.data(), ends, true);
  std::cout << "  Tell() = " << ends.back() << " value bytes; the file holds " << text.size()
            << " characters\n";

  std::cout << "\nRead back through CFileReader + CPortableInputStream:\n";
  Record back;
  int extra = 7;
  {
    vx::CFileReader file(path.c_str(), vx::EFileShareCharacteristics::ShareRead);
    vx::CPortableInputStream in(&file);
    GetRecord(in, back);
    PrintRecord(back);
    try {
      in.GetInt(extra);
    } catch (const tvc::TVCBufferUnderrunException& e) {
      std::cout << "  one more GetInt throws \"" << e.what() << "\"; the int keeps " << extra
                << '\n';
    }
  }
  std::filesystem::remove_all(directory);

  std::cout << "\nBinary layout, written through CBinaryOutputStream into a CMemStreamBuf:\n"
            << "the same bytes raw; a bool is 01 or 00.\n";
  vx::CMemStreamBuf buffer;
  vx::CBinaryOutputStream binary(buffer);
  ends = PutRecord(binary, record);
  PrintFields(buffer.str(), ends, false);
  std::cout << "  out_waiting() = " << buffer.out_waiting() << " bytes\n";

  std::cout << "\nRead back through a read buffer and CBinaryInputStream; one GetInt too\n"
            << "many makes the memory reader log the failure (on stderr) and throw:\n";
  vx::CMemStreamBuf readBuffer(buffer.str(), buffer.out_waiting());
  vx::CBinaryInputStream binaryIn(readBuffer);
  GetRecord(binaryIn, back);
  PrintRecord(back);
  std::cout.flush();
  try {
    binaryIn.GetInt(extra);
  } catch (const tvc::TVCBufferUnderrunException& e) {
    std::cout << "  \"" << e.what() << "\"\n";
  }
}

}  // namespace

int main() {
  Sharing();
  Editing();
  Searching();
  Comparing();
  Views();
  Streams();
  return 0;
}
