#include "app/mailbox_list_model.h"

#include <climits>

#include "app/core/cp1252.h"
#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/core/stored_password.h"
#include "app/core/texts.h"
#include "app/qt_text.h"

namespace mobrelle {
namespace {

constexpr char kActions[] = "Rdg ";

// Text numbers of the refusals.
constexpr int kTxtMessagesListed = 1069;
constexpr int kTxtBeingChecked = 1111;
constexpr int kTxtReservedLabel = 1112;

}  // namespace

std::string ExclusiveRecipientsText(const std::string& domain, const std::vector<std::string>& localParts) {
  if (domain.empty()) return {};
  std::string text = domain;
  for (const auto& part : localParts) text += "," + part;
  return text;
}

int OptionBits(const MailboxFields& f) {
  return (f.Rule1 ? 1 : 0) + (f.Rule1AnyDomain ? 2 : 0) + (f.Rule2 ? 4 : 0) + (f.Rule2AnyDomain ? 8 : 0);
}

int32_t IntervalSeconds(const std::string& text) {
  try {
    size_t used = 0;
    long long v = std::stoll(text, &used);
    if (used != text.size() || v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<int32_t>(v);
  } catch (...) {
    return 0;
  }
}

MailboxListModel::MailboxListModel(IniFile& ini, QObject* parent) : QAbstractTableModel(parent), ini_(ini) {}

MailboxListModel::~MailboxListModel() {
  // Each session is aborted before its client goes.
  for (auto& row : rows_) {
    row.Data->Timer.reset();
    row.Data->Client->Abort();
  }
}

char MailboxListModel::ActionLetter(int index) { return index >= 0 && index <= 3 ? kActions[index] : 'g'; }

int MailboxListModel::ActionIndex(char letter) {
  for (int i = 0; i < 4; ++i)
    if (kActions[i] == letter) return i;
  return 2;
}

bool MailboxListModel::IsReservedLabel(const std::string& label) {
  return SameText(label, kSettingsSection) || SameText(label, kJokersSection);
}

std::string MailboxListModel::StoredPassword(const std::string& clear) const {
  return StoredPasswordValue(clear, lockPassword_);
}

void MailboxListModel::ArmTimer(structBoite& record) {
  record.Timer->stop();
  // 0 means never; so does a negative interval.
  if (record.IntervalSeconds <= 0) return;
  const long long ms = static_cast<long long>(record.IntervalSeconds) * 1000;
  record.Timer->setInterval(static_cast<int>(std::min<long long>(ms, INT_MAX)));
  record.Timer->start();
}

void MailboxListModel::LoadAll(const std::vector<std::string>& names) {
  beginResetModel();
  for (const auto& name : names) {
    Row row;
    row.Caption = name;
    row.Data = std::make_unique<structBoite>();
    structBoite& b = *row.Data;
    b.Client = std::make_unique<TSyncPop3Cli>();
    TSyncPop3Cli& c = *b.Client;
    c.UserName = ini_.ReadString(name, "Pop3ID", kDefaultUser);
    c.Host = ini_.ReadString(name, "Pop3Mail", kDefaultHost);
    b.Pop3Mdp = PasswordFromStoredValue(ini_.ReadString(name, "Pop3Mdp", kDefaultStoredPassword), lockPassword_);
    c.PassWord = b.Pop3Mdp;
    const auto keys = ini_.ReadSection(name);
    auto has = [&](const char* key) {
      for (const auto& k : keys)
        if (SameText(k, key)) return true;
      return false;
    };
    c.Timeout = ini_.ReadInteger(name, "TimeOut", TSyncPop3Cli::kDefaultTimeout);
    if (has("TimeOut")) b.TimeOutKey = c.Timeout;
    c.Port = ini_.ReadInteger(name, "Pop3Port", TSyncPop3Cli::kDefaultPort);
    if (has("Pop3Port")) b.Pop3PortKey = c.Port;
    b.IntervalSeconds = ini_.ReadInteger(name, "Intervalle", 300);
    row.SubItems = {std::to_string(b.IntervalSeconds),
                    "",
                    c.UserName,
                    c.Host,
                    ini_.ReadString(name, "DestUnique", ""),
                    std::string(1, ActionLetter(ini_.ReadInteger(name, "TypeRejet", 2))),
                    std::to_string(ini_.ReadInteger(name, "NatureRejet", 1))};
    b.Pop3Demar = ini_.ReadBool(name, "Pop3Demar", true);
    b.Pop3APOP = ini_.ReadBool(name, "Pop3APOP", false);
    b.Timer = std::make_unique<QTimer>();
    b.Timer->setProperty("tag", QVariant::fromValue<void*>(b.Client.get()));
    TSyncPop3Cli* client = b.Client.get();
    connect(b.Timer.get(), &QTimer::timeout, this, [this, client] { emit timerFired(client); });
    ArmTimer(b);
    rows_.push_back(std::move(row));
  }
  names_ = names;
  endResetModel();
}

void MailboxListModel::ApplyFieldsToRow(Row& row, const MailboxFields& f) const {
  row.SubItems = {f.IntervalText,
                  "",
                  f.UserName,
                  f.Host,
                  ExclusiveRecipientsText(f.Domain, f.LocalParts),
                  std::string(1, ActionLetter(f.TypeRejet)),
                  std::to_string(OptionBits(f))};
  structBoite& b = *row.Data;
  b.Client->UserName = f.UserName;
  b.Client->Host = f.Host;
  b.Client->PassWord = f.Password;
  b.Pop3Mdp = f.Password;
  b.IntervalSeconds = IntervalSeconds(f.IntervalText);
  b.Pop3Demar = f.Pop3Demar;
  b.Pop3APOP = f.Pop3APOP;
}

bool MailboxListModel::Create(const MailboxFields& f, std::string* error) {
  if (IsReservedLabel(f.Label)) {
    if (error) *error = Txt(kTxtReservedLabel);
    return false;
  }
  Row row;
  row.Caption = f.Label;
  row.Data = std::make_unique<structBoite>();
  row.Data->Client = std::make_unique<TSyncPop3Cli>();
  row.Data->Timer = std::make_unique<QTimer>();
  ApplyFieldsToRow(row, f);
  structBoite& b = *row.Data;
  const std::string& s = f.Label;
  ini_.Batch([&] {
    ini_.WriteString(s, "Pop3ID", f.UserName);
    ini_.WriteString(s, "Pop3Mail", f.Host);
    ini_.WriteString(s, "Pop3Mdp", StoredPassword(f.Password));
    ini_.WriteInteger(s, "Intervalle", b.IntervalSeconds);
    ini_.WriteString(s, "DestUnique", EncodeMultiLine(row.SubItems[kExclusive]));
    ini_.WriteInteger(s, "TypeRejet", f.TypeRejet);
    ini_.WriteInteger(s, "NatureRejet", OptionBits(f));
    ini_.WriteBool(s, "Pop3Demar", f.Pop3Demar);
    ini_.WriteBool(s, "Pop3APOP", f.Pop3APOP);
  });
  names_.push_back(f.Label);
  TSyncPop3Cli* client = b.Client.get();
  b.Timer->setProperty("tag", QVariant::fromValue<void*>(client));
  connect(b.Timer.get(), &QTimer::timeout, this, [this, client] { emit timerFired(client); });
  ArmTimer(b);
  const int at = Count();
  beginInsertRows({}, at, at);
  rows_.push_back(std::move(row));
  endInsertRows();
  return true;
}

bool MailboxListModel::CanEdit(int row, bool hasListedMessages, std::string* error) const {
  if (hasListedMessages) {
    if (error) *error = Txt(kTxtMessagesListed);
    return false;
  }
  if (rows_.at(row).Data->Client->Connected()) {
    if (error) *error = Txt(kTxtBeingChecked);
    return false;
  }
  return true;
}

bool MailboxListModel::Modify(int row, const MailboxFields& f, std::string* error) {
  Row& r = rows_.at(row);
  if (!CanEdit(row, false, error)) return false;
  if (f.Label != r.Caption && IsReservedLabel(f.Label)) {
    if (error) *error = Txt(kTxtReservedLabel);
    return false;
  }
  ApplyFieldsToRow(r, f);
  structBoite& b = *r.Data;
  if (f.Label != r.Caption) {
    r.Caption = f.Label;
    SaveOrder();
  } else {
    const std::string& s = r.Caption;
    ini_.Batch([&] {
      ini_.WriteString(s, "Pop3Mdp", StoredPassword(f.Password));
      ini_.WriteInteger(s, "Intervalle", b.IntervalSeconds);
      ini_.WriteString(s, "Pop3ID", f.UserName);
      ini_.WriteString(s, "Pop3Mail", f.Host);
      ini_.WriteBool(s, "Pop3Demar", f.Pop3Demar);
      ini_.WriteBool(s, "Pop3APOP", f.Pop3APOP);
      ini_.WriteString(s, "DestUnique", EncodeMultiLine(r.SubItems[kExclusive]));
      ini_.WriteInteger(s, "TypeRejet", f.TypeRejet);
      ini_.WriteInteger(s, "NatureRejet", OptionBits(f));
    });
  }
  ArmTimer(b);
  emit dataChanged(index(row, 0), index(row, kColumns - 1));
  return true;
}

bool MailboxListModel::Delete(int row, std::string* error) {
  if (!CanEdit(row, false, error)) return false;
  const std::string label = rows_.at(row).Caption;
  ini_.EraseSection(label);
  for (auto it = names_.begin(); it != names_.end(); ++it)
    if (SameText(*it, label)) {
      names_.erase(it);
      break;
    }
  beginRemoveRows({}, row, row);
  Row gone = std::move(rows_[row]);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
  gone.Data->Timer.reset();
  gone.Data->Client->Abort();
  return true;
}

int MailboxListModel::MoveUp(int row) {
  orderChanged_ = true;
  if (row <= 0 || row >= Count()) return row;
  beginMoveRows({}, row, row, {}, row - 1);
  std::swap(rows_[row], rows_[row - 1]);
  endMoveRows();
  return row - 1;
}

int MailboxListModel::MoveDown(int row) {
  orderChanged_ = true;
  if (row < 0 || row >= Count() - 1) return row;
  beginMoveRows({}, row, row, {}, row + 2);
  std::swap(rows_[row], rows_[row + 1]);
  endMoveRows();
  return row + 1;
}

void MailboxListModel::WriteSection(const Row& row) {
  const std::string& s = row.Caption;
  const structBoite& b = *row.Data;
  ini_.WriteString(s, "Pop3ID", b.Client->UserName);
  ini_.WriteString(s, "Pop3Mail", b.Client->Host);
  ini_.WriteString(s, "Pop3Mdp", StoredPassword(b.Client->PassWord));
  ini_.WriteInteger(s, "Intervalle", b.IntervalSeconds);
  ini_.WriteBool(s, "Pop3Demar", b.Pop3Demar);
  ini_.WriteBool(s, "Pop3APOP", b.Pop3APOP);
  ini_.WriteString(s, "DestUnique", row.SubItems[kExclusive]);
  ini_.WriteInteger(s, "TypeRejet", ActionIndex(row.SubItems[kActionLetter].empty() ? 'g' : row.SubItems[kActionLetter][0]));
  ini_.WriteInteger(s, "NatureRejet", IntervalSeconds(row.SubItems[kOptions]));
  // What the user set by hand survives the rewrite.
  if (b.TimeOutKey) ini_.WriteInteger(s, "TimeOut", *b.TimeOutKey);
  if (b.Pop3PortKey) ini_.WriteInteger(s, "Pop3Port", *b.Pop3PortKey);
}

void MailboxListModel::SaveOrder() {
  // One write of the file: a crash half-way cannot lose accounts.
  ini_.Batch([&] {
    for (const auto& name : names_) ini_.EraseSection(name);
    names_.clear();
    for (const auto& row : rows_) {
      WriteSection(row);
      names_.push_back(row.Caption);
    }
  });
  orderChanged_ = false;
}

void MailboxListModel::StopTimer(int row) { rows_.at(row).Data->Timer->stop(); }
void MailboxListModel::StartTimer(int row) { ArmTimer(*rows_.at(row).Data); }

int MailboxListModel::RowOfClient(const TSyncPop3Cli* client) const {
  for (int i = 0; i < Count(); ++i)
    if (rows_[i].Data->Client.get() == client) return i;
  return Count();
}

void MailboxListModel::SetSubItem(int row, int subItem, const std::string& text) {
  rows_.at(row).SubItems.at(subItem) = text;
  emit dataChanged(index(row, subItem + 1), index(row, subItem + 1));
}

void MailboxListModel::SetMessageCount(int row, int count) {
  SetSubItem(row, kCount, count == 0 ? std::string() : std::to_string(count));
}

void MailboxListModel::SetMessageCountText(int row, const std::string& text) { SetSubItem(row, kCount, text); }

int MailboxListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }
int MailboxListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MailboxListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const Row& r = rows_[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      return ToQt(index.column() == 0 ? r.Caption : r.SubItems[index.column() - 1]);
    case Qt::TextAlignmentRole:
      return index.column() == 1 || index.column() == 2 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                         : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant MailboxListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QTxt(20000 + section);  // a missing number gives an empty caption
}

}  // namespace mobrelle
