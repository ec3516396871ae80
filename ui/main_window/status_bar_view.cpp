#include "ui/main_window/status_bar_view.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStatusTipEvent>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTimer>
#include <algorithm>

#include "app/core/status_log.h"
#include "app/qt_text.h"

namespace mobrelle {
namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
constexpr int kLogItemHeight = 15;
constexpr int kLogVisibleItems = 15;
constexpr int kFlagWidth = 22;
constexpr int kRestMax = 255;

const QString& EndOfCheck() {
  static const QString text = ToQt("Fin interrogation de ");
  return text;
}

const QString& Deactivated() {
  static const QString text = ToQt(" D\xE9sactiv\xE9");
  return text;
}

// The language button's face until the window sets the flag of the language in use: French.
QIcon FrenchFlag() {
  QPixmap pm(16, 11);
  QPainter p(&pm);
  p.fillRect(0, 0, 6, 11, QColor(0, 35, 149));
  p.fillRect(5, 0, 6, 11, Qt::white);
  p.fillRect(11, 0, 5, 11, QColor(237, 41, 57));
  p.setPen(QColor(120, 120, 120));
  p.drawRect(0, 0, 15, 10);
  return QIcon(pm);
}

// The closed log box shows its current item the way the list draws it.
class LogComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QString text = opt.currentText;
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    p.setClipRect(field);
    p.fillRect(field, palette().color(QPalette::Button));
    DrawStatusPieces(p, field, LogItemPieces(text), font(), palette().color(QPalette::WindowText), Qt::AlignVCenter);
  }
};

// The dropped-down log: fixed-height items on the button face, never highlighted.
class LogItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->save();
    painter->fillRect(option.rect, option.palette.color(QPalette::Button));
    painter->setClipRect(option.rect);
    DrawStatusPieces(*painter, option.rect, LogItemPieces(index.data(Qt::DisplayRole).toString()), option.font,
                     option.palette.color(QPalette::WindowText), Qt::AlignVCenter);
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kLogItemHeight};
  }
};

// Panels 1 and 2: the bar's background, a thin frame, and the pieces from the top + 3.
class PanelWidget : public QWidget {
 public:
  PanelWidget(std::function<StatusPieces()> pieces, QWidget* parent)
      : QWidget(parent), pieces_(std::move(pieces)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 1, -1, -1));
    p.setClipRect(rect().adjusted(1, 1, -1, -1));
    DrawStatusPieces(p, rect().adjusted(0, 3, 0, 0), pieces_(), font(), palette().color(QPalette::WindowText),
                     Qt::AlignTop);
  }

 private:
  std::function<StatusPieces()> pieces_;
};

}  // namespace

// The whole panel area: panel 0's background and the hint that stands in for the log box.
class StatusArea : public QWidget {
 public:
  StatusArea(StatusBarView& view, QWidget* parent) : QWidget(parent), view_(view) {}

  // The hint reads over panels 0 and 1, or only up to the stop button while a check shows it.
  QRect HintRect() const {
    int right = kStatusPanel0Width + view_.panel1Width_;
    if (view_.stop_ && !view_.stop_->isHidden()) right = view_.stop_->x() - 2;
    return {2, 0, std::max(0, right - 4), height()};
  }
  bool Hinting() const { return view_.combo_->isHidden(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!Hinting() || view_.simpleText_.isEmpty()) return;
    const QRect r = HintRect();
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               fontMetrics().elidedText(view_.simpleText_, Qt::ElideRight, r.width()));
  }
  void resizeEvent(QResizeEvent*) override { view_.Layout(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) view_.StatusBar1DblClick();
  }

 private:
  StatusBarView& view_;
};

StatusPieces LogItemPieces(const QString& item) {
  StatusPieces pieces;
  auto add = [&](const QString& text, bool bold, QColor colour = {}) {
    if (!text.isEmpty()) pieces.push_back({text, bold, colour});
  };
  if (item.contains(EndOfCheck())) {
    // "Fin interrogation de " + mailbox + ": " + time, stored with a leading space: the mailbox
    // name keeps the space before it and ends at the first ':'.
    const qsizetype head = EndOfCheck().size();
    const QString rest = item.mid(head).left(kRestMax);
    const qsizetype colon = rest.indexOf(':');
    add(item.left(head), false);
    add(colon < 0 ? rest : rest.left(colon), true);
    if (colon >= 0) add(rest.mid(colon), false);
  } else {
    add(item, false, item == Deactivated() ? kRed : QColor());
  }
  return pieces;
}

StatusPieces Panel1Pieces(const QString& text) {
  if (text.isEmpty()) return {};
  // A connection error reads "mailbox=>message".
  return {{text, false, text.contains("=>") ? kRed : QColor()}};
}

StatusPieces Panel2Pieces(bool shown, std::size_t good, std::size_t bad) {
  if (!shown) return {};
  return {{" Ex=" + QString::number(good), false, kGreen}, {"  Inex=" + QString::number(bad), false, kRed}};
}

QString HintLongPart(const QString& hint) {
  const qsizetype bar = hint.indexOf('|');
  return bar < 0 ? hint : hint.mid(bar + 1);
}

int StatusPanel1Width(int clientWidth) {
  return std::max(0, clientWidth - kStatusPanel0Width - kStatusPanel1Margin);
}

int DrawStatusPieces(QPainter& painter, const QRect& rect, const StatusPieces& pieces, const QFont& font,
                     const QColor& windowText, Qt::Alignment vertical) {
  int x = rect.left();
  for (const StatusPiece& piece : pieces) {
    QFont f = font;
    f.setBold(piece.Bold);
    const int width = QFontMetrics(f).horizontalAdvance(piece.Text);
    painter.setFont(f);
    painter.setPen(piece.Colour.isValid() ? piece.Colour : windowText);
    painter.drawText(QRect(x, rect.top(), width + 1, rect.height()), Qt::AlignLeft | vertical | Qt::TextSingleLine,
                     piece.Text);
    x += width;
  }
  return x - rect.left();
}

StatusBarView::StatusBarView(QStatusBar* bar, StatusLog& log) : QObject(bar), bar_(bar), log_(log) {
  area_ = new StatusArea(*this, bar);
  area_->setObjectName("StatusPanels");
  combo_ = new LogComboBox(area_);
  combo_->setObjectName("ComboBoxStatus");
  combo_->setEditable(false);
  combo_->setMaxVisibleItems(kLogVisibleItems);
  combo_->setItemDelegate(new LogItemDelegate(combo_));
  combo_->setFocusPolicy(Qt::NoFocus);
  QPalette face = combo_->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  combo_->view()->setPalette(face);
  btnDrapeau_ = new QToolButton(area_);
  btnDrapeau_->setObjectName("BtnDrapeau");
  btnDrapeau_->setAutoRaise(true);
  btnDrapeau_->setIcon(FrenchFlag());
  btnDrapeau_->setIconSize(QSize(16, 11));
  btnDrapeau_->setFocusPolicy(Qt::NoFocus);
  panel1_ = new PanelWidget([this] { return Panel1Now(); }, area_);
  panel1_->setObjectName("StatusPanel1");
  panel2_ = new PanelWidget([this] { return Panel2Now(); }, area_);
  panel2_->setObjectName("StatusPanel2");

  // The controls of panel 0 are 3 below the top and end 1 above the bottom.
  area_->setFixedHeight(std::max(19, combo_->sizeHint().height() + 4));
  area_->setMinimumWidth(0);
  area_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  // The window is resized by its frame; the grip would take the room of panel 2's counts.
  bar_->setSizeGripEnabled(false);
  bar_->addWidget(area_, 1);
  bar_->installEventFilter(this);
  // Status tips reach the window; they come here instead of the bar's message mode.
  if (QWidget* window = bar_->window(); window != bar_) window->installEventFilter(this);

  log_.OnChange = [this](int index) { Refresh(index); };
  Layout();
  Refresh(0);
  Refresh(1);
}

void StatusBarView::Layout() {
  const int h = area_->height();
  const int controlHeight = std::max(1, h - 4);
  const int flagLeft = kStatusPanel0Width - kFlagWidth - 2;
  btnDrapeau_->setGeometry(flagLeft, 3, kFlagWidth, controlHeight);
  combo_->setGeometry(0, 3, flagLeft, controlHeight);
  if (stop_) {
    const int w = stop_->sizeHint().width();
    stop_->setGeometry(kStatusPanel0Width - w - 2, 3, w, controlHeight);
  }
  panel1_->setGeometry(kStatusPanel0Width, 0, panel1Width_, h);
  const int left2 = kStatusPanel0Width + panel1Width_;
  // Panel 2's counts may run on into the free end of the bar.
  panel2_->setGeometry(left2, 0, std::max(kStatusPanel2Width, area_->width() - left2), h);
}

void StatusBarView::Refresh(int index) {
  if (index == 0) {
    // Usually one new entry in front and perhaps the oldest gone: change only that.
    const auto& events = log_.Events();
    QStringList want;
    want.reserve(static_cast<qsizetype>(events.size()));
    for (const auto& item : events) want.append(ToQt(item));
    QStringList shown;
    for (int i = 0; i < combo_->count(); ++i) shown.append(combo_->itemText(i));
    if (want != shown) {
      if (!want.isEmpty() && want.size() - 1 <= shown.size() && want.mid(1) == shown.mid(0, want.size() - 1)) {
        combo_->insertItem(0, want.front());
        while (combo_->count() > want.size()) combo_->removeItem(combo_->count() - 1);
      } else {
        combo_->clear();
        combo_->addItems(want);
      }
    }
    combo_->setCurrentIndex(combo_->count() > 0 ? 0 : -1);
  }
  combo_->show();
  panel1_->setVisible(true);
  panel1_->update();
  panel2_->update();
  area_->update();
}

void StatusBarView::SetClientWidth(int clientWidth) {
  panel1Width_ = StatusPanel1Width(clientWidth);
  Layout();
  area_->update();
}

void StatusBarView::SetSenderCounts(std::function<std::pair<std::size_t, std::size_t>()> counts) {
  counts_ = std::move(counts);
  panel2_->update();
}

void StatusBarView::BindCountersDisplay(bool* flag) {
  counters_ = flag ? flag : &ownCounters_;
  panel2_->update();
}

void StatusBarView::StatusBar1DblClick() {
  *counters_ = !*counters_;
  panel2_->update();
  bar_->update();
}

void StatusBarView::PlaceStopButton(QAbstractButton* button) {
  stop_ = button;
  button->setParent(area_);
  button->installEventFilter(this);
  Layout();
  button->raise();
}

void StatusBarView::HintChanged(const QString& hint) {
  currentHint_ = hint;
  if (!hint.isEmpty()) {
    btnDrapeau_->hide();
    combo_->hide();
    // Over panels 0 and 1 unless the stop button sits in the way.
    if (!stop_ || stop_->isHidden()) panel1_->hide();
  }
  simpleText_ = HintLongPart(hint);
  if (!hintTimer_) {
    hintTimer_ = new QTimer(this);
    hintTimer_->setInterval(1000);
    connect(hintTimer_, &QTimer::timeout, this, &StatusBarView::HintTimerTick);
  }
  hintTimer_->start();
  area_->update();
}

void StatusBarView::HintTimerTick() {
  if (!currentHint_.isEmpty()) return;
  simpleText_.clear();
  btnDrapeau_->show();
  combo_->show();
  panel1_->show();
  area_->update();
  bar_->update();
  if (hintTimer_) hintTimer_->stop();
}

bool StatusBarView::HintTimerActive() const { return hintTimer_ && hintTimer_->isActive(); }

StatusPieces StatusBarView::Panel1Now() const { return Panel1Pieces(ToQt(log_.Panel(1))); }

StatusPieces StatusBarView::Panel2Now() const {
  const auto [good, bad] = counts_ ? counts_() : std::pair<std::size_t, std::size_t>{0, 0};
  return Panel2Pieces(*counters_, good, bad);
}

bool StatusBarView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip:
      if (watched != stop_) {
        HintChanged(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
      }
      break;
    case QEvent::MouseButtonDblClick:
      if (watched == bar_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        StatusBar1DblClick();
        return true;
      }
      break;
    case QEvent::Show:
    case QEvent::Hide:
      if (watched == stop_) area_->update();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace mobrelle
