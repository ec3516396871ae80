#include "polling/check/check_cycle.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cstdlib>
#include <unordered_set>
#include <vector>

#include "app/app_core.h"
#include "app/busy_lock.h"
#include "app/core/main_settings.h"
#include "app/core/texts.h"
#include "app/internet_available.h"
#include "filters/reply/send_reply.h"
#include "filters/sender_check/sender_check.h"
#include "inspect/mime/mime_decode.h"
#include "polling/headers/header_buffer.h"
#include "polling/headers/message_texts.h"
#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {

namespace {

std::string CountLabel(int m) {
  std::string text = Txt(m == 1 ? 1535 : 1536);
  const auto at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(m));
  return text + Txt(1036);
}

std::string LongTime() {
  return QTime::currentTime().toString(QLocale().timeFormat(QLocale::LongFormat)).toStdString();
}

}  // namespace

// One running check: its mailbox, its client and what it gathered so far.
struct CheckCycle::Check {
  QPointer<TSyncPop3Cli> client;
  std::string name;
  int deleted = 0;
  int rowsBefore = 0;                    // rows of the list when the check was asked for
  std::unordered_set<std::string> seen;  // unique ids met in this check
  std::unordered_set<uint64_t> added;    // rows this check listed: never taken for known ones
  HeaderBuffer header;                   // of its own: a nested check must not write into it
  int Row() const;                       // the mailbox's row now, or -1 when it is gone
  AppCore* core = nullptr;
};

int CheckCycle::Check::Row() const {
  if (!client) return -1;
  const int r = core->Mailboxes.RowOfClient(client);
  return r < core->Mailboxes.Count() ? r : -1;
}

CheckCycle::CheckCycle(AppCore& core, CheckView& view, MessageListModel& rows, QObject* parent)
    : QObject(parent), core_(core), view_(view), rows_(rows) {
  senderCheck_ = std::make_unique<SenderCheck>(core_.Log, view_.Alert());
  MessageJudge::Services services;
  services.Alert = view_.Alert();
  services.Announcer = view_.Announcer();
  static const SystemHistoryClock clock;
  services.Clock = &clock;
  services.CheckSender = [this](const std::string& sender) {
    senderCheck_->SetDnsServer(core_.Filters.Settings.Inex.IPDns);
    return senderCheck_->CheckSenderExists(sender);
  };
  RefreshVerdictSettings();
  judge_ = std::make_unique<MessageJudge>(core_.Filters.Lists, match_, verdicts_, std::move(services));
  connect(&core_.Mailboxes, &MailboxListModel::timerFired, this,
          [this](TSyncPop3Cli* client) { Timer1Timer(CheckSender::Timer, -1, client); });
}

CheckCycle::~CheckCycle() = default;

void CheckCycle::RefreshVerdictSettings() {
  match_ = MakeMatchSettings(core_.Settings.ListeConsonnes, core_.Settings.ListeAlphaNum, core_.Jokers);
  verdicts_ = core_.Filters.Settings.Verdicts(core_.Settings);
}

void CheckCycle::Timer1Timer(CheckSender sender, int row, TSyncPop3Cli* timerClient) {
  if (BusyLock::IsSet()) return;
  if (sender == CheckSender::MailboxList) {
    if (row < 0) return;
    view_.ReleaseAlertStop();
  }
  TSyncPop3Cli* client = nullptr;
  if (sender == CheckSender::Timer) {
    if (!core_.SchedulerActive) {
      core_.Log.ShowStatus(0, Txt(1010));
      return;
    }
    if (!InternetAvailable(core_.Settings.TestInternet, core_.Log)) {
      core_.Log.ShowStatus(0, Txt(1091));
      return;
    }
    row = core_.Mailboxes.RowOfClient(timerClient);
    if (row >= core_.Mailboxes.Count()) return;
    client = timerClient;
  } else {
    if (row < 0 || row >= core_.Mailboxes.Count()) return;
    client = core_.Mailboxes.Record(row).Client.get();
  }
  if (!client || client->Connected()) return;  // being checked already
  RunCheck(row, client);
}

void CheckCycle::Button1Click() {
  view_.SetScreenBusy(true);
  view_.ReleaseAlertStop();
  MailboxListModel& boxes = core_.Mailboxes;
  for (int k = 0; k < boxes.Count(); ++k) boxes.StopTimer(k);
  QPointer<CheckCycle> self(this);
  // The number of rows is read again at each turn: a mailbox may be added or removed meanwhile.
  for (int k = 0; k < boxes.Count(); ++k) {
    if (censusMark_ && !boxes.Record(k).Pop3Demar) continue;
    Timer1Timer(CheckSender::CheckAll, k);
    if (!self) return;
  }
  // Started again, each timer's next tick comes one full interval from now.
  for (int k = 0; k < boxes.Count(); ++k) boxes.StartTimer(k);
  view_.SetScreenBusy(false);
}

void CheckCycle::BtnInterrompreClick() {
  if (polledClient_) polledClient_->AbortSync();
  interrupt_ = 1;
  view_.EnableInterruptButton(false, {});
  core_.Log.ShowStatus(0, Txt(1094));
}

void CheckCycle::RunCheck(int row, TSyncPop3Cli* client) {
  const int rowsBefore = rows_.Count();
  polledClient_ = client;
  view_.SetListBusy(true);
  view_.EnableClearList(false);  // the rows may not vanish under a running check
  ++depth_;

  Check c;
  c.core = &core_;
  c.client = client;
  c.name = core_.Mailboxes.Caption(row);
  c.rowsBefore = rowsBefore;
  QPointer<CheckCycle> self(this);
  try {
    // Read when the outermost check starts: a nested one runs inside a wait of a judgement that
    // holds these settings.
    if (depth_ == 1) RefreshVerdictSettings();
    QCoreApplication::processEvents();
    if (!self) return;
    if (c.client) {
      c.client->OnMessageLine = [&c](TSyncPop3Cli* cli) { c.header.AppendLine(cli->LastResponse()); };
      MessageLoop(c);
    }
  } catch (const std::exception& e) {
    if (self) core_.Log.ShowStatus(0, e.what());
  } catch (...) {
  }
  if (!self) return;

  // Closing steps, on every path.
  if (c.client) {
    c.client->OnMessageLine = nullptr;
    if (c.client && c.client->Connected()) {
      c.client->AbortSync();
      if (c.client) c.client->QuitSync();
    }
  }
  --depth_;
  view_.SetListBusy(depth_ > 0);
  view_.ShowInterruptButton(false);
  view_.EnableClearList(depth_ == 0 && rows_.Count() > 0);
  view_.FocusMessageList();
  if (!core_.VersionCheckDone) {
    core_.VersionCheckDone = true;
    if (StartVersionCheck) StartVersionCheck();
  }
}

void CheckCycle::MessageLoop(Check& c) {
  TSyncPop3Cli* cl = c.client;
  StatusLog& log = core_.Log;
  log.ShowStatus(0, Txt(1011) + c.name + "...");

  const int row0 = c.Row();
  if (row0 < 0) return;
  if (core_.Mailboxes.Record(row0).Pop3APOP) {
    try {
      if (cl->ConnectSync() && c.client) cl->APopSync();
    } catch (...) {
    }
  } else {
    cl->OpenSync();
  }
  if (!c.client) return;
  log.ShowStatus(1, cl->ErrorMessage().empty() ? std::string(kVersionString) : c.name + "=>" + cl->ErrorMessage());

  if (!cl->Connected()) {
    log.ShowStatus(0, Txt(1012) + c.name);
    log.ShowStatus(1, c.name + "=>" + cl->ErrorMessage());
    view_.Beep();
    view_.SetListBusy(false);
    view_.ShowInterruptButton(false);
    if (const int r = c.Row(); r >= 0) core_.Mailboxes.SetMessageCountText(r, Txt(1013));
    view_.ErrorIconShown();
    return;
  }

  view_.ShowVersionLabel();
  log.ShowStatus(0, Txt(1014) + c.name);
  cl->MsgNum = 0;
  cl->StatSync();
  if (!c.client) return;
  const int n = cl->MsgCount();
  if (n > 0) {
    polledClient_ = cl;
    view_.EnableInterruptButton(true, Txt(1015) + c.name);
    interrupt_ = 0;
  }
  if (const int r = c.Row(); r >= 0) core_.Mailboxes.SetMessageCount(r, n);
  if (n > 0) {
    // Sized once for what the server announced (within reason: the count is the server's word).
    const auto expected = static_cast<size_t>(std::min(n, MessageListModel::kReserveAtMost));
    c.seen.reserve(expected);
    c.added.reserve(expected);
    rows_.Reserve(n);
  }

  for (int i = 1; i <= n; ++i) {
    view_.ShowInterruptButton(true);
    cl->MsgNum = i;
    const bool uidlOk = cl->UidlSync();
    if (!c.client) return;
    // A failed UIDL leaves the previous id in place: going on would take this message for another.
    if (!uidlOk) {
      log.ShowStatus(1, c.name + "=>" + cl->ErrorMessage());
      break;
    }
    c.seen.insert(cl->MsgUidl());
    if (const int known = KnownRow(c, cl->MsgUidl()); known >= 0) {
      // Numbered as it will be once this check's deletions take effect, like a new row.
      rows_.SetNumber(known, i - c.deleted);
      continue;
    }
    if (interrupt_ != 0 || view_.AlertStopDown()) break;
    if (!JudgeOrList(c, i)) break;
    if (!c.client) return;
  }

  cl->QuitSync();
  if (!c.client) return;
  rows_.RemoveVanished(cl, c.seen);
  const int m = rows_.Count();
  if (m > 0) view_.ShowCountLabel(CountLabel(m));
  view_.TrayAfterCheck(c.rowsBefore);
  log.ShowStatus(0, Txt(1038) + c.name + ": " + LongTime());
  view_.ErrorIconShown();
}

int CheckCycle::KnownRow(const Check& c, const std::string& uidl) const {
  // Asked of the list as it is now: a nested check may have changed it during the last wait.
  return rows_.FindKnownRow(uidl, c.client, c.added);
}

bool CheckCycle::JudgeOrList(Check& c, int i) {
  TSyncPop3Cli* cl = c.client;
  c.header.Rewind();
  cl->MsgNum = i;
  cl->MsgLines = 0;
  const bool topOk = cl->TopSync();
  if (!c.client) return false;
  // A header that did not arrive whole is neither judged nor listed: a cut header could trigger a
  // rejection, or be remembered with fields the filters will never see again.
  if (!topOk || !cl->ErrorMessage().empty()) {
    core_.Log.ShowStatus(1, c.name + "=>" + cl->ErrorMessage());
    return false;
  }

  TMimeDecode decoder;
  decoder.DecodeBytes(c.header.Bytes());
  MessageTexts texts = DeriveMessageTexts(decoder);
  cl->MsgNum = i;
  cl->ListSync();
  if (!c.client) return false;

  MessageInputs msg;
  msg.Sender = std::move(texts.sender);
  msg.Subject = std::move(texts.subjectForFilters);
  msg.To = std::move(texts.toForFilters);
  msg.Cc = std::move(texts.cc);
  msg.Size = cl->MsgSize() > 0 ? static_cast<uint64_t>(cl->MsgSize()) : 0;
  msg.Date = std::move(texts.date);
  msg.RawSubject = decoder.HdrSubject();
  msg.Uidl = cl->MsgUidl();

  const int row = c.Row();
  if (row < 0) return false;
  MailboxRule box;
  box.Name = c.name;
  box.DestUnique = core_.Mailboxes.SubItemText(row, MailboxListModel::kExclusive);
  box.TypeRejet = core_.Mailboxes.SubItemText(row, MailboxListModel::kActionLetter);
  box.NatureRejet = std::atoi(core_.Mailboxes.SubItemText(row, MailboxListModel::kOptions).c_str());

  MessageActions actions;
  actions.Delete = [&c, i] {
    // The number of this message now: a handler that ran meanwhile may have used the client.
    if (!c.client) return false;
    c.client->MsgNum = i;
    const bool ok = c.client->DeleSync();
    return ok && c.client;
  };
  actions.Reply = [this, &msg](const std::string& code) {
    ReplyMessage reply{msg.Sender, msg.RawSubject, msg.To, msg.Cc};
    SendReply(code, reply, core_.Filters.Settings.Reply, core_.Ini, core_.Log,
              [this](const std::string& text) { view_.ShowMessage(text); });
  };
  const MessageOutcome out = judge_->JudgeAndAct(msg, box, actions);
  if (!c.client) return false;
  if (out.Deleted) {
    ++c.deleted;
    if (const int r = c.Row(); r >= 0) {
      const int shown = std::atoi(core_.Mailboxes.SubItemText(r, MailboxListModel::kCount).c_str());
      core_.Mailboxes.SetMessageCount(r, shown > 0 ? shown - 1 : 0);
    }
  }
  // A rejected message whose deletion did not take is left for the next check, which deletes it.
  if (out.Rejected) return true;

  // The texts are not needed any more: they move into the row instead of being copied.
  const Judgement& j = out.Verdict;
  NewMessageRow row2;
  row2.Number = i - c.deleted;
  row2.Sender = std::move(msg.Sender);
  row2.Subject = std::move(texts.subject);
  row2.Date = std::move(msg.Date);
  row2.Size = msg.Size;
  row2.Mailbox = c.name;
  row2.ContentType = std::move(texts.contentType);
  row2.Uidl = std::move(msg.Uidl);
  row2.To = std::move(texts.to);
  row2.Cc = std::move(msg.Cc);
  row2.Client = cl;
  row2.SenderNote = j.SenderNote;
  row2.SubjectNote = j.SubjectNote;
  row2.ToNote = j.ToNote;
  row2.CcNote = j.CcNote;
  row2.Keep = out.Icon;
  c.added.insert(rows_.AddRow(std::move(row2)));
  return true;
}

std::pair<size_t, size_t> CheckCycle::SenderCounts() const {
  if (!senderCheck_) return {0, 0};
  return {senderCheck_->GoodSenders().size(), senderCheck_->BadSenders().size()};
}

}  // namespace mobrelle
