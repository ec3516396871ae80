#pragma once
// The in-memory filter lists and the history of rejected messages.

#include <string>
#include <vector>

namespace mobrelle {

// One entry of the sender, subject or recipient list, fields in file order.
struct FilterEntry {
  std::string Text;          // first byte may be a kind marker (0xB6, 0xA7, '~')
  std::string Field;         // recipient list only: "A", "C" or "L"
  std::string Avant;         // "R", "d", "g"; a single space in accepting entries
  std::string Pendant;       // reply code, "N " without reply; a single space in accepting entries
  std::string Effectues;     // rejection count in decimal, or empty
  bool Accepted = false;     // white-list entry
};

struct HistoryEntry {
  std::string DateTime;
  std::string Sender;
  std::string Subject;
  std::string Recipients;
  std::string CopyRecipients;
  std::string Mailbox;
};

enum class ListIndex { Adr = 0, Suj = 1, Dest = 2, Hist = 5 };

struct FilterList {
  std::vector<FilterEntry> Entries;
  bool Modified = false;
};

struct HistoryList {
  std::vector<HistoryEntry> Entries;
  bool Modified = false;
};

struct FilterLists {
  FilterList ListeAdr;   // ".rej"
  FilterList ListeSuj;   // ".rjs"
  FilterList ListeDest;  // ".rjd"
  HistoryList ListeHist; // ".his"
};

}  // namespace mobrelle
