// The main window's own commands, offscreen: the message menu's enabling and shortcuts, the
// keyboard table, the scheduler switch and clearing the list.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "app/busy_lock.h"
#include "app/key_state.h"
#include "tests/support/temp_dir.h"
#include "ui/main_window/tform1.h"
#include "ui/tray/tray_state.h"

namespace mobrelle {
namespace {

using test::TempDir;
using test::WriteFileBytes;

class TForm1CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    KeyState::SetSourceForTests([] { return Qt::NoModifier; });
    WriteFileBytes(dir.File("Mobrelle.ini"),
                   "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n[Maison]\r\nPop3ID=alice\r\n"
                   "Pop3Mail=127.0.0.1\r\nIntervalle=0\r\n[Bureau]\r\nPop3ID=bob\r\nIntervalle=0\r\n");
    form = std::make_unique<TForm1>(TForm1::Options{dir.File("Mobrelle.ini"), dir.Path(), std::nullopt});
    form->AskYesNo = [](const QString&, const QString&) { return false; };
    ASSERT_TRUE(form->FormCreate());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    list = form->findChild<QTableView*>("ListView1");
    ASSERT_NE(list, nullptr);
    list->setFocus();
  }
  void TearDown() override {
    form.reset();
    KeyState::SetSourceForTests({});
    BusyLock::ResetForTests();
  }
  void AddRow(const std::string& sender, const std::string& subject, const std::string& note = "") {
    NewMessageRow r;
    r.Number = form->Messages()->Count() + 1;
    r.Sender = sender;
    r.Subject = subject;
    r.SenderNote = note;
    r.Mailbox = "Maison";
    r.Uidl = "u" + std::to_string(r.Number);
    form->Messages()->AddRow(r);
  }
  void Select(std::initializer_list<int> rows) {
    list->clearSelection();
    for (int r : rows) list->selectionModel()->select(form->Messages()->index(r, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QAction* Item(const QString& startsWith) {
    for (QAction* a : form->MessageMenu()->findChildren<QAction*>())
      if (a->text().startsWith(startsWith)) return a;
    for (QAction* a : form->MessageMenu()->actions())
      if (a->text().startsWith(startsWith)) return a;
    return nullptr;
  }

  TempDir dir;
  std::unique_ptr<TForm1> form;
  QTableView* list = nullptr;
};

TEST_F(TForm1CommandsTest, MessageMenuEnablingFollowsTheSelection) {
  AddRow("a@x.test", "");
  AddRow("b@y.test", "Bonjour");
  struct Case {
    std::initializer_list<int> rows;
    bool sender, subject, reply;
  } cases[] = {{{}, false, false, false}, {{0}, true, false, true}, {{1}, true, true, true}, {{0, 1}, false, false, false}};
  for (const Case& c : cases) {
    Select(c.rows);
    form->PopupMenuListViewPopup();
    EXPECT_EQ(Item(QString::fromUtf8("L'expéditeur"))->isEnabled(), c.sender) << c.rows.size();
    EXPECT_EQ(Item("Le sujet")->isEnabled(), c.subject) << c.rows.size();
    EXPECT_EQ(Item(QString::fromUtf8("&Répond"))->isEnabled(), c.reply) << c.rows.size();
    EXPECT_TRUE(Item("&Vide la liste")->isEnabled());
  }
}

TEST_F(TForm1CommandsTest, AHeaderClickSortsTheListAndASecondClickReverses) {
  AddRow("b@y.test", "Zebre");
  AddRow("a@x.test", "Abeille");
  auto* header = list->horizontalHeader();
  const int subject = MessageListModel::kSubject + 1;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(subject) + 5, header->height() / 2));
  EXPECT_EQ(form->Messages()->Row(0).SubItems[MessageListModel::kSubject], "Abeille");
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(subject) + 5, header->height() / 2));
  EXPECT_EQ(form->Messages()->Row(0).SubItems[MessageListModel::kSubject], "Zebre");
}

TEST_F(TForm1CommandsTest, CopyShortcutTakesTheFieldWithoutItsNoteAndDoesNothingWithTwoRows) {
  AddRow("spam@x.test", "Promo", "\xA0(spam@*)\xA0");
  AddRow("b@y.test", "Bonjour");
  QApplication::clipboard()->setText("before");
  Select({0, 1});
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "before");  // a disabled item swallows its key
  Select({0});
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "spam@x.test");
}

TEST_F(TForm1CommandsTest, SchedulerSwitchShowsItsStateEverywhereAndKeysDriveIt) {
  form->Core().Settings.RecenseDemar = false;  // no census check when switched on again
  QTest::keyClick(list, Qt::Key_F7);
  EXPECT_FALSE(form->Core().SchedulerActive);
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Mobrelle - Désactivé"));
  EXPECT_EQ(form->TrayStates()->State().Index, kTrayInactive);
  EXPECT_EQ(form->Log().Events().front(), " D\xE9sactiv\xE9");
  EXPECT_FALSE(form->findChild<QToolButton*>("SpeedButtonOn")->isChecked());
  QTest::keyClick(list, Qt::Key_F7);  // already off: nothing changes
  EXPECT_FALSE(form->Core().SchedulerActive);
  QTest::keyClick(list, Qt::Key_F8);
  EXPECT_TRUE(form->Core().SchedulerActive);
  EXPECT_EQ(form->windowTitle(), "Mobrelle");
  EXPECT_EQ(form->TrayStates()->State().Index, kTrayActive);
  EXPECT_TRUE(form->findChild<QToolButton*>("SpeedButtonOn")->isChecked());
}

TEST_F(TForm1CommandsTest, ClearingTheListEmptiesItAndTheCountsAndF12FocusesTheList) {
  AddRow("a@x.test", "Un");
  AddRow("b@y.test", "Deux");
  form->Core().Mailboxes.SetMessageCount(0, 2);
  QWidget* other = form->findChild<QWidget*>("ListView2");
  other->setFocus();
  QTest::keyClick(other, Qt::Key_F12);
  EXPECT_EQ(QApplication::focusWidget(), list);
  QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form->Messages()->Count(), 0);
  EXPECT_EQ(form->Core().Mailboxes.SubItemText(0, MailboxListModel::kCount), "");
  EXPECT_FALSE(form->findChild<QToolButton*>("BitBtn12")->isEnabled());
  EXPECT_FALSE(form->TrayStates()->State().Animating);
}

TEST_F(TForm1CommandsTest, MailboxButtonsFollowTheSelectionAndTheOrderIsSavedOnlyWhenAsked) {
  auto* boxes = form->findChild<QAbstractItemView*>("ListView2");
  auto button = [this](const char* name) { return form->findChild<QToolButton*>(name); };
  EXPECT_FALSE(button("BitBtn2")->isEnabled());
  EXPECT_FALSE(button("BitBtn5")->isEnabled());
  boxes->selectionModel()->setCurrentIndex(form->Core().Mailboxes.index(1, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_TRUE(button("BitBtn2")->isEnabled());
  EXPECT_TRUE(button("BitBtn5")->isEnabled());   // last row: up only
  EXPECT_FALSE(button("BitBtn6")->isEnabled());
  button("BitBtn5")->click();
  EXPECT_EQ(form->Core().Mailboxes.Caption(0), "Bureau");
  EXPECT_FALSE(button("BitBtn5")->isEnabled());  // now the first row
  EXPECT_TRUE(button("BitBtn6")->isEnabled());
  EXPECT_TRUE(button("BitBtn4")->isEnabled());
  const std::string before = test::ReadFileBytes(dir.File("Mobrelle.ini"));
  form->AskYesNo = [](const QString&, const QString&) { return false; };
  button("BitBtn4")->click();  // "Non": nothing written
  EXPECT_EQ(test::ReadFileBytes(dir.File("Mobrelle.ini")), before);
  form->AskYesNo = [](const QString&, const QString&) { return true; };
  button("BitBtn4")->click();
  const std::string after = test::ReadFileBytes(dir.File("Mobrelle.ini"));
  EXPECT_LT(after.find("[Bureau]"), after.find("[Maison]"));
  EXPECT_FALSE(button("BitBtn4")->isEnabled());
}

TEST_F(TForm1CommandsTest, TheMailboxSelectionEndsWhenTheFocusLeavesTheListExceptForItsButtons) {
  auto* boxes = form->findChild<QAbstractItemView*>("ListView2");
  auto* remove = form->findChild<QToolButton*>("BitBtn2");
  auto select = [&] {
    boxes->setFocus();
    boxes->selectionModel()->setCurrentIndex(form->Core().Mailboxes.index(0, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_EQ(QApplication::focusWidget(), boxes);
    ASSERT_TRUE(remove->isEnabled());
  };
  select();
  remove->setFocus(Qt::TabFocusReason);  // a mailbox button keeps the row it acts on
  EXPECT_TRUE(boxes->selectionModel()->hasSelection());
  EXPECT_TRUE(remove->isEnabled());
  select();
  list->setFocus(Qt::MouseFocusReason);  // anywhere else in the window ends it
  EXPECT_FALSE(boxes->selectionModel()->hasSelection());
  EXPECT_FALSE(remove->isEnabled());
  EXPECT_FALSE(form->findChild<QToolButton*>("BitBtn6")->isEnabled());
}

TEST_F(TForm1CommandsTest, TheCloseBoxAsksThroughItsMenuAndShiftEscDoesNothingWithoutALock) {
  QMenu* closeMenu = nullptr;
  for (QMenu* m : form->findChildren<QMenu*>())
    for (QAction* a : m->actions())
      if (a->objectName() == "Quitter2") closeMenu = m;
  ASSERT_NE(closeMenu, nullptr);

  EXPECT_FALSE(form->close());  // no Alt held: nothing closes, the menu asks
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(closeMenu->isVisible());
  closeMenu->hide();

  auto* lock = form->findChild<QAction*>("ReduireavecMotdePasse1");
  ASSERT_NE(lock, nullptr);
  EXPECT_FALSE(lock->isEnabled());
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isMinimized());
}

TEST_F(TForm1CommandsTest, ActivatingTheWindowStopsTheNewMailAnimation) {
  AddRow("a@x.test", "Bonjour");
  ASSERT_TRUE(form->TrayStates()->TrayAfterCheck(0));  // new mail: the icon animates
  ASSERT_TRUE(form->TrayStates()->State().Animating);
  QEvent activation(QEvent::ActivationChange);
  QApplication::sendEvent(form.get(), &activation);
  EXPECT_FALSE(form->TrayStates()->State().Animating);
}

}  // namespace
}  // namespace mobrelle
