// Fuzz target for the input side: arbitrary bytes, as another process might
// send them, read through a typed input stream and the string input
// operators, over a memory reader, a memory device or the IPC queue.
//
// Input layout:
//   byte 0      channel: 0 memory reader over a vector, 1 memory reader that
//               owns its copy, 2 memory device, 3 IPC queue that adopted a
//               block, 4 IPC queue filled by writes as the program goes;
//               bit 3 set: the binary input stream instead of the portable one
//   byte 1      where the bytes are split: how much the IPC queue adopts at
//               the start (the rest is written later by "feed" steps)
//   byte 2      number of program bytes that follow
//   program     one byte per step: a get of some type, a block, a string
//               read (into a string or through a pointer), a bit vector read,
//               a rewind, a feed, a copy of the queue, or an armed
//               allocation failure for the next step; parameters come from
//               the program bytes after it
//   rest        the bytes on the channel
//
// The harness keeps its own account of the channel's read position and
// checks every step against it: a get succeeds exactly when the channel
// holds the value's encoded size and the bytes are well formed, and then
// yields the value that the format gives those bytes; with too few bytes it
// throws TVCBufferUnderrunException and leaves the position as it was; with
// malformed bytes (a character that is no upper-case hex digit, a binary
// bool other than 00 or 01, a bit vector's padding bits set) it throws
// CStreamFormatException, the bytes consumed. A failed get leaves its
// destination as it was. Nothing but the library's documented exceptions
// (those two, std::bad_alloc, std::length_error) may come out, and nothing
// may leak.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "fuzz/support/FuzzAllocator.h"
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzTally.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/StreamOperators.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"
#include "vexlo/tvc/TVCException.h"

namespace {

using vxfuzz::FuzzInput;

enum class Channel { kVector, kOwned, kDevice, kAdopted, kFed };

// What a step's call ended with.
enum class Outcome { kDone, kUnderrun, kFormatError, kBadAlloc };

const char* Name(Outcome o) {
  switch (o) {
    case Outcome::kDone:
      return "success";
    case Outcome::kUnderrun:
      return "TVCBufferUnderrunException";
    case Outcome::kFormatError:
      return "format error";
    case Outcome::kBadAlloc:
      return "std::bad_alloc";
  }
  return "?";
}

enum Counter { kInputs, kSteps, kDone, kUnderruns, kFormatErrors, kBadAllocs, kInjected };

vxfuzz::FuzzTally& Tally() {
  static vxfuzz::FuzzTally tally("stream_input");
  return tally;
}

template <typename Call>
Outcome ClassifyOnce(Call&& call) {
  try {
    call();
    return Outcome::kDone;
  } catch (const tvc::TVCBufferUnderrunException&) {
    return Outcome::kUnderrun;
  } catch (const vx::CStreamFormatException&) {
    return Outcome::kFormatError;
  } catch (const tvc::TVCException& e) {
    VXFUZZ_CHECK(false, "a channel exception the streams never throw: %s", e.what());
  } catch (const std::bad_alloc&) {
    return Outcome::kBadAlloc;
  } catch (const std::length_error&) {
    return Outcome::kBadAlloc;  // a size the allocator cannot even express
  } catch (const std::exception& e) {
    VXFUZZ_CHECK(false, "undocumented exception: %s", e.what());
  } catch (...) {
    VXFUZZ_CHECK(false, "a non-standard exception escaped");
  }
  return Outcome::kDone;
}

// Runs one call of the library and classifies how it ended. Anything outside
// the documented family aborts.
template <typename Call>
Outcome Classify(Call&& call) {
  const Outcome o = ClassifyOnce(call);
  static const char* const kNames[] = {"reads done", "underruns", "malformed rejected",
                                       "allocation failures"};
  Tally().Add(kDone + static_cast<std::size_t>(o), kNames[static_cast<std::size_t>(o)]);
  if (vxfuzz::FailureFired()) Tally().Add(kInjected, "injected failures");
  return o;
}

int DigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Session {
 public:
  explicit Session(FuzzInput& in) {
    const std::uint8_t config = in.Byte();
    channel_ = static_cast<Channel>((config & 7) % 5);
    portable_ = (config & 8) == 0;
    unit_ = portable_ ? 2 : 1;
    const std::uint8_t split = in.Byte();
    program_ = in.Bytes(in.Byte());
    payload_ = in.Rest();
    adopted_ = channel_ == Channel::kFed ? 0 : payload_.size();
    if (channel_ == Channel::kAdopted) adopted_ = payload_.size() * split / 255;
    available_ = adopted_;
  }

  ~Session() {
    for (vx::VXString* s : made_) delete s;
  }

  void Run() {
    OpenChannel();
    FuzzInput program(reinterpret_cast<const std::uint8_t*>(program_.data()), program_.size());
    while (!program.empty()) Step(program);
    // The channel must be exhausted exactly where the account says.
    if (positionKnown_ && available_ - position_ < unit_) {
      unsigned char b = 0x5A;
      const Outcome o = Classify([&] { stream_->GetBYTE(b); });
      VXFUZZ_CHECK(o == Outcome::kUnderrun && b == 0x5A, "read past the end: %s", Name(o));
    }
  }

 private:
  void OpenChannel() {
    switch (channel_) {
      case Channel::kVector:
        vector_.assign(payload_.begin(), payload_.end());
        memReader_.emplace(vector_);
        reader_ = &*memReader_;
        break;
      case Channel::kOwned: {
        auto* copy = new unsigned char[payload_.size() + 1];
        std::memcpy(copy, payload_.data(), payload_.size());
        memReader_.emplace(copy, payload_.size(), true);
        reader_ = &*memReader_;
        break;
      }
      case Channel::kDevice:
        device_ = std::make_unique<vx::CMemStreamBuf>(payload_.data(), payload_.size());
        break;
      case Channel::kAdopted:
      case Channel::kFed: {
        char* block = nullptr;
        if (adopted_ > 0) {
          block = new char[adopted_];
          std::memcpy(block, payload_.data(), adopted_);
        }
        ipc_.emplace(block, static_cast<int>(adopted_));
        queueCapacity_ = adopted_;
        reader_ = &*ipc_;
        break;
      }
    }
    if (portable_) {
      portableStream_ =
          device_ ? vx::CPortableInputStream(*device_) : vx::CPortableInputStream(reader_);
      stream_ = &portableStream_;
    } else {
      binaryStream_ = device_ ? vx::CBinaryInputStream(*device_) : vx::CBinaryInputStream(reader_);
      stream_ = &binaryStream_;
    }
  }

  // The `count` value bytes that the channel bytes at `at` encode; `valid`
  // tells whether every character was a digit of the portable format (the
  // stream rejects anything else).
  std::vector<unsigned char> Decode(std::size_t at, std::size_t count, bool* valid) const {
    std::vector<unsigned char> out(count);
    *valid = true;
    for (std::size_t i = 0; i < count; ++i) {
      if (!portable_) {
        out[i] = static_cast<unsigned char>(payload_[at + i]);
        continue;
      }
      const int h = DigitValue(static_cast<unsigned char>(payload_[at + 2 * i]));
      const int l = DigitValue(static_cast<unsigned char>(payload_[at + 2 * i + 1]));
      if (h < 0 || l < 0) *valid = false;
      out[i] = static_cast<unsigned char>(((h & 0xF) << 4) | (l & 0xF));
    }
    return out;
  }

  // Checks the outcome of reading `count` value bytes at the account's
  // position and moves the account on; answers the decoded bytes when the
  // read succeeded.
  std::optional<std::vector<unsigned char>> Account(Outcome o, std::size_t count, const char* what,
                                                    bool isBool = false) {
    if (o == Outcome::kBadAlloc) {
      // Allocation comes before the read: the channel has not moved.
      VXFUZZ_CHECK(armed_ || count > vxfuzz::kLargestBlock / unit_,
                   "%s: std::bad_alloc without cause", what);
      VXFUZZ_CHECK(!ipc_ || !positionKnown_ || available_ - ipc_->out_waiting() == position_,
                   "%s: the queue moved on std::bad_alloc", what);
      return std::nullopt;
    }
    if (!positionKnown_) {
      Resync();
      return std::nullopt;
    }
    const bool fits = count <= (available_ - position_) / unit_;
    if (!fits) {
      VXFUZZ_CHECK(o == Outcome::kUnderrun, "%s of %zu at %zu of %zu: %s, expected underrun", what,
                   count, position_, available_, Name(o));
      return std::nullopt;
    }
    bool valid = true;
    std::vector<unsigned char> bytes = Decode(position_, count, &valid);
    // A binary bool is the byte 00 or 01; anything else is rejected.
    if (isBool && !portable_ && bytes[0] > 1) valid = false;
    VXFUZZ_CHECK(o == (valid ? Outcome::kDone : Outcome::kFormatError),
                 "%s of %zu at %zu of %zu: %s, the bytes being %s", what, count, position_,
                 available_, Name(o), valid ? "valid" : "malformed");
    position_ += count * unit_;
    if (o != Outcome::kDone) return std::nullopt;
    return bytes;
  }

  // After an allocation failure the harness cannot always tell how far the
  // channel got; the IPC queue says so, the memory reader does not.
  void Resync() {
    if (ipc_) {
      position_ = available_ - ipc_->out_waiting();
      positionKnown_ = true;
    } else {
      positionKnown_ = false;
    }
  }

  template <typename T>
  void Get(void (tvc::ITVCInStream::*get)(T&), std::size_t width, const char* what) {
    T value;
    if constexpr (std::is_same_v<T, bool>) {
      value = true;
    } else {
      std::memset(&value, 0x5A, sizeof value);
    }
    const T before = value;
    Outcome o;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      o = Classify([&] { (stream_->*get)(value); });
    }
    const auto bytes = Account(o, width, what, std::is_same_v<T, bool>);
    if (o != Outcome::kDone) {
      VXFUZZ_CHECK(std::memcmp(&value, &before, sizeof value) == 0,
                   "%s: the destination changed on %s", what, Name(o));
      return;
    }
    if (!bytes) return;
    T expected{};
    if constexpr (std::is_same_v<T, bool>) {
      expected = portable_ ? (*bytes)[0] == 'T' : (*bytes)[0] == 1;
    } else if constexpr (std::is_same_v<T, double>) {
      std::memcpy(&expected, bytes->data(), 8);
    } else {
      // The value's `width` bytes, least significant first, sign-extended
      // for a signed destination (a 64-bit `long` gets 32 bits).
      std::uint64_t v = 0;
      for (std::size_t i = 0; i < width; ++i) v |= std::uint64_t{(*bytes)[i]} << (8 * i);
      if (std::is_signed_v<T> && width < 8 && ((v >> (8 * width - 1)) & 1) != 0) {
        v |= ~std::uint64_t{0} << (8 * width);
      }
      expected = static_cast<T>(v);
    }
    VXFUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0, "%s: wrong value", what);
  }

  void GetBlock(std::size_t n) {
    std::vector<unsigned char> block(n + 8, 0x5A);
    Outcome o;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      o = Classify([&] { stream_->GetN(block.data(), n); });
    }
    const auto bytes = Account(o, n, "GetN");
    for (std::size_t i = (o == Outcome::kDone ? n : 0); i < n + 8; ++i) {
      VXFUZZ_CHECK(block[i] == 0x5A, "GetN(%zu): byte %zu written (%s)", n, i, Name(o));
    }
    if (bytes && n > 0) {
      VXFUZZ_CHECK(std::memcmp(block.data(), bytes->data(), n) == 0, "GetN(%zu): wrong bytes", n);
    }
  }

  // A counted read: a 64-bit count, then a block (a string's text, or a bit
  // vector's packed bits). The two parts are accounted for separately, since
  // the count stays consumed when the block fails.
  enum class Counted { kString, kStringPointer, kBits };

  void GetCounted(Counted kind) {
    vx::VXString target("previous");
    vx::VXString* pointer = made_.empty() ? nullptr : made_.back();
    vx::VXString* const pointerBefore = pointer;
    vx::CBitVector bits(3, true);
    const std::size_t at = position_;
    Outcome o;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      o = Classify([&] {
        switch (kind) {
          case Counted::kString:
            *stream_ >> target;
            break;
          case Counted::kStringPointer:
            *stream_ >> pointer;
            break;
          case Counted::kBits:
            *stream_ >> bits;
            break;
        }
      });
    }
    if (o != Outcome::kDone) {
      VXFUZZ_CHECK(target == "previous" && target.length() == 8, "string target changed on %s",
                   Name(o));
      VXFUZZ_CHECK(pointer == pointerBefore, "string pointer changed on %s", Name(o));
      VXFUZZ_CHECK(bits.Size() == 3 && bits.Count() == 3, "bit vector changed on %s", Name(o));
    } else if (kind == Counted::kStringPointer) {
      VXFUZZ_CHECK(pointer != nullptr && pointer != pointerBefore, "no new string");
      made_.push_back(pointer);
    }
    if ((o == Outcome::kBadAlloc && armed_) || !positionKnown_) {
      // Whether an injected failure struck before or after the block depends
      // on the allocations made; the account resumes where the channel can
      // tell.
      Resync();
      return;
    }
    // The count.
    if (8 > (available_ - at) / unit_) {
      VXFUZZ_CHECK(o == Outcome::kUnderrun, "count at %zu of %zu: %s", at, available_, Name(o));
      return;
    }
    bool valid = true;
    const std::vector<unsigned char> countBytes = Decode(at, 8, &valid);
    std::uint64_t n;
    std::memcpy(&n, countBytes.data(), 8);
    position_ = at + 8 * unit_;
    if (!valid) {
      VXFUZZ_CHECK(o == Outcome::kFormatError, "malformed count: %s", Name(o));
      return;
    }
    // The block: n bytes of text, or n bits packed into bytes.
    const std::uint64_t blockBytes = kind == Counted::kBits ? n / 8 + (n % 8 != 0) : n;
    if (blockBytes > (available_ - position_) / unit_) {
      VXFUZZ_CHECK(o == Outcome::kUnderrun || o == Outcome::kBadAlloc,
                   "block of %llu at %zu of %zu: %s", static_cast<unsigned long long>(blockBytes),
                   position_, available_, Name(o));
      return;
    }
    const std::vector<unsigned char> block = Decode(position_, blockBytes, &valid);
    // A bit vector's unused high bits are zero when it was written.
    if (kind == Counted::kBits && n % 8 != 0 && (block.back() >> (n % 8)) != 0) valid = false;
    VXFUZZ_CHECK(o == (valid ? Outcome::kDone : Outcome::kFormatError),
                 "block of %llu at %zu of %zu: %s, the bytes being %s",
                 static_cast<unsigned long long>(blockBytes), position_, available_, Name(o),
                 valid ? "valid" : "malformed");
    position_ += blockBytes * unit_;
    if (o != Outcome::kDone) return;
    if (kind == Counted::kBits) {
      VXFUZZ_CHECK(bits.Size() == n, "bit vector of %zu bits, expected %llu", bits.Size(),
                   static_cast<unsigned long long>(n));
      for (std::size_t i = 0; i < n; ++i) {
        VXFUZZ_CHECK(bits.Test(i) == (((block[i / 8] >> (i % 8)) & 1) != 0), "bit %zu", i);
      }
      return;
    }
    const vx::VXString& got = kind == Counted::kStringPointer ? *pointer : target;
    VXFUZZ_CHECK(got.length() == n && (n == 0 || std::memcmp(got.data(), block.data(), n) == 0),
                 "string read wrongly");
    VXFUZZ_CHECK(got.capacity() == ((n + 1 + 7) / 8) * 8, "string read with capacity %zu for %zu",
                 got.capacity(), got.length());
  }

  void Step(FuzzInput& program) {
    const std::uint8_t op = program.Byte();
    Tally().Add(kSteps, "steps");
    failAt_ = armNext_;
    armed_ = armNext_ != 0;
    armNext_ = 0;
    switch (op % 21) {
      case 0:
        Get(&tvc::ITVCInStream::GetBool, 1, "GetBool");
        break;
      case 1:
        Get(&tvc::ITVCInStream::GetChar, 1, "GetChar");
        break;
      case 2:
        Get(&tvc::ITVCInStream::GetBYTE, 1, "GetBYTE");
        break;
      case 3:
        Get(&tvc::ITVCInStream::GetInt, 4, "GetInt");
        break;
      case 4:
        Get(&tvc::ITVCInStream::GetUint, 4, "GetUint");
        break;
      case 5:
        Get(&tvc::ITVCInStream::GetShort, 2, "GetShort");
        break;
      case 6:
        Get(&tvc::ITVCInStream::GetLong, 4, "GetLong");
        break;
      case 7:
        Get(&tvc::ITVCInStream::GetDWORD, 4, "GetDWORD");
        break;
      case 8:
        Get(&tvc::ITVCInStream::GetWORD, 2, "GetWORD");
        break;
      case 9:
        Get(&tvc::ITVCInStream::GetDouble, 8, "GetDouble");
        break;
      case 10:
        Get(&tvc::ITVCInStream::GetInt64, 8, "GetInt64");
        break;
      case 11:
        Get(&tvc::ITVCInStream::GetUint64, 8, "GetUint64");
        break;
      case 12:
        Get(&tvc::ITVCInStream::GetSizet, 8, "GetSizet");
        break;
      case 13: {
        // Small blocks mostly; now and then one past the stack scratch.
        const std::size_t n = program.Below(4) == 0 ? 2040 + program.Below(64) : program.Byte();
        GetBlock(n);
        break;
      }
      case 14:
        GetCounted(Counted::kString);
        break;
      case 15:
        GetCounted(Counted::kStringPointer);
        break;
      case 16:
        if (ipc_) {
          ipc_->forward();
          position_ = 0;
          positionKnown_ = true;
        }
        break;
      case 17:
        Feed(program.Byte());
        break;
      case 18:
        CopyQueue();
        break;
      case 19:
        GetCounted(Counted::kBits);
        break;
      default:
        armNext_ = vxfuzz::AllocatorReplaced() ? 1 + program.Below(4) : 0;
        break;
    }
  }

  void Feed(std::size_t count) {
    if (!ipc_) return;
    count = std::min(count, payload_.size() - available_);
    const std::size_t waitingBefore = ipc_->out_waiting();
    Outcome o;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      o = Classify([&] { ipc_->Write(payload_.data() + available_, count); });
    }
    VXFUZZ_CHECK(o == Outcome::kDone || (o == Outcome::kBadAlloc && armed_), "Write: %s", Name(o));
    if (o == Outcome::kDone) {
      // The growth rule: 16 bytes (or twice a first write of 8 and more) for
      // the first storage, else 3/2 of capacity plus count when full.
      if (queueCapacity_ == 0) {
        queueCapacity_ = count < 8 ? 16 : 2 * count;
      } else if (available_ + count > queueCapacity_) {
        queueCapacity_ = 3 * (queueCapacity_ + count) / 2;
      }
      available_ += count;
      VXFUZZ_CHECK(ipc_->out_waiting() == waitingBefore + count, "Write: out_waiting");
      VXFUZZ_CHECK(ipc_->GetCapacity() == queueCapacity_, "Write: capacity %zu, expected %zu",
                   ipc_->GetCapacity(), queueCapacity_);
    } else {
      VXFUZZ_CHECK(ipc_->out_waiting() == waitingBefore, "failed Write changed the queue");
    }
    VXFUZZ_CHECK(available_ == 0 || std::memcmp(ipc_->str(), payload_.data(), available_) == 0,
                 "the queue lost bytes");
  }

  // A copy of the queue must hold the same bytes and positions; assigning it
  // back leaves the queue as it was.
  void CopyQueue() {
    if (!ipc_) return;
    const std::size_t waiting = ipc_->out_waiting();
    std::optional<vx::PXIpcStreamBuf> copy;
    Outcome o;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      o = Classify([&] { copy.emplace(*ipc_); });
    }
    VXFUZZ_CHECK(o == Outcome::kDone || (o == Outcome::kBadAlloc && armed_), "copy: %s", Name(o));
    if (o != Outcome::kDone) return;
    VXFUZZ_CHECK(copy->out_waiting() == waiting, "copy: out_waiting");
    VXFUZZ_CHECK(copy->GetCapacity() == ipc_->GetCapacity(), "copy: capacity");
    VXFUZZ_CHECK(available_ == 0 || std::memcmp(copy->str(), payload_.data(), available_) == 0,
                 "copy: bytes");
    *ipc_ = *copy;
    VXFUZZ_CHECK(ipc_->out_waiting() == waiting, "assignment: out_waiting");
    VXFUZZ_CHECK(available_ == 0 || std::memcmp(ipc_->str(), payload_.data(), available_) == 0,
                 "assignment: bytes");
  }

  Channel channel_ = Channel::kVector;
  bool portable_ = true;
  std::size_t unit_ = 2;
  std::string program_;
  std::string payload_;
  std::size_t adopted_ = 0;

  std::vector<unsigned char> vector_;
  std::optional<vx::CMemReader> memReader_;
  std::unique_ptr<vx::CMemStreamBuf> device_;
  std::optional<vx::PXIpcStreamBuf> ipc_;
  tvc::ITVCBinaryReader* reader_ = nullptr;
  // The input streams have no virtual destructor, so they live here rather
  // than in a holder; the one in use is assigned in OpenChannel.
  vx::CPortableInputStream portableStream_{static_cast<tvc::ITVCBinaryReader*>(nullptr)};
  vx::CBinaryInputStream binaryStream_{static_cast<tvc::ITVCBinaryReader*>(nullptr)};
  tvc::ITVCInStream* stream_ = nullptr;

  std::size_t available_ = 0;      // bytes on the channel so far
  std::size_t queueCapacity_ = 0;  // the queue's capacity by its growth rule
  std::size_t position_ = 0;       // bytes consumed, by the harness's account
  bool positionKnown_ = true;
  long armNext_ = 0;
  long failAt_ = 0;
  bool armed_ = false;
  std::vector<vx::VXString*> made_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Tally().Add(kInputs, "inputs");
  const long before = vxfuzz::LiveBlocks();
  {
    FuzzInput in(data, size);
    Session session(in);
    session.Run();
  }
  if (vxfuzz::AllocatorReplaced()) {
    VXFUZZ_CHECK(vxfuzz::LiveBlocks() == before, "%ld blocks leaked",
                 vxfuzz::LiveBlocks() - before);
  }
  return 0;
}
