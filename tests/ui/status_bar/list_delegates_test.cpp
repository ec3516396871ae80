#include "ui/main_window/list_delegates.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QMainWindow>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/core/ini_file.h"
#include "app/core/status_log.h"
#include "app/mailbox_list_model.h"
#include "polling/message_list/message_list_model.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/status_bar/pixel_counts.h"
#include "ui/main_window/status_bar_view.h"

namespace mobrelle {
namespace {

const QColor kRed(255, 0, 0);
const QColor kPink(0xFF, 0xEE, 0xFF);
const QColor kYellow(0xF8, 0xF8, 0xBB);
const QColor kPurple(0x80, 0x00, 0x80);

using test::CountColour;
using test::CountLike;

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The delegates' cell options, as the views get them.
template <typename Delegate>
struct Probe : Delegate {
  using Delegate::Delegate;
  QStyleOptionViewItem Option(const QModelIndex& index) const {
    QStyleOptionViewItem o;
    this->initStyleOption(&o, index);
    return o;
  }
};

MailboxFields Account(const std::string& label, bool startup) {
  MailboxFields f;
  f.Label = label;
  f.UserName = "alice";
  f.Host = "127.0.0.1";
  f.IntervalText = "0";
  f.Pop3Demar = startup;
  return f;
}

NewMessageRow Message(const std::string& mailbox, const std::string& subject, const std::string& type = "text/plain") {
  NewMessageRow m;
  m.Number = 1;
  m.Sender = "paul@exemple.fr";
  m.Subject = subject;
  m.Date = "11/12/2026 05:00";
  m.Size = 1234;
  m.Mailbox = mailbox;
  m.ContentType = type;
  m.Uidl = subject;
  return m;
}

TEST(MailboxLook, Rules) {
  const struct {
    bool active, startup;
    int column;
    std::string text;
    bool bold, red, grey, pink;
  } cases[] = {
      {true, true, 0, "Maison", true, false, false, false},
      {true, false, 0, "Bureau", false, false, false, false},
      {true, true, 2, "Erreur", true, true, false, false},
      {true, false, 2, "3", false, false, false, true},
      {true, true, 2, "", true, false, false, false},
      {true, true, 1, "300", true, false, false, false},
      // The scheduler off: grey and regular, whatever the row holds.
      {false, true, 0, "Maison", false, false, true, false},
      {false, true, 2, "Erreur", false, false, true, false},
      {false, true, 2, "3", false, false, true, false},
  };
  for (const auto& c : cases) {
    const MailboxCellLook look = MailboxLook(c.active, c.startup, c.column, c.text);
    EXPECT_EQ(look.Bold, c.bold) << c.text << " " << c.column;
    EXPECT_EQ(look.Red, c.red) << c.text;
    EXPECT_EQ(look.Grey, c.grey) << c.text;
    EXPECT_EQ(look.Pink, c.pink) << c.text;
  }
}

class MailboxDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(model.Create(Account("Maison", true)));
    ASSERT_TRUE(model.Create(Account("Bureau", false)));
    model.SetMessageCountText(0, "Erreur");
    model.SetMessageCount(1, 3);
    view.setModel(&model);
    view.setRootIsDecorated(false);
    QFont bold = view.font();
    bold.setBold(true);
    view.setFont(bold);  // the list's own font is bold
    delegate = new Probe<MailboxRowDelegate>(model, [this] { return active; }, &view);
    view.setItemDelegate(delegate);
    view.resize(500, 120);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  QImage CountCell(int row) {
    const QRect r = view.visualRect(model.index(row, 2));
    return Grab(view.viewport()).copy(r);
  }

  test::TempDir dir;
  IniFile ini{dir.File("Mobrelle.ini")};
  MailboxListModel model{ini};
  QTreeView view;
  Probe<MailboxRowDelegate>* delegate = nullptr;
  bool active = true;
};

TEST_F(MailboxDrawingTest, StartupRowsBoldErrorRedCountPink) {
  EXPECT_TRUE(delegate->Option(model.index(0, 0)).font.bold());
  EXPECT_FALSE(delegate->Option(model.index(1, 0)).font.bold());
  EXPECT_FALSE(delegate->Option(model.index(1, 3)).font.bold());

  const QImage error = CountCell(0);
  EXPECT_GT(CountLike(error, kRed), 5);
  EXPECT_EQ(CountColour(error, kPink), 0);
  const QImage count = CountCell(1);
  EXPECT_GT(CountColour(count, kPink), count.width() * count.height() / 2);
  EXPECT_EQ(CountLike(count, kRed), 0);
}

TEST_F(MailboxDrawingTest, InactiveSchedulerGreysTheWholeList) {
  active = false;
  view.viewport()->update();
  const QColor grey = view.palette().color(QPalette::Disabled, QPalette::Text);
  for (int row = 0; row < 2; ++row)
    for (int column : {0, 2}) {
      const QStyleOptionViewItem o = delegate->Option(model.index(row, column));
      EXPECT_FALSE(o.font.bold());
      EXPECT_EQ(o.palette.color(QPalette::Active, QPalette::Text), grey);
    }
  EXPECT_EQ(CountLike(CountCell(0), kRed), 0);
  EXPECT_EQ(CountColour(CountCell(1), kPink), 0);
}

class MessageDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.AddRow(Message("Maison", "a"));
    model.AddRow(Message("Bureau", "b", "multipart/mixed"));
    model.AddRow(Message("Maison", "c"));
    model.AddRow(Message("Bureau", "d"));
    view.setModel(&model);
    delegate = new Probe<MessageRowDelegate>(&view);
    view.setItemDelegate(delegate);
    view.resize(700, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  QImage Row(int row) {
    const QRect r = view.visualRect(model.index(row, 2)).united(view.visualRect(model.index(row, 3)));
    return Grab(view.viewport()).copy(r);
  }

  MessageListModel model;
  QTableView view;
  Probe<MessageRowDelegate>* delegate = nullptr;
};

TEST_F(MessageDrawingTest, OddRowsPaleYellow) {
  for (int row = 0; row < 4; ++row) {
    const QImage image = Row(row);
    const int yellow = CountColour(image, kYellow);
    if (row % 2 == 1)
      EXPECT_GT(yellow, image.width() * image.height() / 2) << row;
    else
      EXPECT_EQ(yellow, 0) << row;
  }
}

TEST_F(MessageDrawingTest, RowsOfTheSelectedMailboxPurpleBold) {
  // No mailbox selected: never purple.
  for (int row = 0; row < 4; ++row) {
    EXPECT_FALSE(delegate->Option(model.index(row, 1)).font.bold());
    EXPECT_EQ(CountLike(Row(row), kPurple), 0);
  }
  delegate->SetSelectedMailbox("Maison");
  for (int row = 0; row < 4; ++row) {
    const bool mine = row % 2 == 0;
    const QStyleOptionViewItem o = delegate->Option(model.index(row, 2));
    EXPECT_EQ(o.font.bold(), mine) << row;
    EXPECT_EQ(o.palette.color(QPalette::Active, QPalette::Text) == kPurple, mine) << row;
    if (mine) {
      EXPECT_GT(CountLike(Row(row), kPurple), 5) << row;
    }
  }
  delegate->SetSelectedMailbox(std::nullopt);
  EXPECT_FALSE(delegate->Option(model.index(0, 2)).font.bold());
}

TEST_F(MessageDrawingTest, NumberColumnCarriesTheRowIcon) {
  const QStyleOptionViewItem number = delegate->Option(model.index(1, 0));
  EXPECT_TRUE(number.features & QStyleOptionViewItem::HasDecoration);
  EXPECT_EQ(number.icon.pixmap(16).toImage(), MessageRowIcon(6).pixmap(16).toImage());
  EXPECT_FALSE(delegate->Option(model.index(1, 1)).features & QStyleOptionViewItem::HasDecoration);
  // Each kind and its displayed variant look different.
  for (int a = 0; a < 8; ++a)
    for (int b = a + 1; b < 8; ++b)
      EXPECT_NE(MessageRowIcon(a).pixmap(16).toImage(), MessageRowIcon(b).pixmap(16).toImage()) << a << " " << b;
}

// The main window's two lists and its status bar with sample rows, at a client width of 700. With
// MOBRELLE_DRAWING_DIR set, the picture is saved there to be looked at.
TEST(DrawingLook, MainWindowSample) {
  test::TempDir dir;
  IniFile ini{dir.File("Mobrelle.ini")};
  MailboxListModel mailboxes{ini};
  ASSERT_TRUE(mailboxes.Create(Account("Maison", true)));
  ASSERT_TRUE(mailboxes.Create(Account("Bureau", false)));
  ASSERT_TRUE(mailboxes.Create(Account("Pro:Paris", true)));
  mailboxes.SetMessageCount(0, 3);
  mailboxes.SetMessageCountText(1, "Erreur");
  MessageListModel messages;
  messages.AddRow(Message("Maison", "Bonjour"));
  messages.AddRow(Message("Maison", "Facture", "multipart/mixed"));
  NewMessageRow kept = Message("Pro:Paris", "Gagnez");
  kept.Keep = RowIcon::CaughtKept;
  kept.SubjectNote = "\xA0(gagnez)\xA0";
  messages.AddRow(kept);
  messages.AddRow(Message("Maison", "Re: Bonjour"));
  messages.MarkDisplayed(messages.Row(0).Id);

  QMainWindow window;
  auto* central = new QSplitter(Qt::Vertical, &window);
  auto* boxes = new QTreeView(central);
  boxes->setRootIsDecorated(false);
  boxes->setModel(&mailboxes);
  QFont bold = boxes->font();
  bold.setBold(true);
  boxes->setFont(bold);
  bool active = true;
  boxes->setItemDelegate(new MailboxRowDelegate(mailboxes, [&] { return active; }, boxes));
  auto* list = new QTableView(central);
  list->setModel(&messages);
  list->setShowGrid(false);
  list->setWordWrap(false);
  list->verticalHeader()->hide();
  auto* rows = new MessageRowDelegate(list);
  list->setItemDelegate(rows);
  rows->SetSelectedMailbox("Maison");
  window.setCentralWidget(central);
  StatusLog log;
  StatusBarView bar(window.statusBar(), log);
  log.ShowStatus(0, "Connexion \xE0 Maison...");
  log.ShowStatus(0, "Fin interrogation de Maison: 05:12:00");
  log.ShowStatus(1, "Bureau=>Connexion refus\xE9" "e");
  bool counts = true;
  bar.BindCountersDisplay(&counts);
  bar.SetSenderCounts([] { return std::pair<size_t, size_t>(12, 3); });
  window.resize(700, 420);
  bar.SetClientWidth(700);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(50);
  EXPECT_EQ(bar.Panel1()->width(), 250);
  EXPECT_EQ(bar.Panel1()->x(), 340);

  const char* out = std::getenv("MOBRELLE_DRAWING_DIR");
  if (!out) return;
  window.grab().save(QString(out) + "/drawing-window.png");
  bar.ComboBoxStatus()->showPopup();
  QTest::qWait(100);
  if (QWidget* popup = bar.ComboBoxStatus()->view()->window()) popup->grab().save(QString(out) + "/drawing-log.png");
  bar.ComboBoxStatus()->hidePopup();
  bar.HintChanged("Active (F8) / D\u00e9sactive (F7) le recensement programm\u00e9 des bo\u00eetes");
  active = false;
  boxes->viewport()->update();
  QTest::qWait(50);
  window.grab().save(QString(out) + "/drawing-hint-inactive.png");
}

}  // namespace
}  // namespace mobrelle
