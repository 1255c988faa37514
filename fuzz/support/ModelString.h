#ifndef VEXLO_FUZZ_SUPPORT_MODELSTRING_H
#define VEXLO_FUZZ_SUPPORT_MODELSTRING_H

/// \file
/// A reference model of `vx::VXString`, written from the string's documented
/// rules alone, against which the differential fuzz target checks the
/// library after every operation.
///
/// The model keeps what the rules make observable and nothing else:
/// - the text, as a `std::string` (which may hold NUL bytes);
/// - the capacity, by the two growth rules: growth in place (`Reserve`: at
///   least half again, to the next multiple of 8 above the need) and a copied
///   record (just the room needed, plus the terminator, rounded up to 8);
/// - which strings hold one record (`SharesRecordWith`), with the record's
///   holder count and unshareable mark, which decide whether an edit happens
///   in place or through a new record.
///
/// Every operation is written as a plain sequence of the documented steps,
/// never by reusing a clever shortcut of the real implementation; where the
/// two disagree, the fuzz target reports it. The model is header-only so that
/// its own tests (tests/fuzz) can include it without linking the fuzz
/// programs' allocator.
///
///     vxfuzz::ModelString s = vxfuzz::ModelString::FromBytes("abc");
///     vxfuzz::ModelString t = s;           // shares: s.SharesRecordWith(t)
///     t.AppendChars('x', 1);               // t detaches into a record of its own
///     // s.text() == "abc", t.text() == "abcx", t.capacity() == 8

#include <algorithm>
#include <cstddef>
#include <string>

namespace vxfuzz {

/// The shared record of the model: text, capacity and holders.
struct ModelRecord {
  std::string text;
  std::size_t capacity = 0;  ///< 0 while the record has no buffer
  long holders = 1;          ///< number of model strings that hold the record
  bool unshareable = false;  ///< marked by the writable index operators
};

/// A model string: a handle to a `ModelRecord`, with the documented
/// copy-on-write semantics of the real string.
class ModelString {
 public:
  /// The default constructor: a fresh record without buffer.
  ModelString() : rec_(new ModelRecord) {}

  /// The constructors that copy bytes into a fresh record (from a pointer and
  /// a count, from a NUL-terminated text, from a view): room for the bytes
  /// and the terminator, rounded up to a multiple of 8.
  static ModelString FromBytes(const std::string& bytes) {
    ModelString s;
    Reserve(*s.rec_, bytes.size());
    s.rec_->text = bytes;
    return s;
  }

  /// The constructor from a size: an empty text with room for `n` bytes.
  static ModelString WithRoom(std::size_t n) {
    ModelString s;
    Reserve(*s.rec_, n);
    return s;
  }

  /// The constructor from a byte and a count.
  static ModelString Repeated(char c, std::size_t n) {
    ModelString s;
    Reserve(*s.rec_, n);
    s.rec_->text.assign(n, c);
    return s;
  }

  /// Copy construction: shares the record, or copies an unshareable one with
  /// no room beyond its text.
  ModelString(const ModelString& other) {
    if (other.rec_->unshareable) {
      rec_ = CopyRecord(*other.rec_, 0);
    } else {
      rec_ = other.rec_;
      ++rec_->holders;
    }
  }

  /// Copy assignment.
  ModelString& operator=(const ModelString& other) {
    if (rec_ == other.rec_) return *this;
    if (other.rec_->unshareable) {
      const std::string text = other.rec_->text;
      AboutToModify(text.size(), false);
      rec_->text = text;
    } else {
      Release();
      rec_ = other.rec_;
      ++rec_->holders;
    }
    return *this;
  }

  ~ModelString() { Release(); }

  const std::string& text() const { return rec_->text; }
  std::size_t length() const { return rec_->text.size(); }
  std::size_t capacity() const { return rec_->capacity; }
  bool hasBuffer() const { return rec_->capacity != 0; }
  bool unshareable() const { return rec_->unshareable; }
  long holders() const { return rec_->holders; }

  /// True when both strings hold one record; their `data()` pointers are
  /// then equal.
  bool SharesRecordWith(const ModelString& other) const { return rec_ == other.rec_; }

  /// `operator=(char)`.
  void AssignChar(char c) {
    AboutToModify(1, false);
    rec_->text.assign(1, c);
  }

  /// The writable index operators (before anything is written through the
  /// reference they return).
  void MakeUnshareable() { AboutToModify(0, true); }

  /// A byte written through a reference from a writable index operator; the
  /// string is the only holder of its (unshareable) record.
  void SetByte(std::size_t i, char c) { rec_->text[i] = c; }

  /// The splicing workhorse `replace(pos, n, s, m)`: `source` is null for a
  /// null pointer, else the `m` bytes inserted; `aliasesOwnText` tells that
  /// the source pointer lies inside this string's own text, which forbids the
  /// edit in place.
  void Replace(std::size_t pos, std::size_t n, const std::string* source, bool aliasesOwnText) {
    const std::string inserted = source != nullptr ? *source : std::string();
    const std::size_t len = length();
    const std::size_t removed = std::min(n, len - pos);
    const std::size_t newLength = len - removed + inserted.size();
    std::string edited = rec_->text;
    edited.replace(pos, removed, inserted);
    const bool inPlace =
        (rec_->holders <= 1 || rec_->unshareable) && rec_->capacity > newLength && !aliasesOwnText;
    if (inPlace) {
      rec_->text = edited;
      rec_->unshareable = false;
      rec_->holders = 1;
      return;
    }
    ModelRecord* fresh = CopyRecord(*rec_, newLength);
    fresh->text = edited;
    Release();
    rec_ = fresh;
  }

  /// `append(char c, size_t count)`.
  void AppendChars(char c, std::size_t count) {
    AboutToModify(length() + count, false);
    rec_->text.append(count, c);
  }

  /// `prepend(char c, size_t count)`.
  void PrependChars(char c, std::size_t count) {
    AboutToModify(length() + count, false);
    rec_->text.insert(0, count, c);
  }

  /// `resize(n)`.
  void Resize(std::size_t n) {
    if (n == length()) return;
    AboutToModify(n, false);
    rec_->text.resize(n, ' ');
  }

  /// `toLower()` and `toUpper()` in the default locale: only the ASCII
  /// letters change.
  void ToLower() {
    AboutToModify(0, false);
    for (char& c : rec_->text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  void ToUpper() {
    AboutToModify(0, false);
    for (char& c : rec_->text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }

  /// The capacity that the growth rule in place gives for `needed` bytes
  /// from `capacity`.
  static std::size_t GrownCapacity(std::size_t capacity, std::size_t needed) {
    if (needed < capacity) return capacity;
    return RoundUp8(std::max(needed + 1, (capacity * 3) >> 1));
  }

 private:
  static std::size_t RoundUp8(std::size_t x) { return ((x - 1) / 8) * 8 + 8; }

  static void Reserve(ModelRecord& rec, std::size_t needed) {
    rec.capacity = GrownCapacity(rec.capacity, needed);
  }

  // A fresh record holding a copy of `source`'s text, with room for
  // max(length, minimum) bytes and the terminator.
  static ModelRecord* CopyRecord(const ModelRecord& source, std::size_t minimum) {
    auto* copy = new ModelRecord;
    Reserve(*copy, std::max(source.text.size(), minimum));
    copy->text = source.text;
    return copy;
  }

  void AboutToModify(std::size_t needed, bool unshareable) {
    if (rec_->holders <= 1 || rec_->unshareable) {
      Reserve(*rec_, needed);
    } else {
      ModelRecord* copy = CopyRecord(*rec_, needed);
      --rec_->holders;
      rec_ = copy;
    }
    rec_->unshareable = unshareable;
    rec_->holders = 1;
  }

  void Release() {
    if (rec_->unshareable || --rec_->holders < 1) delete rec_;
    rec_ = nullptr;
  }

  ModelRecord* rec_;
};

}  // namespace vxfuzz

#endif  // VEXLO_FUZZ_SUPPORT_MODELSTRING_H
