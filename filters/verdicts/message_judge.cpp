#include "filters/verdicts/message_judge.h"

#include <charconv>
#include <climits>

#include "app/busy_lock.h"
#include "filters/lists/history_dates.h"
#include "filters/verdicts/history_record.h"
#include "filters/verdicts/verdict_ports.h"

namespace mobrelle {

namespace {

const FilterEntry* EntryAt(FilterList& list, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < list.Entries.size() ? &list.Entries[index] : nullptr;
}

}  // namespace

MessageJudge::MessageJudge(FilterLists& lists, const MatchSettings& match, const VerdictSettings& settings,
                           Services services)
    : lists_(lists), match_(match), settings_(settings), services_(std::move(services)) {}

int MessageJudge::RejectedIn(const std::string& mailbox) const {
  int n = 0;
  for (const auto& [box, uidl] : recorded_) n += box == mailbox;
  return n;
}

std::string MessageJudge::NextCount(const std::string& count) {
  long long n = 0;
  const char* end = count.data() + count.size();
  const auto [ptr, ec] = std::from_chars(count.data(), end, n);
  if (count.empty() || ec != std::errc() || ptr != end || n < 0 || n == LLONG_MAX) return "1";
  return std::to_string(n + 1);
}

MessageOutcome MessageJudge::JudgeAndAct(const MessageInputs& msg, const MailboxRule& mailbox,
                                         const MessageActions& actions) {
  MessageOutcome out;
  out.Verdict = JudgeMessage(msg, mailbox, lists_, match_, settings_, services_.Alert, services_.CheckSender);
  const Judgement& j = out.Verdict;

  if (j.Acts(settings_)) {
    // Met again after a rejection whose deletion did not take: delete it without asking again and
    // without a second record.
    if (!msg.Uidl.empty() && recorded_.count({mailbox.Name, msg.Uidl})) {
      out.Rejected = true;
      out.Deleted = actions.Delete && actions.Delete();
      return out;
    }

    if (services_.Announcer) services_.Announcer->RejectionSound();
    bool rejected = j.Verdict == 'r';
    bool withoutUser = rejected;
    if (!rejected && services_.Alert) {
      AlertTexts texts;
      texts.Mailbox = mailbox.Name;
      texts.Sender = msg.Sender + j.SenderNote;
      texts.Subject = j.Subject + j.SubjectNote;
      texts.To = msg.To + j.ToNote;
      texts.Cc = msg.Cc + j.CcNote;
      // The filter that caught the message, the recipient one first: it is the one a user sees
      // in red on the recipient fields.
      if (const FilterEntry* e = EntryAt(lists_.ListeDest, j.RecipientEntry))
        texts.Filter = e->Text;
      else if (const FilterEntry* e = EntryAt(lists_.ListeSuj, j.SubjectEntry))
        texts.Filter = e->Text;
      else if (const FilterEntry* e = EntryAt(lists_.ListeAdr, j.SenderEntry))
        texts.Filter = e->Text;
      texts.Size = msg.Size;
      texts.Date = msg.Date;
      AlertResult result;
      {
        BusyLock::Hold hold;
        result = services_.Alert->Show(j.Verdict, settings_.DelaiRejeterGarder, texts);
      }
      const bool ranOut = result.Pressed == AlertResult::Choice::Closed && result.SecondsLeft < 0;
      const bool pressedReject = result.Pressed == AlertResult::Choice::Reject;
      rejected = pressedReject || (j.Verdict == 'd' && ranOut);
      withoutUser = j.Verdict == 'd' && ranOut;
    }
    if (rejected) {
      Reject(msg, mailbox, actions, withoutUser, out);
      return out;
    }
  }

  // Kept: listed with its notes.
  if (j.Accepted) {
    if (settings_.IconeListeBlanche) out.Icon = RowIcon::WhiteList;
    if (services_.Announcer) services_.Announcer->AcceptedSenderSound();
  } else if (j.SenderEntry >= 0 || j.SubjectEntry >= 0 || j.RecipientEntry >= 0) {
    out.Icon = RowIcon::CaughtKept;
  }
  return out;
}

void MessageJudge::Reject(const MessageInputs& msg, const MailboxRule& mailbox, const MessageActions& actions,
                          bool withoutUser, MessageOutcome& out) {
  const Judgement& j = out.Verdict;
  out.Rejected = true;

  auto& history = lists_.ListeHist.Entries;
  history.insert(history.begin(),
                 MakeHistoryEntry(FormatHistoryDateTime(services_.Clock->Now()), msg, mailbox, j));
  lists_.ListeHist.Modified = true;
  if (services_.HistoryChanged) services_.HistoryChanged();

  // Count the rejection on each deciding filter; the reply follows the last of them.
  std::string replyCode;
  const std::pair<FilterList*, int> deciding[] = {
      {&lists_.ListeAdr, j.SenderEntry}, {&lists_.ListeSuj, j.SubjectEntry}, {&lists_.ListeDest, j.RecipientEntry}};
  for (const auto& [list, index] : deciding) {
    if (index < 0 || static_cast<std::size_t>(index) >= list->Entries.size()) continue;
    FilterEntry& e = list->Entries[index];
    e.Effectues = NextCount(e.Effectues);
    list->Modified = true;
    replyCode = e.Pendant;
  }

  out.Deleted = actions.Delete && actions.Delete();
  if (!msg.Uidl.empty()) recorded_.insert({mailbox.Name, msg.Uidl});

  ApplyHistoryRetention(lists_.ListeHist, settings_.Retention, *services_.Clock);
  lists_.ListeHist.Modified = true;
  if (services_.HistoryChanged) services_.HistoryChanged();

  if (!replyCode.empty() && replyCode[0] != 'N' && actions.Reply) actions.Reply(replyCode);

  if (settings_.AlerteVisuelleRejet && withoutUser && services_.Announcer)
    services_.Announcer->NotifyRejection(msg.Sender, j.Subject);
}

}  // namespace mobrelle
