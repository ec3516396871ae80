#include "polling/message_list/message_operations.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "app/busy_lock.h"
#include "app/core/texts.h"
#include "app/mailbox_list_model.h"
#include "filters/lists/filter_lists.h"
#include "filters/verdicts/history_record.h"
#include "inspect/mime/mime_decode.h"
#include "polling/headers/encoded_words.h"
#include "polling/headers/format_size.h"
#include "polling/headers/header_buffer.h"
#include "polling/headers/mail_date.h"
#include "polling/message_list/message_list_model.h"
#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {

namespace {

constexpr int kTxtOctets = 1019;
constexpr int kTxtMessageFrom = 1024;
constexpr int kTxtDeleteTitle = 1048;
constexpr int kTxtDeleting = 1049;
constexpr int kTxtMismatch = 1075;
constexpr int kTxtErrorCaption = 1076;
constexpr int kTxtDeleted = 1101;
constexpr int kTxtAskOne = 1547;
constexpr int kTxtAskMany = 1548;

std::string WithCount(std::string text, int n) {
  const size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
  return text;
}

int MessageNumber(const std::string& caption) {
  try {
    return std::stoi(caption);
  } catch (...) {
    return 0;
  }
}

// The ids of `selected` still listed, in list order.
std::vector<uint64_t> InListOrder(const MessageListModel& list, const std::vector<uint64_t>& selected) {
  const std::unordered_set<uint64_t> wanted(selected.begin(), selected.end());
  std::vector<uint64_t> out;
  for (int i = 0; i < list.Count() && out.size() < wanted.size(); ++i)
    if (wanted.count(list.Row(i).Id)) out.push_back(list.Row(i).Id);
  return out;
}

// The first row in list order whose id is in `pending`, taken out of it; 0 when none is listed.
uint64_t TakeNext(const MessageListModel& list, std::unordered_set<uint64_t>& pending) {
  for (int i = 0; i < list.Count(); ++i) {
    const uint64_t id = list.Row(i).Id;
    if (pending.erase(id)) return id;
  }
  pending.clear();
  return 0;
}

// The client's line handler for the time of one call, put back however the call ends.
class LineHandlerScope {
 public:
  LineHandlerScope(TSyncPop3Cli& cli, std::function<void(TSyncPop3Cli*)> handler)
      : cli_(cli), saved_(std::move(cli.OnMessageLine)) {
    cli_.OnMessageLine = std::move(handler);
  }
  ~LineHandlerScope() { cli_.OnMessageLine = std::move(saved_); }
  LineHandlerScope(const LineHandlerScope&) = delete;
  LineHandlerScope& operator=(const LineHandlerScope&) = delete;

 private:
  TSyncPop3Cli& cli_;
  std::function<void(TSyncPop3Cli*)> saved_;
};

}  // namespace

bool ViewerLine(const char* bytes, size_t length, std::string& line) {
  const std::string_view piece(bytes, length);
  if (piece.empty() || piece == "\r\n") return false;
  line.assign(piece);
  const size_t crlf = line.find("\r\n");
  if (crlf != std::string::npos) line.erase(crlf, 2);
  return true;
}

MessageOperations::MessageOperations(MessageListModel& list, MailboxListModel& mailboxes,
                                     MessageOperationsWindow& window)
    : list_(list), mailboxes_(mailboxes), window_(window) {
  retry_.setInterval(20);
  QObject::connect(&retry_, &QTimer::timeout, [this] { RetryDeferred(); });
}

int MessageOperations::MailboxRowOf(const TSyncPop3Cli* client) const {
  if (!client) return -1;
  const int row = mailboxes_.RowOfClient(client);
  return row < mailboxes_.Count() ? row : -1;
}

void MessageOperations::LogIn(int mailboxRow) {
  structBoite& box = mailboxes_.Record(mailboxRow);
  TSyncPop3Cli& cli = *box.Client;
  if (box.Pop3APOP) {
    if (cli.ConnectSync()) cli.APopSync();
  } else {
    cli.OpenSync();
  }
}

bool MessageOperations::DeletionBlocked(const std::vector<uint64_t>& ids) const {
  if (CheckRunning && CheckRunning()) return true;
  for (uint64_t id : ids) {
    const MessageRow* r = list_.Find(id);
    if (r && MailboxRowOf(r->Client) >= 0 && r->Client->Connected()) return true;
  }
  return false;
}

bool MessageOperations::DisplayBlocked(uint64_t id) const {
  const MessageRow* r = list_.Find(id);
  return r && MailboxRowOf(r->Client) >= 0 && r->Client->Connected();
}

// A command waits for a free look on two ticks in a row. The tick may come inside the very wait in
// which the check's QUIT completed (the client shows disconnected while QuitSync is still on the
// stack); by the next tick that call has returned.
bool MessageOperations::ReadyToRun(int& clearTicks, bool blocked) {
  clearTicks = blocked ? 0 : clearTicks + 1;
  return clearTicks >= 2;
}

void MessageOperations::RetryDeferred() {
  // Taken out before running: the command waits on servers, and this timer fires inside.
  if (pendingDeletion_) {
    PendingDeletion& p = *pendingDeletion_;
    const bool ready = ReadyToRun(p.clearTicks, DeletionBlocked(p.ids));
    if (ready || p.since.hasExpired(CheckWaitLimitMs)) {
      PendingDeletion taken = std::move(p);
      pendingDeletion_.reset();
      DeleteResult r = DeleteResult::Busy;
      if (ready) {
        r = RunDeletion(std::move(taken.ids), *taken.history, taken.historise, std::move(taken.hold));
      } else {
        taken.hold.reset();
        window_.SetBusyCursor(false);
      }
      if (OnDeferredDeletion) OnDeferredDeletion(r);
    }
  }
  if (pendingDisplay_) {
    PendingDisplay& p = *pendingDisplay_;
    const bool ready = ReadyToRun(p.clearTicks, DisplayBlocked(p.id));
    if (ready || p.since.hasExpired(CheckWaitLimitMs)) {
      PendingDisplay taken = std::move(p);
      pendingDisplay_.reset();
      DisplayResult r = DisplayResult::Busy;
      if (ready)
        r = RunDisplay(taken.id, taken.mode, taken.fromViewer, *taken.viewer);
      else
        window_.SetBusyCursor(false);
      if (OnDeferredDisplay) OnDeferredDisplay(r);
    }
  }
  if (!HasDeferredCommand()) retry_.stop();
}

MessageOperations::DeleteResult MessageOperations::DeleteSelectedMessages(const std::vector<uint64_t>& selected,
                                                                          HistoryList& history,
                                                                          bool historiseSuppression) {
  std::vector<uint64_t> pending = InListOrder(list_, selected);
  if (pending.empty()) return DeleteResult::NothingSelected;

  const int n = static_cast<int>(pending.size());
  if (!window_.AskYesNo(Txt(kTxtDeleteTitle), WithCount(Txt(n == 1 ? kTxtAskOne : kTxtAskMany), n)))
    return DeleteResult::Refused;

  // One deletion at a time: a waiting one holds the busy lock, which would also turn away the
  // checks that refresh this one's mailboxes.
  if (pendingDeletion_) return DeleteResult::Busy;
  auto hold = std::make_unique<BusyLock::Hold>();
  if (!DeletionBlocked(pending)) return RunDeletion(std::move(pending), history, historiseSuppression, std::move(hold));
  window_.SetBusyCursor(true);
  pendingDeletion_.emplace();
  pendingDeletion_->ids = std::move(pending);
  pendingDeletion_->history = &history;
  pendingDeletion_->historise = historiseSuppression;
  pendingDeletion_->hold = std::move(hold);
  pendingDeletion_->since.start();
  retry_.start();
  return DeleteResult::Deferred;
}

MessageOperations::DeleteResult MessageOperations::RunDeletion(std::vector<uint64_t> pending, HistoryList& history,
                                                               bool historise, std::unique_ptr<BusyLock::Hold> hold) {
  window_.ShowStatus(Txt(kTxtDeleting));
  window_.SetBusyCursor(true);
  window_.SetListEnabled(false);

  std::vector<TSyncPop3Cli*> touched;
  std::unordered_set<uint64_t> left(pending.begin(), pending.end());
  while (!left.empty()) {
    // The next selected row in list order, as the list stands after the last wait.
    const uint64_t id = TakeNext(list_, left);
    if (id == 0) break;

    const MessageRow* row = list_.Find(id);
    const int box = MailboxRowOf(row->Client);
    if (box < 0) continue;
    TSyncPop3Cli* cli = mailboxes_.Record(box).Client.get();
    if (!cli->Connected()) LogIn(box);
    if (MailboxRowOf(cli) < 0 || !cli->Connected()) continue;
    if (std::find(touched.begin(), touched.end(), cli) == touched.end()) touched.push_back(cli);

    if (!(row = list_.Find(id))) continue;
    const std::string uidl = row->Uidl();
    cli->MsgNum = MessageNumber(row->Number);
    // The call's own result rather than ErrorMessage, which keeps the first error of the session:
    // one failure would otherwise condemn every later row of the mailbox.
    const bool uidlOk = cli->UidlSync();
    if (!uidlOk || cli->MsgUidl() != uidl) {
      window_.ShowWarning(Txt(kTxtMismatch), Txt(kTxtErrorCaption));
      continue;
    }
    if (MailboxRowOf(cli) < 0 || !cli->DeleSync()) continue;

    // The texts as they stand now; the row may have left the list during the wait.
    if (!(row = list_.Find(id))) continue;
    const auto& s = row->SubItems;
    if (historise) {
      // Commas and line breaks would split the history file's line into other fields.
      HistoryEntry e;
      e.DateTime = CleanHistoryText(s[MessageListModel::kDate]);
      e.Sender = CleanHistoryText(s[MessageListModel::kSender]);
      e.Subject = CleanHistoryText(s[MessageListModel::kSubject]);
      e.Recipients = CleanHistoryText(s[MessageListModel::kTo]);
      e.CopyRecipients = CleanHistoryText(s[MessageListModel::kCc]);
      e.Mailbox = CleanHistoryText(s[MessageListModel::kMailbox]);
      history.Entries.insert(history.Entries.begin(), std::move(e));
      history.Modified = true;
    }
    window_.ShowStatus(Txt(kTxtMessageFrom) + s[MessageListModel::kSender] + Txt(kTxtDeleted));
  }

  // The deletions take effect at QUIT; then each touched mailbox is checked again, in list order.
  std::vector<std::pair<int, TSyncPop3Cli*>> boxes;
  for (TSyncPop3Cli* c : touched) {
    const int row = MailboxRowOf(c);
    if (row >= 0) boxes.emplace_back(row, c);
  }
  std::sort(boxes.begin(), boxes.end());
  int checks = 0;
  for (const auto& box : boxes) {
    TSyncPop3Cli* c = box.second;
    if (MailboxRowOf(c) < 0 || !c->Connected()) continue;
    c->QuitSync();
    const int k = MailboxRowOf(c);
    if (k < 0) continue;
    hold.reset();  // the check takes the lock itself while it runs
    if (CheckMailbox) CheckMailbox(k);
    ++checks;
    hold = std::make_unique<BusyLock::Hold>();
  }
  hold.reset();
  window_.SetBusyCursor(false);
  // Each check enables the list when it ends; with none run, nothing else would.
  if (checks == 0) window_.SetListEnabled(true);
  return DeleteResult::Done;
}

MessageOperations::DisplayResult MessageOperations::DisplayMessage(const std::vector<uint64_t>& selected,
                                                                   DisplayMode mode, bool fromViewer,
                                                                   MessageViewer& viewer) {
  const std::vector<uint64_t> ordered = InListOrder(list_, selected);
  if (ordered.empty()) return DisplayResult::NothingSelected;
  const uint64_t id = ordered.front();
  // A mailbox under check has its client in use: the display comes after the check instead of
  // logging in on that client.
  if (!DisplayBlocked(id)) return RunDisplay(id, mode, fromViewer, viewer);
  if (pendingDisplay_) return DisplayResult::Busy;
  window_.SetBusyCursor(true);
  pendingDisplay_.emplace();
  pendingDisplay_->id = id;
  pendingDisplay_->mode = mode;
  pendingDisplay_->fromViewer = fromViewer;
  pendingDisplay_->viewer = &viewer;
  pendingDisplay_->since.start();
  retry_.start();
  return DisplayResult::Deferred;
}

MessageOperations::DisplayResult MessageOperations::RunDisplay(uint64_t id, DisplayMode mode, bool fromViewer,
                                                               MessageViewer& viewer) {
  const bool textMode = mode == DisplayMode::Text;
  window_.SetBusyCursor(true);
  struct CursorBack {
    MessageOperationsWindow& w;
    bool on = true;
    void Off() {
      if (on) w.SetBusyCursor(false), on = false;
    }
    ~CursorBack() { Off(); }
  } cursor{window_};

  const MessageRow* row = list_.Find(id);
  if (!row) return DisplayResult::Gone;
  TSyncPop3Cli* const client = row->Client;
  const int box = MailboxRowOf(client);
  if (box < 0) return DisplayResult::Gone;

  TSyncPop3Cli& cli = *client;
  LogIn(box);
  if (MailboxRowOf(client) < 0) return DisplayResult::Gone;
  if (!cli.Connected()) return DisplayResult::NotConnected;
  if (!(row = list_.Find(id))) {
    cli.QuitSync();
    return DisplayResult::Gone;
  }

  const std::string uidl = row->Uidl();
  cli.MsgNum = MessageNumber(row->Number);
  const bool uidlOk = cli.UidlSync();
  if (!uidlOk || cli.MsgUidl() != uidl) {
    window_.ShowWarning(Txt(kTxtMismatch), Txt(kTxtErrorCaption));
    cli.QuitSync();
    const int k = MailboxRowOf(client);
    if (k >= 0 && CheckMailbox) CheckMailbox(k);
    return DisplayResult::Mismatch;
  }

  viewer.SetUidl(uidl);
  // A buffer of this command's own: a check of another mailbox that runs during the wait refills
  // the check's buffer.
  HeaderBuffer buffer;
  if (textMode) {
    cli.MsgLines = viewer.LineCount();
  } else {
    cli.MsgLines = 0;
    viewer.ClearText();
  }
  {
    LineHandlerScope lines(cli, [&](TSyncPop3Cli* c) {
      buffer.AppendLine(c->LastResponse());
      viewer.AppendLine(c->LastResponse());
    });
    cli.TopSync();
  }
  if (MailboxRowOf(client) < 0) return DisplayResult::Gone;

  TMimeDecode decoder;
  if (textMode) {
    viewer.ClearText();
    decoder.OnPartLine = [&](const char* bytes, size_t length) {
      std::string line;
      if (ViewerLine(bytes, length, line)) viewer.AppendLine(line);
    };
    list_.MarkDisplayed(id);
  }
  decoder.DecodeBytes(buffer.Bytes());

  viewer.SetSender(DecodeEncodedWords(decoder.HdrFrom()));
  viewer.SetSubject(DecodeEncodedWords(decoder.HdrSubject()));
  viewer.SetDate(FormatMailDate(decoder.HdrDate()));
  viewer.SetRecipient(decoder.HdrTo());

  cli.ListSync();
  viewer.SetSize(FormatSize(static_cast<uint64_t>(std::max<int64_t>(cli.MsgSize(), 0)), '.') + Txt(kTxtOctets));
  cli.QuitSync();
  cursor.Off();

  if (fromViewer)
    viewer.FocusLineCount();
  else
    viewer.ShowModal();
  window_.FocusList();
  return DisplayResult::Shown;
}

}  // namespace mobrelle
