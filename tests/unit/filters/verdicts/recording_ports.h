#pragma once
// An alert that answers as a test tells it and remembers what it was shown, and an announcer that
// writes down its calls.

#include <string>
#include <vector>

#include "app/busy_lock.h"
#include "filters/lists/history_dates.h"
#include "filters/verdicts/verdict_ports.h"

namespace mobrelle::test {

class RecordingAlert : public RejectAlert {
 public:
  void ClearFields() override { red.clear(), empty = false; }
  void PaintRed(AlertField f) override { red.push_back(f); }
  void ShowRecipientsEmpty() override { empty = true; }
  bool RecipientsShowEmpty() const override { return empty; }
  void SetFrameText(const std::string& text) override { frame = text; }
  AlertResult Show(char verdict, int countdown, const AlertTexts& t) override {
    shownVerdicts.push_back(verdict);
    lastCountdown = countdown;
    texts = t;
    busyWhileShown = BusyLock::IsSet();
    return answer;
  }

  std::vector<AlertField> red;
  bool empty = false;
  std::string frame;
  std::vector<char> shownVerdicts;
  int lastCountdown = 0;
  AlertTexts texts;
  bool busyWhileShown = false;
  AlertResult answer{AlertResult::Choice::Closed, -1};  // the countdown runs out
};

class RecordingAnnouncer : public RejectionAnnouncer {
 public:
  void RejectionSound() override { calls.push_back("sound"); }
  void AcceptedSenderSound() override { calls.push_back("friend"); }
  void NotifyRejection(const std::string& sender, const std::string& subject) override {
    calls.push_back("balloon " + sender + " / " + subject);
  }
  std::vector<std::string> calls;
};

class FixedClock : public HistoryClock {
 public:
  LocalDateTime Now() const override { return {2026, 12, 11, 9, 30, 5}; }
};

}  // namespace mobrelle::test
