// Mobrelle started as a user starts it: one instance per folder, a clean exit on SIGTERM that
// saves the settings, and a configuration file that survives a kill at any moment.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "tests/support/temp_dir.h"

namespace {

using mobrelle::test::ReadFileBytes;
using mobrelle::test::TempDir;
using mobrelle::test::WriteFileBytes;

const QString kProgram = QStringLiteral(MOBRELLE_BIN_DIR "/mobrelle");

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(home.File("Mobrelle.ini"),
                   "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n[Maison]\r\nPop3ID=alice\r\nIntervalle=0\r\n");
  }

  std::unique_ptr<QProcess> Start(const QStringList& extra = {}) {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(kProgram, QStringList{"--home", QString::fromStdString(home.Path())} + extra);
    EXPECT_TRUE(p->waitForStarted(10000)) << "cannot start " << kProgram.toStdString();
    return p;
  }

  // The instance is ready to answer once its socket exists in the runtime folder.
  static bool WaitForSocket(int ms = 15000) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
      if (!QDir(runtime).entryList({"mobrelle-*.socket"}, QDir::System).isEmpty()) return true;
      QThread::msleep(50);
    }
    return false;
  }

  TempDir home;
};

TEST_F(ProgramTest, SecondStartEndsAtOnceWithCodeZero) {
  auto first = Start();
  ASSERT_TRUE(WaitForSocket());
  auto second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(first->state(), QProcess::Running);
  first->terminate();
  ASSERT_TRUE(first->waitForFinished(15000));
  EXPECT_EQ(first->exitCode(), 0);
}

TEST_F(ProgramTest, TerminationSavesTheSettings) {
  WriteFileBytes(home.File("Mobrelle.ini"), "[Maison]\r\nPop3ID=alice\r\nIntervalle=0\r\n");
  auto p = Start({"icon"});
  ASSERT_TRUE(WaitForSocket());
  p->terminate();  // SIGTERM
  ASSERT_TRUE(p->waitForFinished(15000));
  EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p->exitCode(), 0);
  const std::string ini = ReadFileBytes(home.File("Mobrelle.ini"));
  EXPECT_NE(ini.find("Version=Mobrelle V 3.8.0.00\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[Maison]\r\nPop3ID=alice\r\n"), std::string::npos) << ini;
}

TEST_F(ProgramTest, SeveralInstancesRunSideBySideWhenAllowed) {
  WriteFileBytes(home.File("Mobrelle.ini"), "[Mobrelle]\r\nPlusieursInstances=1\r\nVersion=Mobrelle V 3.8.0.00\r\n");
  auto a = Start();
  auto b = Start();
  QThread::msleep(1500);
  EXPECT_EQ(a->state(), QProcess::Running);
  EXPECT_EQ(b->state(), QProcess::Running);
  for (auto* p : {a.get(), b.get()}) {
    p->terminate();
    EXPECT_TRUE(p->waitForFinished(15000));
  }
}

TEST_F(ProgramTest, HelpAndBadOptions) {
  QProcess p;
  p.start(kProgram, {"--help"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardOutput().contains("--home DIR"));
  p.start(kProgram, {"--home"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 2);
}

TEST_F(ProgramTest, AnalyseListsTheAttachmentsWithoutADisplay) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  const std::string message = home.File("message.eml");
  WriteFileBytes(message,
                 "From: a@example.test\r\nSubject: x\r\nMIME-Version: 1.0\r\n"
                 "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                 "hello\r\n--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
                 "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
                 "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n--b--\r\n");
  p.start(kProgram, {"--analyse", QString::fromStdString(message)});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(p.readAllStandardOutput().contains("data.bin"));

  p.start(kProgram, {"--analyse", QString::fromStdString(home.File("missing.eml"))});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_FALSE(p.readAllStandardError().isEmpty());
}

// The command hands the window over to the window program beside it; without that program it says
// so and fails, rather than doing nothing.
TEST_F(ProgramTest, WithoutTheWindowProgramBesideItTheCommandSaysSo) {
  const QString alone = QString::fromStdString(home.File("mobrelle"));
  ASSERT_TRUE(QFile::copy(kProgram, alone));
  QProcess p;
  p.start(alone, {"--home", QString::fromStdString(home.Path())});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(p.readAllStandardError().contains("mobrelle-window")) << "no word of the missing program";
  // What needs no window still works alone.
  p.start(alone, {"--version"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardOutput().startsWith("Mobrelle V"));
}

}  // namespace
