#pragma once
// How the two lists of the main window paint their rows. The window installs them:
//   ui_->ListView1->setItemDelegate(new MessageRowDelegate(ui_->ListView1));
//   ui_->ListView2->setItemDelegate(
//       new MailboxRowDelegate(core_->Mailboxes, [this] { return core_->SchedulerActive; }, ui_->ListView2));
// and on a change of the mailbox selection: messageDelegate->SetSelectedMailbox(caption or nullopt).

#include <QAbstractItemView>
#include <QIcon>
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mobrelle {

class MailboxListModel;

// The icon of a message row: 0 plain, 2 caught by a filter but kept, 4 sender on the white list,
// 6 multipart content; each plus 1 (an opened envelope) once the message was displayed.
QIcon MessageRowIcon(int icon);

// Message list: odd rows on pale yellow, the rows of the selected mailbox in purple bold, the row
// icon before the number.
class MessageRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit MessageRowDelegate(QAbstractItemView* view);

  // The caption of the mailbox selected in the mailbox list, none when no row is selected. The
  // message list is repainted.
  void SetSelectedMailbox(std::optional<std::string> caption);
  const std::optional<std::string>& SelectedMailbox() const { return selected_; }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  QAbstractItemView* view_;
  std::optional<std::string> selected_;
};

// What the mailbox list shows of one cell.
inline constexpr uint32_t kMailboxNoteRgb = 0xFFEEFF;  // light pink behind a message count
struct MailboxCellLook {
  bool Bold = false;
  bool Red = false;   // "Erreur" in the count column
  bool Grey = false;  // the scheduler is off
  bool Pink = false;  // a count on light pink
};
// `startupChecked`: the mailbox is checked at start-up (Pop3Demar). Column 2 is the count column.
MailboxCellLook MailboxLook(bool schedulerActive, bool startupChecked, int column, const std::string& text);

// Mailbox list: rows checked at start-up in bold, "Erreur" in red and other counts on light pink;
// everything grey and regular while the scheduler is off.
class MailboxRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  MailboxRowDelegate(MailboxListModel& model, std::function<bool()> schedulerActive, QObject* parent = nullptr);

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  MailboxListModel& model_;
  std::function<bool()> schedulerActive_;
};

}  // namespace mobrelle
