#include "app/mailbox_list_model.h"

#include <gtest/gtest.h>

#include "app/core/ini_file.h"
#include "app/core/stored_password.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// Key names of a section, in file order.
std::vector<std::string> Keys(const IniFile& ini, const std::string& section) { return ini.ReadSection(section); }

MailboxFields Fields(const std::string& label) {
  MailboxFields f;
  f.Label = label;
  f.UserName = "alice";
  f.Host = "127.0.0.1";
  f.Password = "s3cret";
  f.IntervalText = "120";
  f.Domain = "example.test";
  f.LocalParts = {"alice", "contact"};
  f.TypeRejet = 1;
  f.Rule1 = true;
  f.Rule2 = true;
  f.Rule2AnyDomain = true;
  f.Pop3Demar = false;
  f.Pop3APOP = true;
  return f;
}

class MailboxListModelTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.File("Mobrelle.ini");
  IniFile ini{path};
};

TEST_F(MailboxListModelTest, LoadsHandWrittenSectionsWithDefaults) {
  WriteFileBytes(path,
                 "[Maison]\r\nPop3ID=alice\r\nPop3Mail=pop.example.test\r\nPop3Mdp=.clear\r\nIntervalle=0x12C\r\n"
                 "DestUnique=example.test,alice\r\nTypeRejet=0\r\nNatureRejet=5\r\nPop3APOP=1\r\nTimeOut=40\r\n"
                 "Pop3Port=1110\r\n[Vide]\r\n[Bizarre]\r\nTypeRejet=9\r\nNatureRejet=abc\r\nIntervalle=-5\r\n");
  MailboxListModel m(ini);
  m.LoadAll({"Maison", "Vide", "Bizarre"});
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(m.Caption(0), "Maison");
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kInterval), "300");
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kCount), "");
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kExclusive), "example.test,alice");
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kActionLetter), "R");
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kOptions), "5");
  const structBoite& b = m.Record(0);
  EXPECT_EQ(b.Client->UserName, "alice");
  EXPECT_EQ(b.Client->Host, "pop.example.test");
  EXPECT_EQ(b.Client->PassWord, "clear");
  EXPECT_EQ(b.Client->Timeout, 40);
  EXPECT_EQ(b.Client->Port, 1110);
  EXPECT_TRUE(b.Pop3APOP);
  EXPECT_TRUE(b.Pop3Demar);
  EXPECT_TRUE(b.Timer->isActive());
  EXPECT_EQ(b.Timer->interval(), 300000);
  EXPECT_EQ(b.Timer->property("tag").value<void*>(), b.Client.get());

  const structBoite& empty = m.Record(1);
  EXPECT_EQ(empty.Client->UserName, MailboxListModel::kDefaultUser);
  EXPECT_EQ(empty.Client->Host, MailboxListModel::kDefaultHost);
  EXPECT_EQ(empty.Client->Timeout, 15);
  EXPECT_EQ(empty.Client->Port, 110);
  EXPECT_EQ(empty.Client->PassWord, UnscramblePassword(MailboxListModel::kDefaultStoredPassword));
  EXPECT_EQ(m.SubItemText(1, MailboxListModel::kActionLetter), "g");
  EXPECT_EQ(m.SubItemText(1, MailboxListModel::kOptions), "1");

  EXPECT_EQ(m.SubItemText(2, MailboxListModel::kActionLetter), "g");  // out of range
  EXPECT_EQ(m.SubItemText(2, MailboxListModel::kOptions), "1");
  EXPECT_FALSE(m.Record(2).Timer->isActive());  // a negative interval never fires
  EXPECT_EQ(m.MailboxNames(), (std::vector<std::string>{"Maison", "Vide", "Bizarre"}));
  EXPECT_EQ(m.RowOfClient(m.Record(1).Client.get()), 1);
  EXPECT_EQ(m.RowOfClient(nullptr), 3);
}

TEST_F(MailboxListModelTest, CreateWritesTheNineKeysInOrder) {
  MailboxListModel m(ini);
  ASSERT_TRUE(m.Create(Fields("Maison")));
  EXPECT_EQ(Keys(ini, "Maison"), (std::vector<std::string>{"Pop3ID", "Pop3Mail", "Pop3Mdp", "Intervalle", "DestUnique",
                                                             "TypeRejet", "NatureRejet", "Pop3Demar", "Pop3APOP"}));
  EXPECT_EQ(ini.ReadString("Maison", "Pop3Mdp", ""), ScramblePassword("s3cret"));
  EXPECT_EQ(ini.ReadString("Maison", "DestUnique", ""), "example.test,alice,contact");
  EXPECT_EQ(ini.ReadInteger("Maison", "NatureRejet", 0), 1 + 4 + 8);
  EXPECT_EQ(ini.ReadInteger("Maison", "Intervalle", 0), 120);
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kActionLetter), "d");
  EXPECT_EQ(m.Record(0).Timer->interval(), 120000);
  EXPECT_EQ(m.MailboxNames(), std::vector<std::string>{"Maison"});

  // A fresh model reads back what was written.
  MailboxListModel again(ini);
  again.LoadAll({"Maison"});
  EXPECT_EQ(again.Record(0).Client->PassWord, "s3cret");
  EXPECT_FALSE(again.Record(0).Pop3Demar);
  EXPECT_TRUE(again.Record(0).Pop3APOP);
}

TEST_F(MailboxListModelTest, LockPasswordMasksStoredPasswords) {
  MailboxListModel m(ini);
  m.SetLockPassword("lock");
  ASSERT_TRUE(m.Create(Fields("Maison")));
  EXPECT_EQ(ini.ReadString("Maison", "Pop3Mdp", ""), StoredPasswordValue("s3cret", "lock"));
  MailboxListModel locked(ini);
  locked.SetLockPassword("lock");
  locked.LoadAll({"Maison"});
  EXPECT_EQ(locked.Record(0).Client->PassWord, "s3cret");
}

TEST_F(MailboxListModelTest, ReservedLabelsAreRefused) {
  MailboxListModel m(ini);
  for (const char* label : {"Mobrelle", "MOBRELLE", "jokerperso"}) {
    std::string error;
    EXPECT_FALSE(m.Create(Fields(label), &error)) << label;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(ini.SectionExists("Mobrelle"));
  ASSERT_TRUE(m.Create(Fields("Maison")));
  std::string error;
  EXPECT_FALSE(m.Modify(0, Fields("JokerPerso"), &error));
  EXPECT_EQ(m.Caption(0), "Maison");
}

TEST_F(MailboxListModelTest, ModifyKeepsTheSectionOrRewritesAllOnARename) {
  WriteFileBytes(path, "[Mobrelle]\r\nSon=1\r\n[A]\r\nPop3ID=a\r\nTimeOut=40\r\n[B]\r\nPop3ID=b\r\nPop3Port=2110\r\n");
  MailboxListModel m(ini);
  m.LoadAll({"A", "B"});
  MailboxFields f = Fields("A");
  ASSERT_TRUE(m.Modify(0, f));
  EXPECT_EQ(Keys(ini, "A"), (std::vector<std::string>{"Pop3ID", "TimeOut", "Pop3Mdp", "Intervalle", "Pop3Mail",
                                                        "Pop3Demar", "Pop3APOP", "DestUnique", "TypeRejet",
                                                        "NatureRejet"}));
  f.Label = "Renamed";
  ASSERT_TRUE(m.Modify(0, f));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Mobrelle", "Renamed", "B"}));
  // The keys the user set survive, and the interval stays in seconds.
  EXPECT_EQ(ini.ReadInteger("Renamed", "TimeOut", 0), 40);
  EXPECT_EQ(ini.ReadInteger("B", "Pop3Port", 0), 2110);
  EXPECT_EQ(ini.ReadInteger("Renamed", "Intervalle", 0), 120);
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_EQ(m.MailboxNames(), (std::vector<std::string>{"Renamed", "B"}));
  EXPECT_EQ(Keys(ini, "B"), (std::vector<std::string>{"Pop3ID", "Pop3Mail", "Pop3Mdp", "Intervalle", "Pop3Demar",
                                                        "Pop3APOP", "DestUnique", "TypeRejet", "NatureRejet",
                                                        "Pop3Port"}));
  // Files without the extra keys get none.
  EXPECT_EQ(ini.ReadString("B", "TimeOut", "none"), "none");
}

TEST_F(MailboxListModelTest, ReorderIsOnlyInMemoryUntilSaved) {
  MailboxListModel m(ini);
  for (const char* l : {"A", "B", "C"}) ASSERT_TRUE(m.Create(Fields(l)));
  EXPECT_EQ(m.MoveUp(0), 0);
  EXPECT_EQ(m.MoveDown(2), 2);
  EXPECT_EQ(m.MoveDown(0), 1);
  EXPECT_EQ(m.Caption(0), "B");
  EXPECT_TRUE(m.OrderChanged());
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B", "C"}));
  m.SaveOrder();
  EXPECT_FALSE(m.OrderChanged());
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(m.MailboxNames(), (std::vector<std::string>{"B", "A", "C"}));
  MailboxListModel again(ini);
  again.LoadAll(ini.ReadSections());
  EXPECT_EQ(again.Record(1).Client->PassWord, "s3cret");
}

TEST_F(MailboxListModelTest, DeleteErasesTheSectionAndTheRow) {
  MailboxListModel m(ini);
  ASSERT_TRUE(m.Create(Fields("A")));
  ASSERT_TRUE(m.Create(Fields("B")));
  ASSERT_TRUE(m.Delete(0));
  EXPECT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Caption(0), "B");
  EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"B"});
  ASSERT_TRUE(m.Delete(0));
  EXPECT_TRUE(m.MailboxNames().empty());
}

// A client that reports a session in progress.
class BusyClient : public TSyncPop3Cli {
 public:
  void SetConnected(bool c) { connected_ = c; }
};

TEST_F(MailboxListModelTest, EditingIsRefusedWhileListedOrBeingChecked) {
  MailboxListModel m(ini);
  ASSERT_TRUE(m.Create(Fields("A")));
  std::string error;
  EXPECT_FALSE(m.CanEdit(0, true, &error));
  EXPECT_EQ(error, "Op\xE9ration impossible car des messages existent pour cette bo\xEEte");
  EXPECT_TRUE(m.CanEdit(0, false, &error));

  auto busy = std::make_unique<BusyClient>();
  busy->SetConnected(true);
  m.Record(0).Client = std::move(busy);
  EXPECT_FALSE(m.CanEdit(0, false, &error));
  EXPECT_FALSE(m.Modify(0, Fields("A"), &error));
  EXPECT_FALSE(m.Delete(0, &error));
  EXPECT_EQ(m.Count(), 1);
  EXPECT_TRUE(ini.SectionExists("A"));
  static_cast<BusyClient*>(m.Record(0).Client.get())->SetConnected(false);
}

TEST_F(MailboxListModelTest, IntervalZeroNeverFiresAndTheEditorStopsAndRestartsTimers) {
  MailboxListModel m(ini);
  MailboxFields f = Fields("A");
  f.IntervalText = "0";
  ASSERT_TRUE(m.Create(f));
  EXPECT_FALSE(m.Record(0).Timer->isActive());
  f.Label = "B";
  f.IntervalText = "60";
  ASSERT_TRUE(m.Create(f));
  m.StopTimer(1);
  EXPECT_FALSE(m.Record(1).Timer->isActive());
  m.StartTimer(1);
  EXPECT_TRUE(m.Record(1).Timer->isActive());
}

TEST_F(MailboxListModelTest, MessageCountAndColumnCaptions) {
  MailboxListModel m(ini);
  ASSERT_TRUE(m.Create(Fields("A")));
  m.SetMessageCount(0, 3);
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kCount), "3");
  m.SetMessageCount(0, 0);
  EXPECT_EQ(m.SubItemText(0, MailboxListModel::kCount), "");
  EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Nom de boîte"));
  EXPECT_EQ(m.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
  EXPECT_EQ(m.data(m.index(0, 1), Qt::DisplayRole).toString(), QString("120"));
}

}  // namespace
}  // namespace mobrelle
