#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

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

}  // namespace
}  // namespace mobrelle
