// string_ops: a program of string operations run on the library and on a
// small model written from the documented rules; any difference aborts.
//
// Input: steps, each an opcode byte (low 5 bits: the operation; bit 5: the
// form, such as counted or measured; bit 6: searches and comparisons ignore
// case, a move constructs; bit 7: the source is j's own text) followed by its
// parameters, always
// the same in the same order (see Step): a null source now and then, which
// allocation of the step fails (in one step of four, its first to third), the
// target string i of four, a second string j, a position, a count (also a
// search start), a size (now and then beyond PTRDIFF_MAX, which must fail as
// an allocation does and change nothing), a byte, and the source: a text of the input or j's
// text, from an offset, with a count.
//
// The model keeps each string's text, its capacity by the two growth rules
// (in place: at least half again; a fresh or copied record: just the room
// needed), the unshareable mark and which strings hold one record
// (shared_ptr identity). After every step each string's text, terminator and
// capacity must match, two strings' data() must be equal exactly when they
// hold one record (or neither has a buffer), and a record that the model kept
// with its capacity must have kept its buffer (an edit in place, a move).
// A step whose allocation fails leaves the model as it was, so the checks
// after it hold the library to the strong guarantee; the harness finds leaks.

#include <array>
#include <cstdlib>
#include <deque>
#include <memory>
#include <tuple>

#include "fuzz/support/FuzzHarness.h"

namespace {

// The model allocates past the global allocation functions, so that a failure
// armed for a step can only reach the library.
template <class T>
struct Raw {
  using value_type = T;
  Raw() = default;
  template <class U>
  Raw(const Raw<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(std::malloc(n * sizeof(T))); }
  void deallocate(T* p, size_t) { std::free(p); }
  bool operator==(const Raw&) const { return true; }
  bool operator!=(const Raw&) const { return false; }
};
using string = std::basic_string<char, std::char_traits<char>, Raw<char>>;
using vx::NPOS;
using vx::VXString;
struct Rec {
  string text;
  size_t cap;  // 0: no buffer
  bool mark;   // unshareable
};
constexpr size_t K = 4;

// Capacity c after making room for n bytes: the larger of n + 1 and one and a
// half times c, rounded up to 8.
size_t Grow(size_t c, size_t n) { return n < c ? c : (std::max(n + 1, c * 3 / 2) + 7) / 8 * 8; }
// A fresh or copied record: room for the larger of the text and `room` only.
auto Fresh(const string& text, size_t room = 0) {
  return std::allocate_shared<Rec>(Raw<Rec>(),
                                   Rec{text, Grow(0, std::max(text.size(), room)), false});
}
auto None() { return std::allocate_shared<Rec>(Raw<Rec>(), Rec{"", 0, false}); }
// toupper or tolower in the default locale (ASCII letters only), each byte then XORed with `flip`.
string Fold(string t, bool up, char flip = 0) {
  for (char& c : t) c ^= ((c | 32) >= 'a' && (c | 32) <= 'z' && (c >= 'a') == up ? 32 : 0) ^ flip;
  return t;
}
std::uintptr_t Addr(const char* p) { return reinterpret_cast<std::uintptr_t>(p); }
size_t Hash(const string& t, size_t h = 0) {  // each byte sign-extended
  for (const signed char c : t) h ^= static_cast<size_t>(c) + 0x9E3779B9u + (h << 6) + (h >> 2);
  return h;
}
int Sign(int v) { return (v > 0) - (v < 0); }
// What orders two texts as `compare` does (by unsigned bytes, then by length):
// ignoring case, the upper-case bytes as signed chars, so with the top bit
// flipped (0x80 and above sort first).
string Key(const string& t, bool ic) { return ic ? Fold(t, true, '\x80') : t; }
// The empty pattern is not found at the end.
size_t Find(const string& t, const string& p, size_t start, bool ic) {
  return p.empty() && start >= t.size() ? NPOS : Key(t, ic).find(Key(p, ic), start);
}

struct Session {
  vxf::In in;
  std::array<VXString, K> lib{};
  std::array<std::shared_ptr<Rec>, K> m{None(), None(), None(), None()};
  std::deque<string> pool{};  // texts handed to the library, alive for the whole input
  std::array<std::tuple<std::weak_ptr<Rec>, size_t, const char*>, K> was{};  // before the step

  // A change in the string's own buffer: a shared record is copied first.
  void Modify(size_t i, size_t need, bool unshareable, const string& text) {
    if (m[i].use_count() > 1) m[i] = Fresh(m[i]->text, need);
    m[i]->cap = Grow(m[i]->cap, need), m[i]->mark = unshareable, m[i]->text = text;
  }
  // Splicing: in place when alone, with room, and not fed from its own text (`own`).
  void Replace(size_t i, size_t pos, size_t n, const string& s, bool own) {
    const string t = string(m[i]->text).replace(pos, n, s);  // n cut to the end of the text
    if (m[i].use_count() > 1 || m[i]->cap <= t.size() || own) m[i] = Fresh(t, m[i]->text.size());
    m[i]->text = t, m[i]->mark = false;
  }
  void Verify() {
    for (size_t x = 0; x < K * K; ++x) {
      const size_t i = x / K, j = x % K;
      const auto& [rec, cap, data] = was[j];
      VXF_CHECK(lib[i].view() == m[i]->text && !*lib[i].end() && lib[i].capacity() == m[i]->cap);
      VXF_CHECK((lib[i].data() == lib[j].data()) == (m[i] == m[j] || m[i]->cap + m[j]->cap == 0));
      VXF_CHECK(rec.lock() != m[i] || cap != m[i]->cap || lib[i].data() == data);
      if (j == 0 && m[i]->text.size() > 4096) lib[i].remove(16), Replace(i, 16, NPOS, "", false);
    }
  }

  void Step() {
    for (size_t x = 0; x < K; ++x) was[x] = {m[x], m[x]->cap, lib[x].data()};
    const std::uint8_t op = in.B();
    const bool alt = op & 0x20, ic = op & 0x40, own = op & 0x80, none = in.N(8) == 0;
    const long fail = in.N(4) == 0 ? 1 + in.N(3) : 0;
    const size_t i = in.N(K), j = in.N(K), len = m[i]->text.size(), pos = in.N(len + 1);
    const size_t n = in.N(4) ? in.N(len + 2) : NPOS, fill = in.N(8) ? in.N(40) : in.N(3001);
    const size_t big = fill < 3000 ? fill : SIZE_MAX >> in.N(2);  // 3000: beyond PTRDIFF_MAX
    const char c = len > 0 && in.N(2) ? m[i]->text[in.N(len)] : static_cast<char>(in.B());
    const string& from = own ? m[j]->text : pool.emplace_back(in.Text());
    const size_t off = in.N(from.size() + 1), cnt = in.N(from.size() - off + 1);
    const char* p = none ? nullptr : (own ? lib[j].data() : from.c_str()) + off;
    const string bytes(p ? p : "", p ? cnt : 0), sz(p ? p : ""), t = m[i]->text, tj = m[j]->text;
    const string& ps = alt ? bytes : sz;
    VXString &s = lib[i], &sj = lib[j];
    const bool pa = Addr(p) - Addr(s.data()) < len, sa = Addr(sj.data()) - Addr(s.data()) < len;
    const auto mode = ic ? VXString::IgnoreCase : VXString::Exact;
    try {
      const vxtest::ScopedAllocationFailure armed(fail);
      vxf::Pick(
          (op & 0x1F) % 24, [&] { s = VXString(), m[i] = None(); },
          [&] { s = VXString(p), m[i] = Fresh(sz); },  // null is taken as ""
          [&] { s = VXString(p, bytes.size()), m[i] = Fresh(bytes); },
          [&] { s = VXString(big), m[i] = Fresh("", big); },
          [&] { s = VXString(c, big), m[i] = Fresh(string(big, c)); },
          [&] { s = VXString(sj), m[i] = m[j]->mark ? Fresh(tj) : m[j]; },
          // From an unshareable string: a copy of its bytes.
          [&] {
            s = sj, m[j]->mark && i != j ? Modify(i, tj.size(), false, tj) : void(m[i] = m[j]);
          },
          [&] { s = c, Modify(i, 1, false, string(1, c)); },
          [&] { s = p, Replace(i, 0, len, sz, pa); },
          [&] {  // the writable index, and a byte written through its reference (not the NUL)
            pos < len ? void((alt ? s[pos] : s(pos)) = c) : void(s[pos]);
            Modify(i, 0, true, pos < len ? string(t).replace(pos, 1, 1, c) : t);
          },
          [&] { alt ? s.append(p, cnt) : s += p, Replace(i, len, 0, ps, pa); },
          [&] { alt ? s.prepend(p, cnt) : s.prepend(p), Replace(i, 0, 0, ps, pa); },
          [&] { alt ? s.insert(pos, p, cnt) : s.insert(pos, p), Replace(i, pos, 0, ps, pa); },
          [&] {
            alt ? s.remove(pos, n) : s.remove(pos), Replace(i, pos, alt ? n : len, "", false);
          },
          [&] {
            alt ? s.replace(pos, n, p, cnt) : s.replace(pos, n, p), Replace(i, pos, n, ps, pa);
          },
          [&] {  // string j as the source, in every form; `big` and `alt` pick it
            const size_t f = (big + 4 * alt) % 8, jn = std::min(n, tj.size());
            const size_t at[] = {len, 0, pos, pos, pos, 0, pos, len};
            vxf::Pick(
                f, [&] { s.append(sj, n); }, [&] { s.prepend(sj, jn); },
                [&] { s.insert(pos, sj, jn); }, [&] { s.insert(pos, sj); },
                [&] { s.replace(pos, n, sj, jn); }, [&] { s.prepend(sj); },
                [&] { s.replace(pos, n, sj); }, [&] { s += sj; });
            Replace(i, at[f], f == 4 || f == 6 ? n : 0, f < 3 || f == 4 ? tj.substr(0, jn) : tj,
                    sa);
          },
          [&] { s.append(c, big), Modify(i, len + big, false, t + string(big, c)); },
          [&] { s.prepend(c, big), Modify(i, len + big, false, string(big, c) + t); },
          [&] { alt ? s.append(c) : s += c, Modify(i, len + 1, false, t + c); },
          [&] {
            s.resize(big);
            if (big != len) Modify(i, big, false, (t + string(big, ' ')).substr(0, big));
          },
          [&] { alt ? s.toUpper() : s.toLower(), Modify(i, 0, false, Fold(t, alt)); },
          [&, &cs = static_cast<const VXString&>(s)] {
            VXF_CHECK(std::make_tuple(
                          cs.first(c), cs.index(c, n), cs.last(c),
                          alt ? cs.first(p, bytes.size()) : cs.first(p), cs.hash(), cs[pos],
                          alt ? cs.index(p, bytes.size(), n, mode) : cs.index(p, n, mode),
                          cs.index(sj, n, mode), cs.index(sj, std::min(cnt, tj.size()), n, mode),
                          cs.contains(sj, mode), cs.contains(p, mode), cs == p, cs == sj,
                          Sign(alt ? cs.compareTo(p, bytes.size(), mode) : cs.compareTo(p, mode)),
                          Sign(cs.compareTo(sj, mode))) ==
                      std::make_tuple(t.find(c), t.find(c, n), t.rfind(c), t.find_first_of(ps),
                                      Hash(t), t[pos], Find(t, ps, n, ic), Find(t, tj, n, ic),
                                      Find(t, tj.substr(0, cnt), n, ic), Find(t, tj, 0, ic) != NPOS,
                                      Find(t, sz, 0, ic) != NPOS, t == sz, t == tj,
                                      Sign(Key(t, ic).compare(Key(ps, ic))),
                                      Sign(Key(t, ic).compare(Key(tj, ic)))));
          },
          [&] {  // a view by strip or by range, and a string made of it
            const auto type = static_cast<VXString::EStripType>(1 + big % 3);
            size_t at = alt ? 0 : pos, vl = alt ? len : cnt % (len - pos + 1);
            while (alt && (type & 1) && vl > 0 && t[at] == c) ++at, --vl;
            while (alt && (type & 2) && vl > 0 && t[at + vl - 1] == c) --vl;
            const vx::VXSubString v = alt ? s.strip(type, c) : s(at, vl);
            const string vb = t.substr(at, vl);
            VXF_CHECK(v.start() == at && v.length() == vl && v.data() == s.data() + at);
            VXF_CHECK((v == sj(0, tj.size())) == (vb == tj) && (p == v) == (vb == sz));
            s = VXString(v), m[i] = Fresh(vb);
          },
          [&] {  // a move hands the record over and leaves a string without one; a swap trades
            alt ? void(s = std::move(sj)) : ic ? void(s = VXString(std::move(sj))) : swap(s, sj);
            std::swap(m[i], m[j]), (alt || ic) && i != j ? void(m[j] = None()) : void();
          });
    } catch (const std::bad_alloc&) {  // the library's state must be as it was: the model's
      VXF_CHECK(vxtest::AllocationFailureFired() || big >= PTRDIFF_MAX);
    }
  }
};

}  // namespace

void vxf::Run(vxf::In in) {
  for (Session session{in}; session.in.n > 0;) session.Step(), session.Verify();
}
