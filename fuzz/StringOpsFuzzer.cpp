// string_ops: a program of string operations run on the library and on a
// small model written from the documented rules; any difference aborts.
//
// Input: steps, each an opcode byte (low 5 bits: the operation; bit 5: the
// form, such as counted or measured; bit 6: searches and comparisons ignore
// case; bit 7: the source is j's own text) followed by its parameters, always
// the same in the same order (see Step): a null source now and then, the
// target string i of four, a second string j, a position, a count (also a
// search start), a size, a byte, and the source: a text of the input or j's
// text, from an offset, with a count.
//
// The model keeps each string's text, its capacity by the two growth rules
// (in place: at least half again; a fresh or copied record: just the room
// needed), the unshareable mark and which strings hold one record
// (shared_ptr identity). After every step each string's text, terminator and
// capacity must match, and two strings' data() must be equal exactly when
// they hold one record (or neither has a buffer).

#include <array>
#include <deque>
#include <memory>
#include <tuple>

#include "fuzz/support/FuzzHarness.h"

namespace {

using std::string;
using vx::NPOS;
using vx::VXString;
struct Rec {
  string text;
  size_t cap;  // 0: no buffer
  bool unshareable;
};
using Ref = std::shared_ptr<Rec>;
constexpr size_t K = 4;

// The capacity after making room for `need` bytes: the larger of need + 1 and
// one and a half times the old capacity, rounded up to 8.
size_t Grow(size_t cap, size_t need) {
  return need < cap ? cap : (std::max(need + 1, cap * 3 / 2) + 7) / 8 * 8;
}
// A fresh or copied record: room for the larger of the text and `room` only.
Ref Fresh(const string& text, size_t room = 0) {
  return std::make_shared<Rec>(Rec{text, Grow(0, std::max(text.size(), room)), false});
}
Ref None() { return std::make_shared<Rec>(Rec{"", 0, false}); }
string Fold(string t, bool up) {  // toupper or tolower in the default locale: ASCII letters only
  for (char& c : t) c ^= (c | 32) >= 'a' && (c | 32) <= 'z' && (c >= 'a') == up ? 32 : 0;
  return t;
}
size_t Find(const string& t, const string& p, size_t start, bool ic) {
  const size_t at = ic ? Fold(t, true).find(Fold(p, true), start) : t.find(p, start);
  return at == t.size() ? NPOS : at;  // the empty pattern is not found at the end
}
std::uintptr_t Addr(const char* p) { return reinterpret_cast<std::uintptr_t>(p); }
size_t Hash(const string& t) {  // each byte sign-extended
  size_t h = 0;
  for (const signed char c : t) h ^= static_cast<size_t>(c) + 0x9E3779B9u + (h << 6) + (h >> 2);
  return h;
}
int Sign(int v) { return (v > 0) - (v < 0); }
// The order of two texts: exact, by unsigned bytes; ignoring case, by the
// upper-case bytes as signed chars (0x80 and above first), then by length.
int Order(const string& a, const string& b, bool ic) {
  if (!ic) return Sign(a.compare(b));
  const string x = Fold(a, true), y = Fold(b, true);
  for (size_t k = 0; k < x.size() && k < y.size(); ++k) {
    if (x[k] != y[k]) return Sign(static_cast<signed char>(x[k]) - static_cast<signed char>(y[k]));
  }
  return Sign(static_cast<int>(x.size() > y.size()) - static_cast<int>(x.size() < y.size()));
}

struct Session {
  vxf::In in;
  std::array<VXString, K> lib{};
  std::array<Ref, K> m{None(), None(), None(), None()};
  std::deque<string> pool{};  // texts handed to the library, alive for the whole input

  // A change in the string's own buffer: a shared record is copied first.
  void Modify(size_t i, size_t need, bool unshareable, const string& text) {
    if (m[i].use_count() > 1) m[i] = Fresh(m[i]->text, need);
    m[i]->cap = Grow(m[i]->cap, need), m[i]->unshareable = unshareable, m[i]->text = text;
  }
  // Splicing: in place when alone, with room, and not fed from its own text.
  void Replace(size_t i, size_t pos, size_t n, const string& s, bool aliased) {
    const size_t len = m[i]->text.size();
    const string t = string(m[i]->text).replace(pos, std::min(n, len - pos), s);
    if (m[i].use_count() > 1 || m[i]->cap <= t.size() || aliased) m[i] = Fresh(t, len);
    m[i]->text = t, m[i]->unshareable = false;
  }
  void Assign(size_t i, size_t j) {  // from an unshareable string: a copy of its bytes
    (m[j]->unshareable && i != j) ? Modify(i, m[j]->text.size(), false, m[j]->text)
                                  : void(m[i] = m[j]);
  }
  void Verify() {
    for (size_t x = 0; x < K * K; ++x) {
      const size_t i = x / K, j = x % K;
      VXF_CHECK(lib[i].view() == m[i]->text && *lib[i].end() == 0 &&
                lib[i].capacity() == m[i]->cap);
      VXF_CHECK((lib[i].data() == lib[j].data()) == (m[i] == m[j] || m[i]->cap + m[j]->cap == 0));
      if (j == 0 && m[i]->text.size() > 4096) lib[i].remove(16), Replace(i, 16, NPOS, "", false);
    }
  }

  void Step() {
    const std::uint8_t op = in.B();
    const bool alt = op & 0x20, ic = op & 0x40, own = op & 0x80, none = in.N(8) == 0;
    const size_t i = in.N(K), j = in.N(K), len = m[i]->text.size(), pos = in.N(len + 1);
    const size_t n = in.N(4) ? in.N(len + 2) : NPOS, big = in.N(8) ? in.N(40) : in.N(3000);
    const char c = len > 0 && in.N(2) ? m[i]->text[in.N(len)] : static_cast<char>(in.B());
    const string& from = own ? m[j]->text : pool.emplace_back(in.Text());
    const size_t off = in.N(from.size() + 1), cnt = in.N(from.size() - off + 1);
    const char* p = none ? nullptr : (own ? lib[j].data() : from.c_str()) + off;
    const string bytes(p ? p : "", p ? cnt : 0), sz(p ? p : ""), t = m[i]->text, tj = m[j]->text;
    const string &ps = alt ? bytes : sz, rz = (t + string(big, ' ')).substr(0, big);
    VXString& s = lib[i];
    const VXString &cs = s, &sj = lib[j];
    const bool pa = Addr(p) - Addr(s.data()) < len, sa = Addr(sj.data()) - Addr(s.data()) < len;
    const auto mode = ic ? VXString::IgnoreCase : VXString::Exact;
    auto E = [&](auto f, size_t a, size_t r, auto& x, bool q) { f(), Replace(i, a, r, x, q); };
    auto F = [&](auto f, size_t r, const string& x) { f(), Modify(i, r, false, x); };
    vxf::Pick(
        (op & 0x1F) % 23, [&] { s = VXString(), m[i] = None(); },
        [&] { s = VXString(p), m[i] = Fresh(sz); },  // null is taken as ""
        [&] { s = VXString(p, bytes.size()), m[i] = Fresh(bytes); },
        [&] { s = VXString(big), m[i] = Fresh("", big); },
        [&] { s = VXString(c, big), m[i] = Fresh(string(big, c)); },
        [&] { s = VXString(sj), m[i] = m[j]->unshareable ? Fresh(tj) : m[j]; },
        [&] { s = sj, Assign(i, j); }, [&] { F([&] { s = c; }, 1, string(1, c)); },
        [&] { E([&] { s = p; }, 0, len, sz, pa); },
        [&] {  // the writable index, and a byte written through its reference (not the NUL)
          pos < len ? void((alt ? s[pos] : s(pos)) = c) : void(s[pos]);
          Modify(i, 0, true, pos < len ? string(t).replace(pos, 1, 1, c) : t);
        },
        [&] { E([&] { alt ? s.append(p, cnt) : s += p; }, len, 0, ps, pa); },
        [&] { E([&] { alt ? s.prepend(p, cnt) : s.prepend(p); }, 0, 0, ps, pa); },
        [&] { E([&] { alt ? s.insert(pos, p, cnt) : s.insert(pos, p); }, pos, 0, ps, pa); },
        [&] { E([&] { alt ? s.remove(pos, n) : s.remove(pos); }, pos, alt ? n : len, "", false); },
        [&] { E([&] { alt ? s.replace(pos, n, p, cnt) : s.replace(pos, n, p); }, pos, n, ps, pa); },
        [&] { E([&] { alt ? s.append(sj) : s.insert(pos, sj); }, alt ? len : pos, 0, tj, sa); },
        [&] { F([&] { s.append(c, big); }, len + big, t + string(big, c)); },
        [&] { F([&] { s.prepend(c, big); }, len + big, string(big, c) + t); },
        [&] { F([&] { alt ? s.append(c) : s += c; }, len + 1, t + c); },
        [&] { s.resize(big), big == len ? void() : Modify(i, big, false, rz); },
        [&] { F([&] { alt ? s.toUpper() : s.toLower(); }, 0, Fold(t, alt)); },
        [&] {
          VXF_CHECK(
              std::make_tuple(cs.first(c), cs.index(c, n), cs.last(c),
                              alt ? cs.first(p, bytes.size()) : cs.first(p), cs.hash(), cs[pos],
                              alt ? cs.index(p, bytes.size(), n, mode) : cs.index(p, n, mode),
                              cs.index(sj, n, mode), cs.contains(sj, mode), cs == p, cs == sj) ==
              std::make_tuple(t.find(c), t.find(c, n), t.rfind(c), t.find_first_of(ps), Hash(t),
                              t[pos], Find(t, ps, n, ic), Find(t, tj, n, ic),
                              Find(t, tj, 0, ic) != NPOS, t == sz, t == tj));
          VXF_CHECK(Sign(alt ? cs.compareTo(p, bytes.size(), mode) : cs.compareTo(p, mode)) ==
                        Order(t, ps, ic) &&
                    Sign(cs.compareTo(sj, mode)) == Order(t, tj, ic));
        },
        [&] {  // a view by strip or by range, and a string made of it
          const auto type = static_cast<VXString::EStripType>(1 + big % 3);
          size_t at = alt ? 0 : pos, vl = alt ? len : cnt % (len - pos + 1);
          while (alt && (type & 1) && vl > 0 && t[at] == c) ++at, --vl;
          while (alt && (type & 2) && vl > 0 && t[at + vl - 1] == c) --vl;
          const vx::VXSubString v = alt ? s.strip(type, c) : cs(at, vl);
          const string vb = t.substr(at, vl);
          VXF_CHECK(v.start() == at && v.length() == vl && v.data() == cs.data() + at);
          VXF_CHECK((v == sj(0, tj.size())) == (vb == tj) && (p == v) == (vb == sz));
          s = VXString(v), m[i] = Fresh(vb);
        });
  }
};

}  // namespace

void vxf::Run(vxf::In in) {
  for (Session session{in}; session.in.n > 0;) session.Step(), session.Verify();
}
