#include "ui/tray/sound_player.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>

#include "app/qt_text.h"

namespace mobrelle {
namespace {
// A sound still loading after this long is taken as lost, so that it cannot silence the program.
constexpr qint64 kLoadingGiveUpMs = 5000;
}  // namespace

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {
  hasDevice_ = !QMediaDevices::audioOutputs().isEmpty();
  if (hasDevice_) effect_ = new QSoundEffect(this);
}

QtSoundOutput::~QtSoundOutput() = default;

bool QtSoundOutput::Busy() const {
  if (!effect_) return false;
  if (effect_->isPlaying()) return true;
  return effect_->status() == QSoundEffect::Loading && started_.isValid() &&
         started_.elapsed() < kLoadingGiveUpMs;
}

void QtSoundOutput::Play(const QUrl& source) {
  if (!effect_) return;
  // A source that failed to load once stays in error; a fresh effect gets a fresh try.
  if (effect_->status() == QSoundEffect::Error) {
    delete effect_;
    effect_ = new QSoundEffect(this);
  }
  if (effect_->source() != source) effect_->setSource(source);
  started_.start();
  effect_->play();  // plays as soon as it has loaded
}

bool SoundPlayer::Start(const QUrl& source) {
  if (out_.Busy()) return false;
  out_.Play(source);
  return true;
}

bool SoundPlayer::FileExists(const std::string& path) {
  return !path.empty() && QFileInfo(ToQt(path)).isFile();
}

bool SoundPlayer::PlayFile(const std::string& path) {
  if (!FileExists(path)) return false;
  return Start(QUrl::fromLocalFile(QFileInfo(ToQt(path)).absoluteFilePath()));
}

bool SoundPlayer::PlaySystem(SystemSound sound) { return Start(SystemSoundUrl(sound)); }

QUrl SoundPlayer::SystemSoundUrl(SystemSound sound) {
  return QUrl(sound == SystemSound::MailBeep ? QStringLiteral("qrc:/sounds/MailBeep.wav")
                                             : QStringLiteral("qrc:/sounds/SystemExclamation.wav"));
}

}  // namespace mobrelle
