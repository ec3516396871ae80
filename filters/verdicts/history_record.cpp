#include "filters/verdicts/history_record.h"

#include <algorithm>
#include <array>

#include "filters/lists/list_files.h"
#include "polling/headers/extract_address.h"

namespace mobrelle {

std::string CleanHistoryText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == ',' || c == '\n' || c == '\r') continue;
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

HistoryEntry MakeHistoryEntry(const std::string& dateTime, const MessageInputs& msg, const MailboxRule& mailbox,
                              const Judgement& j) {
  HistoryEntry e;
  e.DateTime = dateTime;
  e.Mailbox = mailbox.Name;

  e.Sender = ExtractAddress(msg.Sender) + j.SenderNote;
  if (j.SenderCheckResult < 0)
    e.Sender += kNonexistentMarker;
  else if (j.SenderEntry >= 0)
    e.Sender += kFilterMarker;

  std::string subject = CleanHistoryText(j.Subject);
  std::string to = CleanHistoryText(msg.To);
  std::string cc = CleanHistoryText(msg.Cc);
  const bool noRecipients = to.empty() && cc.empty();

  // Shrink the three texts in proportion when they and the notes do not fit beside the sender.
  const long l0 = static_cast<long>(e.Sender.size());
  const long notes = static_cast<long>(j.SubjectNote.size() + j.ToNote.size() + j.CcNote.size());
  const long total = static_cast<long>(subject.size() + to.size() + cc.size()) + notes;
  const long room = kHistoryTextBudget - l0 - notes;
  if (room <= 0) {
    subject.clear(), to.clear(), cc.clear();
  } else if (room < total) {
    const double ratio = static_cast<double>(total) / static_cast<double>(room);
    for (std::string* t : {&subject, &to, &cc}) t->resize(static_cast<std::size_t>(static_cast<double>(t->size()) / ratio));
  }

  e.Subject = subject + j.SubjectNote;
  if (j.SubjectEntry >= 0) e.Subject += kFilterMarker;

  if (noRecipients) to = kEmptyRecipients;
  const std::string prefix =
      j.ExclusiveResult == 1 ? kOtherAddressPrefix : j.ExclusiveResult == 2 ? kNoneOfMinePrefix : "";
  e.Recipients = prefix + to + j.ToNote;
  if (j.Caught & kCaughtTo) e.Recipients += kFilterMarker;
  e.CopyRecipients = (cc.empty() ? std::string() : prefix) + cc + j.CcNote;
  if (j.Caught & kCaughtCc) e.CopyRecipients += kFilterMarker;

  // The date, the mailbox name, the markers and long notes are outside the budget: cut the longest
  // field until the line fits what the loader reads back, or the rest of the line would come back
  // as an entry of its own.
  for (int round = 0; round < 8; ++round) {
    const std::size_t length = HistoryEntryLine(e).size();
    if (length <= kLongestHistoryLine) break;
    std::array<std::string*, 5> fields{&e.Sender, &e.Subject, &e.Recipients, &e.CopyRecipients, &e.Mailbox};
    std::string* longest = *std::max_element(fields.begin(), fields.end(),
                                             [](auto* a, auto* b) { return a->size() < b->size(); });
    longest->resize(longest->size() - std::min(longest->size(), length - kLongestHistoryLine));
  }
  return e;
}

}  // namespace mobrelle
