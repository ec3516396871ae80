#pragma once
// The list of the messages waiting on all the watched servers, one row per message, as the check
// builds it. It lives in memory only. Texts are Windows-1252 inside; the view gets QStrings.
//
// Rows carry a serial id that never changes and is never reused: the operations that wait on a
// server (during which a nested check may add and remove rows) hold ids, not row indexes.

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "filters/verdicts/message_judge.h"

namespace mobrelle {

class TSyncPop3Cli;

struct MessageRow {
  uint64_t Id = 0;
  std::string Number;                   // the caption: message number on its server, decimal
  std::array<std::string, 9> SubItems;  // see MessageListModel::SubItem
  TSyncPop3Cli* Client = nullptr;       // identifies the mailbox
  int Icon = 0;                         // 0 plain, 2 caught but kept, 4 white list, 6 multipart; +1 displayed

  const std::string& Uidl() const;
};

// What the check hands over for a new message that stays listed.
struct NewMessageRow {
  int Number = 0;
  std::string Sender, Subject, Date;
  uint64_t Size = 0;
  std::string Mailbox, ContentType, Uidl, To, Cc;
  TSyncPop3Cli* Client = nullptr;
  // The notes naming the filters that matched, appended to their texts.
  std::string SenderNote, SubjectNote, ToNote, CcNote;
  RowIcon Keep = RowIcon::None;
};

class MessageListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum SubItem { kSender = 0, kSubject, kDate, kSize, kMailbox, kContentType, kUidl, kTo, kCc };
  // Column 0 is the number; column c > 0 shows sub-item c - 1.
  static constexpr int kColumns = 10;
  static constexpr int kDateColumn = kDate + 1;
  static constexpr int kSizeColumn = kSize + 1;
  enum Roles { IconRole = Qt::UserRole + 1, RowIdRole };

  explicit MessageListModel(QObject* parent = nullptr);

  // Appends the row whatever the sort order and returns its id.
  uint64_t AddRow(NewMessageRow m);

  int Count() const { return static_cast<int>(rows_.size()); }
  // Room for `more` rows to come (a check that knows how many messages wait), so the rows are not
  // moved again and again while they arrive. Capped: the number comes from a server.
  void Reserve(int more);
  // What a count announced by a server may reserve at most: the number is the server's word.
  static constexpr int kReserveAtMost = 100000;
  const MessageRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }
  // The current index of the row with that id, or -1 when it has left the list.
  int IndexOf(uint64_t id) const;
  const MessageRow* Find(uint64_t id) const;

  // The first row among [0, limit) whose UIDL is `uidl` and whose mailbox is `client`; -1 if none.
  int FindKnown(const std::string& uidl, const TSyncPop3Cli* client, int limit) const;
  // The first row in list order whose UIDL is `uidl` and whose mailbox is `client`, leaving out
  // the rows in `skip`; -1 if none. Costs the rows of that UIDL, not the whole list.
  int FindKnownRow(const std::string& uidl, const TSyncPop3Cli* client,
                   const std::unordered_set<uint64_t>& skip) const;
  void SetNumber(int index, int number);
  // Removes the rows of `client`'s mailbox whose UIDL is not in `seen`.
  void RemoveVanished(const TSyncPop3Cli* client, const std::unordered_set<std::string>& seen);
  void RemoveMailboxRows(const TSyncPop3Cli* client);
  void Clear();
  // Indexes of the rows of `client`'s mailbox, in list order.
  std::vector<int> RowsOfMailbox(const TSyncPop3Cli* client) const;
  bool HasRowsOf(const TSyncPop3Cli* client) const;

  // The displayed variant of the row's icon (odd); a row displayed again keeps it.
  void MarkDisplayed(uint64_t id);

  // Sorting by a header click. Column 0 cannot be sorted, nor a list of fewer than two rows.
  bool CanSort(int column) const;
  // Sorts by `column`: ascending at first, the same column again reverses. False when refused.
  bool Sort(int column);
  int SortColumn() const { return sortColumn_; }
  bool Ascending() const { return ascending_; }

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const std::string& CellText(const MessageRow& r, int column) const;
  void RemoveIf(const std::function<bool(const MessageRow&)>& pred);
  void Unindex(const MessageRow& r);

  std::vector<MessageRow> rows_;
  uint64_t nextId_ = 1;
  // A check asks for every message whether it is listed: the rows by unique id, and where each
  // row is, kept so that the question does not cost a pass over the list.
  std::unordered_multimap<std::string, uint64_t> byUidl_;
  mutable std::unordered_map<uint64_t, int> position_;
  mutable bool positionStale_ = false;
  int sortColumn_ = -1;
  bool ascending_ = true;
};

// The icon of a new row: 6 for multipart content, else 0; a keep icon replaces it.
int NewRowIcon(const std::string& contentType, RowIcon keep);

// How a row is painted: every second row (odd index) on pale yellow, the others on the list colour;
// the rows of the mailbox selected in the mailbox list in purple bold.
inline constexpr uint32_t kOddRowRgb = 0xF8F8BB;  // red F8, green F8, blue BB
inline constexpr uint32_t kSelectedMailboxRgb = 0x800080;
struct MessageRowLook {
  bool PaleYellow = false;
  bool PurpleBold = false;
};
// `selectedMailbox`: the caption of the selected mailbox row, null when none is selected.
MessageRowLook RowLook(int index, const std::string& rowMailbox, const std::string* selectedMailbox);

}  // namespace mobrelle
