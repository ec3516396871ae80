#include "ui/tray/announcer.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTest>
#include <vector>

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/qt_text.h"
#include "tests/support/temp_dir.h"
#include "ui/tray/sound_player.h"
#include "ui/tray/tray_icon.h"

namespace mobrelle {
namespace {

const QString kMailBeep = "qrc:/sounds/MailBeep.wav";
const QString kExclamation = "qrc:/sounds/SystemExclamation.wav";

struct Balloon {
  std::string title, text;
};

class AnnouncerTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string wav = dir.File("ding.wav");
  std::string gone = dir.File("parti.wav");
  MainSettings settings;
  RecordingSoundOutput output;
  SoundPlayer player{output};
  std::vector<Balloon> balloons;
  TrayAnnouncer announcer{settings, player,
                          [this](const std::string& t, const std::string& x) { balloons.push_back({t, x}); },
                          [] { return QDateTime(QDate(2026, 3, 7), QTime(9, 5, 2)); }};

  void SetUp() override { test::WriteFileBytes(wav, "RIFF"); }
  QString FileUrl(const std::string& path) { return QUrl::fromLocalFile(ToQt(path)).toString(); }
};

enum class Event { NewMail, Rejection, AcceptedSender };

struct SoundCase {
  const char* name;
  bool son;
  const char* fichierSon;  // "wav": an existing file, "gone": a missing one, "": none
  const char* sonRejet;
  const char* sonAmi;
  Event event;
  const char* expected;  // "wav", "beep", "exclamation" or "" for silence
};

TEST_F(AnnouncerTest, SoundsFollowTheSettings) {
  const std::vector<SoundCase> cases = {
      {"new mail, own file", true, "wav", "", "", Event::NewMail, "wav"},
      {"new mail, no file", true, "", "", "", Event::NewMail, "beep"},
      {"new mail, file gone since the start", true, "gone", "", "", Event::NewMail, "beep"},
      {"rejection, own file", true, "", "wav", "", Event::Rejection, "wav"},
      {"rejection, no file", true, "", "", "", Event::Rejection, "exclamation"},
      {"accepted sender, own file", true, "", "", "wav", Event::AcceptedSender, "wav"},
      {"accepted sender, no file: no fallback", true, "", "", "", Event::AcceptedSender, ""},
      {"accepted sender, file gone", true, "", "", "gone", Event::AcceptedSender, ""},
      {"sound off, new mail", false, "wav", "wav", "wav", Event::NewMail, ""},
      {"sound off, new mail without file", false, "", "", "", Event::NewMail, ""},
      {"sound off, rejection", false, "", "", "", Event::Rejection, ""},
      {"sound off, accepted sender", false, "", "", "wav", Event::AcceptedSender, ""},
  };
  auto file = [&](std::string_view which) -> std::string {
    return which == "wav" ? wav : which == "gone" ? gone : "";
  };
  for (const SoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    settings.Son = c.son;
    settings.FichierSon = file(c.fichierSon);
    settings.SonRejet = file(c.sonRejet);
    settings.SonAmi = file(c.sonAmi);
    output.Played.clear();
    output.Finish();
    switch (c.event) {
      case Event::NewMail: announcer.NewMailSound(); break;
      case Event::Rejection: announcer.RejectionSound(); break;
      case Event::AcceptedSender: announcer.AcceptedSenderSound(); break;
    }
    const std::string want = c.expected;
    std::vector<QString> expected;
    if (want == "wav") expected = {FileUrl(wav)};
    if (want == "beep") expected = {kMailBeep};
    if (want == "exclamation") expected = {kExclamation};
    EXPECT_EQ(output.Played, expected);
  }
}

TEST_F(AnnouncerTest, ASoundAskedForWhileAnotherPlaysIsDropped) {
  announcer.NewMailSound();
  announcer.RejectionSound();
  announcer.AcceptedSenderSound();
  EXPECT_EQ(output.Played, std::vector<QString>{kMailBeep});
  output.Finish();
  announcer.RejectionSound();
  EXPECT_EQ(output.Played, (std::vector<QString>{kMailBeep, kExclamation}));
}

TEST_F(AnnouncerTest, MissingSoundFileAtStartIsEmptiedAndNewMailBeeps) {
  test::WriteFileBytes(dir.File("Mobrelle.ini"), "[Mobrelle]\r\nFichierSon=" + gone + "\r\nSonRejet=" + wav + "\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  settings.LoadSoundFiles(ini);
  EXPECT_EQ(settings.FichierSon, "");
  EXPECT_EQ(settings.SonRejet, wav);
  announcer.NewMailSound();
  EXPECT_EQ(output.Played, std::vector<QString>{kMailBeep});
}

TEST_F(AnnouncerTest, RejectionBalloonOnlyWithTheVisualAlert) {
  announcer.NotifyRejection("spam@example.test", "gagnez");
  ASSERT_EQ(balloons.size(), 1u);
  const QLocale locale = QLocale::system();
  const std::string date = FromQt(locale.toString(QDate(2026, 3, 7), QLocale::ShortFormat));
  EXPECT_EQ(balloons[0].title.rfind("Un rejet a \xE9t\xE9 effectu\xE9 \xE0 " + date + " ", 0), 0u)
      << balloons[0].title;
  // Long time: with the seconds, without a time zone.
  EXPECT_NE(balloons[0].title.find("05"), std::string::npos) << balloons[0].title;
  EXPECT_NE(balloons[0].title.find("02"), std::string::npos) << balloons[0].title;
  EXPECT_LE(balloons[0].title.size(), kBalloonTitleMax);
  EXPECT_EQ(balloons[0].text,
            "Exp: spam@example.test\r\nObjet: gagnez\r\n\r\nCliquer ici pour + de d\xE9tails");

  settings.AlerteVisuelleRejet = false;
  announcer.NotifyRejection("spam@example.test", "gagnez");
  announcer.RejectionSound();
  EXPECT_EQ(balloons.size(), 1u);
  EXPECT_EQ(output.Played, std::vector<QString>{kExclamation});
}

TEST(TrayBalloon, TitleAndTextAreCutAsTheSystemTakesThem) {
  TrayIcon icon;
  const std::string subject(300, 's');
  const std::string text = TrayAnnouncer::BalloonText("a@b.fr", subject);
  icon.ShowBalloon(std::string(70, 't'), text);
  EXPECT_EQ(icon.LastBalloonTitle(), QString(63, 't'));
  // 255 characters of the whole text, the line break counting as two.
  const QString expected = ToQt(text.substr(0, 255)).replace("\r\n", "\n");
  EXPECT_EQ(icon.LastBalloonText(), expected);
  EXPECT_EQ(icon.LastBalloonText().count('s'), 255 - static_cast<int>(std::string("Exp: a@b.fr\r\nObjet: ").size()));
  EXPECT_FALSE(icon.LastBalloonText().contains("Cliquer"));
}

// The real output. A test run usually has no audio device: then nothing plays and nothing fails.
// With one (a PulseAudio null sink will do), the second sound is dropped while the first plays.
TEST(QtSoundOutput, PlaysWithoutBlockingAndDropsWhileBusy) {
  QtSoundOutput output;
  SoundPlayer player(output);
  test::TempDir dir;
  test::WriteFileBytes(dir.File("bad.wav"), "not a wave file");
  EXPECT_TRUE(player.PlaySystem(SystemSound::MailBeep));
  if (output.HasDevice()) {
    EXPECT_TRUE(output.Busy());
    EXPECT_FALSE(player.PlaySystem(SystemSound::SystemExclamation));
    EXPECT_TRUE(QTest::qWaitFor([&] { return output.Busy() == false; }, 8000));
  }
  // A file that is no sound, then one that is not there: quiet, and the output comes free again.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !output.Busy(); }, 8000));
  player.PlayFile(dir.File("bad.wav"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !output.Busy(); }, 8000));
  EXPECT_FALSE(player.PlayFile(dir.File("missing.wav")));
  EXPECT_TRUE(player.PlaySystem(SystemSound::SystemExclamation));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !output.Busy(); }, 8000));
}

}  // namespace
}  // namespace mobrelle
