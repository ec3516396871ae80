#include "ui/tray/announcer.h"

#include <QLocale>

#include "app/core/main_settings.h"
#include "app/core/texts.h"
#include "app/qt_text.h"

namespace mobrelle {
namespace {

// The locale's long time format without its time zone: the title names the local time.
QString LongTimeFormat(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString out;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    out += c;
  }
  return out.trimmed();
}

}  // namespace

TrayAnnouncer::TrayAnnouncer(const MainSettings& settings, SoundPlayer& sounds, BalloonFunction balloon,
                             std::function<QDateTime()> now)
    : settings_(settings), sounds_(sounds), balloon_(std::move(balloon)), now_(std::move(now)) {
  if (!now_) now_ = [] { return QDateTime::currentDateTime(); };
}

void TrayAnnouncer::PlayOr(const std::string& file, SystemSound fallback) {
  // A file removed since the start is no reason to stay silent: the built-in sound stands in.
  if (SoundPlayer::FileExists(file))
    sounds_.PlayFile(file);
  else
    sounds_.PlaySystem(fallback);
}

void TrayAnnouncer::RejectionSound() {
  if (settings_.Son) PlayOr(settings_.SonRejet, SystemSound::SystemExclamation);
}

void TrayAnnouncer::AcceptedSenderSound() {
  if (settings_.Son && !settings_.SonAmi.empty()) sounds_.PlayFile(settings_.SonAmi);
}

void TrayAnnouncer::NewMailSound() {
  if (settings_.Son) PlayOr(settings_.FichierSon, SystemSound::MailBeep);
}

void TrayAnnouncer::NotifyRejection(const std::string& sender, const std::string& subject) {
  if (!settings_.AlerteVisuelleRejet || !balloon_) return;
  balloon_(BalloonTitle(now_()), BalloonText(sender, subject));
}

std::string TrayAnnouncer::BalloonTitle(const QDateTime& when) {
  const QLocale locale = QLocale::system();
  const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
                        locale.toString(when.time(), LongTimeFormat(locale));
  return "Un rejet a \xE9t\xE9 effectu\xE9 \xE0 " + FromQt(stamp);
}

std::string TrayAnnouncer::BalloonText(const std::string& sender, const std::string& subject) {
  return Txt(1032) + sender + Txt(1033) + subject + Txt(1034);
}

}  // namespace mobrelle
