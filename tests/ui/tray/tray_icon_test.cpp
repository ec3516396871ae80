#include "ui/tray/tray_icon.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace mobrelle {
namespace {

TEST(TrayIcon, EveryIconAndSoundIsBuiltIn) {
  for (int i = 0; i < kTrayNormalIcons; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(TrayIcon::Icon(TraySet::Normal, i).pixmap(16, 16).isNull());
  }
  for (int f = 0; f < kTrayAnimationFrames; ++f)
    EXPECT_FALSE(TrayIcon::Icon(TraySet::Animation, f).pixmap(16, 16).isNull());
  EXPECT_EQ(TrayIcon::IconName(TraySet::Normal, kTrayErrorWaiting), "tray-error-waiting");
  for (const char* sound : {":/sounds/MailBeep.wav", ":/sounds/SystemExclamation.wav"}) {
    QFile f(sound);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << sound;
    EXPECT_EQ(f.read(4), "RIFF");
  }
}

TEST(TrayIcon, StartsWithTheActiveIconAndTheProgramName) {
  TrayIcon icon;
  EXPECT_EQ(icon.ShownIconName(), "tray-active");
  EXPECT_EQ(icon.Tip(), "Mobrelle");
  EXPECT_FALSE(icon.Animating());
}

TEST(TrayIcon, AnimationShowsFrameZeroAtOnceThenAlternates) {
  TrayIcon icon;
  TrayState state{TraySet::Animation, 0, true, "Mobrelle - 2 messages"};
  icon.Apply(state);
  EXPECT_EQ(icon.ShownIconName(), "tray-new-0");
  EXPECT_TRUE(icon.Animating());
  EXPECT_EQ(icon.Tip(), "Mobrelle - 2 messages");
  ASSERT_TRUE(QTest::qWaitFor([&] { return icon.ShownIconName() == "tray-new-1"; }, 5000));
  // Still animating: the running animation is left alone, not restarted at frame 0.
  state.Tip = "Mobrelle - 3 messages";
  icon.Apply(state);
  EXPECT_EQ(icon.ShownIconName(), "tray-new-1");
  EXPECT_EQ(icon.Tip(), "Mobrelle - 3 messages");
  ASSERT_TRUE(QTest::qWaitFor([&] { return icon.ShownIconName() == "tray-new-0"; }, 5000));

  icon.Apply({TraySet::Normal, kTrayErrorWaiting, false, "Mobrelle - 3 messages"});
  EXPECT_FALSE(icon.Animating());
  EXPECT_EQ(icon.ShownIconName(), "tray-error-waiting");
  // Started again, it starts from frame 0.
  icon.Apply(state);
  EXPECT_EQ(icon.ShownIconName(), "tray-new-0");
}

TEST(TrayIcon, TipAndTextsAreWindows1252AndCut) {
  TrayIcon icon;
  icon.Apply({TraySet::Normal, kTrayInactive, false, "Mobrelle - D\xE9sactiv\xE9"});
  EXPECT_EQ(icon.ShownIconName(), "tray-inactive");
  EXPECT_EQ(icon.Tip(), QString::fromUtf8("Mobrelle - Désactivé"));
  icon.Apply({TraySet::Normal, kTrayActive, false, std::string(200, 'x')});
  EXPECT_EQ(icon.Tip(), QString(127, 'x'));
}

TEST(TrayIcon, ForwardsBalloonClicks) {
  TrayIcon icon;
  QSignalSpy clicked(&icon, &TrayIcon::balloonClicked);
  icon.ShowBalloon("t", "x");
  // The platform reports the click through the system tray icon, the icon's only child of that kind.
  auto* tray = icon.findChild<QSystemTrayIcon*>();
  ASSERT_NE(tray, nullptr);
  emit tray->messageClicked();
  EXPECT_EQ(clicked.count(), 1);
}

}  // namespace
}  // namespace mobrelle
