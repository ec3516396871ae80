#pragma once
// The status bar of the main window, drawn by the program: panel 0 holds the event log box and the
// language button (and the stop button during a check), panel 1 the last connection result or the
// version, panel 2 the two sender-check counts when they are switched on. A hint (status tip)
// shows in place of the log box until a second after the mouse has left its control.
//
// Usage in the window: statusBar_ = new StatusBarView(ui_->StatusBar1, core_->Log);
//   statusBar_->SetSenderCounts([this] { return std::pair(core_->GoodSenders.size(), core_->BadSenders.size()); });
//   statusBar_->BindCountersDisplay(&core_->ShowSenderCounts);  and from resizeEvent:
//   statusBar_->SetClientWidth(width());

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QStatusBar>
#include <QString>
#include <QToolButton>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

class QAbstractButton;
class QPainter;
class QTimer;

namespace mobrelle {

class StatusLog;

// One run of text drawn in one style; an invalid colour means the window-text colour.
struct StatusPiece {
  QString Text;
  bool Bold = false;
  QColor Colour;
  bool operator==(const StatusPiece& o) const { return Text == o.Text && Bold == o.Bold && Colour == o.Colour; }
};
using StatusPieces = std::vector<StatusPiece>;

inline constexpr int kStatusPanel0Width = 340;
inline constexpr int kStatusPanel2Width = 50;
inline constexpr int kStatusPanel1Margin = 110;  // panel 2 and the free end of the bar

// How a log item is drawn: an end-of-check entry with the mailbox name in bold, " Désactivé" in red.
StatusPieces LogItemPieces(const QString& item);
// Panel 1: its text, red for a connection error ("mailbox=>message").
StatusPieces Panel1Pieces(const QString& text);
// Panel 2: nothing while the counts are off, else " Ex=" n in green and "  Inex=" n in red.
StatusPieces Panel2Pieces(bool shown, std::size_t good, std::size_t bad);
// What a hint puts in the bar: the part after "|", or the whole hint without one.
QString HintLongPart(const QString& hint);
// Panel 1's width for the window's client width (never below 0).
int StatusPanel1Width(int clientWidth);

// Draws pieces one after the other from the left of `rect`; returns the width drawn.
int DrawStatusPieces(QPainter& painter, const QRect& rect, const StatusPieces& pieces, const QFont& font,
                     const QColor& windowText, Qt::Alignment vertical = Qt::AlignTop);

class StatusBarView : public QObject {
  Q_OBJECT

 public:
  StatusBarView(QStatusBar* bar, StatusLog& log);

  QComboBox* ComboBoxStatus() const { return combo_; }
  QWidget* Panel1() const { return panel1_; }
  QWidget* Panel2() const { return panel2_; }
  QToolButton* BtnDrapeau() const { return btnDrapeau_; }
  // Shows what the log holds now (0: the log; 1 and 2: that panel); the log box becomes visible.
  void Refresh(int index);

  // Panel 1 = client width - 340 - 110, called on every resize of the window.
  void SetClientWidth(int clientWidth);
  int Panel1Width() const { return panel1Width_; }

  // The sizes of the two sender caches (found to exist, found not to exist).
  void SetSenderCounts(std::function<std::pair<std::size_t, std::size_t>()> counts);
  // The flag the counts display reads and a double click toggles (the view's own until bound).
  void BindCountersDisplay(bool* flag);
  bool CountersShown() const { return *counters_; }
  void StatusBar1DblClick();

  // The stop button shown during a check: placed at the right of panel 0, over the language button.
  void PlaceStopButton(QAbstractButton* button);

  // The application's hint changed (the window's status tips come here on their own).
  void HintChanged(const QString& hint);
  // The hint text the bar shows in place of the log box ("" when none).
  const QString& HintText() const { return simpleText_; }
  // Runs the one-second hint timer's tick at once (the window's tests).
  void HintTimerTick();
  bool HintTimerActive() const;

  // The drawing of panels 1 and 2 and of the hint (used by the panel widgets).
  StatusPieces Panel1Now() const;
  StatusPieces Panel2Now() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Layout();

  QStatusBar* bar_;
  StatusLog& log_;
  QWidget* area_;
  QComboBox* combo_;
  QToolButton* btnDrapeau_;
  QWidget* panel1_;
  QWidget* panel2_;
  QAbstractButton* stop_ = nullptr;
  QTimer* hintTimer_ = nullptr;
  QString currentHint_;
  QString simpleText_;
  int panel1Width_ = 250;
  bool ownCounters_ = false;
  bool* counters_ = &ownCounters_;
  std::function<std::pair<std::size_t, std::size_t>()> counts_;

  friend class StatusArea;
};

}  // namespace mobrelle
