#include "app/single_instance.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/check_lock.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

TEST(SingleInstance, SecondStartIsRefusedAndHandsItsRequestOver) {
  test::TempDir dir;
  const QString folder = QString::fromStdString(dir.Path());
  SingleInstance first(folder);
  ASSERT_TRUE(first.Acquire());
  EXPECT_TRUE(SingleInstance::IsRunning(folder));
  std::vector<int> received;
  QObject::connect(&first, &SingleInstance::requestReceived, [&](int w) { received.push_back(w); });

  // The second start sends its request from a blocking call; answer it from an event loop turn.
  SingleInstance second(folder);
  EXPECT_FALSE(second.Acquire());
  QElapsedTimer t;
  t.start();
  while (received.empty() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(received, std::vector<int>{kRequestStartedAgain});

  // Another folder is another instance.
  test::TempDir other;
  SingleInstance elsewhere(QString::fromStdString(other.Path()));
  EXPECT_TRUE(elsewhere.Acquire());
}

TEST(SingleInstance, NobodyListeningMeansNoRequestAndAFreeFolder) {
  test::TempDir dir;
  const QString folder = QString::fromStdString(dir.Path());
  EXPECT_FALSE(SingleInstance::IsRunning(folder));
  EXPECT_FALSE(SendRequest(folder, kRequestStartedAgain, 200));
  {
    SingleInstance first(folder);
    ASSERT_TRUE(first.Acquire());
  }
  // Released with its owner: the next start runs.
  SingleInstance next(folder);
  EXPECT_TRUE(next.Acquire());
}

// A window that starts while "mobrelle --check" holds the folder waits for it, saying so once.
TEST(CheckLock, AWindowWaitsForACommandLineCheck) {
  test::TempDir dir;
  const QString folder = QString::fromStdString(dir.Path());
  EXPECT_FALSE(WaitForCheckToEnd(folder, [] { FAIL() << "nothing to wait for"; }));

  CheckLock check(folder);
  ASSERT_TRUE(check.TryLock());
  CheckLock second(folder);
  EXPECT_FALSE(second.TryLock(0));  // a second check is refused while the first runs
  QTimer::singleShot(300, [&] { check.Unlock(); });
  int said = 0;
  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(WaitForCheckToEnd(folder, [&] { ++said; }));
  EXPECT_GE(t.elapsed(), 250);
  EXPECT_EQ(said, 1);
  EXPECT_TRUE(second.TryLock(0));  // and the folder is free again afterwards
}

}  // namespace
}  // namespace mobrelle
