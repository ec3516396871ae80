#pragma once
// What the status bar shows: the bounded event log (newest first) and the texts of panels 1 and 2.
// Every part of the program reports progress through ShowStatus.

#include <deque>
#include <functional>
#include <string>

namespace mobrelle {

class StatusLog {
 public:
  // Index 0 adds to the event log; 1 and 2 set that panel's text. Texts are Windows-1252.
  void ShowStatus(int index, const std::string& text);

  // The log holds at most this many + 1 entries ("NbEvenements").
  void SetMaxEvents(int max) { maxEvents_ = max < 0 ? 0 : max; }
  int MaxEvents() const { return maxEvents_; }

  const std::deque<std::string>& Events() const { return events_; }  // each with its leading space
  const std::string& Panel(int index) const { return panels_[index == 2 ? 2 : 1]; }

  // Called after every change, for the window to repaint.
  std::function<void(int index)> OnChange;

 private:
  std::deque<std::string> events_;
  std::string panels_[3];
  int maxEvents_ = 100;
};

}  // namespace mobrelle
