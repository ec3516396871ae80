// The main window checking a real mailbox: the list fills, the labels follow, the list comes back.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "app/busy_lock.h"
#include "app/core/texts.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/temp_dir.h"
#include "ui/main_window/tform1.h"

namespace mobrelle::test {
namespace {

// A window on a fresh program folder whose one mailbox, "Maison", is jean's on `server`.
std::unique_ptr<TForm1> WindowOn(const DovecotServer& server, TempDir& dir,
                                 std::function<bool(const QString&, const QString&)> ask = {}) {
  WriteFileBytes(dir.File("Mobrelle.ini"), "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n");
  auto form = std::make_unique<TForm1>(TForm1::Options{dir.File("Mobrelle.ini"), dir.Path(), std::nullopt});
  form->AskYesNo = std::move(ask);
  if (!form->FormCreate()) return nullptr;
  MailboxFields f;
  f.Label = "Maison";
  f.UserName = "jean";
  f.Host = "127.0.0.1";
  f.Password = "pw";
  f.IntervalText = "0";
  if (!form->Core().Mailboxes.Create(f)) return nullptr;
  form->Core().Mailboxes.Record(0).Client->Port = server.Port();
  return form;
}

TEST(TForm1Check, ADoubleClickOnAMailboxListsItsMessages) {
  BusyLock::ResetForTests();
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", "From: marie@amis.test\r\nTo: jean@maison.test\r\nSubject: dimanche\r\n\r\nx\r\n");
  server.AddMessage("jean", "From: paul@amis.test\r\nTo: jean@maison.test\r\nSubject: photos\r\n\r\nx\r\n");
  ASSERT_TRUE(server.Start());

  TempDir dir;
  auto window = WindowOn(server, dir);
  ASSERT_TRUE(window);
  TForm1& form = *window;

  auto* list = form.findChild<QTableView*>("ListView1");
  auto* label1 = form.findChild<QLabel*>("Label1");
  ASSERT_TRUE(list && label1);
  EXPECT_EQ(list->model(), form.Messages());
  form.Cycle()->Timer1Timer(CheckSender::MailboxList, 0);
  ASSERT_EQ(form.Messages()->Count(), 2);
  EXPECT_EQ(list->model()->index(1, MessageListModel::kSubject + 1).data().toString(), "photos");
  EXPECT_TRUE(list->isEnabled());
  EXPECT_FALSE(label1->isHidden());
  EXPECT_TRUE(label1->text().startsWith(" 2 messages")) << label1->text().toStdString();
  EXPECT_EQ(form.Core().Mailboxes.SubItemText(0, MailboxListModel::kCount), "2");
  for (auto* b : form.findChildren<QPushButton*>()) {
    if (b->text() == "Interrompre") {
      EXPECT_TRUE(b->isHidden());
    }
  }

  // The check-all button checks it again: the two rows stay, nothing is added twice.
  form.findChild<QToolButton*>("Button1")->click();
  EXPECT_EQ(form.Messages()->Count(), 2);
  form.CloseDown();
}


TEST(TForm1Check, TheDeleteKeyDeletesTheSelectedMessageOnItsServerAfterTheQuestion) {
  BusyLock::ResetForTests();
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", "From: spam@promo.test\r\nTo: jean@maison.test\r\nSubject: gagnez\r\n\r\nx\r\n");
  server.AddMessage("jean", "From: paul@amis.test\r\nTo: jean@maison.test\r\nSubject: photos\r\n\r\nx\r\n");
  ASSERT_TRUE(server.Start());

  TempDir dir;
  QStringList questions;
  bool yes = false;
  auto window = WindowOn(server, dir, [&](const QString& title, const QString& text) {
    questions << title + " | " + text;
    return yes;
  });
  ASSERT_TRUE(window);
  TForm1& form = *window;
  form.Cycle()->Timer1Timer(CheckSender::MailboxList, 0);
  ASSERT_EQ(form.Messages()->Count(), 2);

  auto* list = form.findChild<QTableView*>("ListView1");
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  list->setFocus();
  list->selectRow(0);
  // "Non" leaves the server alone.
  QTest::keyClick(list, Qt::Key_Delete);
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].contains("1 message")) << questions[0].toStdString();
  EXPECT_EQ(server.MessageCount("jean"), 2);

  yes = true;
  list->selectRow(0);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(server.MessageCount("jean"), 1);
  ASSERT_EQ(form.Messages()->Count(), 1);  // the mailbox was checked again
  EXPECT_EQ(form.Messages()->Row(0).SubItems[MessageListModel::kSubject], "photos");
  ASSERT_FALSE(form.Core().Filters.Lists.ListeHist.Entries.empty());
  form.CloseDown();
}

}  // namespace
}  // namespace mobrelle::test
