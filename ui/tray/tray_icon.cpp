#include "ui/tray/tray_icon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/qt_text.h"

namespace mobrelle {
namespace {
constexpr int kBalloonMs = 10000;

constexpr std::array<const char*, kTrayNormalIcons> kNormalNames = {
    "tray-active", "tray-waiting", "tray-inactive", "tray-error", "tray-error-waiting"};
constexpr std::array<const char*, kTrayAnimationFrames> kFrameNames = {"tray-new-0", "tray-new-1"};

// Balloons on Linux go to the desktop's notifications, which break lines at LF alone.
QString BalloonQt(const std::string& cp1252, size_t max) {
  return ToQt(CutText(cp1252, max)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
  tray_ = new QSystemTrayIcon(this);
  animation_ = new QTimer(this);
  animation_->setInterval(kTrayAnimationMs);
  connect(animation_, &QTimer::timeout, this, &TrayIcon::NextFrame);
  connect(tray_, &QSystemTrayIcon::messageClicked, this, &TrayIcon::balloonClicked);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
      case QSystemTrayIcon::DoubleClick: emit restoreRequested(); break;
      case QSystemTrayIcon::Trigger: emit clicked(); break;
      case QSystemTrayIcon::Context: emit menuRequested(); break;
      default: break;
    }
  });
  const TrayState start;
  ShowIcon(start.Set, start.Index);
  tray_->setToolTip(ToQt(start.Tip));
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::SetMenu(QMenu* menu) { tray_->setContextMenu(menu); }
void TrayIcon::Show() { tray_->show(); }
void TrayIcon::Hide() { tray_->hide(); }

QString TrayIcon::IconName(TraySet set, int index) {
  if (set == TraySet::Animation)
    return QString::fromLatin1(kFrameNames.at(static_cast<size_t>(index) % kFrameNames.size()));
  return QString::fromLatin1(kNormalNames.at(static_cast<size_t>(index) < kNormalNames.size()
                                                 ? static_cast<size_t>(index) : 0));
}

QIcon TrayIcon::Icon(TraySet set, int index) {
  return QIcon(QStringLiteral(":/icons/%1.svg").arg(IconName(set, index)));
}

void TrayIcon::ShowIcon(TraySet set, int index) {
  const QString name = IconName(set, index);
  if (name == shownName_) return;
  shownName_ = name;
  tray_->setIcon(Icon(set, index));
}

void TrayIcon::NextFrame() {
  frame_ = (frame_ + 1) % kTrayAnimationFrames;
  ShowIcon(TraySet::Animation, frame_);
}

void TrayIcon::Apply(const TrayState& state) {
  if (state.Set == TraySet::Animation && state.Animating) {
    if (!animation_->isActive()) {
      frame_ = 0;
      ShowIcon(TraySet::Animation, 0);
      animation_->start();
    }
  } else {
    animation_->stop();
    ShowIcon(state.Set, state.Index);
  }
  const QString tip = ToQt(CutText(state.Tip, kTrayTipMax));
  if (tray_->toolTip() != tip) tray_->setToolTip(tip);
}

QString TrayIcon::Tip() const { return tray_->toolTip(); }
bool TrayIcon::Animating() const { return animation_->isActive(); }

void TrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  balloonTitle_ = BalloonQt(title, kBalloonTitleMax);
  balloonText_ = BalloonQt(text, kBalloonTextMax);
  tray_->showMessage(balloonTitle_, balloonText_, QSystemTrayIcon::Information, kBalloonMs);
}

}  // namespace mobrelle
