#pragma once
// The sounds and the balloon that announce new mail, rejections and accepted senders, by the
// sound and balloon settings as they stand at the moment of each announcement.

#include <QDateTime>
#include <functional>
#include <string>

#include "filters/verdicts/verdict_ports.h"
#include "ui/tray/sound_player.h"

namespace mobrelle {

struct MainSettings;

class TrayAnnouncer : public RejectionAnnouncer {
 public:
  // Shows a balloon; TrayIcon::ShowBalloon in the program. Windows-1252 texts.
  using BalloonFunction = std::function<void(const std::string& title, const std::string& text)>;

  TrayAnnouncer(const MainSettings& settings, SoundPlayer& sounds, BalloonFunction balloon,
                std::function<QDateTime()> now = {});

  // With "Son" on: the file "SonRejet", or the exclamation sound when none is set (or the file
  // has gone since the start).
  void RejectionSound() override;
  // With "Son" on and a file "SonAmi" set: that file; there is no built-in fallback.
  void AcceptedSenderSound() override;
  // With "AlerteVisuelleRejet" on: the balloon of a rejection done without the user.
  void NotifyRejection(const std::string& sender, const std::string& subject) override;
  // After a check that added rows: with "Son" on, the file "FichierSon", or the new-mail sound
  // when none is set (or the file has gone).
  void NewMailSound();

  static std::string BalloonTitle(const QDateTime& when);
  static std::string BalloonText(const std::string& sender, const std::string& subject);

 private:
  void PlayOr(const std::string& file, SystemSound fallback);

  const MainSettings& settings_;
  SoundPlayer& sounds_;
  BalloonFunction balloon_;
  std::function<QDateTime()> now_;
};

}  // namespace mobrelle
