#pragma once
// Judging a new message and carrying the verdict out: the alert, the deletion on the server, the
// history, the counters of the filters, the reply and the announcements.

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "filters/verdicts/judge_message.h"

namespace mobrelle {

class HistoryClock;
class RejectAlert;
class RejectionAnnouncer;

// What the check gives for the message it stands on.
struct MessageActions {
  // DELE of the message's number; true when the server accepted it.
  std::function<bool()> Delete;
  // Answers the sender with the deciding filter's reply code.
  std::function<void(const std::string& replyCode)> Reply;
};

enum class RowIcon { None, WhiteList, CaughtKept };

struct MessageOutcome {
  bool Rejected = false;  // decided to reject
  bool Deleted = false;   // and the server took the DELE: the next messages are numbered one lower
  RowIcon Icon = RowIcon::None;
  Judgement Verdict;      // the notes to append to the listed texts
};

class MessageJudge {
 public:
  struct Services {
    RejectAlert* Alert = nullptr;             // may be null: a 'd' or 'g' verdict then keeps
    RejectionAnnouncer* Announcer = nullptr;  // may be null
    const HistoryClock* Clock = nullptr;      // required
    SenderExistsCheck CheckSender;            // may be empty
    std::function<void()> HistoryChanged;     // the history count shown by the filter window
  };

  // The lists and settings are read live: the windows may change them between two messages.
  MessageJudge(FilterLists& lists, const MatchSettings& match, const VerdictSettings& settings, Services services);

  MessageOutcome JudgeAndAct(const MessageInputs& msg, const MailboxRule& mailbox, const MessageActions& actions);

  // Messages of `mailbox` recorded as rejected in this run.
  int RejectedIn(const std::string& mailbox) const;

  // Adds 1 to a rejection count; an empty or unreadable count restarts at 1.
  static std::string NextCount(const std::string& count);

 private:
  void Reject(const MessageInputs& msg, const MailboxRule& mailbox, const MessageActions& actions,
              bool withoutUser, MessageOutcome& out);

  FilterLists& lists_;
  const MatchSettings& match_;
  const VerdictSettings& settings_;
  Services services_;
  // Messages already recorded as rejected in this run, by mailbox and unique id. A DELE only takes
  // effect at QUIT: a session that ends otherwise leaves the message on the server for the next
  // check, which must not write it to the history, count it or answer its sender again.
  std::set<std::pair<std::string, std::string>> recorded_;
};

}  // namespace mobrelle
