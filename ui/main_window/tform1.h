#pragma once
// The main window: the watched mailboxes, the status bar with the event log, and the tray icon.
// It runs the start-up sequence and the shutdown, and answers the requests of a second start.

#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/app_core.h"
#include "polling/check/check_cycle.h"
#include "polling/message_list/message_list_model.h"
#include "polling/message_list/message_operations.h"
#include "ui/main_window/main_check_view.h"
#include "ui/main_window/startup_hooks.h"
#include "ui/mail_program/mail_program.h"
#include "ui/tray/announcer.h"
#include "ui/tray/sound_player.h"
#include "ui/tray/tray_icon.h"
#include "ui/tray/tray_state.h"

namespace Ui {
class TForm1;
}

namespace mobrelle {

class MessageRowDelegate;
class RejectAlertDialog;
class StatusBarView;
class TForm2;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  struct Options {
    std::string IniPath;
    std::string ProgramFolder;
    std::optional<std::string> FirstArgument;  // the first command-line argument, if any
  };

  explicit TForm1(Options options, QWidget* parent = nullptr);
  ~TForm1() override;

  // The main window creation. False when the start-up password was refused: the program ends
  // without loading or saving anything.
  bool FormCreate();

  AppCore& Core() { return *core_; }
  StartupHooks& Hooks() { return hooks_; }
  // The yes/no questions of the start-up; a message box unless a test answers instead.
  std::function<bool(const QString& caption, const QString& text)> AskYesNo;
  // Asks through AskYesNo when set; else a message box (warning icon and "No" first when asked).
  bool Question(const QString& caption, const QString& text, bool warningDefaultNo = false);
  StatusLog& Log() { return core_->Log; }
  void ShowStatus(int index, const std::string& text) { core_->Log.ShowStatus(index, text); }

  // A request from a second start of the program (0: started again; 1: the deferred start-up).
  void HandleRequest(int wParam);
  void DeferredStartup();
  // Closes the program the way "Quitter" does.
  void Quitter1Click();
  void Restaurer1Click();
  void Rduire1Click();
  // Saves what is saved at exit (unless Shift is held) and stops every check from starting.
  void CloseDown();

  bool StartTimerRunning() const { return startTimer_ != nullptr; }
  mobrelle::TrayIcon* Tray() const { return tray_; }
  TrayStateMachine* TrayStates() const { return trayState_.get(); }
  TForm2* MailboxEditor() const { return editor_; }
  QMenu* MessageMenu() const { return popupMenuListView_; }
  // Opens the message list's menu as a right click does: its items enabled for the selection.
  void PopupMenuListViewPopup();
  void Videlaliste1Click();
  // Deletes the selected messages on their servers, after the question.
  MessageOperations::DeleteResult Supprimercemessage1Click();
  void Crerunebote1Click();
  void Modifierlabote1Click();
  void Supprimerlabote1Click();
  // The checks of the mailboxes and the list of the messages they found (after FormCreate).
  CheckCycle* Cycle() const { return cycle_.get(); }
  MessageListModel* Messages() const { return messages_.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FStartTimer();
  void LoadSettings();
  void SaveSettings();
  void Dsactiver1Click();
  void ApplyListColour();
  void UpdateMailboxGroupCaption();
  // The filter lists and their settings: loaded where the filter window is created, saved with
  // the settings, offered from the defaults on a first run.
  void LoadFilters();
  void SaveFilters();
  void AskForDefaultLists();
  void CreateChecks();
  bool TrayUsable() const;
  void CreateTray();
  void CreateMenus();
  void CreateMailboxEditor();
  std::vector<int> SelectedMessageRows() const;
  const MessageRow* SingleSelectedMessage() const;  // null unless exactly one row is selected
  bool SelectedMailboxHasMessages(int row) const;
  void Copierlexpditeur1Click(int field);
  void Rpondaumessage1Click();
  void Lancelapplicationdemessagerie1Click();
  void SpeedButtonOnClick(bool down);
  void SpeedButtonFiltresClick();
  void ListView2SelectItem();
  // The mailbox list lost the focus: its selection ends, unless the focus went to a mailbox button.
  void ListView2Exit(QWidget* old, QWidget* now);
  int SelectedMailboxRow() const;  // -1 when none
  void MoveMailbox(int step);
  // Writes the accounts in display order; `ask`: the button asks first.
  void BitBtn4Click(bool ask);

  Options options_;
  std::unique_ptr<Ui::TForm1> ui_;
  std::unique_ptr<AppCore> core_;
  StartupHooks hooks_;
  StatusBarView* statusBar_ = nullptr;
  mobrelle::TrayIcon* tray_ = nullptr;
  std::unique_ptr<TrayStateMachine> trayState_;
  std::unique_ptr<QtSoundOutput> soundOutput_;
  std::unique_ptr<SoundPlayer> sounds_;
  std::unique_ptr<TrayAnnouncer> announcer_;
  TForm2* editor_ = nullptr;
  MessageRowDelegate* messageDelegate_ = nullptr;
  MailProgramSetup mailProgram_;
  QMenu* popupMenu1_ = nullptr;
  QMenu* popupMenuListView_ = nullptr;
  QAction* supprimer_ = nullptr;
  QAction* copyItems_[4] = {};
  QAction* reply_ = nullptr;
  QAction* launch_ = nullptr;
  QAction* clearList_ = nullptr;
  QAction* dsactiver1_ = nullptr;
  QMenu* popupMenuTray_ = nullptr;
  QMenu* popupMenu2_ = nullptr;
  QPointer<QTimer> startTimer_;
  bool created_ = false;
  bool deferredDone_ = false;
  bool closeDownDone_ = false;
  bool closingForReal_ = false;
  // Declared last: gone first, while the accounts and the list they use still exist.
  std::unique_ptr<MessageListModel> messages_;
  RejectAlertDialog* alert_ = nullptr;
  QPushButton* btnInterrompre_ = nullptr;
  std::unique_ptr<MainCheckView> checkView_;
  std::unique_ptr<CheckCycle> cycle_;
  std::unique_ptr<MessageOperationsWindow> opsWindow_;
  std::unique_ptr<MessageOperations> operations_;
};

// The list background of a stored colour: a system colour when its top bit is set, else 0x00BBGGRR.
QColor ListColour(int32_t stored, const QPalette& palette);

}  // namespace mobrelle
