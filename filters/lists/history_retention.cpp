#include "filters/lists/history_retention.h"

#include <algorithm>
#include <cmath>

namespace mobrelle {

void SortHistoryNewestFirst(HistoryList& history, const HistoryClock& clock) {
  struct Keyed {
    std::optional<double> when;
    HistoryEntry entry;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(history.Entries.size());
  for (auto& e : history.Entries) {
    auto t = clock.Parse(e.DateTime);
    keyed.push_back({t ? std::optional<double>(ToDays(*t)) : std::nullopt, std::move(e)});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (!a.when || !b.when) return a.when.has_value() && !b.when.has_value();
    return *a.when > *b.when;
  });
  history.Entries.clear();
  for (auto& k : keyed) history.Entries.push_back(std::move(k.entry));
}

void ApplyHistoryRetention(HistoryList& history, const HistoryRetention& rules, const HistoryClock& clock) {
  if (!rules.ByCount && !rules.ByDays) return;
  SortHistoryNewestFirst(history, clock);
  auto& entries = history.Entries;
  if (rules.ByCount) {
    const std::size_t keep = rules.Count < 0 ? 0 : static_cast<std::size_t>(rules.Count);
    if (entries.size() > keep) {
      entries.resize(keep);
      history.Modified = true;
    }
  }
  if (rules.ByDays) {
    const double limit = ToDays(clock.Now()) - rules.Days;
    const auto removed = std::remove_if(entries.begin(), entries.end(), [&](const HistoryEntry& e) {
      const auto t = clock.Parse(e.DateTime);
      return t && std::trunc(ToDays(*t) - limit) < 1;
    });
    if (removed != entries.end()) {
      entries.erase(removed, entries.end());
      history.Modified = true;
    }
  }
}

void RaiseRetentionMinimums(HistoryRetention& rules) {
  rules.Count = std::max(rules.Count, 10);
  rules.Days = std::max(rules.Days, 10);
}

}  // namespace mobrelle
