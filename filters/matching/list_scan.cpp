#include "filters/matching/list_scan.h"

#include "app/core/cp1252.h"

namespace mobrelle {

namespace {

void Rank(const FilterEntry& e, std::size_t index, ScanResult& r, bool to = false, bool cc = false) {
  r.RejectingMatches.push_back(index);
  r.ToCaught = r.ToCaught || to;
  r.CcCaught = r.CcCaught || cc;
  const char first = e.Avant.empty() ? ' ' : e.Avant[0];
  if (ActionRank(first) > ActionRank(r.Code)) {
    r.Code = static_cast<char>(first | 0x20);
    r.DecidingEntry = static_cast<int>(index);
    r.DecidingTo = to;
    r.DecidingCc = cc;
  }
}

// Every word of a multiple-words filter is in `text`, compared as it is. A filter without any real
// word catches nothing: it would otherwise catch every message.
bool AllWordsIn(const std::vector<std::string_view>& words, std::string_view text) {
  bool any = false;
  for (auto w : words) {
    if (text.find(w) == std::string_view::npos) return false;
    any = any || !w.empty();
  }
  return any;
}

template <typename Test>
ScanResult Scan(const FilterList& list, char initialCode, Test test) {
  ScanResult r;
  r.Code = initialCode;
  std::string low;
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    const FilterEntry& e = list.Entries[i];
    // The matching compares without regard to case; only the words of a multiple-words entry are
    // searched as they are, so only those are lowered.
    const bool words = !e.Text.empty() && e.Text[0] == kWordsMarker;
    if (words) {
      low.assign(e.Text);
      for (char& c : low) c = static_cast<char>(Cp1252Lower(static_cast<unsigned char>(c)));
    }
    bool to = false, cc = false;
    if (!test(e, words ? std::string_view(low) : std::string_view(e.Text), to, cc)) continue;
    if (e.Accepted) {
      r.Accepted = true;
      r.AcceptingEntry = static_cast<int>(i);
      r.DecidingTo = to;  // the fields an accepting recipient entry matched carry its note
      r.DecidingCc = cc;
      return r;
    }
    Rank(e, i, r, to, cc);
  }
  return r;
}

}  // namespace

ScanResult ScanSenderList(const FilterList& list, std::string_view address, const MatchSettings& s,
                          char initialCode) {
  return Scan(list, initialCode, [&](const FilterEntry&, std::string_view low, bool&, bool&) {
    return MatchFilter(low, address, s);
  });
}

ScanResult ScanSubjectList(const FilterList& list, std::string_view subject, const MatchSettings& s,
                           char initialCode) {
  if ((initialCode | 0x20) == 'r') {
    ScanResult r;
    r.Code = initialCode;
    return r;
  }
  return Scan(list, initialCode, [&](const FilterEntry&, std::string_view low, bool&, bool&) {
    if (!low.empty() && low[0] == kWordsMarker && MatchWords(low, subject)) return true;
    return MatchFilter(low, subject, s);
  });
}

ScanResult ScanRecipientList(const FilterList& list, std::string_view to, std::string_view cc,
                             const MatchSettings& s, char initialCode) {
  if ((initialCode | 0x20) == 'r') {
    ScanResult r;
    r.Code = initialCode;
    return r;
  }
  return Scan(list, initialCode, [&](const FilterEntry& e, std::string_view low, bool& toCaught, bool& ccCaught) {
    const char sel = e.Field.empty() ? 'A' : e.Field[0];
    const bool testTo = sel == 'A' || sel == 'L';
    const bool testCc = sel == 'C' || sel == 'L';
    if (!low.empty() && low[0] == kWordsMarker) {
      const auto words = SplitFilterWords(low);
      if (testTo && AllWordsIn(words, to)) toCaught = true;
      if (testCc && AllWordsIn(words, cc)) ccCaught = true;
    }
    if (!toCaught && testTo && MatchFilter(low, to, s)) toCaught = true;
    if (!ccCaught && testCc && MatchFilter(low, cc, s)) ccCaught = true;
    return toCaught || ccCaught;
  });
}

}  // namespace mobrelle
