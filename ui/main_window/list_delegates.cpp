#include "ui/main_window/list_delegates.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

#include "app/core/texts.h"
#include "app/mailbox_list_model.h"
#include "app/qt_text.h"
#include "polling/message_list/message_list_model.h"

namespace mobrelle {
namespace {

QColor Rgb(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The text colour of a cell, kept for the disabled list (a running check) to stay grey.
void SetTextColour(QStyleOptionViewItem* option, const QColor& colour) {
  option->palette.setColor(QPalette::Active, QPalette::Text, colour);
  option->palette.setColor(QPalette::Inactive, QPalette::Text, colour);
}

void SetFont(QStyleOptionViewItem* option, bool bold) {
  if (option->font.bold() == bold) return;
  option->font.setBold(bold);
  option->fontMetrics = QFontMetrics(option->font);
}

// An envelope, closed or opened, coloured by what the filters made of the message.
QPixmap DrawEnvelope(int icon) {
  const int kind = icon / 2;
  const bool opened = icon % 2 == 1;
  QColor body(255, 255, 255), line(90, 90, 90);
  if (kind == 1) body = QColor(255, 214, 140), line = QColor(200, 60, 0);  // caught but kept
  if (kind == 2) body = QColor(200, 240, 200), line = QColor(0, 128, 0);   // white list
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(line, 1));
  const QRectF env(1.5, 5.5, 13, 9);
  if (opened) {
    // The flap up and the letter out of it.
    QPainterPath flap;
    flap.moveTo(1.5, 5.5);
    flap.lineTo(8, 0.5);
    flap.lineTo(14.5, 5.5);
    p.setBrush(body.darker(110));
    p.drawPath(flap);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 2.5, 9, 7));
    p.setBrush(body);
    p.drawRect(env);
    p.drawLine(QPointF(1.5, 14.5), QPointF(8, 9.5));
    p.drawLine(QPointF(14.5, 14.5), QPointF(8, 9.5));
  } else {
    p.setBrush(body);
    p.drawRect(env);
    p.drawLine(QPointF(1.5, 5.5), QPointF(8, 10.5));
    p.drawLine(QPointF(14.5, 5.5), QPointF(8, 10.5));
  }
  if (kind == 3) {
    // A paper clip: the message has parts.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.drawRoundedRect(QRectF(10.5, 0.8, 4, 10), 2, 2);
    p.drawLine(QPointF(12.5, 3), QPointF(12.5, 8.5));
  }
  return pm;
}

}  // namespace

QIcon MessageRowIcon(int icon) {
  static std::array<QIcon, 8> icons;
  if (icon < 0 || icon >= static_cast<int>(icons.size())) icon = 0;
  QIcon& cached = icons[static_cast<size_t>(icon)];
  if (cached.isNull()) cached = QIcon(DrawEnvelope(icon));
  return cached;
}

MessageRowDelegate::MessageRowDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {}

void MessageRowDelegate::SetSelectedMailbox(std::optional<std::string> caption) {
  selected_ = std::move(caption);
  if (view_) view_->viewport()->update();
}

void MessageRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  std::string mailbox;
  if (const auto* model = qobject_cast<const MessageListModel*>(index.model()); model && index.row() < model->Count())
    mailbox = model->Row(index.row()).SubItems[MessageListModel::kMailbox];
  else
    mailbox = FromQt(index.siblingAtColumn(MessageListModel::kMailbox + 1).data().toString());
  const MessageRowLook look = RowLook(index.row(), mailbox, selected_ ? &*selected_ : nullptr);
  if (look.PaleYellow) option->backgroundBrush = Rgb(kOddRowRgb);
  if (look.PurpleBold) {
    SetFont(option, true);
    SetTextColour(option, Rgb(kSelectedMailboxRgb));
  }
  if (index.column() == 0) {
    option->icon = MessageRowIcon(index.data(MessageListModel::IconRole).toInt());
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
  }
}

MailboxCellLook MailboxLook(bool schedulerActive, bool startupChecked, int column, const std::string& text) {
  MailboxCellLook look;
  if (!schedulerActive) {
    look.Grey = true;
    return look;
  }
  look.Bold = startupChecked;
  if (column == 2 && !text.empty()) {
    // The check writes its error text from the text table; English reads it differently.
    if (text == "Erreur" || text == Txt(1013))
      look.Red = true;
    else
      look.Pink = true;
  }
  return look;
}

MailboxRowDelegate::MailboxRowDelegate(MailboxListModel& model, std::function<bool()> schedulerActive,
                                       QObject* parent)
    : QStyledItemDelegate(parent), model_(model), schedulerActive_(std::move(schedulerActive)) {}

void MailboxRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const int row = index.row();
  if (row < 0 || row >= model_.Count()) return;
  const bool active = !schedulerActive_ || schedulerActive_();
  const std::string& text =
      index.column() == 0 ? model_.Caption(row) : model_.SubItemText(row, index.column() - 1);
  const MailboxCellLook look = MailboxLook(active, model_.Record(row).Pop3Demar, index.column(), text);
  SetFont(option, look.Bold);
  if (look.Grey) SetTextColour(option, option->palette.color(QPalette::Disabled, QPalette::Text));
  if (look.Red) SetTextColour(option, QColor(255, 0, 0));
  if (look.Pink) option->backgroundBrush = Rgb(kMailboxNoteRgb);
}

}  // namespace mobrelle
