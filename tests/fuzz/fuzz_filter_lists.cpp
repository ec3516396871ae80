// List-file loading on arbitrary bytes: never crashes, and what it loads writes back to lines that
// load again to the same entries without any correction.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "filters/lists/history_retention.h"
#include "filters/lists/list_files.h"

namespace {

class FixedClock : public mobrelle::HistoryClock {
 public:
  mobrelle::LocalDateTime Now() const override { return {2026, 12, 10, 12, 0, 0}; }
};

bool SameEntry(const mobrelle::FilterEntry& a, const mobrelle::FilterEntry& b) {
  return a.Text == b.Text && a.Field == b.Field && a.Avant == b.Avant && a.Pendant == b.Pendant &&
         a.Effectues == b.Effectues && a.Accepted == b.Accepted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  for (bool recipient : {false, true}) {
    mobrelle::FilterList list;
    mobrelle::ParseFilterFile(content, recipient, list);
    std::string written;
    for (const auto& e : list.Entries) written += mobrelle::FilterEntryLine(e, recipient) + "\r\n";
    mobrelle::FilterList again;
    mobrelle::ParseFilterFile(written, recipient, again);
    // Lines longer than the reader's buffer are split; every shorter one must come back as it was.
    bool shortLines = true;
    for (const auto& e : list.Entries)
      if (mobrelle::FilterEntryLine(e, recipient).size() + 2 > 1021) shortLines = false;
    if (shortLines) {
      if (again.Modified || again.Entries.size() != list.Entries.size()) std::abort();
      for (std::size_t i = 0; i < list.Entries.size(); ++i)
        if (!SameEntry(list.Entries[i], again.Entries[i])) std::abort();
    }
  }
  mobrelle::HistoryList history;
  mobrelle::ParseHistoryFile(content, history);
  for (const auto& e : history.Entries)
    if (e.DateTime.empty() || e.DateTime[0] < '0' || e.DateTime[0] > '9') std::abort();
  mobrelle::ApplyHistoryRetention(history, {true, 50, true, 15}, FixedClock());
  if (history.Entries.size() > 50) std::abort();
  return 0;
}
