#pragma once
// The icon in the notification area: shows a TrayState (icon, animation, tip), raises balloons and
// reports clicks. The window owns it, gives it the tray menu and decides what the clicks do.

#include <QIcon>
#include <QObject>
#include <QString>
#include <array>
#include <string>

#include "ui/tray/tray_state.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace mobrelle {

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  // Whether the desktop has a notification area. Without one the window must stay reachable: it
  // is never hidden to the tray.
  static bool Available();

  // The menu a right click opens (the window's PopupMenuTray); the window keeps ownership.
  void SetMenu(QMenu* menu);
  void Show();
  void Hide();

  // Shows `state`. Switching the animation on shows frame 0 at once, then the next frame every
  // 800 ms; a state that keeps animating leaves the running animation alone.
  void Apply(const TrayState& state);
  // Title cut at 63 characters, text at 255, information icon, 10 seconds. Windows-1252 texts.
  void ShowBalloon(const std::string& title, const std::string& text);

  // What the icon shows now.
  QString ShownIconName() const { return shownName_; }
  QString Tip() const;
  bool Animating() const;
  QString LastBalloonTitle() const { return balloonTitle_; }
  QString LastBalloonText() const { return balloonText_; }

  // Resource name and icon of a normal-set index or animation frame, e.g. "tray-waiting".
  static QString IconName(TraySet set, int index);
  static QIcon Icon(TraySet set, int index);

 signals:
  void balloonClicked();
  // A double click: the menu's default item, Restaurer.
  void restoreRequested();
  // A single left click (hosts that report no double clicks send only these).
  void clicked();
  // A right click; the menu given to SetMenu opens by itself.
  void menuRequested();

 private:
  void ShowIcon(TraySet set, int index);
  void NextFrame();

  QSystemTrayIcon* tray_ = nullptr;
  QTimer* animation_ = nullptr;
  int frame_ = 0;
  QString shownName_;
  QString balloonTitle_, balloonText_;
};

}  // namespace mobrelle
