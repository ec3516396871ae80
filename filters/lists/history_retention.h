#pragma once
// Keeps the history short: at most a number of entries, and only the entries of the last days.

#include "filters/lists/filter_lists.h"
#include "filters/lists/history_dates.h"

namespace mobrelle {

struct HistoryRetention {
  bool ByCount = true;  // "HistoNbLigSav"
  int Count = 500;      // "NbHisto"
  bool ByDays = true;   // "HistoDateSav"
  int Days = 15;        // "NbHistoDate"
};

// Newest first; entries whose date cannot be read go last, in their order.
void SortHistoryNewestFirst(HistoryList& history, const HistoryClock& clock);
// Sets the modified flag when it removes anything. An entry whose date cannot be read is kept by
// the days rule.
void ApplyHistoryRetention(HistoryList& history, const HistoryRetention& rules, const HistoryClock& clock);
// The window raises numbers below 10 before it applies retention on close.
void RaiseRetentionMinimums(HistoryRetention& rules);

}  // namespace mobrelle
