#include "ui/reject_alert/reject_alert_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <vector>

#include "app/busy_lock.h"
#include "app/core/cp1252.h"

namespace mobrelle {
namespace {

using Choice = AlertResult::Choice;

AlertTexts SampleTexts() {
  AlertTexts t;
  t.Mailbox = "Maison";
  t.Sender = "spam@exemple.fr\xA0(*@exemple.fr)\xA0";
  t.Subject = "Gagnez \xE0 coup s\xFBr <b>maintenant</b> & demain";
  t.To = "jean@maison.fr";
  t.Cc = "paul@maison.fr";
  t.Filter = "*@exemple.fr";
  t.Size = 1200000;
  t.Date = "11/12/2026 03:04";
  return t;
}

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class RejectAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    alert.SetTickInterval(10);
  }
  void TearDown() override { BusyLock::ResetForTests(); }

  template <typename T>
  T* Child(const char* name) {
    T* child = alert.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QPushButton* Reject() { return Child<QPushButton>("Button1"); }
  QPushButton* Keep() { return Child<QPushButton>("Button2"); }
  QWidget* Focused() { return alert.focusWidget() ? alert.focusWidget() : &alert; }

  // Shows the alert; `atStart` runs once it is on screen, `onTick` after each tick of the countdown
  // with the tick number. A watchdog closes the window should a script never end it.
  AlertResult Run(char verdict, int countdown, const std::function<void()>& atStart,
                  const std::function<void(int)>& onTick, const AlertTexts& texts = SampleTexts()) {
    int tick = 0;
    auto* timer = alert.findChild<QTimer*>("Timer1");
    EXPECT_NE(timer, nullptr);
    const auto connection = QObject::connect(timer, &QTimer::timeout, &alert, [&] {
      if (onTick) onTick(++tick);
    });
    QTimer::singleShot(0, &alert, [&] {
      if (atStart) atStart();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &alert, [&] { alert.close(); });
    watchdog.start(10000);
    const AlertResult result = alert.Show(verdict, countdown, texts);
    QObject::disconnect(connection);
    return result;
  }

  RejectAlertDialog alert{3};
};

// Left alone, the countdown fills the bar and ends with "ran out"; "&Rejeter" stays disabled for
// the first ticks and then gets the focus only on an alert that deletes by default.
TEST_F(RejectAlertTest, CountdownRunsOutWithTheVerdictsDefault) {
  struct Case {
    char verdict;
    int countdown, delay;
    int firstEnabledTick;
    const char* defaultText;
    bool rejectIsDefault;
  };
  const Case cases[] = {
      {'d', 30, 3, 3, "Par défaut, ce message sera supprimé au bout de 30 s", true},
      {'g', 30, 3, 3, "Par défaut, ce message sera conservé au bout des 30 s", false},
      {'d', 5, 1, 1, "Par défaut, ce message sera supprimé au bout de 5 s", true},
      {'x', 4, 3, 3, "Par défaut, ce message sera conservé au bout des 4 s", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.verdict << " " << c.countdown << "/" << c.delay);
    alert.SetRejectEnableDelay(c.delay);
    auto* bar = Child<QProgressBar>("ProgressBar1");
    bool enabledAtStart = true;
    int barAtStart = -1;
    std::vector<int> bars;
    int firstEnabled = 0;
    bool focusedWhenEnabled = false;
    const AlertResult r = Run(
        c.verdict, c.countdown,
        [&] {
          enabledAtStart = Reject()->isEnabled();
          barAtStart = bar->value();
          EXPECT_EQ(Child<QLabel>("LblDefaut")->text(), U(c.defaultText));
          EXPECT_EQ(Reject()->isDefault(), c.rejectIsDefault);
          EXPECT_EQ(Keep()->isDefault(), !c.rejectIsDefault);
          EXPECT_TRUE(BusyLock::IsSet());
        },
        [&](int tick) {
          bars.push_back(bar->value());
          if (!firstEnabled && Reject()->isEnabled()) {
            firstEnabled = tick;
            focusedWhenEnabled = alert.focusWidget() == Reject();
          }
        });
    EXPECT_EQ(r.Pressed, Choice::Closed);
    EXPECT_EQ(r.SecondsLeft, -1);
    EXPECT_FALSE(enabledAtStart);
    EXPECT_EQ(barAtStart, 1);
    EXPECT_EQ(firstEnabled, c.firstEnabledTick);
    EXPECT_EQ(focusedWhenEnabled, c.rejectIsDefault);
    ASSERT_EQ(static_cast<int>(bars.size()), c.countdown);
    EXPECT_EQ(bars.front(), 1);
    EXPECT_EQ(bars.back(), c.countdown);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_FALSE(alert.findChild<QTimer*>("Timer1")->isActive());
    EXPECT_FALSE(BusyLock::IsSet());
  }
}

// Every way the user ends the alert, and what Show reports for it. Actions run at a given tick;
// tick 0 is as soon as the window is on screen.
TEST_F(RejectAlertTest, ButtonsKeysAndTheCloseBox) {
  enum Action { ClickReject, ClickKeep, Enter, AltR, AltG, Escape, CloseBox };
  struct Case {
    const char* name;
    char verdict;
    Action action;
    int atTick;
    Choice expected;
    bool secondsLeftPositive;  // otherwise exactly 0
  };
  const Case cases[] = {
      {"reject once enabled", 'd', ClickReject, 4, Choice::Reject, false},
      {"reject on a keep alert", 'g', ClickReject, 4, Choice::Reject, false},
      {"keep", 'd', ClickKeep, 0, Choice::Keep, true},
      {"enter keeps on a keep alert", 'g', Enter, 0, Choice::Keep, true},
      {"enter keeps on a keep alert later too", 'g', Enter, 5, Choice::Keep, true},
      {"enter rejects a delete alert once enabled", 'd', Enter, 4, Choice::Reject, false},
      {"alt+r", 'd', AltR, 4, Choice::Reject, false},
      {"alt+g", 'd', AltG, 1, Choice::Keep, true},
      {"escape is the close box", 'd', Escape, 1, Choice::Closed, true},
      {"close box on a delete alert", 'd', CloseBox, 2, Choice::Closed, true},
      {"close box on a keep alert", 'g', CloseBox, 0, Choice::Closed, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto act = [&] {
      switch (c.action) {
        case ClickReject: QTest::mouseClick(Reject(), Qt::LeftButton); break;
        case ClickKeep: QTest::mouseClick(Keep(), Qt::LeftButton); break;
        case Enter: QTest::keyClick(Focused(), Qt::Key_Return); break;
        case AltR: QTest::keyClick(Focused(), Qt::Key_R, Qt::AltModifier); break;
        case AltG: QTest::keyClick(Focused(), Qt::Key_G, Qt::AltModifier); break;
        case Escape: QTest::keyClick(Focused(), Qt::Key_Escape); break;
        case CloseBox: alert.close(); break;
      }
    };
    const AlertResult r = Run(
        c.verdict, 30,
        [&] {
          if (c.atTick == 0) act();
        },
        [&](int tick) {
          if (tick == c.atTick) act();
        });
    EXPECT_EQ(r.Pressed, c.expected);
    if (c.secondsLeftPositive) {
      EXPECT_GT(r.SecondsLeft, 0);
    } else {
      EXPECT_EQ(r.SecondsLeft, 0);
    }
    EXPECT_FALSE(alert.findChild<QTimer*>("Timer1")->isActive());
  }
}

// While "&Rejeter" waits, neither its key, Enter nor a click rejects the message.
TEST_F(RejectAlertTest, RejectDoesNothingWhileDisabled) {
  int tries = 0;
  const AlertResult r = Run('d', 30, nullptr, [&](int tick) {
    if (tick == 1) {
      QTest::keyClick(Focused(), Qt::Key_Return);
      QTest::keyClick(Focused(), Qt::Key_R, Qt::AltModifier);
      QTest::mouseClick(Reject(), Qt::LeftButton);
      tries = alert.isVisible() ? 3 : 0;
    }
    if (tick == 2) QTest::mouseClick(Keep(), Qt::LeftButton);
  });
  EXPECT_EQ(tries, 3);
  EXPECT_EQ(r.Pressed, Choice::Keep);
  EXPECT_EQ(r.SecondsLeft, 28);
}

// The fields the verdict painted stay red through the alert, the recipients keep
// "<Destinataire vide>", the texts are shown as they are, and clearing returns to the normal colour.
TEST_F(RejectAlertTest, FieldsAreFilledPaintedAndCleared) {
  const QColor normal = alert.palette().color(QPalette::WindowText);
  const QColor red(0xFF, 0, 0);
  auto colour = [&](const char* name) { return Child<QLabel>(name)->palette().color(QPalette::WindowText); };
  auto text = [&](const char* name) { return Child<QLabel>(name)->text(); };

  alert.ClearFields();
  alert.PaintRed(AlertField::Sender);
  alert.PaintRed(AlertField::Subject);
  alert.ShowRecipientsEmpty();
  alert.SetFrameText("Interception d'un message dont le sujet est rejet\xE9 avec & co");
  EXPECT_TRUE(alert.RecipientsShowEmpty());
  bool checked = false;
  const AlertResult r = Run('d', 30,
                            [&] {
                              checked = true;
                              EXPECT_EQ(alert.windowTitle(), U("Mobrelle - Interception d'un rejet sur Maison"));
                              EXPECT_EQ(text("LblExp"), U("spam@exemple.fr\u00A0(*@exemple.fr)\u00A0"));
                              EXPECT_EQ(text("LblSujet"), U("Gagnez à coup sûr <b>maintenant</b> & demain"));
                              EXPECT_EQ(Child<QLabel>("LblSujet")->textFormat(), Qt::PlainText);
                              EXPECT_EQ(text("LblDest"), U("<Destinataire vide>"));
                              EXPECT_EQ(text("LblDestCc"), U("<Destinataire vide>"));
                              EXPECT_EQ(text("LblRejet"), U("*@exemple.fr"));
                              EXPECT_EQ(text("LblTaille"), U("1.200.000 octets."));
                              EXPECT_EQ(text("LblDate"), U("émis le 11/12/2026 03:04"));
                              EXPECT_EQ(Child<QGroupBox>("Label1")->title(),
                                        U("Interception d'un message dont le sujet est rejeté avec && co"));
                              EXPECT_EQ(colour("LblExp"), red);
                              EXPECT_EQ(colour("LblSujet"), red);
                              EXPECT_EQ(colour("LblDest"), red);
                              EXPECT_EQ(colour("LblDestCc"), red);
                              EXPECT_EQ(colour("LblTaille"), normal);
                              QTest::mouseClick(Keep(), Qt::LeftButton);
                            },
                            nullptr);
  EXPECT_TRUE(checked);
  EXPECT_EQ(r.Pressed, Choice::Keep);

  // The next message: plain colours, empty texts, and To and Cc of its own; the frame caption stays.
  alert.ClearFields();
  EXPECT_FALSE(alert.RecipientsShowEmpty());
  for (const char* name : {"LblExp", "LblSujet", "LblDest", "LblDestCc", "LblRejet", "LblTaille", "LblDate"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(text(name).isEmpty());
    if (std::string(name) != "LblRejet") {
      EXPECT_EQ(colour(name), normal);
    }
  }
  EXPECT_EQ(colour("LblRejet"), QColor(0x80, 0, 0x80));
  alert.PaintRed(AlertField::Cc);
  Run('g', 30,
      [&] {
        EXPECT_EQ(text("LblDest"), U("jean@maison.fr"));
        EXPECT_EQ(text("LblDestCc"), U("paul@maison.fr"));
        EXPECT_EQ(colour("LblDest"), normal);
        EXPECT_EQ(colour("LblDestCc"), red);
        EXPECT_EQ(Child<QGroupBox>("Label1")->title(),
                  U("Interception d'un message dont le sujet est rejeté avec && co"));
        alert.close();
      },
      nullptr);

  // A change of language retranslates the design but leaves the caption the verdict set.
  QEvent languageChange(QEvent::LanguageChange);
  QCoreApplication::sendEvent(&alert, &languageChange);
  EXPECT_EQ(Child<QGroupBox>("Label1")->title(), U("Interception d'un message dont le sujet est rejeté avec && co"));
  EXPECT_EQ(Child<QPushButton>("Button1")->text(), U("&Rejeter"));
}

// The stop switch tells the main window and stays down without ending the alert; only the main
// window releases it, silently.
TEST_F(RejectAlertTest, StopSwitchReportsAndStaysDown) {
  QSignalSpy spy(&alert, &RejectAlertDialog::SpeedButtonOffClicked);
  auto* off = Child<QToolButton>("SpeedButtonOff");
  EXPECT_EQ(off->toolTip(), U("Désactive ..."));
  bool stillShown = false;
  const AlertResult r = Run('d', 30, nullptr, [&](int tick) {
    if (tick == 1) QTest::mouseClick(off, Qt::LeftButton);
    if (tick == 2) {
      stillShown = alert.isVisible();
      alert.close();
    }
  });
  EXPECT_TRUE(stillShown);
  EXPECT_EQ(r.Pressed, Choice::Closed);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toBool(), true);
  EXPECT_TRUE(alert.StopSwitchDown());
  alert.ReleaseStopSwitch();
  EXPECT_FALSE(alert.StopSwitchDown());
  EXPECT_EQ(spy.count(), 1);
}

// The window holds the busy lock itself while it waits, and a second alert asked for from inside
// the first one does not open: its message is kept.
TEST_F(RejectAlertTest, HoldsTheBusyLockAndRefusesANestedAlert) {
  bool lockedInside = false;
  AlertResult nested{Choice::Reject, 0};
  Run('d', 30,
      [&] {
        lockedInside = BusyLock::IsSet();
        nested = alert.Show('d', 30, SampleTexts());
        alert.close();
      },
      nullptr);
  EXPECT_TRUE(lockedInside);
  EXPECT_EQ(nested.Pressed, Choice::Closed);
  EXPECT_GT(nested.SecondsLeft, 0);
  EXPECT_FALSE(BusyLock::IsSet());

  BusyLock::Hold callerHold;
  Run('g', 30, [&] { alert.close(); }, nullptr);
  EXPECT_TRUE(BusyLock::IsSet());
}

}  // namespace
}  // namespace mobrelle
