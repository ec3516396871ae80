#include <gtest/gtest.h>

#include <QSignalSpy>

#include "polling/message_list/message_list_model.h"
#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {
namespace {

class MessageListModelTest : public ::testing::Test {
 protected:
  uint64_t Add(TSyncPop3Cli* client, const std::string& uidl, int number = 1, const std::string& subject = "s",
               uint64_t size = 100, const std::string& date = "", const std::string& contentType = "//",
               RowIcon keep = RowIcon::None) {
    NewMessageRow m;
    m.Number = number;
    m.Sender = "ann@example.test";
    m.Subject = subject;
    m.Date = date;
    m.Size = size;
    m.Mailbox = client == &a ? "A" : "B";
    m.ContentType = contentType;
    m.Uidl = uidl;
    m.Client = client;
    m.Keep = keep;
    return list.AddRow(m);
  }
  std::vector<std::string> Column(int sub) const {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Row(i).SubItems[static_cast<size_t>(sub)]);
    return out;
  }

  TSyncPop3Cli a, b;
  MessageListModel list;
};

TEST_F(MessageListModelTest, AddRowFillsTheSubItemsWithTheirNotes) {
  NewMessageRow m;
  m.Number = 3;
  m.Sender = "ann@example.test";
  m.SenderNote = "\xA0(ann*)\xA0";
  m.Subject = "Caf\xE9";
  m.SubjectNote = "\xA0(caf)\xA0";
  m.Date = "15/11/1994 08:12:31";
  m.Size = 1200000;
  m.Mailbox = "Maison";
  m.ContentType = "iso-8859-1/text/plain/8bit";
  m.Uidl = "u1";
  m.To = "bob@example.test";
  m.ToNote = "\xA0(bob)\xA0";
  m.Cc = "cc@example.test";
  m.CcNote = "\xA0(cc)\xA0";
  m.Client = &a;
  const uint64_t id = list.AddRow(m);

  const MessageRow& r = list.Row(0);
  EXPECT_EQ(r.Id, id);
  EXPECT_EQ(r.Number, "3");
  EXPECT_EQ(r.SubItems, (std::array<std::string, 9>{"ann@example.test\xA0(ann*)\xA0", "Caf\xE9\xA0(caf)\xA0",
                                                    "15/11/1994 08:12:31", "1.200.000", "Maison",
                                                    "iso-8859-1/text/plain/8bit", "u1", "bob@example.test\xA0(bob)\xA0",
                                                    "cc@example.test\xA0(cc)\xA0"}));
  EXPECT_EQ(r.Client, &a);
  // The view gets Unicode; the engine keeps Windows-1252.
  EXPECT_EQ(list.data(list.index(0, 2), Qt::DisplayRole).toString(), QString::fromUtf8("Café\u00A0(caf)\u00A0"));
  EXPECT_EQ(list.data(list.index(0, 0), Qt::DisplayRole).toString(), "3");
  EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("N° Msg"));
  EXPECT_EQ(list.headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(),
            QString::fromUtf8("Champ Destinataire  'À'"));
  EXPECT_EQ(list.columnCount(), 10);
}

TEST_F(MessageListModelTest, IconOfANewRow) {
  struct Case {
    const char* contentType;
    RowIcon keep;
    int icon;
  } cases[] = {
      {"iso-8859-1/text/plain/8bit", RowIcon::None, 0},
      {"/multipart/mixed/", RowIcon::None, 6},
      {"/MULTIPART/alternative/", RowIcon::None, 6},  // lower-cased before the test
      {"/multipart/mixed/", RowIcon::WhiteList, 4},     // the keep icon replaces the multipart one
      {"//", RowIcon::CaughtKept, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(NewRowIcon(c.contentType, c.keep), c.icon) << c.contentType;
  Add(&a, "u", 1, "s", 1, "", "/multipart/mixed/");
  EXPECT_EQ(list.data(list.index(0, 3), MessageListModel::IconRole).toInt(), 6);
}

TEST_F(MessageListModelTest, DisplayedRowTakesTheOddIconOnce) {
  const uint64_t plain = Add(&a, "u1");
  const uint64_t multi = Add(&a, "u2", 2, "s", 1, "", "/multipart/mixed/");
  const uint64_t caught = Add(&a, "u3", 3, "s", 1, "", "//", RowIcon::CaughtKept);
  for (uint64_t id : {plain, multi, caught}) list.MarkDisplayed(id);
  EXPECT_EQ(list.Find(plain)->Icon, 1);
  EXPECT_EQ(list.Find(multi)->Icon, 7);
  EXPECT_EQ(list.Find(caught)->Icon, 3);
  list.MarkDisplayed(plain);  // shown again: still the displayed plain icon, not the caught one
  EXPECT_EQ(list.Find(plain)->Icon, 1);
}

TEST_F(MessageListModelTest, KnownMessageIsFoundOnlyAmongItsMailboxRowsBeforeTheLimit) {
  Add(&a, "same", 1);
  Add(&b, "same", 1);
  Add(&a, "late", 2);
  EXPECT_EQ(list.FindKnown("same", &a, 3), 0);
  EXPECT_EQ(list.FindKnown("same", &b, 3), 1);  // another mailbox's equal UIDL is not this message
  EXPECT_EQ(list.FindKnown("same", &b, 1), -1);
  EXPECT_EQ(list.FindKnown("late", &a, 2), -1);  // rows added by this check are not scanned
  EXPECT_EQ(list.FindKnown("SAME", &a, 3), -1);  // exact comparison

  QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
  list.SetNumber(1, 4);
  list.SetNumber(1, 4);
  EXPECT_EQ(list.Row(1).Number, "4");
  EXPECT_EQ(changed.count(), 1);
}

// The lookup the check uses: the first row in list order, kept right through sorts and removals.
TEST_F(MessageListModelTest, KnownRowThroughSortsAndRemovals) {
  const uint64_t z = Add(&a, "dup", 1, "zz");
  Add(&b, "dup", 1, "aa");
  const uint64_t y = Add(&a, "dup", 2, "yy");
  const uint64_t fresh = Add(&a, "new", 3, "mm");
  EXPECT_EQ(list.FindKnownRow("dup", &a, {}), list.IndexOf(z));
  EXPECT_EQ(list.FindKnownRow("dup", &b, {}), 1);
  EXPECT_EQ(list.FindKnownRow("new", &a, {fresh}), -1);  // added by this check: not a known one
  EXPECT_EQ(list.FindKnownRow("none", &a, {}), -1);
  ASSERT_TRUE(list.Sort(MessageListModel::kSubject + 1));  // aa, mm, yy, zz
  EXPECT_EQ(list.FindKnownRow("dup", &a, {}), list.IndexOf(y));
  EXPECT_EQ(list.IndexOf(y), 2);
  list.RemoveVanished(&a, {"new", "dup"});
  list.RemoveVanished(&b, {});
  EXPECT_EQ(list.FindKnownRow("dup", &b, {}), -1);
  EXPECT_EQ(list.FindKnownRow("dup", &a, {}), list.IndexOf(y));
  EXPECT_EQ(list.IndexOf(y), 1);
  list.Clear();
  EXPECT_EQ(list.FindKnownRow("dup", &a, {}), -1);
  const uint64_t again = Add(&a, "dup");
  EXPECT_EQ(list.FindKnownRow("dup", &a, {}), list.IndexOf(again));
}

TEST_F(MessageListModelTest, VanishedRowsOfOneMailboxLeaveAndIdsStay) {
  const uint64_t a1 = Add(&a, "a1");
  const uint64_t b1 = Add(&b, "b1");
  const uint64_t a2 = Add(&a, "a2");
  const uint64_t a3 = Add(&a, "a3");
  const uint64_t b2 = Add(&b, "gone");  // gone from B, but only A is cleaned up now
  list.RemoveVanished(&a, {"a1", "b1", "gone"});
  EXPECT_EQ(Column(MessageListModel::kUidl), (std::vector<std::string>{"a1", "b1", "gone"}));
  EXPECT_EQ(list.IndexOf(a1), 0);
  EXPECT_EQ(list.IndexOf(b1), 1);
  EXPECT_EQ(list.IndexOf(b2), 2);
  EXPECT_EQ(list.IndexOf(a2), -1);
  EXPECT_EQ(list.Find(a3), nullptr);
  EXPECT_EQ(list.RowsOfMailbox(&b), (std::vector<int>{1, 2}));

  // Ids are never reused.
  const uint64_t again = Add(&a, "a2");
  EXPECT_NE(again, a2);
  EXPECT_NE(again, a3);

  list.RemoveMailboxRows(&b);
  EXPECT_FALSE(list.HasRowsOf(&b));
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf(a1), -1);
}

TEST_F(MessageListModelTest, SortRefusesTheNumberColumnAndShortLists) {
  Add(&a, "u1");
  EXPECT_FALSE(list.CanSort(2));  // one row
  EXPECT_FALSE(list.Sort(2));
  Add(&a, "u2");
  EXPECT_FALSE(list.CanSort(0));
  EXPECT_FALSE(list.CanSort(MessageListModel::kColumns));
  EXPECT_TRUE(list.CanSort(1));
  EXPECT_EQ(list.SortColumn(), -1);
}

TEST_F(MessageListModelTest, SortDirectionAndNewRowsAppended) {
  Add(&a, "u1", 1, "beta", 1234);
  Add(&a, "u2", 2, "Alpha", 999);
  Add(&a, "u3", 3, "gamma", 50);
  const int size = MessageListModel::kSizeColumn;

  ASSERT_TRUE(list.Sort(size));
  EXPECT_TRUE(list.Ascending());
  EXPECT_EQ(Column(MessageListModel::kSize), (std::vector<std::string>{"50", "999", "1.234"}));
  ASSERT_TRUE(list.Sort(size));  // same column again: reversed
  EXPECT_FALSE(list.Ascending());
  EXPECT_EQ(Column(MessageListModel::kSize), (std::vector<std::string>{"1.234", "999", "50"}));
  ASSERT_TRUE(list.Sort(MessageListModel::kSubject + 1));  // another column: the current direction
  EXPECT_FALSE(list.Ascending());
  EXPECT_EQ(Column(MessageListModel::kSubject), (std::vector<std::string>{"gamma", "beta", "Alpha"}));

  Add(&a, "u4", 4, "zulu", 1);
  EXPECT_EQ(Column(MessageListModel::kSubject), (std::vector<std::string>{"gamma", "beta", "Alpha", "zulu"}));
}

TEST_F(MessageListModelTest, SortByDatePutsEmptyDatesFirstAndKeepsPersistentIndexes) {
  Add(&a, "late", 1, "s", 1, "02/01/1995 00:00:00");
  Add(&a, "none", 2, "s", 1, "");
  Add(&a, "early", 3, "s", 1, "15/11/1994 08:12:31");
  const QPersistentModelIndex held = list.index(0, 3);  // a selection the view holds on "late"
  ASSERT_TRUE(list.Sort(MessageListModel::kDateColumn));
  EXPECT_EQ(Column(MessageListModel::kUidl), (std::vector<std::string>{"none", "early", "late"}));
  EXPECT_EQ(held.row(), 2);
  EXPECT_EQ(held.column(), 3);
}

TEST(MessageRowLookTest, OddRowsPaleAndTheSelectedMailboxPurple) {
  const std::string maison = "Maison", empty;
  struct Case {
    int index;
    const char* rowMailbox;
    const std::string* selected;
    bool pale, purple;
  } cases[] = {
      {0, "Maison", nullptr, false, false},
      {1, "Maison", nullptr, true, false},
      {2, "", nullptr, false, false},  // no selection: never purple, even for an empty caption
      {3, "Maison", &maison, true, true},
      {4, "Travail", &maison, false, false},
      {5, "maison", &maison, true, false},  // the caption compared exactly
      {6, "", &empty, false, true},
  };
  for (const Case& c : cases) {
    const MessageRowLook look = RowLook(c.index, c.rowMailbox, c.selected);
    EXPECT_EQ(look.PaleYellow, c.pale) << c.index;
    EXPECT_EQ(look.PurpleBold, c.purple) << c.index;
  }
}

}  // namespace
}  // namespace mobrelle
