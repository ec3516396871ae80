#include "app/net/blocking_wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <ctime>

namespace mobrelle {
namespace {

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

TEST(BlockingWait, ReturnsOnDoneTimeoutOrAbort) {
  BlockingWait w;
  QTimer::singleShot(20, &w, [&] { w.Done(); });
  EXPECT_EQ(w.Wait(5000), BlockingWait::Result::Done);
  EXPECT_EQ(w.Wait(50), BlockingWait::Result::TimedOut);
  QTimer::singleShot(10, &w, [&] { w.Abort(); });
  EXPECT_EQ(w.Wait(0), BlockingWait::Result::Aborted);
  w.Done();  // before the wait: kept
  EXPECT_EQ(w.Wait(5000), BlockingWait::Result::Done);
  // Completed from a queued call: the wait returns then, not at the next event.
  QElapsedTimer t;
  t.start();
  QTimer::singleShot(0, &w, [&] { w.Done(); });
  EXPECT_EQ(w.Wait(5000), BlockingWait::Result::Done);
  EXPECT_LT(t.elapsed(), 2000);
}

TEST(BlockingWait, RearmPushesTheDeadlineAndTimersRunInside) {
  BlockingWait w;
  int ticks = 0;
  QTimer rearm;
  QObject::connect(&rearm, &QTimer::timeout, [&] {
    if (++ticks < 6) w.Rearm();  // 6 x 40 ms of activity, each within the 100 ms limit
  });
  rearm.start(40);
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(w.Wait(100), BlockingWait::Result::TimedOut);
  EXPECT_GE(ticks, 6);
  EXPECT_GE(t.elapsed(), 200);
}

TEST(BlockingWait, NestedWaitsReturnInnerFirst) {
  BlockingWait outer, inner;
  std::vector<std::string> order;
  QTimer::singleShot(10, [&] {
    QTimer::singleShot(30, [&] { inner.Done(); });
    QTimer::singleShot(5, [&] { outer.Done(); });  // completes while the inner wait runs
    EXPECT_EQ(inner.Wait(5000), BlockingWait::Result::Done);
    order.push_back("inner");
  });
  EXPECT_EQ(outer.Wait(5000), BlockingWait::Result::Done);
  order.push_back("outer");
  EXPECT_EQ(order, (std::vector<std::string>{"inner", "outer"}));
}

TEST(BlockingWait, WaitingOnSilenceCostsNoCpu) {
  BlockingWait w;
  const double before = CpuSeconds();
  EXPECT_EQ(w.Wait(500), BlockingWait::Result::TimedOut);
  EXPECT_LT(CpuSeconds() - before, 0.2);  // a busy loop would use the whole half second
}

TEST(BlockingWait, DeletedFromInsideItsOwnWait) {
  auto* w = new BlockingWait;
  QTimer::singleShot(10, [w] { delete w; });
  EXPECT_EQ(w->Wait(5000), BlockingWait::Result::Aborted);
  QElapsedTimer t;
  t.start();
  w = new BlockingWait;
  QTimer::singleShot(10, [w] { w->deleteLater(); });
  EXPECT_EQ(w->Wait(5000), BlockingWait::Result::Aborted);
  EXPECT_LT(t.elapsed(), 2000);
}

TEST(BlockingWait, SameObjectWaitingTwiceIsRefused) {
  BlockingWait w;
  BlockingWait::Result inner = BlockingWait::Result::Done;
  QTimer::singleShot(10, [&] {
    inner = w.Wait(5000);
    w.Done();
  });
  EXPECT_EQ(w.Wait(5000), BlockingWait::Result::Done);
  EXPECT_EQ(inner, BlockingWait::Result::Aborted);
}

TEST(BlockingWait, QuitOfTheApplicationEndsTheWaits) {
  BlockingWait outer, inner, after;
  BlockingWait::Result o = BlockingWait::Result::Done, i = o, a = o;
  QElapsedTimer t;
  QTimer::singleShot(0, [&] {
    t.start();
    QTimer::singleShot(20, [&] {
      QTimer::singleShot(20, [] { QCoreApplication::quit(); });
      i = inner.Wait(10000);
    });
    o = outer.Wait(10000);
    a = after.Wait(10000);  // the application is ending: no new wait
  });
  QCoreApplication::exec();
  EXPECT_EQ(i, BlockingWait::Result::TimedOut);
  EXPECT_EQ(o, BlockingWait::Result::TimedOut);
  EXPECT_EQ(a, BlockingWait::Result::TimedOut);
  EXPECT_LT(t.elapsed(), 5000);
  // Once the application's loop has returned, waiting works again.
  QTimer::singleShot(10, &after, [&] { after.Done(); });
  EXPECT_EQ(after.Wait(5000), BlockingWait::Result::Done);
}

}  // namespace
}  // namespace mobrelle
