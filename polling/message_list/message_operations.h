#pragma once
// The two commands that go back to the server for listed messages: deleting the selected messages
// (Supprimercemessage1Click) and fetching one message's header or first lines for the viewer
// (Afficherenmodetexte1Click). The windows come in through the small interfaces below, so both run
// headless against a real server. Texts are Windows-1252.
//
// Both wait on servers and keep the event loop running meanwhile: rows are held by id and looked
// up again after every wait, and a mailbox is looked up by its client each time.
//
// A command that arrives while a check of its mailboxes runs cannot wait for it in place: checks
// run on this thread with blocking calls, so the running check sits below the command on the stack
// and goes on only once the command returns. Such a command returns Deferred; it runs as soon as
// no such check runs any more (a short timer looks), or is dropped after CheckWaitLimitMs.

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/busy_lock.h"

namespace mobrelle {

class MailboxListModel;
class MessageListModel;
struct HistoryList;
class TSyncPop3Cli;

// What the operations need of the main window.
class MessageOperationsWindow {
 public:
  virtual ~MessageOperationsWindow() = default;
  // A yes/no question with a warning icon and "Non" as the default; true for "Oui".
  virtual bool AskYesNo(const std::string& title, const std::string& question) = 0;
  // A message box with a warning icon.
  virtual void ShowWarning(const std::string& text, const std::string& caption) = 0;
  // The hourglass over the whole screen, or the normal cursor: a state, not a count.
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void SetListEnabled(bool enabled) = 0;
  virtual void FocusList() = 0;
  // An entry of the event log.
  virtual void ShowStatus(const std::string& text) = 0;
};

// The message viewer window as the display command fills it.
class MessageViewer {
 public:
  virtual ~MessageViewer() = default;
  virtual void SetUidl(const std::string& uidl) = 0;
  // Body lines to fetch in text mode.
  virtual int LineCount() const = 0;
  virtual void ClearText() = 0;
  virtual void AppendLine(const std::string& line) = 0;
  virtual void SetSender(const std::string& text) = 0;
  virtual void SetSubject(const std::string& text) = 0;
  virtual void SetDate(const std::string& text) = 0;
  virtual void SetRecipient(const std::string& text) = 0;
  virtual void SetSize(const std::string& text) = 0;
  virtual void ShowModal() = 0;
  // The viewer is open already (its "Voir" button asked): focus its line count, text selected.
  virtual void FocusLineCount() = 0;
};

class MessageOperations {
 public:
  MessageOperations(MessageListModel& list, MailboxListModel& mailboxes, MessageOperationsWindow& window);

  // Runs the check of one mailbox (by its row), as the refresh after a change on its server.
  std::function<void(int mailboxRow)> CheckMailbox;
  // Whether a check is running (the list is disabled meanwhile), best answered by a count the check
  // drops as its very last step. May be empty: a mailbox whose client is connected is being checked
  // either way.
  std::function<bool()> CheckRunning;
  // How long a deferred command waits for the running check to end before it is dropped.
  int CheckWaitLimitMs = 60000;

  enum class DeleteResult {
    NothingSelected,
    Refused,   // "Non" to the question
    Deferred,  // confirmed; runs once the running check has ended
    Busy,      // a deletion was waiting already, or the check did not end within the limit: nothing was touched
    Done,
  };
  // The selected rows by id. Refused and Busy mean nothing was deleted (the callers' -1 tag).
  DeleteResult DeleteSelectedMessages(const std::vector<uint64_t>& selected, HistoryList& history,
                                      bool historiseSuppression);

  enum class DisplayMode { Header, Text };
  enum class DisplayResult {
    NothingSelected,
    Deferred,      // the mailbox is being checked: shown once the check has ended
    Busy,          // a display was waiting already, or the check did not end within the limit
    Gone,          // the row or its mailbox left during a wait
    NotConnected,  // the login did not open a session
    Mismatch,      // the message on the server is another one: the mailbox was checked again
    Shown,
  };
  // Shows the first selected row's message. `fromViewer`: the viewer's own button asked. The viewer
  // must outlive a deferred display.
  DisplayResult DisplayMessage(const std::vector<uint64_t>& selected, DisplayMode mode, bool fromViewer,
                               MessageViewer& viewer);

  // How a deferred command ended, when it ran or was dropped.
  std::function<void(DeleteResult)> OnDeferredDeletion;
  std::function<void(DisplayResult)> OnDeferredDisplay;
  bool HasDeferredCommand() const { return pendingDeletion_.has_value() || pendingDisplay_.has_value(); }

 private:
  // The constructors are declared so that std::optional sees them as constructible inside this
  // class (clang decides that before the default member initializers are parsed).
  struct PendingDeletion {
    PendingDeletion() {}
    std::vector<uint64_t> ids;
    HistoryList* history = nullptr;
    bool historise = true;
    std::unique_ptr<BusyLock::Hold> hold;  // no check starts while the deletion waits
    QElapsedTimer since;
    int clearTicks = 0;
  };
  struct PendingDisplay {
    PendingDisplay() {}
    uint64_t id = 0;
    DisplayMode mode = DisplayMode::Text;
    bool fromViewer = false;
    MessageViewer* viewer = nullptr;
    QElapsedTimer since;
    int clearTicks = 0;
  };

  // The mailbox row of `client`, or -1 when the mailbox no longer exists.
  int MailboxRowOf(const TSyncPop3Cli* client) const;
  void LogIn(int mailboxRow);
  bool DeletionBlocked(const std::vector<uint64_t>& ids) const;
  bool DisplayBlocked(uint64_t id) const;
  DeleteResult RunDeletion(std::vector<uint64_t> pending, HistoryList& history, bool historise,
                           std::unique_ptr<BusyLock::Hold> hold);
  DisplayResult RunDisplay(uint64_t id, DisplayMode mode, bool fromViewer, MessageViewer& viewer);
  void RetryDeferred();
  static bool ReadyToRun(int& clearTicks, bool blocked);

  MessageListModel& list_;
  MailboxListModel& mailboxes_;
  MessageOperationsWindow& window_;
  QTimer retry_;
  std::optional<PendingDeletion> pendingDeletion_;
  std::optional<PendingDisplay> pendingDisplay_;
};

// A body piece of the displayed message as the viewer shows it: empty pieces and a lone CR LF are
// dropped (false); otherwise the first CR LF is taken out.
bool ViewerLine(const char* bytes, size_t length, std::string& line);

}  // namespace mobrelle
