#pragma once
// Which entry of a filter list decides for one message: an accepting entry that matches ends the
// scan; otherwise the matching rejecting entry of the highest action rank (the first on a tie).

#include <cstddef>
#include <string_view>
#include <vector>

#include "filters/lists/filter_lists.h"
#include "filters/matching/filter_matching.h"

namespace mobrelle {

struct ScanResult {
  bool Accepted = false;
  int AcceptingEntry = -1;  // index of the accepting entry that ended the scan
  int DecidingEntry = -1;   // highest-ranked matching rejecting entry, or -1
  char Code = ' ';          // action letter reached, lower case ('r', 'd', 'g') or the initial one
  std::vector<std::size_t> RejectingMatches;  // every matching rejecting entry, in list order
  // Recipient list: the fields caught by rejecting entries, and those of the deciding entry (the
  // accepting one when the scan ended on it).
  bool ToCaught = false, CcCaught = false;
  bool DecidingTo = false, DecidingCc = false;
};

// `address` is the sender's address as extracted (lower case).
ScanResult ScanSenderList(const FilterList& list, std::string_view address, const MatchSettings& s,
                          char initialCode = ' ');
// `subject` is lower case (or the empty-subject text). Nothing is scanned when the code is 'r'.
ScanResult ScanSubjectList(const FilterList& list, std::string_view subject, const MatchSettings& s,
                           char initialCode = ' ');
// The To and Cc texts as they are (not lower-cased). Nothing is scanned when the code is 'r'.
ScanResult ScanRecipientList(const FilterList& list, std::string_view to, std::string_view cc,
                             const MatchSettings& s, char initialCode = ' ');

}  // namespace mobrelle
