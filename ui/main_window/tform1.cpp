#include "ui/main_window/tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QInputDialog>
#include <QLineEdit>
#include <QFileInfo>
#include <QMessageBox>

#include "app/busy_lock.h"
#include "app/core/cp1252.h"
#include "app/core/texts.h"
#include "app/internet_available.h"
#include "app/key_state.h"
#include "app/program_folder.h"
#include "app/qt_text.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "ui/main_window/status_bar_view.h"
#include "ui/reject_alert/reject_alert_dialog.h"
#include "ui_TForm1.h"

namespace mobrelle {
namespace {

std::optional<std::string> AskPassword(QWidget* parent, const std::string& caption, const std::string& prompt) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent, ToQt(caption), ToQt(prompt), QLineEdit::Password, QString(), &ok);
  if (!ok) return std::nullopt;
  return FromQt(answer);
}

}  // namespace

QColor ListColour(int32_t stored, const QPalette& palette) {
  const auto value = static_cast<uint32_t>(stored);
  if (value & 0x80000000u) {
    // The system colours the lists may use; anything else falls back to the window background.
    switch (value & 0xFF) {
      case 15: return palette.color(QPalette::Button);
      case 8: return palette.color(QPalette::Text);
      default: return palette.color(QPalette::Base);
    }
  }
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TForm1::TForm1(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), ui_(std::make_unique<Ui::TForm1>()) {
  ui_->setupUi(this);
  setWindowTitle("Mobrelle");
  // Until the filter window exists, the lists and their settings are handled here.
  hooks_.FirstUseWindow = [this] { AskForDefaultLists(); };
  hooks_.CreateFilterWindow = [this] { LoadFilters(); };
  hooks_.SaveFilterLists = [this] { SaveFilters(); };
}

void TForm1::CreateChecks() {
  messages_ = std::make_unique<MessageListModel>();
  ui_->ListView1->setModel(messages_.get());
  ui_->ListView1->setColumnHidden(MessageListModel::kUidl + 1, true);
  ui_->ListView1->verticalHeader()->hide();
  ui_->ListView1->verticalHeader()->setDefaultSectionSize(ui_->ListView1->fontMetrics().height() + 6);
  ui_->ListView1->horizontalHeader()->setStretchLastSection(true);
  // The widths saved at exit, else the designed ones (number, sender, subject, date, size, mailbox,
  // content type, unique id, To, Cc).
  const int designed[MessageListModel::kColumns] = {55, 190, 260, 135, 70, 90, 150, 0, 170, 120};
  for (int i = 0; i < MessageListModel::kColumns; ++i) {
    const int saved = i < kMessageColumns ? core_->Settings.MessageColumns[i] : -1;
    if (i != MessageListModel::kUidl + 1) ui_->ListView1->setColumnWidth(i, saved > 0 ? saved : designed[i]);
  }
  ui_->LabelVersion->setText(kVersionString);
  ui_->Label1->hide();

  btnInterrompre_ = new QPushButton(QString::fromUtf8("Interrompre"), this);
  btnInterrompre_->setToolTip(QString::fromUtf8("Stoppe l'interrogation de la bo\u00eete"));
  btnInterrompre_->hide();
  statusBar_->PlaceStopButton(btnInterrompre_);

  alert_ = new RejectAlertDialog(core_->Settings.DelaiAvantRejeterActif, this);
  checkView_ = std::make_unique<MainCheckView>(
      MainCheckView::Widgets{this, ui_->ListView1, ui_->Label1, ui_->LabelVersion, btnInterrompre_}, alert_);
  cycle_ = std::make_unique<CheckCycle>(*core_, *checkView_, *messages_);
  connect(ui_->Button1, &QToolButton::clicked, this, [this] { cycle_->Button1Click(); });
  connect(btnInterrompre_, &QPushButton::clicked, this, [this] { cycle_->BtnInterrompreClick(); });
  connect(ui_->ListView2, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { cycle_->Timer1Timer(CheckSender::MailboxList, index.row()); });
  // The census checks the mailboxes marked for it, once the internet is reachable.
  if (!hooks_.StartupCensus)
    hooks_.StartupCensus = [this] {
      cycle_->SetCensusMark(true);
      cycle_->Button1Click();
      cycle_->SetCensusMark(false);
    };
}

void TForm1::LoadFilters() {
  core_->Filters.Load(core_->Ini, options_.ProgramFolder, [this](const std::string& t) { ShowStatus(0, t); });
  core_->ShowSenderCounts = core_->Filters.Settings.Inex.RejetInex;
}

void TForm1::SaveFilters() {
  const SaveResult r = core_->Filters.Save(core_->Ini, core_->Settings.NbFicSauv, SystemHistoryClock(),
                                           [this](const std::string& t) { ShowStatus(0, t); });
  // The modified lists stay in memory; the user must know they are not on disk.
  if (!r.Ok) QMessageBox::warning(this, "Mobrelle", QString::fromStdString(Cp1252ToUtf8(r.ErrorText)));
}

bool TForm1::Question(const QString& caption, const QString& text, bool warningDefaultNo) {
  if (AskYesNo) return AskYesNo(caption, text);
  const auto buttons = QMessageBox::Yes | QMessageBox::No;
  const auto answer = warningDefaultNo ? QMessageBox::warning(this, caption, text, buttons, QMessageBox::No)
                                       : QMessageBox::question(this, caption, text, buttons);
  return answer == QMessageBox::Yes;
}

void TForm1::AskForDefaultLists() {
  FilterState& filters = core_->Filters;
  filters.Files.Folder = options_.ProgramFolder;
  if (!filters.WantsDefaultLists()) return;
  const QString caption = "Mobrelle - " + QTxt(1102);
  if (!Question(caption, QTxt(1103))) return;
  const QString shipped = ShippedFile("Defaut.rej");
  if (shipped.isEmpty()) {
    ShowStatus(0, "Filtres par d\xE9" "faut introuvables");
    return;
  }
  CopyDefaultLists(QFileInfo(shipped).absolutePath().toLocal8Bit().toStdString(), filters.Files);
}

TForm1::~TForm1() {
  // Timers and sessions go with the accounts; nothing may be polled while the window is torn down.
  BusyLock::SetForGood();
  delete startTimer_;
  // The window's base parts still move the focus while they go; this part is gone by then.
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

bool TForm1::TrayUsable() const { return tray_ && mobrelle::TrayIcon::Available(); }

bool TForm1::FormCreate() {
  core_ = std::make_unique<AppCore>(options_.IniPath);
  PrepareCore(*core_, KeyState::Ctrl());

  // The status bar shows the log and the version from the first moment on.
  statusBar_ = new StatusBarView(ui_->StatusBar1, core_->Log);
  statusBar_->Refresh(1);

  connect(ui_->Rduire1, &QAction::triggered, this, &TForm1::Rduire1Click);
  connect(ui_->Quitter2, &QAction::triggered, this, &TForm1::Quitter1Click);
  connect(ui_->Quitter1, &QAction::triggered, this, &TForm1::Quitter1Click);
  connect(ui_->Restaurer1, &QAction::triggered, this, &TForm1::Restaurer1Click);
  addAction(ui_->Rduire1);
  addAction(ui_->ReduireavecMotdePasse1);
  addAction(ui_->Quitter2);
  popupMenu2_ = new QMenu(this);
  popupMenu2_->addAction(ui_->Rduire1);
  popupMenu2_->addAction(ui_->ReduireavecMotdePasse1);
  popupMenu2_->addAction(ui_->Quitter2);

  if (!UnlockAtStartup(*core_, [this](const std::string& c, const std::string& p) { return AskPassword(this, c, p); }))
    return false;
  ui_->ReduireavecMotdePasse1->setEnabled(core_->IsProtected);

  LoadAccountsAndSettings(*core_, options_.ProgramFolder);
  ui_->ListView2->setModel(&core_->Mailboxes);
  ui_->ListView2->setColumnHidden(6, true);
  ui_->ListView2->setColumnHidden(7, true);
  LoadSettings();
  CreateChecks();
  if (hooks_.SetUpMailProgram) hooks_.SetUpMailProgram();
  else mailProgram_ = SetUpMailProgram(core_->Settings);
  if (!mailProgram_.LaunchIcon.isNull()) ui_->BitBtn8->setIcon(mailProgram_.LaunchIcon);

  CreateTray();
  CreateMenus();
  CreateMailboxEditor();
  setWindowIcon(QIcon(":/icons/mobrelle.svg"));

  // The session manager ends the session: close down like a quit.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { CloseDown(); });
  created_ = true;
  return true;
}

void TForm1::LoadSettings() {
  const MainSettings& s = core_->Settings;
  setGeometry(s.Left, s.Top, s.Width, s.Height);
  QHeaderView* header = ui_->ListView2->header();
  const int designed[] = {150, 70, 65, -1, -1, 100, 0, 0};
  for (int i = 0; i < MailboxListModel::kColumns; ++i) {
    const int width = s.MailboxColumns[i] >= 0 ? s.MailboxColumns[i] : designed[i];
    if (width >= 0) header->resizeSection(i, width);
  }
  ui_->Panel1->resize(ui_->Panel1->width(), std::max(138, s.HauteurBoites));
  UpdateMailboxGroupCaption();
}

void TForm1::UpdateMailboxGroupCaption() {
  const int n = core_->Mailboxes.Count();
  ui_->GroupBox1->setTitle(QTxt(n <= 1 ? 1592 : 1593).replace("%d", QString::number(n)) + QTxt(1005));
}

void TForm1::ApplyListColour() {
  QPalette p = ui_->ListView2->palette();
  p.setColor(QPalette::Base, ListColour(core_->Settings.CouleurListes, QApplication::palette()));
  ui_->ListView2->setPalette(p);
}

void TForm1::HandleRequest(int wParam) {
  if (wParam == kRequestStartedAgain) {
    // Only a window that shows the plain caption answers a second start.
    if (windowTitle() != "Mobrelle") return;
    if (core_->SchedulerActive) Restaurer1Click();
    else Dsactiver1Click();
  } else if (wParam == kRequestDeferredStartup) {
    DeferredStartup();
  }
}

void TForm1::DeferredStartup() {
  if (deferredDone_ || !created_) return;
  deferredDone_ = true;
  if (StartsInTray(options_.FirstArgument)) Rduire1Click();
  if (core_->Settings.PleinEcran) showMaximized();

  if (core_->Settings.Version != kVersionString) {
    BusyLock::Hold hold;
    try {
      if (hooks_.FirstUseWindow) hooks_.FirstUseWindow();
      if (core_->Mailboxes.MailboxNames().empty() && hooks_.CreateFirstMailbox) hooks_.CreateFirstMailbox();
    } catch (...) {
      // A failing first-run step must not keep the program from starting.
    }
  }

  ShowStatus(0, Txt(1008));
  QApplication::setOverrideCursor(Qt::BusyCursor);
  core_->Settings.LoadSoundFiles(core_->Ini);

  startTimer_ = new QTimer(this);
  startTimer_->setInterval(1000);
  connect(startTimer_, &QTimer::timeout, this, &TForm1::FStartTimer);
  if (hooks_.CreateFilterWindow) hooks_.CreateFilterWindow();
  ApplyListColour();
  startTimer_->start();
}

void TForm1::FStartTimer() {
  ShowStatus(0, Txt(1006));
  if (!InternetAvailable(core_->Settings.TestInternet, core_->Log)) return;  // again in a second
  ShowStatus(0, Txt(1100));
  startTimer_->stop();
  startTimer_->deleteLater();
  startTimer_ = nullptr;
  if (core_->Settings.RecenseDemar && hooks_.StartupCensus) hooks_.StartupCensus();
  else ShowStatus(0, Txt(1100));
  QApplication::restoreOverrideCursor();
}

void TForm1::Restaurer1Click() {
  showNormal();
  raise();
  activateWindow();
}

void TForm1::Rduire1Click() {
  // Without a tray there would be no way back to a hidden window.
  if (TrayUsable()) hide();
  else showMinimized();
}

void TForm1::Quitter1Click() {
  closingForReal_ = true;
  close();
}

void TForm1::SaveSettings() {
  MainSettings& s = core_->Settings;
  s.PleinEcran = isMaximized();
  const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  s.Top = normal.top();
  s.Left = normal.left();
  s.Width = normal.width();
  s.Height = normal.height();
  for (int i = 0; i < MailboxListModel::kColumns; ++i) s.MailboxColumns[i] = ui_->ListView2->header()->sectionSize(i);
  s.HauteurBoites = ui_->Panel1->height();
  s.SaveExitKeys(core_->Ini, core_->Filters.KeyWriters());
  if (hooks_.SaveFilterLists) hooks_.SaveFilterLists();
}

void TForm1::CloseDown() {
  if (closeDownDone_) return;
  closeDownDone_ = true;
  BusyLock::SetForGood();
  if (created_ && !KeyState::Shift()) {
    try {
      SaveSettings();
    } catch (const std::exception& e) {
      ShowStatus(0, e.what());
    }
  }
  if (hooks_.FreeFilterWindow) hooks_.FreeFilterWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The close box asks what to do; Alt held, "Quitter" or a termination closes for real.
  if (!closingForReal_ && !KeyState::Alt()) {
    event->ignore();
    popupMenu2_->popup(QCursor::pos());
    return;
  }
  CloseDown();
  if (tray_) tray_->Hide();
  event->accept();
  QApplication::quit();
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Coming to the window (or leaving it) acknowledges new mail: the icon stops calling.
  if (event->type() == QEvent::ActivationChange && created_ && trayState_) trayState_->TrayRefresh();
  if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayUsable()) {
    // Minimised windows go to the tray.
    QTimer::singleShot(0, this, &QWidget::hide);
  }
}

}  // namespace mobrelle
