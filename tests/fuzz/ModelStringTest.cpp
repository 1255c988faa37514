// The reference model of the differential string fuzz target, checked against
// the worked examples of the string's documentation: a model that is wrong
// would report faults that are not there, or hide real ones.

#include "fuzz/support/ModelString.h"
#include "fuzz/support/ModelText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vxfuzz::ModelString;
namespace model = vxfuzz::model;

std::string Bytes(const char* s, std::size_t n) { return std::string(s, n); }

TEST(ModelString, GrowthInPlaceFollowsTheDocumentedSeries) {
  ModelString s;
  std::vector<std::size_t> seen;
  for (int i = 0; i < 400; ++i) {
    s.AppendChars('x', 1);
    if (seen.empty() || seen.back() != s.capacity()) seen.push_back(s.capacity());
  }
  EXPECT_EQ(seen, (std::vector<std::size_t>{8, 16, 24, 40, 64, 96, 144, 216, 328, 496}));
  EXPECT_EQ(ModelString::GrownCapacity(24, 35), 40u);
  EXPECT_EQ(ModelString::GrownCapacity(8, 100), 104u);
  EXPECT_EQ(ModelString::GrownCapacity(16, 15), 16u);
}

TEST(ModelString, ConstructorsReserveRoomForTheTerminator) {
  EXPECT_EQ(ModelString().capacity(), 0u);
  EXPECT_EQ(ModelString::FromBytes("").capacity(), 8u);
  EXPECT_EQ(ModelString::WithRoom(7).capacity(), 8u);
  EXPECT_EQ(ModelString::WithRoom(8).capacity(), 16u);
  EXPECT_EQ(ModelString::Repeated('c', 0).capacity(), 8u);
  EXPECT_EQ(ModelString::FromBytes(Bytes("a\0b", 3)).length(), 3u);
}

TEST(ModelString, SplicingAndFillingGrowDifferently) {
  ModelString spliced = ModelString::FromBytes(std::string(23, 'a'));
  ASSERT_EQ(spliced.capacity(), 24u);
  ModelString filled = spliced;
  const std::string x = "x";
  spliced.Replace(spliced.length(), 0, &x, false);
  filled.AppendChars('x', 1);
  EXPECT_EQ(spliced.capacity(), 32u);
  EXPECT_EQ(filled.capacity(), 40u);
  EXPECT_FALSE(spliced.SharesRecordWith(filled));
}

TEST(ModelString, SharedRecordsDetachOnChange) {
  ModelString s = ModelString::FromBytes(std::string(20, 'q'));
  ModelString t = s;
  EXPECT_TRUE(t.SharesRecordWith(s));
  const std::string one = "1";
  t.Replace(0, t.length(), &one, false);  // operator=(const char*)
  EXPECT_EQ(t.capacity(), 24u);
  EXPECT_EQ(s.text(), std::string(20, 'q'));

  ModelString u = s;
  u.Resize(u.length());  // resizing to the same length keeps the share
  EXPECT_TRUE(u.SharesRecordWith(s));
}

TEST(ModelString, UnshareableRecordsAreCopiedUntilTheNextEdit) {
  ModelString s = ModelString::FromBytes("hello");
  ModelString before = s;
  s.MakeUnshareable();
  EXPECT_FALSE(s.SharesRecordWith(before));
  s.SetByte(0, 'j');
  EXPECT_EQ(before.text(), "hello");
  ModelString copy = s;
  EXPECT_FALSE(copy.SharesRecordWith(s));
  EXPECT_EQ(copy.text(), "jello");
  ModelString assigned;
  assigned = s;
  EXPECT_FALSE(assigned.SharesRecordWith(s));
  EXPECT_TRUE(s.unshareable());
  s.AssignChar('y');
  ModelString again = s;
  EXPECT_TRUE(again.SharesRecordWith(s));
}

TEST(ModelString, SplicingEditsFromTheDocumentation) {
  auto edit = [](const char* text, std::size_t pos, std::size_t n, const std::string* src) {
    ModelString s = ModelString::FromBytes(text);
    s.Replace(pos, n, src, false);
    return s.text();
  };
  const std::string xy = "XY";
  const std::string ab = "ab";
  EXPECT_EQ(edit("hello", 2, 3, nullptr), "he");
  EXPECT_EQ(edit("hello", 1, 2, nullptr), "hlo");
  EXPECT_EQ(edit("hello", 1, model::kNpos, nullptr), "h");
  EXPECT_EQ(edit("hello", 1, 3, &xy), "hXYo");
  EXPECT_EQ(edit("hello", 0, 0, &ab), "abhello");

  ModelString self = ModelString::FromBytes("abc");
  const std::string own = self.text();
  self.Replace(1, 0, &own, true);
  EXPECT_EQ(self.text(), "aabcbc");
  EXPECT_EQ(self.capacity(), 8u);  // through a new record, sized to the result

  ModelString empty;
  empty.Replace(0, model::kNpos, nullptr, false);
  EXPECT_EQ(empty.capacity(), 8u);
}

TEST(ModelText, SearchesFromTheDocumentation) {
  EXPECT_EQ(model::FindByte("hello", 'l', 0), 2u);
  EXPECT_EQ(model::LastByte("hello", 'l'), 3u);
  EXPECT_EQ(model::FindByte("hello", 'l', 4), model::kNpos);
  EXPECT_EQ(model::FindAnyOf("hello", "ol"), 2u);
  EXPECT_EQ(model::FindAnyOf("hello", ""), model::kNpos);
  EXPECT_EQ(model::FindSequence("abc", "", 2, false), 2u);
  EXPECT_EQ(model::FindSequence("abc", "", 3, false), model::kNpos);
  EXPECT_EQ(model::FindSequence("", "", 0, false), model::kNpos);
  EXPECT_EQ(model::FindSequence("hello", "LL", 0, true), 2u);
  EXPECT_EQ(model::FindSequence("hello", "LL", 0, false), model::kNpos);
  EXPECT_EQ(model::FindSequence("hello", "lo", 4, false), model::kNpos);
  EXPECT_EQ(model::FindSequence(Bytes("a\0b", 3), Bytes("\0b", 2), 0, false), 1u);
}

TEST(ModelText, ComparisonsAndHashesFromTheDocumentation) {
  EXPECT_TRUE(model::Agrees(-7, model::Compare("abc", "abd", false)));
  EXPECT_EQ(model::Compare("abc", "ab", true).value, 1);
  EXPECT_EQ(model::Compare("ab", "abc", false).value, -1);
  EXPECT_EQ(model::Compare("ABC", "abc", true).value, 0);
  EXPECT_EQ(model::Compare("_", "a", true).value, 30);
  EXPECT_EQ(model::Compare("\x80", "A", true).value, -193);
  EXPECT_TRUE(model::Agrees(1, model::Compare("\x80", "A", false)));
  EXPECT_FALSE(model::Agrees(0, model::Compare("a", "b", false)));

  EXPECT_EQ(model::Hash(""), 0u);
  EXPECT_EQ(model::Hash(Bytes("\0", 1)), 0x9E3779B9u);
  EXPECT_EQ(model::Hash("\xFF"), 0x9E3779B8u);
  EXPECT_EQ(model::Hash("a"), 0x9E377A1Au);
  EXPECT_EQ(model::Hash("abc"), 0x00000A16FB515711u);
}

TEST(ModelText, StripFromTheDocumentation) {
  using Range = std::pair<std::size_t, std::size_t>;
  EXPECT_EQ(model::Strip("  ab  ", 1, ' '), Range(2, 4));
  EXPECT_EQ(model::Strip("  ab  ", 2, ' '), Range(0, 4));
  EXPECT_EQ(model::Strip("  ab  ", 3, ' '), Range(2, 2));
  EXPECT_EQ(model::Strip("xxxx", 3, 'x'), Range(4, 0));
  EXPECT_EQ(model::Strip("xxxx", 2, 'x'), Range(0, 0));
  EXPECT_EQ(model::Strip("", 3, 'x'), Range(0, 0));
}

}  // namespace
