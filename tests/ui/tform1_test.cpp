#include "ui/main_window/tform1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QTreeView>

#include "app/busy_lock.h"
#include "app/core/stored_password.h"
#include "app/core/texts.h"
#include "app/key_state.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

constexpr char kTwoMailboxes[] =
    "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\nNbEvenements=20\r\n[Maison]\r\nPop3ID=alice\r\n"
    "Pop3Mail=127.0.0.1\r\nIntervalle=0\r\n[Bureau]\r\nPop3ID=bob\r\nIntervalle=0\r\n";

class TForm1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    KeyState::SetSourceForTests([this] { return keys; });
  }
  void TearDown() override {
    KeyState::SetSourceForTests({});
    BusyLock::ResetForTests();
  }
  std::unique_ptr<TForm1> Make(const std::string& ini, std::optional<std::string> firstArg = std::nullopt) {
    WriteFileBytes(dir.File("Mobrelle.ini"), ini);
    auto form = std::make_unique<TForm1>(TForm1::Options{dir.File("Mobrelle.ini"), dir.Path(), std::move(firstArg)});
    form->AskYesNo = [this](const QString& caption, const QString& text) {
      questions.push_back(caption + " | " + text);
      return answerYes;
    };
    return form;
  }
  static void WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  TempDir dir;
  Qt::KeyboardModifiers keys = Qt::NoModifier;
  QStringList questions;
  bool answerYes = false;
};

TEST_F(TForm1Test, ShowsTheLoadedMailboxesAndTheVersion) {
  auto form = Make(kTwoMailboxes);
  ASSERT_TRUE(form->FormCreate());
  auto* list = form->findChild<QTreeView*>("ListView2");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(list->model()->index(1, 0).data().toString(), QString("Bureau"));
  EXPECT_TRUE(list->isColumnHidden(6));
  EXPECT_EQ(form->findChild<QGroupBox*>("GroupBox1")->title(),
            QString("2 boîtes aux lettres  (clic droit sur la boîte à manipuler ou pour le menu)"));
  EXPECT_EQ(form->Log().Panel(1), " Mobrelle V 3.8.0.00");
  EXPECT_EQ(form->windowTitle(), QString("Mobrelle"));
}

TEST_F(TForm1Test, DeferredStartupWaitsForTheStartTimerThenIsReady) {
  auto form = Make(kTwoMailboxes);
  ASSERT_TRUE(form->FormCreate());
  int census = 0;
  form->Hooks().StartupCensus = [&] { ++census; };
  form->DeferredStartup();
  const auto& events = form->Log().Events();
  EXPECT_NE(std::find(events.begin(), events.end(), " D\xE9marrage..."), events.end());
  EXPECT_TRUE(form->StartTimerRunning());
  WaitFor([&] { return !form->StartTimerRunning(); });
  EXPECT_FALSE(form->StartTimerRunning());
  EXPECT_EQ(form->Log().Events().front(), " Pr\xEAt");
  EXPECT_EQ(census, 1);  // "RecenseDemar" is on by default
}

TEST_F(TForm1Test, FirstRunStepsRunUnderTheBusyLockAndSurviveAnError) {
  auto form = Make("[Mobrelle]\r\nVersion=Mobrelle V 3.7\r\n");
  ASSERT_TRUE(form->FormCreate());
  bool lockedDuringFirstUse = false;
  int editorOpened = 0;
  form->Hooks().FirstUseWindow = [&] {
    lockedDuringFirstUse = BusyLock::IsSet();
    throw std::runtime_error("no guide");
  };
  form->Hooks().CreateFirstMailbox = [&] { ++editorOpened; };
  form->DeferredStartup();
  EXPECT_TRUE(lockedDuringFirstUse);
  EXPECT_EQ(editorOpened, 0);  // the error skipped the rest of the first-run steps
  EXPECT_FALSE(BusyLock::IsSet());
  EXPECT_TRUE(form->StartTimerRunning());  // the rest of the start-up still ran
}

TEST_F(TForm1Test, NoMailboxOpensTheEditorOnlyOnFirstRun) {
  for (const bool firstRun : {true, false}) {
    auto form = Make(firstRun ? "" : "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n");
    ASSERT_TRUE(form->FormCreate());
    int editorOpened = 0;
    form->Hooks().CreateFirstMailbox = [&] { ++editorOpened; };
    form->DeferredStartup();
    EXPECT_EQ(editorOpened, firstRun ? 1 : 0);
  }
}

TEST_F(TForm1Test, FirstRunOffersTheDefaultListsOnlyWithoutListsOfItsOwn) {
  for (const bool yes : {false, true}) {
    answerYes = yes;
    questions.clear();
    auto form = Make("");
    ASSERT_TRUE(form->FormCreate());
    form->Hooks().CreateFirstMailbox = [] {};
    form->DeferredStartup();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QString::fromUtf8("Mobrelle - Premier lancement | D\u00e9marrer avec les filtres par d\u00e9faut ?"));
    EXPECT_EQ(!ReadFileBytes(dir.File("Mobrelle.rej")).empty(), yes);
    EXPECT_EQ(!ReadFileBytes(dir.File("Mobrelle.rjs")).empty(), yes);
    // The lists are loaded after the question: the copies are in use at once.
    EXPECT_EQ(form->Core().Filters.Lists.ListeAdr.Entries.empty(), !yes);
  }
  // Lists of its own: no question.
  questions.clear();
  auto form = Make("");
  ASSERT_TRUE(form->FormCreate());
  form->Hooks().CreateFirstMailbox = [] {};
  form->DeferredStartup();
  EXPECT_TRUE(questions.isEmpty());
}

TEST_F(TForm1Test, FilterListsAndTheirSettingsAreSavedWithTheSettings) {
  WriteFileBytes(dir.File("Mobrelle.rej"), "\xB6promo,g,N ,3,R\r\n");
  auto form = Make("[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\nRejetInex=1\r\nSujetVide=1\r\n");
  ASSERT_TRUE(form->FormCreate());
  form->DeferredStartup();
  FilterState& filters = form->Core().Filters;
  ASSERT_EQ(filters.Lists.ListeAdr.Entries.size(), 1u);
  EXPECT_EQ(filters.Settings.SujetVide, 1);
  EXPECT_TRUE(form->Core().ShowSenderCounts);  // the nonexistent-sender check is on
  filters.Lists.ListeAdr.Entries[0].Effectues = "9";
  filters.Lists.ListeAdr.Modified = true;
  filters.Settings.DestAVide = 2;
  form->CloseDown();
  EXPECT_NE(ReadFileBytes(dir.File("Mobrelle.rej")).find(",9,"), std::string::npos);
  IniFile ini(dir.File("Mobrelle.ini"));
  EXPECT_EQ(ini.ReadInteger("Mobrelle", "DestAVide", -1), 2);
  EXPECT_EQ(ini.ReadInteger("Mobrelle", "SujetVide", -1), 1);
  EXPECT_TRUE(ini.ReadBool("Mobrelle", "RejetInex", false));
}

TEST_F(TForm1Test, CloseDownSavesUnlessShiftIsHeldAndLocksForGood) {
  {
    auto form = Make(kTwoMailboxes);
    ASSERT_TRUE(form->FormCreate());
    keys = Qt::ShiftModifier;
    form->CloseDown();
    EXPECT_TRUE(BusyLock::Closing());
    EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")), kTwoMailboxes);
    {
      BusyLock::Hold hold;  // a modal window closing afterwards cannot clear it
    }
    EXPECT_TRUE(BusyLock::IsSet());
  }
  BusyLock::ResetForTests();
  keys = Qt::NoModifier;
  auto form = Make("[Maison]\r\nPop3ID=alice\r\n");
  ASSERT_TRUE(form->FormCreate());
  form->CloseDown();
  IniFile ini(dir.File("Mobrelle.ini"));
  EXPECT_EQ(ini.ReadString("Mobrelle", "Version", ""), "Mobrelle V 3.8.0.00");
  EXPECT_EQ(ini.ReadString("Maison", "Pop3ID", ""), "alice");
}

TEST_F(TForm1Test, WrongStartupPasswordLoadsNothingAndWritesNothing) {
  const std::string file = "[Mobrelle]\r\nProtege=" + ScramblePassword("lock") + "\r\n[Maison]\r\nPop3ID=a\r\n";
  auto form = Make(file);
  // The prompt is modal: answer it with a wrong password as soon as it shows.
  QTimer::singleShot(200, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
  });
  EXPECT_FALSE(form->FormCreate());
  EXPECT_EQ(form->Core().Mailboxes.Count(), 0);
  form->CloseDown();
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")), file);
}

TEST_F(TForm1Test, SecondStartRestoresOnlyAPlainCaption) {
  auto form = Make(kTwoMailboxes);
  ASSERT_TRUE(form->FormCreate());
  form->hide();
  form->setWindowTitle("Mobrelle" + QString::fromStdString(TxtUtf8(1110)));
  form->HandleRequest(0);
  EXPECT_FALSE(form->isVisible());
  form->setWindowTitle("Mobrelle");
  form->HandleRequest(0);
  EXPECT_TRUE(form->isVisible());
  form->HandleRequest(7);  // unknown requests do nothing
}

}  // namespace
}  // namespace mobrelle
