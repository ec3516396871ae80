#include "app/core/status_log.h"

#include "app/core/texts.h"

namespace mobrelle {

void StatusLog::ShowStatus(int index, const std::string& text) {
  const std::string item = " " + text;
  if (index != 0) {
    panels_[index == 2 ? 2 : 1] = item;
  } else {
    // Scheduled checks while the scheduler is off would fill the log with the same word.
    const std::string disabled = " " + Txt(1010);
    if (!(item == disabled && !events_.empty() && events_.front() == disabled)) {
      while (static_cast<int>(events_.size()) > maxEvents_) events_.pop_back();
      events_.push_front(item);
    }
  }
  if (OnChange) OnChange(index);
}

}  // namespace mobrelle
