#include "polling/message_list/message_list_model.h"

#include <algorithm>

#include "app/core/cp1252.h"
#include "app/qt_text.h"
#include "polling/headers/format_size.h"
#include "polling/message_list/message_sorting.h"

namespace mobrelle {

const std::string& MessageRow::Uidl() const { return SubItems[MessageListModel::kUidl]; }

int NewRowIcon(const std::string& contentType, RowIcon keep) {
  switch (keep) {
    case RowIcon::WhiteList: return 4;
    case RowIcon::CaughtKept: return 2;
    case RowIcon::None: break;
  }
  return LowerCase(contentType).find("multipart") != std::string::npos ? 6 : 0;
}

MessageRowLook RowLook(int index, const std::string& rowMailbox, const std::string* selectedMailbox) {
  MessageRowLook look;
  look.PaleYellow = index % 2 == 1;
  look.PurpleBold = selectedMailbox && *selectedMailbox == rowMailbox;
  return look;
}

MessageListModel::MessageListModel(QObject* parent) : QAbstractTableModel(parent) {}

void MessageListModel::Reserve(int more) {
  if (more <= 0) return;
  const size_t want = rows_.size() + static_cast<size_t>(std::min(more, kReserveAtMost));
  rows_.reserve(want);
  byUidl_.reserve(want);
}

uint64_t MessageListModel::AddRow(NewMessageRow m) {
  MessageRow r;
  r.Id = nextId_++;
  r.Number = std::to_string(m.Number);
  r.SubItems[kSender] = std::move(m.Sender += m.SenderNote);
  r.SubItems[kSubject] = std::move(m.Subject += m.SubjectNote);
  r.SubItems[kDate] = std::move(m.Date);
  r.SubItems[kSize] = FormatSize(m.Size, '.');
  r.SubItems[kMailbox] = std::move(m.Mailbox);
  r.SubItems[kUidl] = std::move(m.Uidl);
  r.SubItems[kTo] = std::move(m.To += m.ToNote);
  r.SubItems[kCc] = std::move(m.Cc += m.CcNote);
  r.Client = m.Client;
  r.Icon = NewRowIcon(m.ContentType, m.Keep);
  r.SubItems[kContentType] = std::move(m.ContentType);
  const int at = Count();
  const uint64_t id = r.Id;
  byUidl_.emplace(r.Uidl(), id);
  beginInsertRows({}, at, at);
  rows_.push_back(std::move(r));
  if (!positionStale_) position_[id] = at;
  endInsertRows();
  return id;
}

int MessageListModel::IndexOf(uint64_t id) const {
  if (positionStale_) {
    position_.clear();
    for (size_t i = 0; i < rows_.size(); ++i) position_[rows_[i].Id] = static_cast<int>(i);
    positionStale_ = false;
  }
  const auto it = position_.find(id);
  return it == position_.end() ? -1 : it->second;
}

int MessageListModel::FindKnownRow(const std::string& uidl, const TSyncPop3Cli* client,
                                   const std::unordered_set<uint64_t>& skip) const {
  int first = -1;
  const auto [from, to] = byUidl_.equal_range(uidl);
  for (auto it = from; it != to; ++it) {
    if (skip.count(it->second)) continue;
    const int i = IndexOf(it->second);
    if (i >= 0 && rows_[static_cast<size_t>(i)].Client == client && (first < 0 || i < first)) first = i;
  }
  return first;
}

const MessageRow* MessageListModel::Find(uint64_t id) const {
  const int i = IndexOf(id);
  return i < 0 ? nullptr : &rows_[static_cast<size_t>(i)];
}

int MessageListModel::FindKnown(const std::string& uidl, const TSyncPop3Cli* client, int limit) const {
  const int end = std::min(limit, Count());
  for (int i = 0; i < end; ++i) {
    const MessageRow& r = rows_[static_cast<size_t>(i)];
    if (r.Client == client && r.Uidl() == uidl) return i;
  }
  return -1;
}

void MessageListModel::SetNumber(int index, int number) {
  MessageRow& r = rows_.at(static_cast<size_t>(index));
  std::string text = std::to_string(number);
  if (r.Number == text) return;
  r.Number = std::move(text);
  emit dataChanged(this->index(index, 0), this->index(index, 0));
}

void MessageListModel::Unindex(const MessageRow& r) {
  const auto [from, to] = byUidl_.equal_range(r.Uidl());
  for (auto it = from; it != to; ++it)
    if (it->second == r.Id) {
      byUidl_.erase(it);
      return;
    }
}

void MessageListModel::RemoveIf(const std::function<bool(const MessageRow&)>& pred) {
  // Contiguous runs go in one step each, from the end so the indexes before stay valid.
  for (int i = Count() - 1; i >= 0;) {
    if (!pred(rows_[static_cast<size_t>(i)])) {
      --i;
      continue;
    }
    int first = i;
    while (first > 0 && pred(rows_[static_cast<size_t>(first - 1)])) --first;
    beginRemoveRows({}, first, i);
    for (int k = first; k <= i; ++k) Unindex(rows_[static_cast<size_t>(k)]);
    rows_.erase(rows_.begin() + first, rows_.begin() + i + 1);
    positionStale_ = true;
    endRemoveRows();
    i = first - 1;
  }
}

void MessageListModel::RemoveVanished(const TSyncPop3Cli* client, const std::unordered_set<std::string>& seen) {
  RemoveIf([&](const MessageRow& r) { return r.Client == client && seen.count(r.Uidl()) == 0; });
}

void MessageListModel::RemoveMailboxRows(const TSyncPop3Cli* client) {
  RemoveIf([&](const MessageRow& r) { return r.Client == client; });
}

void MessageListModel::Clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  byUidl_.clear();
  position_.clear();
  positionStale_ = false;
  endResetModel();
}

std::vector<int> MessageListModel::RowsOfMailbox(const TSyncPop3Cli* client) const {
  std::vector<int> out;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Client == client) out.push_back(static_cast<int>(i));
  return out;
}

bool MessageListModel::HasRowsOf(const TSyncPop3Cli* client) const {
  return std::any_of(rows_.begin(), rows_.end(), [&](const MessageRow& r) { return r.Client == client; });
}

void MessageListModel::MarkDisplayed(uint64_t id) {
  const int i = IndexOf(id);
  if (i < 0) return;
  // Setting the low bit rather than adding one: a second display must not turn the displayed
  // plain icon (1) into the caught-but-kept one (2).
  int& icon = rows_[static_cast<size_t>(i)].Icon;
  if (icon % 2 == 1) return;
  icon += 1;
  emit dataChanged(index(i, 0), index(i, kColumns - 1), {IconRole, Qt::DecorationRole});
}

bool MessageListModel::CanSort(int column) const { return column > 0 && column < kColumns && Count() >= 2; }

const std::string& MessageListModel::CellText(const MessageRow& r, int column) const {
  return column == 0 ? r.Number : r.SubItems[static_cast<size_t>(column - 1)];
}

bool MessageListModel::Sort(int column) {
  if (!CanSort(column)) return false;
  if (column == sortColumn_) ascending_ = !ascending_;
  sortColumn_ = column;

  int (*compare)(std::string_view, std::string_view) = CompareTextNoCase;
  if (column == kDateColumn) compare = CompareDates;
  if (column == kSizeColumn) compare = CompareSizes;
  const bool ascending = ascending_;

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<uint64_t> beforeIds;
  beforeIds.reserve(static_cast<size_t>(before.size()));
  for (const QModelIndex& p : before) beforeIds.push_back(rows_[static_cast<size_t>(p.row())].Id);

  std::stable_sort(rows_.begin(), rows_.end(), [&](const MessageRow& a, const MessageRow& b) {
    const int c = compare(CellText(a, column), CellText(b, column));
    return ascending ? c < 0 : c > 0;
  });
  positionStale_ = true;

  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype k = 0; k < before.size(); ++k)
    after.push_back(index(IndexOf(beforeIds[static_cast<size_t>(k)]), before[k].column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return true;
}

int MessageListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

int MessageListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count() || index.column() >= kColumns) return {};
  const MessageRow& r = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: return ToQt(CellText(r, index.column()));
    case IconRole: return r.Icon;
    case RowIdRole: return QVariant::fromValue<qulonglong>(r.Id);
    case Qt::TextAlignmentRole:
      // Sizes line up on their last digit.
      if (index.column() == kSizeColumn) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default: return {};
  }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
  return QTxt(10000 + section);
}

}  // namespace mobrelle
