// Differential fuzz target for vx::VXString and vx::VXSubString.
//
// The input is a program: a sequence of operations on six string slots and
// three view slots, each operation an opcode byte followed by the parameters
// it needs. Every operation runs on the library and on the reference model
// (fuzz/support/ModelString.h, ModelText.h); after each one, every slot's
// text, length, capacity, terminator and sharing (equal data() pointers
// exactly for strings that hold one record), and every live view's bytes and
// position, must agree with the model, and every query must give the model's
// answer.
//
// An opcode with its top bit set runs its operation with the k-th allocation
// failing (k from the next byte). The operation must then either throw
// std::bad_alloc and leave every string exactly as it was, or complete
// without having allocated that often. Queries must not allocate at all.
// When the input ends, every string is destroyed and no block may remain.
//
// Set VXFUZZ_TRACE=1 to print each operation while replaying an input.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/support/FuzzAllocator.h"
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzTally.h"
#include "fuzz/support/ModelString.h"
#include "fuzz/support/ModelText.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/strings/VXSubString.h"

namespace {

using vx::VXString;
using vx::VXSubString;
using vxfuzz::FuzzInput;
using vxfuzz::ModelString;
namespace model = vxfuzz::model;

constexpr std::size_t kSlots = 6;
constexpr std::size_t kViews = 3;
constexpr std::size_t kLongest = 5000;     // longest text an operation builds on purpose
constexpr std::size_t kTrimAbove = 16384;  // longer texts (built by doubling) are cut back

enum Counter { kInputs, kOperations, kInjected, kQueries };

vxfuzz::FuzzTally& Tally() {
  static vxfuzz::FuzzTally tally("string_ops");
  return tally;
}

bool Tracing() {
  static const bool on = std::getenv("VXFUZZ_TRACE") != nullptr;
  return on;
}

#define TRACE(...)                    \
 do {                                 \
  if (Tracing()) {                    \
   std::fprintf(stderr, __VA_ARGS__); \
   std::fputc('\n', stderr);          \
  }                                   \
 } while (false)

VXString::ECaseComp Mode(bool ignoreCase) {
  return static_cast<VXString::ECaseComp>(ignoreCase ? 1 : 0);
}

// A byte source for an operation that takes a pointer: the pointer handed to
// the library, the bytes the model inserts (none for a null pointer), and
// whether the pointer lies inside the target's own text.
struct Source {
  const char* pointer = nullptr;
  std::size_t count = 0;
  std::optional<std::string> bytes;
  bool aliasesTarget = false;
};

// A view slot: which string it views and where, mirrored by the model.
struct ViewSlot {
  std::optional<VXSubString> view;
  std::size_t slot = 0;
  std::size_t start = 0;
  std::size_t length = 0;
  bool isNull = false;
};

class Session {
 public:
  explicit Session(FuzzInput& in) : in_(in), lib_(kSlots), model_(kSlots) {
    emptyText_ = lib_[0].data();
  }

  void Run() {
    while (!in_.empty()) {
      const std::uint8_t op = in_.Byte();
      failAt_ = (op & 0x80) != 0 && vxfuzz::AllocatorReplaced() ? 1 + in_.Below(8) : 0;
      ++step_;
      Tally().Add(kOperations, "operations");
      Step(op & 0x7F);
      Verify();
      TrimLongTexts();
    }
  }

 private:
  // Texts that doubled themselves a few times would make every later step
  // slow; they are cut back (an edit like any other, checked like any other).
  void TrimLongTexts() {
    for (std::size_t i = 0; i < kSlots; ++i) {
      if (model_[i].length() <= kTrimAbove) continue;
      Touch(i);
      lib_[i].resize(64);
      model_[i].Resize(64);
      Verify();
    }
  }

  // ---- choosing parameters ------------------------------------------------

  std::size_t Slot() { return in_.Below(kSlots); }

  char Char(const std::string& likely) {
    if (!likely.empty() && in_.Bool()) return likely[in_.Below(likely.size())];
    return static_cast<char>(in_.Byte());
  }

  // A count of bytes to remove: within the text, past it, or NPOS.
  std::size_t RemoveCount(std::size_t len) {
    switch (in_.Below(4)) {
      case 0:
        return vx::NPOS;
      case 1:
        return len + in_.Below(4);
      default:
        return in_.Below(len + 1);
    }
  }

  std::size_t SizeArgument() { return in_.Below(8) == 0 ? in_.Below(kLongest + 1) : in_.Below(40); }

  // A text owned by the harness; kept alive for the whole input, since the
  // library may be handed its pointer.
  const std::string& PoolText() {
    std::string text;
    if (in_.Below(16) == 0) {
      const std::size_t n = in_.Below(kLongest + 1);
      text.assign(n, static_cast<char>(in_.Byte()));
    } else {
      text = in_.Text(40);
    }
    if (in_.Below(4) == 0 && !text.empty()) text[in_.Below(text.size())] = '\0';
    pool_.push_back(std::move(text));
    return pool_.back();
  }

  // A pointer with a count, for the counted forms.
  Source Counted(std::size_t target, bool allowNull) {
    Source src;
    switch (in_.Below(allowNull ? 4 : 3)) {
      case 0:
      case 1: {
        const std::string& text = PoolText();
        src.count = in_.Below(text.size() + 1);
        src.pointer = text.data();
        src.bytes = text.substr(0, src.count);
        break;
      }
      case 2: {
        const std::size_t j = Slot();
        const std::string& text = model_[j].text();
        const std::size_t offset = in_.Below(text.size() + 1);
        src.count = in_.Below(text.size() - offset + 1);
        src.pointer = lib_[j].data() + offset;
        src.bytes = text.substr(offset, src.count);
        src.aliasesTarget =
            model_[j].SharesRecordWith(model_[target]) && offset < model_[target].length();
        break;
      }
      default:
        src.count = in_.Below(10);
        break;
    }
    return src;
  }

  // A pointer to a NUL-terminated text, for the forms that measure it; now
  // and then a null pointer, which those forms take as the empty text.
  Source Terminated(std::size_t target) {
    Source src;
    if (in_.Below(16) == 0) {
      src.bytes = std::string();
    } else if (in_.Bool()) {
      const std::string& text = PoolText();
      src.pointer = text.c_str();
      src.bytes = model::UpToNul(text);
    } else {
      const std::size_t j = Slot();
      const std::string& text = model_[j].text();
      const std::size_t offset = in_.Below(text.size() + 1);
      src.pointer = lib_[j].data() + offset;
      src.bytes = model::UpToNul(text.substr(offset));
      src.aliasesTarget =
          model_[j].SharesRecordWith(model_[target]) && offset < model_[target].length();
    }
    src.count = src.bytes->size();
    return src;
  }

  // A string source: slot j, aliasing the target when they hold one record.
  std::size_t SourceSlot(std::size_t target, bool* aliases) {
    const std::size_t j = Slot();
    *aliases = model_[j].SharesRecordWith(model_[target]) && model_[target].length() > 0;
    return j;
  }

  // ---- running the library under an armed failure -------------------------

  // Runs `operation` on the library; answers true when it threw the injected
  // std::bad_alloc, after which nothing may have changed.
  template <typename Operation>
  bool Library(Operation&& operation) {
    bool threw = false;
    {
      vxfuzz::ScopedFailure arm(failAt_);
      try {
        operation();
      } catch (const std::bad_alloc&) {
        threw = true;
        VXFUZZ_CHECK(failAt_ != 0 && vxfuzz::FailureFired(),
                     "step %zu: std::bad_alloc without an injected failure", step_);
      } catch (const std::exception& e) {
        VXFUZZ_CHECK(false, "step %zu: a string operation threw: %s", step_, e.what());
      }
      if (!threw && failAt_ != 0) {
        VXFUZZ_CHECK(!vxfuzz::FailureFired(), "step %zu: allocation failure %ld was swallowed",
                     step_, failAt_);
      }
    }
    if (threw) Tally().Add(kInjected, "allocation failures survived");
    return threw;
  }

  // Runs a query, which must not allocate: the harness computes what it
  // expects beforehand, since every allocation fails meanwhile.
  template <typename Fn>
  void Query(Fn&& query) {
    Tally().Add(kQueries, "queries");
    vxfuzz::ScopedFailure arm(vxfuzz::AllocatorReplaced() ? 1 : 0);
    try {
      query();
    } catch (const std::bad_alloc&) {
      VXFUZZ_CHECK(false, "step %zu: a query allocated", step_);
    }
  }

  // Forgets what an edit of slot i may have invalidated: the reference held
  // into it and the views that no longer fit its text.
  void Touch(std::size_t i) {
    if (held_ != nullptr && heldSlot_ == i) held_ = nullptr;
  }

  // ---- the operations -----------------------------------------------------

  // Builds a new string with `construct`, checks it against `expected`, and
  // assigns it to slot i.
  template <typename Builder>
  void Construct(std::size_t i, Builder&& construct, const ModelString& expected,
                 std::optional<std::size_t> sharesWith = std::nullopt) {
    std::optional<VXString> made;
    if (Library([&] { construct(made); })) {
      VXFUZZ_CHECK(!made.has_value(), "step %zu: half-made string", step_);
      return;
    }
    CheckString(*made, expected, "new string");
    if (sharesWith) {
      VXFUZZ_CHECK((made->data() == lib_[*sharesWith].data()) ==
                       (expected.SharesRecordWith(model_[*sharesWith]) ||
                        (!expected.hasBuffer() && !model_[*sharesWith].hasBuffer())),
                   "step %zu: copy construction shares wrongly", step_);
    }
    Touch(i);
    lib_[i] = *made;
    model_[i] = expected;
  }

  void Splice(std::size_t i, std::size_t pos, std::size_t n, const Source& src,
              void (*call)(VXString&, std::size_t, std::size_t, const Source&)) {
    Touch(i);
    if (Library([&] { call(lib_[i], pos, n, src); })) return;
    model_[i].Replace(pos, n, src.bytes ? &*src.bytes : nullptr, src.aliasesTarget);
  }

  void Step(unsigned op) {
    const std::size_t i = Slot();
    VXString& s = lib_[i];
    ModelString& m = model_[i];
    const std::size_t len = m.length();
    const unsigned kOps = 62;
    switch (op % kOps) {
      // Construction.
      case 0: {
        TRACE("%zu: slot %zu = VXString()", step_, i);
        Construct(
            i, [](auto& made) { made.emplace(); }, ModelString());
        break;
      }
      case 1: {
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu = VXString(const char*) of %zu", step_, i, src.count);
        Construct(
            i, [&](auto& made) { made.emplace(src.pointer); }, ModelString::FromBytes(*src.bytes));
        break;
      }
      case 2: {
        const Source src = Counted(i, false);
        TRACE("%zu: slot %zu = VXString(const char*, %zu)", step_, i, src.count);
        Construct(
            i, [&](auto& made) { made.emplace(src.pointer, src.count); },
            ModelString::FromBytes(*src.bytes));
        break;
      }
      case 3: {
        const std::size_t n = SizeArgument();
        TRACE("%zu: slot %zu = VXString(size_t %zu)", step_, i, n);
        Construct(
            i, [&](auto& made) { made.emplace(n); }, ModelString::WithRoom(n));
        break;
      }
      case 4: {
        const char c = Char(m.text());
        const std::size_t n = SizeArgument();
        TRACE("%zu: slot %zu = VXString(char %d, %zu)", step_, i, c, n);
        Construct(
            i, [&](auto& made) { made.emplace(c, n); }, ModelString::Repeated(c, n));
        break;
      }
      case 5: {
        const std::size_t j = Slot();
        TRACE("%zu: slot %zu = VXString(slot %zu)", step_, i, j);
        const VXString& source = lib_[j];
        Construct(
            i, [&](auto& made) { made.emplace(source); }, ModelString(model_[j]), j);
        break;
      }
      case 6: {
        const std::size_t j = Slot();
        const std::size_t lenJ = model_[j].length();
        const bool null = in_.Below(8) == 0;
        const std::size_t start = null ? vx::NPOS : in_.Below(lenJ + 1);
        const std::size_t count = null ? 0 : in_.Below(lenJ - start + 1);
        TRACE("%zu: slot %zu = VXString(slot %zu (%zu, %zu))", step_, i, j, start, count);
        const VXSubString view = static_cast<const VXString&>(lib_[j])(start, count);
        Construct(
            i, [&](auto& made) { made.emplace(view); },
            ModelString::FromBytes(null ? std::string() : model_[j].text().substr(start, count)));
        break;
      }

      // Assignment.
      case 7: {
        const std::size_t j = Slot();
        TRACE("%zu: slot %zu = slot %zu", step_, i, j);
        Touch(i);
        if (Library([&] { s = lib_[j]; })) break;
        m = model_[j];
        break;
      }
      case 8: {
        const char c = Char(m.text());
        TRACE("%zu: slot %zu = char %d", step_, i, c);
        Touch(i);
        if (Library([&] { s = c; })) break;
        m.AssignChar(c);
        break;
      }
      case 9: {
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu = const char* of %zu", step_, i, src.count);
        Splice(i, 0, len, src,
               [](VXString& t, std::size_t, std::size_t, const Source& x) { t = x.pointer; });
        break;
      }

      // Writable indexing and writing through the reference.
      case 10:
      case 11: {
        const std::size_t k = in_.Below(len == 0 ? 1 : len);
        const bool bracket = op % kOps == 10;
        TRACE("%zu: slot %zu %s%zu%s", step_, i, bracket ? "[" : "(", k, bracket ? "]" : ")");
        Touch(i);
        char* ref = nullptr;
        if (Library([&] { ref = bracket ? &s[k] : &s(k); })) break;
        m.MakeUnshareable();
        VXFUZZ_CHECK(ref == s.data() + k, "step %zu: reference to the wrong byte", step_);
        if (len > 0) {
          held_ = ref;
          heldSlot_ = i;
          heldIndex_ = k;
        }
        break;
      }
      case 12: {
        const char c = static_cast<char>(in_.Byte());
        if (held_ == nullptr) break;
        TRACE("%zu: write %d through the reference into slot %zu at %zu", step_, c, heldSlot_,
              heldIndex_);
        *held_ = c;
        model_[heldSlot_].SetByte(heldIndex_, c);
        break;
      }

      // Splicing, every form.
      case 13:
      case 14: {
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu append/+= const char* of %zu", step_, i, src.count);
        if (op % kOps == 13) {
          Splice(i, len, 0, src, [](VXString& t, std::size_t, std::size_t, const Source& x) {
            t.append(x.pointer);
          });
        } else {
          Splice(i, len, 0, src,
                 [](VXString& t, std::size_t, std::size_t, const Source& x) { t += x.pointer; });
        }
        break;
      }
      case 15: {
        const Source src = Counted(i, true);
        TRACE("%zu: slot %zu append(const char*, %zu)%s", step_, i, src.count,
              src.pointer ? "" : " null");
        Splice(i, len, 0, src, [](VXString& t, std::size_t, std::size_t, const Source& x) {
          t.append(x.pointer, x.count);
        });
        break;
      }
      case 16:
      case 17:
      case 18: {
        bool aliases = false;
        const std::size_t j = SourceSlot(i, &aliases);
        const unsigned form = op % kOps;
        const std::size_t n = in_.Below(model_[j].length() + 3);
        TRACE("%zu: slot %zu append slot %zu (form %u, n %zu)", step_, i, j, form, n);
        Touch(i);
        const VXString& str = lib_[j];
        if (Library([&] {
              if (form == 16)
                s.append(str);
              else if (form == 17)
                s += str;
              else
                s.append(str, n);
            })) {
          break;
        }
        const std::string bytes = form == 18 ? model_[j].text().substr(0, n) : model_[j].text();
        m.Replace(len, 0, &bytes, aliases);
        break;
      }
      case 19: {
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu prepend const char* of %zu", step_, i, src.count);
        Splice(i, 0, 0, src, [](VXString& t, std::size_t, std::size_t, const Source& x) {
          t.prepend(x.pointer);
        });
        break;
      }
      case 20: {
        const Source src = Counted(i, true);
        TRACE("%zu: slot %zu prepend(const char*, %zu)", step_, i, src.count);
        Splice(i, 0, 0, src, [](VXString& t, std::size_t, std::size_t, const Source& x) {
          t.prepend(x.pointer, x.count);
        });
        break;
      }
      case 21:
      case 22: {
        bool aliases = false;
        const std::size_t j = SourceSlot(i, &aliases);
        const bool counted = op % kOps == 22;
        const std::size_t n = counted ? in_.Below(model_[j].length() + 1) : model_[j].length();
        TRACE("%zu: slot %zu prepend slot %zu (n %zu)", step_, i, j, n);
        Touch(i);
        const VXString& str = lib_[j];
        if (Library([&] {
              if (counted)
                s.prepend(str, n);
              else
                s.prepend(str);
            })) {
          break;
        }
        const std::string bytes = model_[j].text().substr(0, n);
        m.Replace(0, 0, &bytes, aliases);
        break;
      }
      case 23: {
        const std::size_t pos = in_.Below(len + 1);
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu insert(%zu, const char* of %zu)", step_, i, pos, src.count);
        Splice(i, pos, 0, src, [](VXString& t, std::size_t p, std::size_t, const Source& x) {
          t.insert(p, x.pointer);
        });
        break;
      }
      case 24: {
        const std::size_t pos = in_.Below(len + 1);
        const Source src = Counted(i, true);
        TRACE("%zu: slot %zu insert(%zu, const char*, %zu)", step_, i, pos, src.count);
        Splice(i, pos, 0, src, [](VXString& t, std::size_t p, std::size_t, const Source& x) {
          t.insert(p, x.pointer, x.count);
        });
        break;
      }
      case 25:
      case 26: {
        const std::size_t pos = in_.Below(len + 1);
        bool aliases = false;
        const std::size_t j = SourceSlot(i, &aliases);
        const bool counted = op % kOps == 26;
        const std::size_t n = counted ? in_.Below(model_[j].length() + 1) : model_[j].length();
        TRACE("%zu: slot %zu insert(%zu, slot %zu, %zu)", step_, i, pos, j, n);
        Touch(i);
        const VXString& str = lib_[j];
        if (Library([&] {
              if (counted)
                s.insert(pos, str, n);
              else
                s.insert(pos, str);
            })) {
          break;
        }
        const std::string bytes = model_[j].text().substr(0, n);
        m.Replace(pos, 0, &bytes, aliases);
        break;
      }
      case 27:
      case 28: {
        const std::size_t pos = in_.Below(len + 1);
        const bool counted = op % kOps == 28;
        const std::size_t n = counted ? RemoveCount(len) : len - pos;
        TRACE("%zu: slot %zu remove(%zu%s%zu)", step_, i, pos, counted ? ", " : " to ", n);
        Source none;
        if (counted) {
          Splice(i, pos, n, none,
                 [](VXString& t, std::size_t p, std::size_t k, const Source&) { t.remove(p, k); });
        } else {
          Splice(i, pos, n, none,
                 [](VXString& t, std::size_t p, std::size_t, const Source&) { t.remove(p); });
        }
        break;
      }
      case 29: {
        const std::size_t pos = in_.Below(len + 1);
        const std::size_t n = RemoveCount(len);
        const Source src = Counted(i, true);
        TRACE("%zu: slot %zu replace(%zu, %zu, const char*, %zu)", step_, i, pos, n, src.count);
        Splice(i, pos, n, src, [](VXString& t, std::size_t p, std::size_t k, const Source& x) {
          t.replace(p, k, x.pointer, x.count);
        });
        break;
      }
      case 30: {
        const std::size_t pos = in_.Below(len + 1);
        const std::size_t n = RemoveCount(len);
        const Source src = Terminated(i);
        TRACE("%zu: slot %zu replace(%zu, %zu, const char* of %zu)", step_, i, pos, n, src.count);
        Splice(i, pos, n, src, [](VXString& t, std::size_t p, std::size_t k, const Source& x) {
          t.replace(p, k, x.pointer);
        });
        break;
      }
      case 31:
      case 32: {
        const std::size_t pos = in_.Below(len + 1);
        const std::size_t n = RemoveCount(len);
        bool aliases = false;
        const std::size_t j = SourceSlot(i, &aliases);
        const bool counted = op % kOps == 32;
        const std::size_t count = counted ? in_.Below(model_[j].length() + 3) : 0;
        TRACE("%zu: slot %zu replace(%zu, %zu, slot %zu, %zu)", step_, i, pos, n, j, count);
        Touch(i);
        const VXString& str = lib_[j];
        if (Library([&] {
              if (counted)
                s.replace(pos, n, str, count);
              else
                s.replace(pos, n, str);
            })) {
          break;
        }
        const std::string bytes = counted ? model_[j].text().substr(0, count) : model_[j].text();
        m.Replace(pos, n, &bytes, aliases);
        break;
      }

      // Filling and whole-text changes.
      case 33:
      case 34:
      case 35: {
        const char c = Char(m.text());
        const unsigned form = op % kOps;
        const std::size_t count = form == 33 ? SizeArgument() : 1;
        TRACE("%zu: slot %zu append(char %d, %zu) form %u", step_, i, c, count, form);
        Touch(i);
        if (Library([&] {
              if (form == 33)
                s.append(c, count);
              else if (form == 34)
                s.append(c);
              else
                s += c;
            })) {
          break;
        }
        m.AppendChars(c, count);
        break;
      }
      case 36: {
        const char c = Char(m.text());
        const std::size_t count = SizeArgument();
        TRACE("%zu: slot %zu prepend(char %d, %zu)", step_, i, c, count);
        Touch(i);
        if (Library([&] { s.prepend(c, count); })) break;
        m.PrependChars(c, count);
        break;
      }
      case 37: {
        const std::size_t n =
            in_.Bool() ? len + in_.Below(3) - std::min<std::size_t>(len, 1) : SizeArgument();
        TRACE("%zu: slot %zu resize(%zu)", step_, i, n);
        Touch(i);
        if (Library([&] { s.resize(n); })) break;
        m.Resize(n);
        break;
      }
      case 38:
      case 39: {
        const bool lower = op % kOps == 38;
        TRACE("%zu: slot %zu %s", step_, i, lower ? "toLower" : "toUpper");
        Touch(i);
        if (Library([&] {
              if (lower)
                s.toLower();
              else
                s.toUpper();
            })) {
          break;
        }
        if (lower)
          m.ToLower();
        else
          m.ToUpper();
        break;
      }

      // Queries.
      case 40: {
        const std::size_t k = in_.Below(len + 1);
        const VXString& cs = s;
        TRACE("%zu: slot %zu const [%zu]", step_, i, k);
        const char expected = k < len ? m.text()[k] : '\0';
        Query([&] {
          VXFUZZ_CHECK(cs[k] == expected && cs(k) == expected, "step %zu: const index", step_);
        });
        break;
      }
      case 41: {
        const char c = Char(m.text());
        const std::size_t start = in_.Below(len + 3);  // past the end answers NPOS
        const VXString& cs = s;
        TRACE("%zu: slot %zu byte searches for %d from %zu", step_, i, c, start);
        Query([&] {
          const std::size_t first = model::FindByte(m.text(), c, 0);
          VXFUZZ_CHECK(cs.first(c) == first, "step %zu: first(char)", step_);
          VXFUZZ_CHECK(cs.index(c) == first, "step %zu: index(char)", step_);
          VXFUZZ_CHECK(cs.index(c, start) == model::FindByte(m.text(), c, start),
                       "step %zu: index(char, start)", step_);
          VXFUZZ_CHECK(cs.last(c) == model::LastByte(m.text(), c), "step %zu: last(char)", step_);
        });
        break;
      }
      case 42: {
        const std::string& set = PoolText();
        const bool null = in_.Below(8) == 0;  // a null set is the empty set
        const VXString& cs = s;
        TRACE("%zu: slot %zu set searches of %zu", step_, i, set.size());
        const std::size_t terminated =
            null ? model::kNpos : model::FindAnyOf(m.text(), model::UpToNul(set));
        const std::size_t counted = model::FindAnyOf(m.text(), set);
        Query([&] {
          VXFUZZ_CHECK(cs.first(null ? nullptr : set.c_str()) == terminated, "step %zu: first(set)",
                       step_);
          VXFUZZ_CHECK(cs.first(set.data(), set.size()) == counted, "step %zu: first(set, n)",
                       step_);
        });
        break;
      }
      case 43:
      case 44: {
        // A pattern taken from some string, case-flipped at times, or from
        // the pool; a start anywhere, past the end included.
        std::string pattern;
        if (in_.Bool()) {
          const std::string& text = model_[Slot()].text();
          const std::size_t from = in_.Below(text.size() + 1);
          pattern = text.substr(from, in_.Below(text.size() - from + 1));
          if (in_.Bool()) {
            for (char& c : pattern) {
              if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c ^= 0x20;
            }
          }
        } else {
          pattern = PoolText();
        }
        const std::size_t start = in_.Below(8) == 0 ? vx::NPOS : in_.Below(len + 3);
        const bool ignore = in_.Bool();
        pool_.push_back(pattern);
        const std::string& p = pool_.back();
        const VXString patternString(p.data(), p.size());
        const VXString& cs = s;
        TRACE("%zu: slot %zu sequence searches of %zu from %zu (%s)", step_, i, p.size(), start,
              ignore ? "ignoring case" : "exact");
        const std::size_t expected = model::FindSequence(m.text(), p, start, ignore);
        const std::size_t expectedTerminated =
            model::FindSequence(m.text(), model::UpToNul(p), start, ignore);
        const bool containsTerminated =
            model::FindSequence(m.text(), model::UpToNul(p), 0, ignore) != model::kNpos;
        const bool containsCounted = model::FindSequence(m.text(), p, 0, ignore) != model::kNpos;
        // A null pattern is the empty pattern.
        const char* const terminatedPattern =
            model::UpToNul(p).empty() && in_.Bool() ? nullptr : p.c_str();
        Query([&] {
          VXFUZZ_CHECK(cs.index(p.data(), p.size(), start, Mode(ignore)) == expected,
                       "step %zu: index(p, n, start, mode)", step_);
          VXFUZZ_CHECK(cs.index(patternString, p.size(), start, Mode(ignore)) == expected,
                       "step %zu: index(str, n, start, mode)", step_);
          VXFUZZ_CHECK(cs.index(patternString, start, Mode(ignore)) == expected,
                       "step %zu: index(str, start, mode)", step_);
          VXFUZZ_CHECK(cs.index(terminatedPattern, start, Mode(ignore)) == expectedTerminated,
                       "step %zu: index(p, start, mode)", step_);
          VXFUZZ_CHECK(cs.contains(terminatedPattern, Mode(ignore)) == containsTerminated,
                       "step %zu: contains(p, mode)", step_);
          VXFUZZ_CHECK(cs.contains(patternString, Mode(ignore)) == containsCounted,
                       "step %zu: contains(str, mode)", step_);
        });
        break;
      }
      case 45:
      case 46: {
        const std::size_t j = Slot();
        std::string other = in_.Bool() ? model_[j].text() : PoolText();
        if (in_.Bool() && !other.empty()) other.resize(in_.Below(other.size() + 1));
        pool_.push_back(other);
        const std::string& o = pool_.back();
        const bool ignore = in_.Bool();
        const VXString& cs = s;
        const VXString& sj = lib_[j];
        TRACE("%zu: slot %zu comparisons with %zu bytes and slot %zu (%s)", step_, i, o.size(), j,
              ignore ? "ignoring case" : "exact");
        const std::string terminated = model::UpToNul(o);
        const model::Comparison counted = model::Compare(m.text(), o, ignore);
        const model::Comparison measured = model::Compare(m.text(), terminated, ignore);
        const model::Comparison withString = model::Compare(m.text(), model_[j].text(), ignore);
        const bool equalsText = m.text() == terminated;
        const bool equalsString = m.text() == model_[j].text();
        // A null text compares as the empty text.
        const char* const terminatedOther = terminated.empty() && in_.Bool() ? nullptr : o.c_str();
        Query([&] {
          const int c1 = cs.compareTo(o.data(), o.size(), Mode(ignore));
          const int c2 = cs.compareTo(terminatedOther, Mode(ignore));
          const int c3 = cs.compareTo(sj, Mode(ignore));
          VXFUZZ_CHECK(model::Agrees(c1, counted), "step %zu: compareTo(p, n, mode) gave %d", step_,
                       c1);
          VXFUZZ_CHECK(model::Agrees(c2, measured), "step %zu: compareTo(p, mode) gave %d", step_,
                       c2);
          VXFUZZ_CHECK(model::Agrees(c3, withString), "step %zu: compareTo(str, mode) gave %d",
                       step_, c3);
          VXFUZZ_CHECK((cs == o.c_str()) == equalsText, "step %zu: operator==(str, const char*)",
                       step_);
          VXFUZZ_CHECK((cs == sj) == equalsString, "step %zu: operator==(str, str)", step_);
        });
        break;
      }
      case 47: {
        const VXString& cs = s;
        TRACE("%zu: slot %zu hash", step_, i);
        const std::size_t h = model::Hash(m.text());
        Query([&] {
          VXFUZZ_CHECK(cs.hash() == h && VXString::hash(cs) == h, "step %zu: hash", step_);
        });
        break;
      }

      // Views.
      case 48:
      case 49: {
        const std::size_t v = in_.Below(kViews);
        const bool null = in_.Below(8) == 0;
        const std::size_t start = null ? vx::NPOS : in_.Below(len + 1);
        const std::size_t count = null ? 0 : in_.Below(len - start + 1);
        TRACE("%zu: view %zu = slot %zu (%zu, %zu)", step_, v, i, start, count);
        Query([&] {
          if (op % kOps == 48)
            views_[v].view.emplace(s(start, count));
          else
            views_[v].view.emplace(static_cast<const VXString&>(s)(start, count));
        });
        views_[v].slot = i;
        views_[v].start = null ? 0 : start;
        views_[v].length = count;
        views_[v].isNull = null;
        break;
      }
      case 50:
      case 51: {
        const std::size_t v = in_.Below(kViews);
        const int type = 1 + static_cast<int>(in_.Below(3));
        const char c = Char(m.text());
        TRACE("%zu: view %zu = slot %zu strip(%d, %d)", step_, v, i, type, c);
        const auto range = model::Strip(m.text(), type, c);
        Query([&] {
          const auto stripType = static_cast<VXString::EStripType>(type);
          if (op % kOps == 50)
            views_[v].view.emplace(s.strip(stripType, c));
          else
            views_[v].view.emplace(static_cast<const VXString&>(s).strip(stripType, c));
        });
        views_[v].slot = i;
        views_[v].start = range.first;
        views_[v].length = range.second;
        views_[v].isNull = false;
        break;
      }
      case 52: {
        const std::size_t a = in_.Below(kViews);
        const std::size_t b = in_.Below(kViews);
        if (!views_[a].view || !views_[b].view) break;
        const std::string& text = PoolText();
        TRACE("%zu: views %zu, %zu compared; slot %zu and a text against view %zu", step_, a, b, i,
              a);
        const std::string bytesA = ViewBytes(a);
        const bool viewsEqual = bytesA == ViewBytes(b);
        const bool stringEquals = m.text() == bytesA;
        const bool textEquals = model::UpToNul(text) == bytesA;
        Query([&] {
          VXFUZZ_CHECK((*views_[a].view == *views_[b].view) == viewsEqual,
                       "step %zu: operator==(view, view)", step_);
          VXFUZZ_CHECK((static_cast<const VXString&>(s) == *views_[a].view) == stringEquals,
                       "step %zu: operator==(str, view)", step_);
          VXFUZZ_CHECK((text.c_str() == *views_[a].view) == textEquals,
                       "step %zu: operator==(const char*, view)", step_);
        });
        break;
      }
      case 53: {
        const std::size_t v = in_.Below(kViews);
        if (!views_[v].view) break;
        TRACE("%zu: slot %zu = VXString(view %zu)", step_, i, v);
        const VXSubString& view = *views_[v].view;
        Construct(
            i, [&](auto& made) { made.emplace(view); }, ModelString::FromBytes(ViewBytes(v)));
        break;
      }

      // Self-referencing edits, made likely: the string's own text as the
      // source, at an offset.
      case 54:
      case 55:
      case 56: {
        const std::size_t offset = in_.Below(len + 1);
        const std::size_t count = in_.Below(len - offset + 1);
        const std::size_t pos = in_.Below(len + 1);
        const std::size_t n = RemoveCount(len);
        Source src;
        src.pointer = s.data() + offset;
        src.count = count;
        src.bytes = m.text().substr(offset, count);
        src.aliasesTarget = offset < len;
        const unsigned form = op % kOps;
        TRACE("%zu: slot %zu self-edit form %u: offset %zu count %zu pos %zu n %zu", step_, i, form,
              offset, count, pos, n);
        if (form == 54) {
          Splice(i, len, 0, src, [](VXString& t, std::size_t, std::size_t, const Source& x) {
            t.append(x.pointer, x.count);
          });
        } else if (form == 55) {
          Splice(i, pos, 0, src, [](VXString& t, std::size_t p, std::size_t, const Source& x) {
            t.insert(p, x.pointer, x.count);
          });
        } else {
          Splice(i, pos, n, src, [](VXString& t, std::size_t p, std::size_t k, const Source& x) {
            t.replace(p, k, x.pointer, x.count);
          });
        }
        break;
      }
      case 57: {
        TRACE("%zu: slot %zu appended to itself", step_, i);
        Touch(i);
        if (Library([&] { s.append(s); })) break;
        const std::string bytes = m.text();
        m.Replace(len, 0, &bytes, len > 0);
        break;
      }
      case 58: {
        const std::size_t pos = in_.Below(len + 1);
        TRACE("%zu: slot %zu inserted into itself at %zu", step_, i, pos);
        Touch(i);
        if (Library([&] { s.insert(pos, s); })) break;
        const std::string bytes = m.text();
        m.Replace(pos, 0, &bytes, len > 0);
        break;
      }
      case 59: {
        TRACE("%zu: slot %zu assigned to itself", step_, i);
        Touch(i);
        const VXString& same = s;  // through another name: self-assignment on purpose
        if (Library([&] { s = same; })) break;
        break;
      }
      default: {
        // A copy made and dropped at once: the count goes up and down again.
        const std::size_t j = Slot();
        TRACE("%zu: slot %zu copied and the copy dropped", step_, j);
        if (Library([&] {
              VXString copy(lib_[j]);
              (void)copy.length();
            }))
          break;
        break;
      }
    }
  }

  // ---- checking -----------------------------------------------------------

  std::string ViewBytes(std::size_t v) const {
    const ViewSlot& view = views_[v];
    if (view.isNull) return std::string();
    return model_[view.slot].text().substr(view.start, view.length);
  }

  void CheckString(const VXString& s, const ModelString& m, const char* what) const {
    VXFUZZ_CHECK(s.length() == m.length(), "step %zu: %s: length %zu, expected %zu", step_, what,
                 s.length(), m.length());
    VXFUZZ_CHECK(s.capacity() == m.capacity(), "step %zu: %s: capacity %zu, expected %zu", step_,
                 what, s.capacity(), m.capacity());
    VXFUZZ_CHECK(std::memcmp(s.data(), m.text().data(), m.length()) == 0,
                 "step %zu: %s: text differs", step_, what);
    VXFUZZ_CHECK(s.data()[m.length()] == '\0', "step %zu: %s: no terminator", step_, what);
    VXFUZZ_CHECK(s.isNull() == (m.length() == 0), "step %zu: %s: isNull", step_, what);
    VXFUZZ_CHECK(static_cast<const char*>(s) == s.data(), "step %zu: %s: conversion", step_, what);
    VXFUZZ_CHECK((s.data() == emptyText_) == !m.hasBuffer(),
                 "step %zu: %s: the shared empty text is used wrongly", step_, what);
  }

  void Verify() {
    for (std::size_t i = 0; i < kSlots; ++i) {
      char what[32];
      std::snprintf(what, sizeof what, "slot %zu", i);
      CheckString(lib_[i], model_[i], what);
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
      for (std::size_t j = i + 1; j < kSlots; ++j) {
        const bool expected = model_[i].SharesRecordWith(model_[j]) ||
                              (!model_[i].hasBuffer() && !model_[j].hasBuffer());
        VXFUZZ_CHECK((lib_[i].data() == lib_[j].data()) == expected,
                     "step %zu: slots %zu and %zu %s share their text", step_, i, j,
                     expected ? "should" : "should not");
      }
    }
    for (std::size_t v = 0; v < kViews; ++v) {
      ViewSlot& view = views_[v];
      if (!view.view) continue;
      if (!view.isNull && view.start + view.length > model_[view.slot].length()) {
        view.view.reset();  // its string shrank under it; it may no longer be used
        continue;
      }
      VXFUZZ_CHECK(view.view->length() == view.length,
                   "step %zu: view %zu length %zu, expected %zu", step_, v, view.view->length(),
                   view.length);
      if (view.isNull) {
        VXFUZZ_CHECK(view.view->data() != nullptr && view.view->data()[0] == '\0',
                     "step %zu: null view %zu must read as the empty text", step_, v);
      } else {
        VXFUZZ_CHECK(view.view->data() == lib_[view.slot].data() + view.start,
                     "step %zu: view %zu starts at the wrong byte", step_, v);
      }
    }
  }

  FuzzInput& in_;
  std::vector<VXString> lib_;
  std::vector<ModelString> model_;
  std::array<ViewSlot, kViews> views_{};
  std::deque<std::string> pool_;
  const char* emptyText_ = nullptr;
  char* held_ = nullptr;
  std::size_t heldSlot_ = 0;
  std::size_t heldIndex_ = 0;
  long failAt_ = 0;
  std::size_t step_ = 0;
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
