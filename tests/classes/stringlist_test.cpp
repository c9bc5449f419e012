#include <gtest/gtest.h>

#include "tests/support/messages.h"

#include <vector>

#include "classes/lists.h"
#include "runtime/text.h"
#include "tests/classes/value_filer.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

using Lines_t = std::vector<std::string>;

class ChangeCounter : public TObject {
 public:
  int changing = 0;
  int changed = 0;
  std::vector<int> countsSeenByChanging;
  void Changing(TObject* sender) {
    ++changing;
    countsSeenByChanging.push_back(static_cast<TStrings*>(sender)->Count());
  }
  void Changed(TObject*) { ++changed; }
  void Watch(TStringList& list) {
    list.OnChanging = TNotifyEvent(this, &ChangeCounter::Changing);
    list.OnChange = TNotifyEvent(this, &ChangeCounter::Changed);
  }
};

TEST(StringListSorted, IgnoreDuplicatesKeepsTheFirst) {
  TStringList list;
  list.SetSorted(true);
  list.Add("b");
  EXPECT_EQ(list.Add("abc"), 0);
  EXPECT_EQ(list.Add("ABC"), 0);
  EXPECT_EQ(Lines(list), (Lines_t{"abc", "b"}));
}

TEST(StringListSorted, RejectDuplicatesRaises) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(RejectDuplicates);
  list.Add("abc");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Add("ABC"); }),
            "String list does not allow duplicates");
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringListSorted, AcceptDuplicatesGoBeforeEqual) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(AcceptDuplicates);
  list.Add("b");
  list.Add("a");
  list.Add("B");
  EXPECT_EQ(Lines(list), (Lines_t{"a", "B", "b"}));
  std::int32_t index = -1;
  EXPECT_TRUE(list.FindSorted("b", index));
  EXPECT_EQ(index, 1);  // the first of the equal ones
  EXPECT_FALSE(list.FindSorted("ab", index));
  EXPECT_EQ(index, 1);  // insertion point
  EXPECT_EQ(list.IndexOf("A"), 0);
  EXPECT_EQ(list.IndexOf("c"), -1);
}

TEST(StringListSorted, PositionalChangesAreRefused) {
  TStringList list;
  list.Add("x");
  list.SetSorted(true);
  const std::string sorted = "Operation not allowed on sorted string list";
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(0, "a"); }), sorted);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Put(0, "a"); }), sorted);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Put(5, "a"); }), sorted);  // sorted checked first
  EXPECT_EQ(Lines(list), (Lines_t{"x"}));
}

TEST(StringListSorted, SettingSortedSortsAndClearingKeepsOrder) {
  TStringList list;
  const char* words[] = {"pear", "Apple", "fig", "banana", "apple", "Cherry", "date", "elder"};
  for (const char* w : words) list.Add(w);
  TObject marker;
  list.PutObject(1, &marker);
  list.SetSorted(true);
  const Lines_t sorted = Lines(list);
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    EXPECT_LE(CompareLocaleNoCase(sorted[i - 1], sorted[i]), 0)
        << sorted[i - 1] << " " << sorted[i];
  }
  // The object travels with its string.
  bool found = false;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.GetObject(i) == &marker) {
      found = true;
      EXPECT_EQ(list.Get(i), "Apple");
    }
  }
  EXPECT_TRUE(found);
  list.SetSorted(false);
  EXPECT_EQ(Lines(list), sorted);
  list.Add("aaa");  // unsorted lists append
  EXPECT_EQ(list.Get(list.Count() - 1), "aaa");
}

TEST(StringListSorted, LargeRandomInputEndsOrderedAndFindable) {
  TStringList list;
  std::uint32_t seed = 12345;
  std::vector<std::string> added;
  for (int i = 0; i < 2000; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string s = "k" + std::to_string(seed % 500);  // many duplicates
    added.push_back(s);
    list.Add(s);
  }
  list.Sort();
  for (int i = 1; i < list.Count(); ++i) {
    ASSERT_LE(CompareLocaleNoCase(list.Get(i - 1), list.Get(i)), 0);
  }
  list.SetSorted(true);
  for (const auto& s : added) ASSERT_GE(list.IndexOf(s), 0) << s;
}

TEST(StringListIndices, OutOfRangeRaises) {
  TStringList list;
  list.Add("a");
  const std::string bounds = "List index out of bounds";
  EXPECT_EQ(MessageOf<EListError>([&] { list.Get(1); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.GetObject(-1); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.PutObject(1, nullptr); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Delete(1); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Exchange(0, 1); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(2, "x"); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Put(1, "x"); }), bounds);
  list.Insert(1, "b");
  EXPECT_EQ(Lines(list), (Lines_t{"a", "b"}));
  EXPECT_THROW(list.SetCapacity(1), EListError);
}

TEST(StringListEvents, OneBracketRaisesOneChangingAndOneChange) {
  TStringList list;
  ChangeCounter counter;
  counter.Watch(list);
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.EndUpdate();
  list.Add("c");
  EXPECT_EQ(counter.changing, 1);
  EXPECT_EQ(counter.changed, 0);
  list.EndUpdate();
  EXPECT_EQ(counter.changing, 1);
  EXPECT_EQ(counter.changed, 1);
}

TEST(StringListEvents, EachChangeIsAnnouncedBeforeAndAfter) {
  TStringList list;
  ChangeCounter counter;
  counter.Watch(list);
  list.Add("b");
  list.Add("a");
  EXPECT_EQ(counter.countsSeenByChanging, (std::vector<int>{0, 1}));
  list.Put(0, "c");
  list.PutObject(0, nullptr);
  list.Exchange(0, 1);
  list.Delete(0);
  EXPECT_EQ(counter.changing, 6);
  EXPECT_EQ(counter.changed, 6);
  list.Clear();
  list.Clear();  // nothing to clear: no events
  EXPECT_EQ(counter.changing, 7);
  list.Sort();  // fewer than 2 entries: no events
  EXPECT_EQ(counter.changed, 7);
  list.Text();           // reading changes nothing
  list.SetText("x\ny");  // one bracket
  EXPECT_EQ(counter.changing, 8);
  EXPECT_EQ(counter.changed, 8);
}

TEST(StringListEvents, DestructionRaisesNothing) {
  ChangeCounter counter;
  {
    TStringList list;
    list.Add("a");
    counter.Watch(list);
  }
  EXPECT_EQ(counter.changing, 0);
  EXPECT_EQ(counter.changed, 0);
}

TEST(StringsText, LineBreakRules) {
  TStringList list;
  list.Add("x");
  list.Add("");
  EXPECT_EQ(list.Text(), "x\r\n\r\n");
  list.SetText(list.Text());
  EXPECT_EQ(Lines(list), (Lines_t{"x", ""}));
  list.SetText("a\r\nb");
  EXPECT_EQ(Lines(list), (Lines_t{"a", "b"}));
  list.SetText("a\n\rb");
  EXPECT_EQ(Lines(list), (Lines_t{"a", "", "b"}));
  list.SetText("a\rb\n\nc\r\n");
  EXPECT_EQ(Lines(list), (Lines_t{"a", "b", "", "c"}));
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Text(), "");
  list.SetTextBuffer("p\nq");
  EXPECT_STREQ(list.GetTextBuffer().get(), "p\r\nq\r\n");
}

TEST(StringsOperations, MoveExchangeAddStringsAndEquals) {
  TStringList a;
  a.SetText("one\ntwo\nthree");
  TObject tag;
  a.PutObject(0, &tag);
  a.Move(0, 2);
  EXPECT_EQ(Lines(a), (Lines_t{"two", "three", "one"}));
  EXPECT_EQ(a.GetObject(2), &tag);
  a.AddStrings(a);  // its own strings, once
  EXPECT_EQ(a.Count(), 6);
  EXPECT_EQ(a.GetObject(5), &tag);

  TStringList b;
  b.CopyFrom(&a);
  EXPECT_TRUE(b.Equals(a));
  b.Put(0, "TWO");
  EXPECT_FALSE(b.Equals(a));  // case-sensitive
  b.CopyFrom(&b);             // onto itself: nothing lost
  EXPECT_EQ(b.Count(), 6);
  EXPECT_EQ(MessageOf<EConvertError>([&] { b.CopyFrom(nullptr); }),
            "Cannot assign a nil to a TStringList");
}

TEST(StringsStreams, SaveAndLoadThroughAStream) {
  TStringList list;
  list.SetText("alpha\nbeta");
  TMemoryStream stream;
  stream.WriteBuffer("head:", 5);
  list.SaveToStream(stream);
  EXPECT_EQ(stream.Size(), 5 + 13);
  stream.SetPosition(5);
  TStringList loaded;
  loaded.Add("old");
  loaded.LoadFromStream(stream);
  EXPECT_EQ(Lines(loaded), (Lines_t{"alpha", "beta"}));
  stream.SetPosition(stream.Size() + 4);  // past the end: empty text
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Count(), 0);
}

TEST(StringsStoredData, ReadsStringsAndDeclaresDataWhenNotEmpty) {
  TStringList list;
  list.Add("stale");
  ValueFiler filer("Strings", {ListStart{}, std::string("one"), std::string("two"), ListEnd{}});
  list.DeclareStoredData(filer);
  EXPECT_TRUE(filer.consumed);
  EXPECT_EQ(filer.Remaining(), 0u);
  EXPECT_EQ(Lines(list), (Lines_t{"one", "two"}));
  ASSERT_EQ(filer.declared.size(), 1u);
  EXPECT_TRUE(filer.declared[0].second);  // hasData: stale was there when declared

  TStringList empty;
  ValueFiler other("Nothing", {});
  empty.DeclareStoredData(other);
  EXPECT_FALSE(other.declared[0].second);
  TStringList same;
  same.SetText("one\ntwo");
  other.SetAncestor(&same);
  list.DeclareStoredData(other);
  EXPECT_FALSE(other.declared[1].second);  // equal to the ancestor's

  ValueFiler bad("Strings", {ListStart{}, 5, ListEnd{}});
  EXPECT_THROW(list.DeclareStoredData(bad), EReadError);
}

}  // namespace
