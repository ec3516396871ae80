#pragma once
// When each mailbox is checked, and one check from the connection to QUIT: count the messages,
// recognise the listed ones by their unique ids, fetch the headers of the new ones, have them
// judged, list those that stay and drop the rows whose messages left the server.
//
// Everything runs on the user-interface thread; every server call waits in a local event loop, so
// timer ticks of other mailboxes and user commands run inside a check. Checks of different
// mailboxes nest; a second check of a mailbox being checked returns at once.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "filters/verdicts/message_judge.h"
#include "polling/check/check_ports.h"
#include "polling/message_list/message_list_model.h"
#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {

struct AppCore;
class SenderCheck;

// Who asked for a check, which decides the mailbox and the conditions.
enum class CheckSender {
  MailboxList,    // double click on the mailbox list: the selected row
  QueryMenu,      // "Interroger cette boîte": the selected row
  DeleteRefresh,  // after a deletion: the row it touched
  CheckAll,       // the check-all button or tray item: each row in turn
  Timer,          // a mailbox's polling timer
};

class CheckCycle : public QObject {
  Q_OBJECT

 public:
  CheckCycle(AppCore& core, CheckView& view, MessageListModel& rows, QObject* parent = nullptr);
  ~CheckCycle() override;

  // One check. `row` is the mailbox row for every sender but the timer (-1: none selected);
  // `timerClient` is the client of the timer that fired.
  void Timer1Timer(CheckSender sender, int row, TSyncPop3Cli* timerClient = nullptr);
  // Every mailbox in turn (those marked for the start-up census only, while the census mark is set).
  void Button1Click();
  // Stops the check started last: its connection closes at once.
  void BtnInterrompreClick();

  // Set during the start-up census and by the scheduler switch: "check all" then only checks
  // the mailboxes marked for the census.
  void SetCensusMark(bool on) { censusMark_ = on; }
  bool CensusMark() const { return censusMark_; }

  // Whether any check is running now.
  bool Running() const { return depth_ > 0; }
  TSyncPop3Cli* PolledClient() const { return polledClient_; }
  int InterruptRequest() const { return interrupt_; }

  // Started once, when the first check since start-up ends.
  std::function<void()> StartVersionCheck;

  MessageJudge& Judge() { return *judge_; }

  // How many sender addresses the sender check found to exist / not to exist during this run.
  std::pair<size_t, size_t> SenderCounts() const;

 private:
  struct Check;
  void RunCheck(int row, TSyncPop3Cli* client);
  void MessageLoop(Check& c);
  bool JudgeOrList(Check& c, int i);
  int KnownRow(const Check& c, const std::string& uidl) const;
  void RefreshVerdictSettings();

  AppCore& core_;
  CheckView& view_;
  MessageListModel& rows_;
  std::unique_ptr<SenderCheck> senderCheck_;
  MatchSettings match_;
  VerdictSettings verdicts_;
  std::unique_ptr<MessageJudge> judge_;
  QPointer<TSyncPop3Cli> polledClient_;
  int interrupt_ = 0;
  bool censusMark_ = false;
  int depth_ = 0;
};

}  // namespace mobrelle
