#include "ui/reject_alert/reject_alert_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "app/busy_lock.h"
#include "app/core/texts.h"
#include "app/qt_text.h"
#include "polling/headers/format_size.h"
#include "ui_reject_alert_dialog.h"

namespace mobrelle {
namespace {

// The texts this window builds go through tr(), so a language module translates them with the
// texts of its design.
constexpr int kBytesText = 1019;  // " octets."

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kPurple(0x80, 0x00, 0x80);

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

// The message texts come from the mail: a label clips them at its edge instead of widening the
// window, and the tooltip keeps the whole text readable.
void SetMessageText(QLabel* label, const QString& text) {
  label->setText(text);
  label->setToolTip(text);
}
void SetMessageText(QLabel* label, const std::string& cp1252) { SetMessageText(label, ToQt(cp1252)); }

}  // namespace

RejectAlertDialog::RejectAlertDialog(int rejectEnableDelay, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::RejectAlertDialog>()), rejectEnableDelay_(rejectEnableDelay) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  Timer1.setObjectName("Timer1");
  Timer1.setParent(this);
  Timer1.setInterval(1000);
  connect(&Timer1, &QTimer::timeout, this, &RejectAlertDialog::Timer1Timer);
  connect(ui_->Button1, &QPushButton::clicked, this, &RejectAlertDialog::Button1Click);
  connect(ui_->Button2, &QPushButton::clicked, this, &RejectAlertDialog::Button2Click);
  connect(ui_->SpeedButtonOff, &QToolButton::clicked, this, &RejectAlertDialog::SpeedButtonOffClicked);
  ui_->SpeedButtonOff->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  ui_->SpeedButtonOff->setToolButtonStyle(Qt::ToolButtonIconOnly);

  SetTextColour(ui_->LblRejet, kPurple);
  for (QLabel* label : {ui_->LblExp, ui_->LblDest, ui_->LblDestCc, ui_->LblRejet, ui_->LblTaille, ui_->LblDate})
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  ui_->LblSujet->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  // Two lines of subject, whatever its length.
  const int lines = 2 * QFontMetrics(ui_->LblSujet->font()).lineSpacing();
  ui_->LblSujet->setFixedHeight(lines);

  const int width = 470;
  setFixedSize(width, std::max(sizeHint().height(), heightForWidth(width)));
}

RejectAlertDialog::~RejectAlertDialog() = default;

QLabel* RejectAlertDialog::FieldLabel(AlertField field) const {
  switch (field) {
    case AlertField::Sender: return ui_->LblExp;
    case AlertField::Subject: return ui_->LblSujet;
    case AlertField::To: return ui_->LblDest;
    case AlertField::Cc: return ui_->LblDestCc;
  }
  return ui_->LblExp;
}

void RejectAlertDialog::ClearFields() {
  for (QLabel* label : {ui_->LblExp, ui_->LblSujet, ui_->LblDest, ui_->LblDestCc, ui_->LblTaille, ui_->LblDate}) {
    label->setPalette(QPalette());
    label->clear();
    label->setToolTip(QString());
  }
  ui_->LblRejet->clear();
  ui_->LblRejet->setToolTip(QString());
  recipientsEmpty_ = false;
}

void RejectAlertDialog::PaintRed(AlertField field) { SetTextColour(FieldLabel(field), kRed); }

void RejectAlertDialog::ShowRecipientsEmpty() {
  for (QLabel* label : {ui_->LblDest, ui_->LblDestCc}) {
    SetMessageText(label, tr("<Destinataire vide>"));
    SetTextColour(label, kRed);
  }
  recipientsEmpty_ = true;
}

bool RejectAlertDialog::RecipientsShowEmpty() const { return recipientsEmpty_; }

void RejectAlertDialog::SetFrameText(const std::string& text) {
  // A group box title reads '&' as a shortcut marker.
  ui_->Label1->setTitle(ToQt(text).replace('&', QStringLiteral("&&")));
  frameSet_ = true;
}

bool RejectAlertDialog::StopSwitchDown() const { return ui_->SpeedButtonOff->isChecked(); }

void RejectAlertDialog::ReleaseStopSwitch() { ui_->SpeedButtonOff->setChecked(false); }

AlertResult RejectAlertDialog::Show(char verdict, int countdownSeconds, const AlertTexts& texts) {
  // A second alert cannot open inside the one on screen; its message is kept.
  if (showing_) return {AlertResult::Choice::Closed, std::max(countdownSeconds, 1)};
  // The caller holds the lock already; this hold only makes sure no check starts while the window
  // waits, whoever calls.
  BusyLock::Hold hold;

  // Anything but 'd' keeps the message when the user does nothing.
  const bool deleteByDefault = verdict == 'd';
  countdown_ = countdownSeconds;
  secondsLeft_ = countdownSeconds;
  choice_ = AlertResult::Choice::Closed;

  setWindowTitle(tr("Mobrelle - Interception d'un rejet sur ") + ToQt(texts.Mailbox));
  ui_->ProgressBar1->setRange(0, std::max(countdownSeconds, 1));
  ui_->ProgressBar1->setValue(1);
  SetMessageText(ui_->LblRejet, texts.Filter);
  SetMessageText(ui_->LblExp, texts.Sender);
  SetMessageText(ui_->LblSujet, texts.Subject);
  if (!recipientsEmpty_) {
    SetMessageText(ui_->LblDest, texts.To);
    SetMessageText(ui_->LblDestCc, texts.Cc);
  }
  SetMessageText(ui_->LblTaille, FormatSize(texts.Size, '.') + Txt(kBytesText));
  SetMessageText(ui_->LblDate, tr("émis le ") + ToQt(texts.Date));
  const QString seconds = QString::number(countdownSeconds) + tr(" s");
  ui_->LblDefaut->setText((deleteByDefault ? tr("Par défaut, ce message sera supprimé au bout de ")
                                           : tr("Par défaut, ce message sera conservé au bout des ")) +
                          seconds);

  QPushButton* byDefault = deleteByDefault ? ui_->Button1 : ui_->Button2;
  ui_->Button1->setEnabled(true);
  ui_->Button1->setDefault(deleteByDefault);
  ui_->Button2->setDefault(!deleteByDefault);

  // Activation: the beep, then "&Rejeter" waits; a 'd' alert gives it the focus back once enabled.
  QApplication::beep();
  rejectWasDefault_ = ui_->Button1->isDefault();
  ui_->Button1->setEnabled(rejectEnableDelay_ <= 0);
  if (byDefault->isEnabled()) byDefault->setFocus();
  else ui_->Button2->setFocus();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  Timer1.start();
  showing_ = true;
  QPointer<RejectAlertDialog> self(this);
  exec();
  if (!self) return {AlertResult::Choice::Closed, 1};  // destroyed while shown: keep the message
  showing_ = false;
  return {choice_, secondsLeft_};
}

void RejectAlertDialog::Timer1Timer() {
  // Back to the front, in case another program took it.
  if (!isActiveWindow()) {
    raise();
    activateWindow();
  }
  --secondsLeft_;
  ui_->ProgressBar1->setValue(std::clamp(ui_->ProgressBar1->maximum() - secondsLeft_, 0, ui_->ProgressBar1->maximum()));
  if (secondsLeft_ < countdown_ - rejectEnableDelay_ + 1 && !ui_->Button1->isEnabled()) {
    ui_->Button1->setEnabled(true);
    if (rejectWasDefault_) ui_->Button1->setFocus();
  }
  if (secondsLeft_ <= 0) {
    choice_ = AlertResult::Choice::Closed;
    secondsLeft_ = -1;
    reject();
  }
}

void RejectAlertDialog::Button1Click() {
  secondsLeft_ = 0;
  choice_ = AlertResult::Choice::Reject;
  done(1);
}

void RejectAlertDialog::Button2Click() {
  choice_ = AlertResult::Choice::Keep;
  accept();
}

void RejectAlertDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) {
    // The frame caption is whatever the last verdict set; a new language does not reset it.
    const QString frame = ui_->Label1->title();
    ui_->retranslateUi(this);
    if (frameSet_) ui_->Label1->setTitle(frame);
  }
}

void RejectAlertDialog::done(int result) {
  Timer1.stop();
  QDialog::done(result);
}

}  // namespace mobrelle
