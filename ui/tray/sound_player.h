#pragma once
// Sounds: a WAV file of the user's or one of the two sounds built into the program, played without
// waiting; a sound asked for while another is still playing is dropped, never queued and never
// cutting the one that plays. Without an audio device nothing is heard and nothing fails.

#include <QElapsedTimer>
#include <QObject>
#include <QUrl>
#include <string>
#include <vector>

class QSoundEffect;

namespace mobrelle {

// Where sounds go. The program plays them through QSoundEffect; tests record them.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // A sound is loading or playing.
  virtual bool Busy() const = 0;
  virtual void Play(const QUrl& source) = 0;
};

class QtSoundOutput : public QObject, public SoundOutput {
  Q_OBJECT

 public:
  explicit QtSoundOutput(QObject* parent = nullptr);
  ~QtSoundOutput() override;
  bool Busy() const override;
  void Play(const QUrl& source) override;
  // Whether an audio output exists; without one every sound is silently skipped.
  bool HasDevice() const { return hasDevice_; }

 private:
  QSoundEffect* effect_ = nullptr;
  QElapsedTimer started_;
  bool hasDevice_ = false;
};

// Remembers what would have been played. Each sound counts as playing until Finish().
class RecordingSoundOutput : public SoundOutput {
 public:
  bool Busy() const override { return playing_; }
  void Play(const QUrl& source) override {
    Played.push_back(source.toString());
    playing_ = true;
  }
  void Finish() { playing_ = false; }
  std::vector<QString> Played;

 private:
  bool playing_ = false;
};

enum class SystemSound { MailBeep, SystemExclamation };

class SoundPlayer {
 public:
  explicit SoundPlayer(SoundOutput& output) : out_(output) {}
  // Each answers whether the sound was started. A file that does not exist is not played.
  bool PlayFile(const std::string& path);  // Windows-1252 file name
  bool PlaySystem(SystemSound sound);
  static QUrl SystemSoundUrl(SystemSound sound);
  static bool FileExists(const std::string& path);

 private:
  bool Start(const QUrl& source);
  SoundOutput& out_;
};

}  // namespace mobrelle
