// Round-trip fuzz target: values and strings that the input picks are written
// with both output streams (binary and portable) onto a channel that the
// input picks, and read back with the input streams.
//
// Input layout:
//   byte 0   channels: bits 0-1 the writer under the binary stream, bits 2-3
//            the writer under the portable stream (0 memory writer, 1 memory
//            writer with an initial size, 2 IPC queue, 3 memory device);
//            bit 4: the portable bytes are read back from a memory device
//            instead of a memory reader (or the queue itself)
//   then     items until the input ends: a type byte, a byte that picks the
//            reader of the width group, a byte that picks the string target,
//            then the value's bytes, a text for the string forms, or packed
//            bits and a bit count for a bit vector
//
// Checked: after every put, Tell() is the sum of the widths put (8 + n for a
// string of n bytes); the binary channel holds exactly the little-endian
// bytes of the values and the portable channel exactly their upper-case hex
// digits ("54"/"46" for bools), so their sizes are Tell() and 2 x Tell();
// every value reads back equal through any reader of its width group, every
// string as the text its form puts; and then both channels are exhausted.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/support/FuzzAllocator.h"
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzTally.h"
#include "fuzz/support/ModelText.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/StreamOperators.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using vxfuzz::FuzzInput;
namespace model = vxfuzz::model;

enum Kind : unsigned {
  kBool,
  kChar,
  kByte,
  kInt,
  kUint,
  kShort,
  kLong,
  kDword,
  kWord,
  kDouble,
  kInt64,
  kUint64,
  kSizet,
  kBlock,
  kString,
  kText,
  kLimitedText,
  kCopyStreams,
  kBits,
  kKinds
};

enum Counter { kInputs, kValues, kBytes };

vxfuzz::FuzzTally& Tally() {
  static vxfuzz::FuzzTally tally("round_trip");
  return tally;
}

constexpr std::size_t kWidth[] = {1, 1, 1, 4, 4, 2, 4, 4, 2, 8, 8, 8, 8};

struct Item {
  Kind kind = kBool;
  std::uint64_t bits = 0;  // the value's bytes, least significant first; a bit count
  std::string text;        // block, string, NUL-terminated text, or packed bits
  std::size_t maxLength = 0;
  unsigned reader = 0;  // which member of the width group reads it back
  bool intoPointer = false;
  bool value = false;  // the bool put

  // The bytes that the item carries as values, and their count for Tell().
  std::string Carried() const {
    switch (kind) {
      case kBlock:
        return text;
      case kString:
        return text;
      case kText:
        return model::UpToNul(text);
      case kLimitedText:
        return model::UpToNul(text).substr(0, maxLength);
      default:
        return std::string();
    }
  }
};

// One writer of the kinds a stream can run on, the bytes it holds, and the
// capacity that its documented growth rule gives after each write.
class Sink {
 public:
  explicit Sink(unsigned kind, std::size_t initialSize) : kind_(kind % 4) {
    switch (kind_) {
      case 0:
        mem_.emplace();
        capacity_ = 1;
        break;
      case 1:
        mem_.emplace(initialSize);
        capacity_ = initialSize + 1;
        break;
      case 2:
        ipc_.emplace();
        break;
      default:
        device_ = std::make_unique<vx::CMemStreamBuf>(initialSize);
        break;
    }
  }

  // Follows one Write of `count` bytes with the growth rules: the memory
  // writer grows its content, then its terminator, each time to the larger of
  // half again and the size needed; the queue starts at 16 bytes (or twice a
  // first write of 8 and more) and grows to 3/2 of capacity plus count.
  void Written(std::size_t count) {
    if (mem_) {
      if (count == 0) return;
      const std::size_t content = written_ + count;
      if (count > 1 && content > capacity_)
        capacity_ = std::max(capacity_ + capacity_ / 2, content);
      if (content + 1 > capacity_) capacity_ = std::max(capacity_ + capacity_ / 2, content + 1);
    } else if (ipc_) {
      if (!allocated_) {
        capacity_ = count < 8 ? 16 : 2 * count;
        allocated_ = true;
      } else if (written_ + count > capacity_) {
        capacity_ = 3 * (capacity_ + count) / 2;
      }
    }
    written_ += count;
  }

  // Copies of a memory writer hold its bytes in storage of exactly their
  // size; an assignment reuses the target's storage when it is large enough.
  void CheckCopies(const char* side) const {
    if (!mem_) return;
    const vx::CMemWriter copy(*mem_);
    const std::size_t size = mem_->GetSize();
    VXFUZZ_CHECK(copy.GetSize() == size && copy.GetCapacity() == size + 1 &&
                     std::memcmp(copy.GetData(), mem_->GetData(), size + 1) == 0,
                 "%s memory writer: copy differs", side);
    vx::CMemWriter assigned("abcdefgh", 8);
    assigned = *mem_;
    const std::size_t capacity = std::max<std::size_t>(9, size + 1);
    VXFUZZ_CHECK(assigned.GetSize() == size && assigned.GetCapacity() == capacity &&
                     std::memcmp(assigned.GetData(), mem_->GetData(), size + 1) == 0,
                 "%s memory writer: assigned copy differs", side);
  }

  void CheckCapacity(const char* side) const {
    if (mem_) {
      VXFUZZ_CHECK(mem_->GetCapacity() == capacity_, "%s memory writer: capacity %zu, expected %zu",
                   side, mem_->GetCapacity(), capacity_);
    } else if (ipc_) {
      VXFUZZ_CHECK(ipc_->GetCapacity() == capacity_, "%s queue: capacity %zu, expected %zu", side,
                   ipc_->GetCapacity(), capacity_);
    }
  }

  bool isDevice() const { return device_ != nullptr; }
  vx::CMemStreamBuf& device() { return *device_; }
  tvc::ITVCBinaryWriter* writer() {
    if (mem_) return &*mem_;
    return &*ipc_;
  }
  vx::PXIpcStreamBuf* queue() { return ipc_ ? &*ipc_ : nullptr; }

  std::string Bytes() {
    if (mem_) return std::string(reinterpret_cast<const char*>(mem_->GetData()), mem_->GetSize());
    if (ipc_) return ipc_->str() ? std::string(ipc_->str(), ipc_->out_waiting()) : std::string();
    return std::string(device_->str(), device_->out_waiting());
  }

 private:
  unsigned kind_;
  std::size_t capacity_ = 0;
  std::size_t written_ = 0;
  bool allocated_ = false;
  std::optional<vx::CMemWriter> mem_;
  std::optional<vx::PXIpcStreamBuf> ipc_;
  std::unique_ptr<vx::CMemStreamBuf> device_;
};

template <typename Stream>
std::unique_ptr<Stream> StreamOn(Sink& sink) {
  if (sink.isDevice()) return std::make_unique<Stream>(sink.device());
  return std::make_unique<Stream>(sink.writer());
}

Item ReadItem(FuzzInput& in) {
  Item item;
  item.kind = static_cast<Kind>(in.Byte() % kKinds);
  item.reader = in.Byte();
  item.intoPointer = in.Bool();
  if (item.kind < kBlock) {
    item.bits = in.Integer<std::uint64_t>();
    item.value = (item.bits & 1) != 0;
  } else if (item.kind == kBits) {
    item.text = in.Text(16);
    item.bits = in.Below(8 * item.text.size() + 1);
    item.text.resize(item.bits / 8 + (item.bits % 8 != 0));
    if (item.bits % 8 != 0) item.text.back() &= static_cast<char>((1u << (item.bits % 8)) - 1);
  } else if (item.kind != kCopyStreams) {
    // Now and then a text longer than the streams' stack scratch.
    if (in.Below(16) == 0) {
      const std::size_t n = 4090 + in.Below(16);
      item.text.assign(n, static_cast<char>(in.Byte()));
    } else {
      item.text = in.Text(64);
    }
    item.maxLength = in.Below(item.text.size() + 4);
  }
  return item;
}

vx::CBitVector BitsOf(const Item& item) {
  vx::CBitVector v(static_cast<std::size_t>(item.bits));
  for (std::size_t i = 0; i < item.bits; ++i) {
    if (((static_cast<unsigned char>(item.text[i / 8]) >> (i % 8)) & 1) != 0) v.Set(i);
  }
  return v;
}

void Put(tvc::ITVCOutStream& out, const Item& item, const vx::VXString& string) {
  std::int64_t i64;
  std::uint64_t u64 = item.bits;
  std::memcpy(&i64, &item.bits, 8);
  switch (item.kind) {
    case kBool:
      out.PutBool(item.value);
      break;
    case kChar:
      out.PutChar(static_cast<char>(item.bits));
      break;
    case kByte:
      out.PutBYTE(static_cast<unsigned char>(item.bits));
      break;
    case kInt:
      out.PutInt(static_cast<int>(static_cast<std::int32_t>(item.bits)));
      break;
    case kUint:
      out.PutUint(static_cast<unsigned int>(item.bits));
      break;
    case kShort:
      out.PutShort(static_cast<short>(item.bits));
      break;
    case kLong:
      out.PutLong(static_cast<long>(i64));
      break;  // only the low 32 bits travel
    case kDword:
      out.PutDWORD(static_cast<unsigned long>(item.bits));
      break;
    case kWord:
      out.PutWORD(static_cast<unsigned short>(item.bits));
      break;
    case kDouble: {
      double d;
      std::memcpy(&d, &item.bits, 8);
      out.PutDouble(d);
      break;
    }
    case kInt64:
      out.PutInt64(i64);
      break;
    case kUint64:
      out.PutUint64(u64);
      break;
    case kSizet:
      out.PutSizet(static_cast<std::size_t>(item.bits));
      break;
    case kBlock:
      out.PutN(item.text.data(), item.text.size());
      break;
    case kString:
      out << string;
      break;
    case kText: {
      const char* const p = item.text.c_str();
      out << p;
      break;
    }
    case kLimitedText:
      vx::PutLPCSTR(out, item.text.c_str(), item.maxLength);
      break;
    case kBits:
      out << BitsOf(item);
      break;
    default:
      break;
  }
}

// The bytes that the binary layout gives the item.
std::string BinaryBytes(const Item& item) {
  if (item.kind == kBool) return std::string(1, item.value ? '\1' : '\0');
  if (item.kind < kBlock) {
    std::string out(kWidth[item.kind], '\0');
    std::memcpy(&out[0], &item.bits, out.size());
    return out;
  }
  if (item.kind == kBlock) return item.text;
  if (item.kind == kCopyStreams) return std::string();
  if (item.kind == kBits) {
    std::string out(8, '\0');
    std::memcpy(&out[0], &item.bits, 8);
    return out + item.text;
  }
  const std::string text = item.Carried();
  std::string out(8, '\0');
  const std::uint64_t n = text.size();
  std::memcpy(&out[0], &n, 8);
  return out + text;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(2 * bytes.size());
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

std::string PortableBytes(const Item& item) {
  if (item.kind == kBool) return item.value ? "54" : "46";
  return Hex(BinaryBytes(item));
}

// The value bytes of each Write call that putting the item makes.
std::vector<std::size_t> Writes(const Item& item) {
  if (item.kind < kBlock) return {kWidth[item.kind]};
  if (item.kind == kBlock) return {item.text.size()};
  if (item.kind == kCopyStreams) return {};
  if (item.kind == kBits) return {8, item.text.size()};
  return {8, item.Carried().size()};
}

std::size_t Counted(const Item& item) {
  if (item.kind < kBlock) return kWidth[item.kind];
  if (item.kind == kBlock) return item.text.size();
  if (item.kind == kCopyStreams) return 0;
  if (item.kind == kBits) return 8 + item.text.size();
  return 8 + item.Carried().size();
}

// Reads the item back through the member of its width group that the item
// picked, and checks it.
void ReadBack(tvc::ITVCInStream& in, const Item& item, const char* side) {
  const std::string expected = BinaryBytes(item);
  auto same = [&](const void* got, std::size_t n) {
    VXFUZZ_CHECK(n <= expected.size() && std::memcmp(got, expected.data(), n) == 0,
                 "%s: kind %u read back wrongly", side, item.kind);
  };
  switch (item.kind) {
    case kBool: {
      bool b = !item.value;
      in.GetBool(b);
      VXFUZZ_CHECK(b == item.value, "%s: bool", side);
      break;
    }
    case kChar:
    case kByte: {
      if (item.reader % 2 == 0) {
        char c;
        in.GetChar(c);
        same(&c, 1);
      } else {
        unsigned char c;
        in.GetBYTE(c);
        same(&c, 1);
      }
      break;
    }
    case kShort:
    case kWord: {
      if (item.reader % 2 == 0) {
        short v;
        in.GetShort(v);
        same(&v, 2);
      } else {
        unsigned short v;
        in.GetWORD(v);
        same(&v, 2);
      }
      break;
    }
    case kInt:
    case kUint:
    case kLong:
    case kDword: {
      std::uint32_t low;
      std::memcpy(&low, expected.data(), 4);
      switch (item.reader % 4) {
        case 0: {
          int v;
          in.GetInt(v);
          same(&v, 4);
          break;
        }
        case 1: {
          unsigned int v;
          in.GetUint(v);
          same(&v, 4);
          break;
        }
        case 2: {
          long v;
          in.GetLong(v);
          VXFUZZ_CHECK(v == static_cast<long>(static_cast<std::int32_t>(low)), "%s: GetLong", side);
          break;
        }
        default: {
          unsigned long v;
          in.GetDWORD(v);
          VXFUZZ_CHECK(v == low, "%s: GetDWORD", side);
          break;
        }
      }
      break;
    }
    case kDouble: {
      double d;
      in.GetDouble(d);
      same(&d, 8);
      break;
    }
    case kInt64:
    case kUint64:
    case kSizet: {
      switch (item.reader % 3) {
        case 0: {
          std::int64_t v;
          in.GetInt64(v);
          same(&v, 8);
          break;
        }
        case 1: {
          std::uint64_t v;
          in.GetUint64(v);
          same(&v, 8);
          break;
        }
        default: {
          std::size_t v;
          in.GetSizet(v);
          same(&v, 8);
          break;
        }
      }
      break;
    }
    case kBlock: {
      std::vector<char> block(item.text.size() + 1, '\x5A');
      in.GetN(block.data(), item.text.size());
      same(block.data(), item.text.size());
      VXFUZZ_CHECK(block.back() == '\x5A', "%s: GetN wrote past the block", side);
      break;
    }
    case kString:
    case kText:
    case kLimitedText: {
      const std::string text = item.Carried();
      const std::size_t capacity = ((text.size() + 1 + 7) / 8) * 8;
      if (item.intoPointer) {
        vx::VXString* got = nullptr;
        in >> got;
        const std::unique_ptr<vx::VXString> owned(got);
        VXFUZZ_CHECK(got != nullptr && got->length() == text.size() &&
                         std::memcmp(got->data(), text.data(), text.size()) == 0 &&
                         got->capacity() == capacity,
                     "%s: string read through a pointer", side);
      } else {
        vx::VXString got("previous");
        in >> got;
        VXFUZZ_CHECK(
            got.length() == text.size() && std::memcmp(got.data(), text.data(), text.size()) == 0 &&
                got.capacity() == capacity,
            "%s: string read wrongly (length %zu, expected %zu)", side, got.length(), text.size());
      }
      break;
    }
    case kBits: {
      vx::CBitVector got(1, true);
      in >> got;
      VXFUZZ_CHECK(got == BitsOf(item), "%s: bit vector of %zu bits read back wrongly", side,
                   static_cast<std::size_t>(item.bits));
      break;
    }
    default:
      break;
  }
}

void ExpectExhausted(tvc::ITVCInStream& in, const char* side) {
  unsigned char b = 0x5A;
  bool underrun = false;
  try {
    in.GetBYTE(b);
  } catch (const tvc::TVCBufferUnderrunException&) {
    underrun = true;
  }
  VXFUZZ_CHECK(underrun && b == 0x5A, "%s: bytes left over after the last value", side);
}

void RoundTrip(FuzzInput& in) {
  const std::uint8_t config = in.Byte();
  const std::size_t initialSize = in.Below(64);
  std::vector<Item> items;
  while (!in.empty()) items.push_back(ReadItem(in));

  Sink binarySink(config & 3, initialSize);
  Sink portableSink((config >> 2) & 3, initialSize);
  std::unique_ptr<vx::CBinaryOutputStream> binary = StreamOn<vx::CBinaryOutputStream>(binarySink);
  std::unique_ptr<vx::CPortableOutputStream> portable =
      StreamOn<vx::CPortableOutputStream>(portableSink);

  std::string expectedBinary;
  std::string expectedPortable;
  std::size_t tell = 0;
  for (const Item& item : items) {
    if (item.kind == kCopyStreams) {
      // Copies share the channel and carry the count on.
      binary = std::make_unique<vx::CBinaryOutputStream>(*binary);
      portable = std::make_unique<vx::CPortableOutputStream>(*portable);
    }
    const vx::VXString string(item.text.data(), item.text.size());
    Put(*binary, item, string);
    Put(*portable, item, string);
    expectedBinary += BinaryBytes(item);
    expectedPortable += PortableBytes(item);
    tell += Counted(item);
    VXFUZZ_CHECK(binary->Tell() == tell && portable->Tell() == tell,
                 "Tell %zu (binary), %zu (portable), expected %zu", binary->Tell(),
                 portable->Tell(), tell);
    for (std::size_t count : Writes(item)) {
      binarySink.Written(count);
      portableSink.Written(2 * count);
    }
    binarySink.CheckCapacity("binary");
    portableSink.CheckCapacity("portable");
  }
  binarySink.CheckCopies("binary");
  portableSink.CheckCopies("portable");
  const std::string binaryBytes = binarySink.Bytes();
  const std::string portableBytes = portableSink.Bytes();
  VXFUZZ_CHECK(binaryBytes == expectedBinary, "binary layout: %zu bytes, expected %zu",
               binaryBytes.size(), expectedBinary.size());
  VXFUZZ_CHECK(portableBytes == expectedPortable, "portable text: %zu characters, expected %zu",
               portableBytes.size(), expectedPortable.size());
  VXFUZZ_CHECK(binaryBytes.size() == tell && portableBytes.size() == 2 * tell,
               "channel sizes disagree with Tell");

  // Read back: the binary bytes through a memory reader (or the queue they
  // were written to), the portable text likewise or through a memory device.
  const auto* binaryData = reinterpret_cast<const unsigned char*>(binaryBytes.data());
  vx::CMemReader binaryReader(binaryData, binaryBytes.size(), false);
  vx::CBinaryInputStream binaryIn(binarySink.queue() != nullptr
                                      ? static_cast<tvc::ITVCBinaryReader*>(binarySink.queue())
                                      : &binaryReader);
  const auto* portableData = reinterpret_cast<const unsigned char*>(portableBytes.data());
  vx::CMemReader portableReader(portableData, portableBytes.size(), false);
  vx::CMemStreamBuf portableDevice(portableBytes.data(), portableBytes.size());
  vx::CPortableInputStream portableIn(&portableReader);
  if (portableSink.queue() != nullptr) {
    portableIn = vx::CPortableInputStream(portableSink.queue());
  } else if ((config & 0x10) != 0) {
    portableIn = vx::CPortableInputStream(portableDevice);
  }

  for (const Item& item : items) {
    ReadBack(binaryIn, item, "binary");
    ReadBack(portableIn, item, "portable");
  }
  ExpectExhausted(binaryIn, "binary");
  ExpectExhausted(portableIn, "portable");
  Tally().Add(kValues, "values round-tripped", static_cast<long>(items.size()));
  Tally().Add(kBytes, "value bytes", static_cast<long>(tell));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Tally().Add(kInputs, "inputs");
  const long before = vxfuzz::LiveBlocks();
  {
    FuzzInput in(data, size);
    RoundTrip(in);
  }
  if (vxfuzz::AllocatorReplaced()) {
    VXFUZZ_CHECK(vxfuzz::LiveBlocks() == before, "%ld blocks leaked",
                 vxfuzz::LiveBlocks() - before);
  }
  return 0;
}
