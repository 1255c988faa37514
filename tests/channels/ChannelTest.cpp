// The channels: every writer against every reader with each allocation of
// each call failing in turn, the capacities that copies and assignments take,
// the memory channels' limits, the file channels' dispositions and handles.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <typeinfo>

#include "support/AllocationFailure.h"
#include "support/Platform.h"
#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

namespace {

using namespace vx;
using namespace vxtest;
using Underrun = tvc::TVCBufferUnderrunException;
using Share = EFileShareCharacteristics;
using Disposition = EFileCreationDisposition;
using Call = std::function<void()>;
constexpr size_t kLargest = PTRDIFF_MAX, k4G = size_t{1} << 32;

// Runs `call` with each of its allocations failing in turn, also one that it swallows (the logger
// does): `state` must then read as before, and neither a block nor a file may be left open.
void EachFailing(
    const Call& call, const std::function<std::string()>& state = [] { return ""; }) {
  const auto all = [&] { return std::to_string(OpenFiles()) + ":" + state(); };
  const std::string before = all();
  ForEachAllocationFailure(
      [&] {
        call();
        if (AllocationFailureFired()) throw std::bad_alloc();
      },
      [&] { EXPECT_EQ(all(), before) << "after a failed allocation"; });
}

// A memory writer's bytes (then "!" if the terminator is missing) and capacity; a queue's bytes
// from its start, as many as wait, and capacity.
std::string State(const CMemWriter& w) {
  const std::string bytes(reinterpret_cast<const char*>(w.GetData()), w.GetSize());
  return bytes + (w.GetData()[w.GetSize()] ? "!|" : "|") + std::to_string(w.GetCapacity());
}
std::string State(PXIpcStreamBuf& q) {
  return (q.str() ? std::string(q.str(), q.out_waiting()) : "") + "|" +
         std::to_string(q.GetCapacity());
}

// The documented growth rules: a memory writer takes capacity + capacity / 2 or the size needed,
// whichever is more, for the content and then for the terminator; the queue allocates 16 first,
// or twice a count of 8 or more, and then 3 * (capacity + count) / 2 when the count does not fit.
// A file's position is what was written.
size_t MemoryRule(size_t c, size_t used, size_t n) {
  for (size_t need : {used + n, used + n + 1}) c = n && need > c ? std::max(c + c / 2, need) : c;
  return c;
}
size_t QueueRule(size_t c, size_t used, size_t n) {
  if (c == 0) return n < 8 ? 16 : 2 * n;
  return used + n > c ? 3 * (c + n) / 2 : c;
}
size_t FileRule(size_t, size_t used, size_t n) { return used + n; }

// Each writer, from its documented first capacity, takes blocks of the room it has left less one,
// exactly that, one more, its own bytes in place (which its growth frees) and more than half its
// capacity again; the file writer through a copy, which shares its position. Each reader reads
// them back in pieces of 2^k - 1 bytes; asked for one byte more than is left it throws, a file
// reader with the rest in place, the others having copied and consumed nothing. Every constructor
// that allocates fails cleanly, also that of a reader that owns its bytes.
TEST(Channels, EachReaderGivesBackWhatEachWriterHoldsAndAFailedCallChangesNothing) {
  TempDirectory dir;
  const std::string path = dir.File("written"), copied = dir.File("copied");
  CMemWriter memory;
  CMemStreamBuf device;
  const auto& inDevice = dynamic_cast<const CMemWriter&>(*device.GetWriter());
  PXIpcStreamBuf queue;
  CFileWriter file(path.c_str(), Disposition::CreateNew, Share::ShareRead), copy = file;
  EachFailing([&] {
    CMemWriter(9), CMemWriter("ab", 2), CMemStreamBuf(), CMemStreamBuf("ab", 2),
        CMemReader(new unsigned char[2], 2, true), CFileReader(path.c_str(), Share::ShareRead),
        CFileWriter(copied.c_str(), Disposition::CreateAlways, Share::ShareNone);
  });
  struct Kind {
    tvc::ITVCBinaryWriter* writer;
    std::function<std::string()> state;  // as State(); a file's bytes and position
    std::function<const void*()> own;    // its bytes in place, if it has any
    size_t capacity;
    size_t (*rule)(size_t, size_t, size_t);
  } kinds[] = {
      {&memory, [&] { return State(memory); }, [&] { return memory.GetData(); }, 1, MemoryRule},
      {device.GetWriter(), [&] { return State(inDevice); }, [&] { return device.str(); }, 1025,
       MemoryRule},
      {&queue, [&] { return State(queue); }, [&] { return queue.str(); }, 0, QueueRule},
      {&copy,
       [&] { return TempDirectory::Read(path) + "|" + std::to_string(file.GetCurrentPosition()); },
       [] { return nullptr; }, 0, FileRule},
  };
  for (Kind& k : kinds) {
    SCOPED_TRACE(testing::Message() << "writer " << &k - kinds);
    std::string held;
    for (size_t step = 0; step < 12; ++step) {
      size_t room = 0, extra[] = {0, 1, 2, 0, k.capacity};
      while (k.rule(k.capacity, held.size(), room + 1) == k.capacity) ++room;
      std::string block(std::max(room + extra[step % 5], size_t{1}) - 1, '\0');
      for (char& c : block) c = static_cast<char>(std::rand());
      if (step % 5 == 3) block = held;
      const void* data = step % 5 == 3 && k.own() ? k.own() : block.data();
      EachFailing([&] { k.writer->Write(data, block.size()); }, k.state);
      k.capacity = k.rule(k.capacity, held.size(), block.size());
      held += block;
      ASSERT_EQ(k.state(), held + "|" + std::to_string(k.capacity)) << "step " << step;
    }
    std::ofstream(copied, std::ios::binary) << held;
    auto* const bytes = std::copy(held.begin(), held.end(), new unsigned char[held.size()]);
    CMemReader owning = [&] {  // a copy of the owner, which goes
      const CMemReader owner(bytes - held.size(), held.size(), true);
      return CMemReader(owner);
    }();
    CMemStreamBuf over(held.data(), held.size());
    PXIpcStreamBuf through;
    through.Write(held.data(), held.size());
    CFileReader in(copied.c_str(), Share::ShareRead);
    tvc::ITVCBinaryReader* const readers[] = {&owning, over.GetReader(), &through, &in};
    for (tvc::ITVCBinaryReader* const& reader : readers) {
      SCOPED_TRACE(testing::Message() << "reader " << &reader - readers);
      std::string got(held.size() + 1, '.');
      size_t at = 0;
      for (size_t piece = 0; at + piece < held.size(); at += piece, piece = 2 * piece + 1)
        EachFailing([&] { reader->Read(&got[at], piece); }, [&] { return got; });
      const std::string before = got;
      EachFailing([&] { EXPECT_THROW(reader->Read(&got[at], held.size() - at + 1), Underrun); },
                  [&] { return got; });
      EXPECT_EQ(got == before, reader != &in) << "what a failed Read left in place";
      if (reader != &in) reader->Read(&got[at], held.size() - at);
      EXPECT_EQ(got, held + ".");
      EXPECT_THROW(reader->Read(&got[0], 1), Underrun);
      reader->Read(nullptr, 0);
    }
    EXPECT_TRUE(!*over.str() && !over.out_waiting() && !over.GetWriter() && !device.GetReader());
  }
}

// Assignment reuses the target's storage when it has the room (a writer: the source's size + 1
// bytes; a queue: the source's capacity exactly), else allocates exactly that before it lets the
// old storage go; a copy has exactly that. Self-assignment changes nothing. The largest buffer is
// PTRDIFF_MAX bytes: a size beyond it is refused with std::length_error (a writer) or
// std::bad_array_new_length (the queue: a first count above half of it, a growth that overflows
// or exceeds it), the largest size within it left to the allocator, which refuses it with a plain
// std::bad_alloc; either way nothing changes and `data` is not read.
TEST(Channels, CopiesAssignmentsAndWritesTakeExactlyTheRoomTheyNeed) {
  CMemWriter source("0123456789", 10);
  PXIpcStreamBuf queue, empty;
  queue.Write("0123456789", 10);  // in 20 bytes
  queue.Read(std::string(3, '\0').data(), 3);
  for (size_t room : {10, 11, 12}) {
    SCOPED_TRACE(testing::Message() << "room for " << room << " bytes");
    CMemWriter target(room - 1);
    PXIpcStreamBuf into(new char[room + 9](), static_cast<int>(room + 9));
    target.Write("ab", 2);
    const void* const kept[] = {target.GetData(), into.str()};
    EachFailing([&] { target = source, target = *&target; }, [&] { return State(target); });
    EachFailing([&] { into = queue, into = *&into; }, [&] { return State(into); });
    CMemWriter copy(target);
    PXIpcStreamBuf queueCopy(into);
    std::ostringstream seen;  // in order: `into` is emptied last
    seen << State(target) << (target.GetData() == kept[0]) << State(into) << (into.str() == kept[1])
         << State(copy) << State(queueCopy) << State(into = empty);
    EXPECT_EQ(seen.str(), "0123456789|" + std::to_string(std::max<size_t>(room, 11)) +
                              (room < 11 ? "0" : "1") + "0123456|20" + (room == 11 ? "1" : "0") +
                              "0123456789|110123456|20|0");
  }
  const size_t kSum = kLargest / 3 * 2 + 1;  // the largest capacity + count that grows within it
  EXPECT_THROW(CMemWriter{kLargest}, std::length_error);
  EXPECT_THROW(source.Write("x", kLargest - 10), std::length_error);
  EXPECT_THROW(empty.Write("x", kLargest / 2 + 1), std::bad_array_new_length);
  EXPECT_THROW(queue.Write("x", kLargest - 19), std::bad_array_new_length);
  EXPECT_THROW(queue.Write("x", kSum - 19), std::bad_array_new_length);
  // Within the largest buffer, the allocator refuses: a plain std::bad_alloc.
  const auto plain = [](const Call& call) {
    EXPECT_THROW(
        try { call(); } catch (const std::bad_array_new_length&){}, std::bad_alloc);
  };
  plain([] { CMemWriter{kLargest - 1}; });
  plain([&] { source.Write("x", kLargest - 11); });
  plain([&] { empty.Write("x", kLargest / 2); });
  plain([&] { queue.Write("x", kSum - 20); });
  EXPECT_EQ(State(source) + State(queue) + State(empty), "0123456789|110123456|20|0");
}

// Each disposition on a file of ten bytes and on a missing file: what writing "ab" leaves there;
// one out of range opens nothing, a reader no missing file, none of them a directory. Copies share
// one handle and one position; a refused Seek on any of them closes it for all. Open closes the
// old file for every copy and opens the new one for this writer alone; a failure to allocate comes
// first and changes nothing, and no reopening or assignment leaves a file open. A count that the
// 32-bit platform cannot take is refused: a Read asks for 0 and throws, a Write writes nothing. A
// channel without a file answers 0 and does nothing.
TEST(FileChannels, DispositionsAndCopiesThatShareOneHandleAndPosition) {
  TempDirectory dir;
  std::ostringstream seen;
  for (int d : {0, 1, 2, 3, 4, 7}) {
    for (const char* before : {"0123456789", ""}) {
      const std::string path = dir.File(std::to_string(d) + before);
      if (*before) std::ofstream(path) << before;
      CFileWriter(path.c_str(), Disposition(d), Share::ShareNone).Write("ab", 2);
      seen << TempDirectory::Read(path) << ' ';
    }
    seen << CFileWriter(dir.path.string().c_str(), Disposition(d), Share::ShareNone).IsValid()
         << ' ';
  }
  const std::string ten = dir.File("70123456789"), three = dir.File("three");
  std::ofstream(three) << "abc";
  const long open = OpenFiles();
  CFileReader in(ten.c_str(), Share::ShareRead), copy(three.c_str(), Share::ShareRead);
  copy = in;  // three's only holder lets it go
  seen << CFileReader(dir.path.string().c_str(), Share::ShareRead).IsValid()
       << CFileReader(dir.File("none").c_str(), Share::ShareRead).IsValid() << ' '
       << in.Seek(0, ESeekStart::End) << ' ' << copy.Seek(-3, ESeekStart::Current) << ' '
       << in.Seek(4, ESeekStart(5)) << ' ' << copy.GetCurrentPosition();
  EXPECT_THROW(in.Read(nullptr, k4G), Underrun);
  seen << ' ' << copy.Seek(-1, ESeekStart::Begin) << in.IsValid() << in.GetCurrentPosition();
  EXPECT_EQ(seen.str(),
            "ab ab 0 0123456789 ab 0 ab23456789 ab 0 ab23456789 none 0 ab none 0 0123456789 none 0 "
            "00 10 7 4 4 000");
  CFileWriter out(three.c_str(), Disposition::OpenExisting, Share::ShareNone), outCopy = out, none;
  out.Write("AB", 2);
  EachFailing([&] { out.Open(ten.c_str(), Disposition::TruncateExisting, Share::ShareNone); },
              [&] { return std::to_string(out.GetCurrentPosition()) + std::to_string(!outCopy); });
  out.Write("xyz", k4G + 3);
  out.Write("xyz", 3);
  for (int reopened = 0; reopened < 3; ++reopened) {
    outCopy = out;
    out.Open(three.c_str(), Disposition::OpenExisting, Share::ShareNone);
  }
  EXPECT_EQ(OpenFiles(), open == 0 ? 0 : open + 1) << "a file given up stayed open";
  out.Close();
  none.Write("x", 1);
  none.Close();
  seen.str("");
  seen << outCopy.IsValid() << out.Seek(1, ESeekStart::Begin) << out.GetCurrentPosition()
       << none.Seek(1, ESeekStart::Begin) << none.GetCurrentPosition() << !out << !none
       << TempDirectory::Read(ten) << TempDirectory::Read(three);
  EXPECT_EQ(seen.str(), "0000011xyzABc");
}

}  // namespace
