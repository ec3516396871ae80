// The main window's commands: the tray and its sounds, the mailbox and message menus, the keyboard,
// the scheduler and filter switches, the mail program.

#include <QApplication>
#include <QCursor>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSplitter>
#include <QTableView>
#include <QStyle>
#include <QToolButton>

#include "app/core/texts.h"
#include "app/qt_text.h"
#include "ui/first_use/tpremier_lancement.h"
#include "ui/mailbox_editor/tform2.h"
#include "ui/main_window/list_delegates.h"
#include "ui/main_window/status_bar_view.h"
#include "ui/main_window/tform1.h"
#include "ui/reject_alert/reject_alert_dialog.h"
#include "ui_TForm1.h"

namespace mobrelle {
namespace {

// What deleting messages shows in the main window.
class OperationsWindow : public MessageOperationsWindow {
 public:
  using Ask = std::function<bool(const std::string& title, const std::string& question)>;
  OperationsWindow(QWidget* window, QAbstractItemView* list, StatusLog& log, Ask ask)
      : window_(window), list_(list), log_(log), ask_(std::move(ask)) {}
  ~OperationsWindow() override { SetBusyCursor(false); }
  bool AskYesNo(const std::string& title, const std::string& question) override { return ask_(title, question); }
  void ShowWarning(const std::string& text, const std::string& caption) override {
    QMessageBox::warning(window_, ToQt(caption), ToQt(text));
  }
  void SetBusyCursor(bool busy) override {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  }
  void SetListEnabled(bool enabled) override { list_->setEnabled(enabled); }
  void FocusList() override { list_->setFocus(); }
  void ShowStatus(const std::string& text) override { log_.ShowStatus(0, text); }

 private:
  QWidget* window_;
  QAbstractItemView* list_;
  StatusLog& log_;
  Ask ask_;
  bool busy_ = false;
};

}  // namespace

void TForm1::CreateTray() {
  soundOutput_ = std::make_unique<QtSoundOutput>();
  sounds_ = std::make_unique<SoundPlayer>(*soundOutput_);
  tray_ = new mobrelle::TrayIcon(this);
  trayState_ = std::make_unique<TrayStateMachine>(TrayInputs{
      [this] { return core_->SchedulerActive; }, [this] { return messages_ ? messages_->Count() : 0; },
      [this] { return AnyMailboxInError(core_->Mailboxes); }, [this] { return FromQt(windowTitle()); }});
  trayState_->OnChange([this](const TrayState& s) { tray_->Apply(s); });
  tray_->Apply(trayState_->State());
  announcer_ = std::make_unique<TrayAnnouncer>(
      core_->Settings, *sounds_, [this](const std::string& title, const std::string& text) {
        tray_->ShowBalloon(title, text);
      });
  checkView_->SetAnnouncer(announcer_.get());
  checkView_->OnTrayAfterCheck = [this](int before) {
    if (trayState_->TrayAfterCheck(before)) announcer_->NewMailSound();
  };
  checkView_->OnErrorIconShown = [this] { trayState_->ErrorIconShown(); };
  // Clearing is refused while a check runs: the check works on the rows it found.
  checkView_->OnEnableClearList = [this](bool enabled) { ui_->BitBtn12->setEnabled(enabled); };

  dsactiver1_ = new QAction(QTxt(1055), this);
  dsactiver1_->setToolTip(QString::fromUtf8("Active/désactive le recensement programmé des boîtes"));
  connect(dsactiver1_, &QAction::triggered, this, &TForm1::Dsactiver1Click);
  auto* interroger2 = new QAction(QString::fromUtf8("Interroger tout"), this);
  interroger2->setToolTip(QString::fromUtf8("Interroge toutes les boîtes"));
  connect(interroger2, &QAction::triggered, this, [this] { cycle_->Button1Click(); });
  popupMenuTray_ = new QMenu(this);
  popupMenuTray_->addAction(interroger2);
  popupMenuTray_->addAction(ui_->Restaurer1);
  popupMenuTray_->setDefaultAction(ui_->Restaurer1);
  popupMenuTray_->addAction(dsactiver1_);
  popupMenuTray_->addSeparator();
  popupMenuTray_->addAction(ui_->Quitter1);
  tray_->SetMenu(popupMenuTray_);
  connect(tray_, &mobrelle::TrayIcon::restoreRequested, this, &TForm1::Restaurer1Click);
  tray_->Show();
}

void TForm1::CreateMenus() {
  // The upper part and the message area share the height through a splitter; the message area keeps
  // at least 100 pixels.
  auto* splitter = new QSplitter(Qt::Vertical, ui_->centralwidget);
  splitter->setChildrenCollapsible(false);
  splitter->setHandleWidth(4);
  ui_->verticalLayout->removeWidget(ui_->Panel1);
  ui_->verticalLayout->removeWidget(ui_->Panel2);
  splitter->addWidget(ui_->Panel1);
  splitter->addWidget(ui_->Panel2);
  ui_->Panel1->setMinimumHeight(138);
  ui_->Panel2->setMinimumHeight(100);
  splitter->setStretchFactor(1, 1);
  ui_->verticalLayout->addWidget(splitter);

  // Native glyphs of the desktop's style; the mail program's own icon replaces the launch glyph.
  const struct {
    QToolButton* button;
    QStyle::StandardPixmap pixmap;
  } glyphs[] = {{ui_->BitBtn8, QStyle::SP_DirHomeIcon},          {ui_->Button1, QStyle::SP_BrowserReload},
                {ui_->SpeedButtonFiltres, QStyle::SP_DialogApplyButton}, {ui_->SpeedButtonOn, QStyle::SP_MediaPlay},
                {ui_->BitBtn12, QStyle::SP_DialogResetButton},   {ui_->BitBtn1, QStyle::SP_FileDialogNewFolder},
                {ui_->BitBtn2, QStyle::SP_TrashIcon},            {ui_->BitBtn3, QStyle::SP_FileDialogDetailedView},
                {ui_->BitBtn4, QStyle::SP_DialogSaveButton},      {ui_->BitBtn5, QStyle::SP_ArrowUp},
                {ui_->BitBtn6, QStyle::SP_ArrowDown}};
  for (const auto& g : glyphs) g.button->setIcon(style()->standardIcon(g.pixmap));
  ui_->BitBtn8->setIcon(QIcon::fromTheme("mail-send", ui_->BitBtn8->icon()));
  ui_->Image1->setPixmap(QIcon(":/icons/mobrelle.svg").pixmap(48, 48));
  ui_->SpeedButtonOn->setChecked(true);
  ui_->SpeedButtonFiltres->setChecked(core_->Settings.FiltresActifs);
  connect(ui_->SpeedButtonOn, &QToolButton::clicked, this, &TForm1::SpeedButtonOnClick);
  connect(ui_->SpeedButtonFiltres, &QToolButton::clicked, this, &TForm1::SpeedButtonFiltresClick);
  connect(ui_->BitBtn8, &QToolButton::clicked, this, &TForm1::Lancelapplicationdemessagerie1Click);
  connect(ui_->BitBtn12, &QToolButton::clicked, this, &TForm1::Videlaliste1Click);
  connect(ui_->BitBtn1, &QToolButton::clicked, this, &TForm1::Crerunebote1Click);
  connect(ui_->BitBtn2, &QToolButton::clicked, this, &TForm1::Supprimerlabote1Click);
  connect(ui_->BitBtn3, &QToolButton::clicked, this, &TForm1::Modifierlabote1Click);
  connect(ui_->BitBtn5, &QToolButton::clicked, this, [this] { MoveMailbox(-1); });
  connect(ui_->BitBtn6, &QToolButton::clicked, this, [this] { MoveMailbox(+1); });
  connect(ui_->BitBtn4, &QToolButton::clicked, this, [this] { BitBtn4Click(true); });
  SpeedButtonFiltresClick();

  // The mailbox list's menu.
  popupMenu1_ = new QMenu(this);
  QAction* interroger1 = popupMenu1_->addAction(QString::fromUtf8("Interroger cette boîte"));
  interroger1->setToolTip(QString::fromUtf8("Interroge immédiatement la boîte sélectionnée"));
  popupMenu1_->setDefaultAction(interroger1);
  popupMenu1_->addSeparator();
  QAction* creer = popupMenu1_->addAction(QString::fromUtf8("Créer une boîte"), this, &TForm1::Crerunebote1Click);
  QAction* supprimer =
      popupMenu1_->addAction(QString::fromUtf8("Supprimer cette boîte"), this, &TForm1::Supprimerlabote1Click);
  QAction* modifier =
      popupMenu1_->addAction(QString::fromUtf8("Modifier cette boîte"), this, &TForm1::Modifierlabote1Click);
  creer->setToolTip(QString::fromUtf8("Pour ajouter une nouvelle boîte à la liste"));
  popupMenu1_->addSeparator();
  popupMenu1_->addAction(QString::fromUtf8("A propos d'Mobrelle"), this, [this] {
    QMessageBox::about(this, "Mobrelle", ToQt(kVersionString));
  });
  connect(interroger1, &QAction::triggered, this, [this] {
    if (const int row = SelectedMailboxRow(); row >= 0) cycle_->Timer1Timer(CheckSender::QueryMenu, row);
  });
  connect(ui_->ListView2, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& pos) {
    const bool selected = SelectedMailboxRow() >= 0;
    for (QAction* a : {interroger1, supprimer, modifier}) a->setEnabled(selected);
    popupMenu1_->popup(ui_->ListView2->viewport()->mapToGlobal(pos));
  });
  connect(ui_->ListView2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TForm1::ListView2SelectItem);
  connect(qApp, &QApplication::focusChanged, this, &TForm1::ListView2Exit);
  ListView2SelectItem();

  // The message list's menu.
  popupMenuListView_ = new QMenu(this);
  supprimer_ = popupMenuListView_->addAction(QString::fromUtf8("Supprime ce message du serveur"), this,
                                             [this] { Supprimercemessage1Click(); });
  supprimer_->setShortcut(QKeySequence(Qt::Key_Delete));
  supprimer_->setToolTip(QString::fromUtf8("Supprime définitivement des serveurs les messages sélectionnés"));
  popupMenuListView_->addSeparator();
  auto* copyMenu = popupMenuListView_->addMenu(QString::fromUtf8("Copie dans le Presse-Papier"));
  const struct {
    const char* caption;
    const char* keys;
    int field;
  } copies[4] = {{"L'expéditeur", "Ctrl+C", MessageListModel::kSender},
                 {"Le sujet", "Ctrl+S", MessageListModel::kSubject},
                 {"Le destinataire principal", "Ctrl+P", MessageListModel::kTo},
                 {"Le destinataire en copie", "Ctrl+I", MessageListModel::kCc}};
  for (int i = 0; i < 4; ++i) {
    copyItems_[i] = copyMenu->addAction(QString::fromUtf8(copies[i].caption));
    copyItems_[i]->setShortcut(QKeySequence(copies[i].keys));
    copyItems_[i]->setData(copies[i].field);
    connect(copyItems_[i], &QAction::triggered, this, [this, f = copies[i].field] { Copierlexpditeur1Click(f); });
  }
  reply_ = popupMenuListView_->addAction(QString::fromUtf8("&Répond à l'expéditeur du message"), this,
                                         &TForm1::Rpondaumessage1Click);
  reply_->setShortcut(QKeySequence("Ctrl+R"));
  reply_->setToolTip(QString::fromUtf8("Lance le programme standard d'envoi de message"));
  popupMenuListView_->addSeparator();
  launch_ = popupMenuListView_->addAction(QString::fromUtf8("&Lance le client de messagerie"), this,
                                          &TForm1::Lancelapplicationdemessagerie1Click);
  launch_->setShortcut(QKeySequence("Ctrl+L"));
  popupMenuListView_->addSeparator();
  clearList_ = popupMenuListView_->addAction(QString::fromUtf8("&Vide la liste"), this, &TForm1::Videlaliste1Click);
  clearList_->setShortcut(QKeySequence("Ctrl+V"));
  clearList_->setToolTip(QString::fromUtf8("Vide la liste des messages sans affecter les serveurs POP"));
  ui_->ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ui_->ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenuListViewPopup();
    popupMenuListView_->popup(ui_->ListView1->viewport()->mapToGlobal(pos));
  });
  connect(ui_->ListView1, &QAbstractItemView::clicked, this, [this] { trayState_->PlainTrayRefresh(); });

  // A click on a column header sorts by it (the same column again reverses); not while a check
  // works on the rows.
  ui_->ListView1->horizontalHeader()->setSectionsClickable(true);
  connect(ui_->ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (!cycle_->Running()) messages_->Sort(column);
  });

  messageDelegate_ = new MessageRowDelegate(ui_->ListView1);
  ui_->ListView1->setItemDelegate(messageDelegate_);
  ui_->ListView2->setItemDelegate(
      new MailboxRowDelegate(core_->Mailboxes, [this] { return core_->SchedulerActive; }, ui_->ListView2));

  statusBar_->SetSenderCounts([this] { return cycle_->SenderCounts(); });
  statusBar_->BindCountersDisplay(&core_->ShowSenderCounts);
  statusBar_->SetClientWidth(width());

  opsWindow_ = std::make_unique<OperationsWindow>(
      this, ui_->ListView1, core_->Log, [this](const std::string& title, const std::string& question) {
        return Question(ToQt(title), ToQt(question), true);
      });
  operations_ = std::make_unique<MessageOperations>(*messages_, core_->Mailboxes, *opsWindow_);
  operations_->CheckMailbox = [this](int row) { cycle_->Timer1Timer(CheckSender::DeleteRefresh, row); };
  operations_->CheckRunning = [this] { return cycle_->Running(); };

  // Key preview: the window sees every key of its controls first.
  qApp->installEventFilter(this);
}

void TForm1::CreateMailboxEditor() {
  editor_ = new TForm2(*core_, this);
  editor_->OnMailboxCountChanged = [this] { UpdateMailboxGroupCaption(); };
  hooks_.CreateFirstMailbox = [this] { Crerunebote1Click(); };
  // The guide opens beside the questions of a first run, not in their way.
  hooks_.FirstUseWindow = [this] {
    auto* guide = new TPremierLancement(this);
    guide->setAttribute(Qt::WA_DeleteOnClose);
    if (guide->Load(TPremierLancement::ShippedGuidePath())) guide->show();
    else delete guide;
    AskForDefaultLists();
  };
}

int TForm1::SelectedMailboxRow() const {
  const QModelIndexList rows = ui_->ListView2->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TForm1::ListView2SelectItem() {
  const int row = SelectedMailboxRow();
  ui_->BitBtn2->setEnabled(row >= 0);
  ui_->BitBtn3->setEnabled(row >= 0);
  const int count = core_->Mailboxes.Count();
  if (row < 0) {
    ui_->BitBtn5->setEnabled(false);
    ui_->BitBtn6->setEnabled(false);
  } else if (count >= 2) {
    ui_->BitBtn5->setEnabled(row > 0);
    ui_->BitBtn6->setEnabled(row < count - 1);
  }
  if (messageDelegate_) {
    messageDelegate_->SetSelectedMailbox(row >= 0 ? std::optional<std::string>(core_->Mailboxes.Caption(row))
                                                  : std::nullopt);
  }
}

void TForm1::ListView2Exit(QWidget* old, QWidget* now) {
  if (old != ui_->ListView2) return;
  // Focus that left for another window (a dialog opened on the selected mailbox, another program)
  // comes back to the same selection.
  if (!now || now->window() != this) return;
  // The mailbox buttons act on the selected row: reaching them by Tab keeps it.
  for (const QWidget* keep : {ui_->BitBtn2, ui_->BitBtn3, ui_->BitBtn5, ui_->BitBtn6})
    if (now == keep) return;
  if (ui_->ListView2->selectionModel()->hasSelection()) ui_->ListView2->selectionModel()->clearSelection();
  ListView2SelectItem();
}

void TForm1::MoveMailbox(int step) {
  if (const int row = SelectedMailboxRow(); row >= 0) {
    const int moved = step < 0 ? core_->Mailboxes.MoveUp(row) : core_->Mailboxes.MoveDown(row);
    const QModelIndex index = core_->Mailboxes.index(moved, 0);
    ui_->ListView2->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui_->ListView2->scrollTo(index);
  }
  ListView2SelectItem();  // the selection may have moved with its row without a change signal
  ui_->BitBtn4->setEnabled(true);
  ui_->ListView2->setFocus();
}

void TForm1::BitBtn4Click(bool ask) {
  if (ask) {
    const QString caption = QString::fromUtf8("Sauvegarder l'ordre des boîtes");
    const QString question = QString::fromUtf8("Utiliser l'ordre actuel pour le prochain redémarrage ?");
    if (!Question(caption, question)) return;
  }
  core_->Mailboxes.SaveOrder();
  ui_->BitBtn4->setEnabled(false);
}

bool TForm1::SelectedMailboxHasMessages(int row) const {
  const std::string& caption = core_->Mailboxes.Caption(row);
  for (int i = 0; i < messages_->Count(); ++i)
    if (messages_->Row(i).SubItems[MessageListModel::kMailbox] == caption) return true;
  return false;
}

void TForm1::Crerunebote1Click() {
  editor_->PrepareCreate();
  editor_->exec();
}

void TForm1::Modifierlabote1Click() {
  const int row = SelectedMailboxRow();
  if (row < 0) return;
  if (editor_->PrepareModify(row, SelectedMailboxHasMessages(row))) editor_->exec();
}

void TForm1::Supprimerlabote1Click() {
  const int row = SelectedMailboxRow();
  if (row < 0) return;
  if (editor_->PrepareDelete(row, SelectedMailboxHasMessages(row))) editor_->exec();
}

std::vector<int> TForm1::SelectedMessageRows() const {
  std::vector<int> rows;
  if (!ui_->ListView1->selectionModel()) return rows;
  for (const QModelIndex& i : ui_->ListView1->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

const MessageRow* TForm1::SingleSelectedMessage() const {
  const std::vector<int> rows = SelectedMessageRows();
  return rows.size() == 1 ? &messages_->Row(rows.front()) : nullptr;
}

void TForm1::PopupMenuListViewPopup() {
  const std::vector<int> rows = SelectedMessageRows();
  const MessageRow* row = SingleSelectedMessage();
  const bool one = row != nullptr;
  copyItems_[0]->setEnabled(one);
  copyItems_[1]->setEnabled(one && !row->SubItems[MessageListModel::kSubject].empty());
  copyItems_[2]->setEnabled(one && !row->SubItems[MessageListModel::kTo].empty());
  copyItems_[3]->setEnabled(one && !row->SubItems[MessageListModel::kCc].empty());
  reply_->setEnabled(one);
  supprimer_->setEnabled(!rows.empty());
  supprimer_->setText(QString::fromUtf8(rows.size() > 1 ? "Supprime ces messages des serveurs"
                                                        : "Supprime ce message du serveur"));
  clearList_->setEnabled(messages_->Count() > 0 && !cycle_->Running());
  trayState_->PlainTrayRefresh();
}

MessageOperations::DeleteResult TForm1::Supprimercemessage1Click() {
  std::vector<uint64_t> ids;
  for (int row : SelectedMessageRows()) ids.push_back(messages_->Row(row).Id);
  return operations_->DeleteSelectedMessages(ids, core_->Filters.Lists.ListeHist,
                                             core_->Settings.HistoriseSuppression);
}

void TForm1::Copierlexpditeur1Click(int field) {
  if (const MessageRow* row = SingleSelectedMessage())
    CopyMessageField(row->SubItems[field], MailProgramActions::System());
}

void TForm1::Rpondaumessage1Click() {
  if (const MessageRow* row = SingleSelectedMessage())
    ReplyToMessage(row->SubItems[MessageListModel::kSender], row->SubItems[MessageListModel::kSubject],
                   MailProgramActions::System());
}

void TForm1::Lancelapplicationdemessagerie1Click() {
  ui_->ListView1->setFocus();
  const LaunchResult r = LaunchMailProgram(mailProgram_, MailProgramActions::System());
  if (r.What == LaunchResult::Failed) QMessageBox::warning(this, "Mobrelle", ToQt(r.ErrorCp1252));
}

void TForm1::Videlaliste1Click() {
  // The check works on the rows it found; the list stays until it has ended.
  if (cycle_->Running()) return;
  messages_->Clear();
  ShowStatus(0, "");
  ShowStatus(1, kVersionString);
  trayState_->ListCleared();
  ui_->LabelVersion->show();
  ui_->Label1->hide();
  for (int i = 0; i < core_->Mailboxes.Count(); ++i) core_->Mailboxes.SetMessageCountText(i, "");
  ui_->BitBtn12->setEnabled(false);
}

void TForm1::Dsactiver1Click() {
  if (core_->SchedulerActive) {
    core_->SchedulerActive = false;
    dsactiver1_->setText(QString::fromUtf8("&Activer"));
    ui_->SpeedButtonOn->setChecked(false);
    ShowStatus(0, Txt(1010));
    setWindowTitle("Mobrelle" + QTxt(1110));
    trayState_->SchedulerSwitched(false);
  } else {
    core_->SchedulerActive = true;
    dsactiver1_->setText(QTxt(1055));
    ui_->SpeedButtonOn->setChecked(true);
    setWindowTitle("Mobrelle");
    trayState_->SchedulerSwitched(true);
    if (core_->Settings.RecenseDemar) {
      cycle_->SetCensusMark(true);
      cycle_->Button1Click();
      cycle_->SetCensusMark(false);
    }
  }
  ui_->ListView2->viewport()->update();
}

void TForm1::SpeedButtonOnClick(bool down) {
  if (down) {
    alert_->ReleaseStopSwitch();
    ui_->SpeedButtonOn->setToolTip(QString::fromUtf8("Le programmateur est activé"));
    if (!core_->SchedulerActive) Dsactiver1Click();
  } else {
    ui_->SpeedButtonOn->setToolTip(QString::fromUtf8("Le programmateur est désactivé"));
    if (core_->SchedulerActive) Dsactiver1Click();
    ui_->ListView1->setFocus();
  }
}

void TForm1::SpeedButtonFiltresClick() {
  const bool on = ui_->SpeedButtonFiltres->isChecked();
  core_->Settings.FiltresActifs = on;
  const QString hint = QString::fromUtf8(on ? "Les filtres sont activés" : "Les filtres sont désactivés");
  ui_->SpeedButtonFiltres->setToolTip(hint);
  ui_->SpeedButtonFiltres->setStatusTip(hint);
  ShowStatus(0, FromQt(hint));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !created_) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (tray_->Animating()) trayState_->TrayRefresh();  // a key press acknowledges new mail
  const QKeySequence pressed(key->keyCombination());

  // The message menu's shortcuts while the list has the focus: the enabling is computed afresh, and
  // a disabled item swallows its key.
  if (QApplication::focusWidget() == ui_->ListView1) {
    const QList<QAction*> items = {copyItems_[0], copyItems_[1], copyItems_[2], copyItems_[3],
                                   reply_,        launch_,       clearList_,    supprimer_};
    for (QAction* a : items) {
      if (a->shortcut() != pressed) continue;
      PopupMenuListViewPopup();
      if (a->isEnabled()) a->trigger();
      return true;
    }
  }
  const bool ctrl = key->modifiers() & Qt::ControlModifier;
  switch (key->key()) {
    case Qt::Key_F5: cycle_->Button1Click(); return true;
    case Qt::Key_F7: ui_->SpeedButtonOn->setChecked(false); SpeedButtonOnClick(false); return true;
    case Qt::Key_F8: ui_->SpeedButtonOn->setChecked(true); SpeedButtonOnClick(true); return true;
    case Qt::Key_F12: ui_->ListView1->setFocus(); return true;
    case Qt::Key_V: if (ctrl) { Videlaliste1Click(); return true; } break;
    case Qt::Key_L: if (ctrl) { Lancelapplicationdemessagerie1Click(); return true; } break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (statusBar_) statusBar_->SetClientWidth(width());
}

}  // namespace mobrelle
