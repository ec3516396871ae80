#pragma once
// The watched mailboxes: one row per account, in display order, each owning its structBoite (POP3
// client and polling timer). Loading, creating, modifying, deleting and reordering accounts keep
// the rows and the configuration file in step.

#include <QAbstractTableModel>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/struct_boite.h"

namespace mobrelle {

class IniFile;

class MailboxListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Columns: 0 the label, then the row's sub-items 0 to 6 (interval, count, user name, server,
  // exclusive recipients, the hidden action letter and options).
  static constexpr int kColumns = 8;
  enum SubItem { kInterval = 0, kCount, kUser, kServer, kExclusive, kActionLetter, kOptions };

  // Section defaults for hand-written files.
  static constexpr char kDefaultUser[] = "maboite";
  static constexpr char kDefaultHost[] = "pop.example.invalid";
  static constexpr char kDefaultStoredPassword[] = "xxx";

  explicit MailboxListModel(IniFile& ini, QObject* parent = nullptr);
  ~MailboxListModel() override;

  // The lock password in clear text while one is active, empty otherwise: stored passwords are
  // masked with it.
  void SetLockPassword(const std::string& lock) { lockPassword_ = lock; }

  // The labels of the rows that have a section in the file.
  const std::vector<std::string>& MailboxNames() const { return names_; }
  // Loads the accounts named by `names` (file order); each timer starts at once.
  void LoadAll(const std::vector<std::string>& names);

  // Refused (false, `error` set to a Windows-1252 message) for a label the settings use.
  bool Create(const MailboxFields& f, std::string* error = nullptr);
  // Both refuse while the mailbox is being checked: its client is in use by the check.
  bool Modify(int row, const MailboxFields& f, std::string* error = nullptr);
  bool Delete(int row, std::string* error = nullptr);
  // Move one place; return the row's new index (unchanged at the edge). Only in memory.
  int MoveUp(int row);
  int MoveDown(int row);
  // Rewrites every account section in display order.
  void SaveOrder();
  bool OrderChanged() const { return orderChanged_; }

  // Whether the editor may open on `row` for modify or delete: no message of the account is listed
  // and its mailbox is not being checked. Otherwise the message to show, in Windows-1252.
  bool CanEdit(int row, bool hasListedMessages, std::string* error) const;
  // The editor stops the timer while it is open on an account, and restarts it on cancel.
  void StopTimer(int row);
  void StartTimer(int row);

  int Count() const { return static_cast<int>(rows_.size()); }
  structBoite& Record(int row) { return *rows_.at(row).Data; }
  const std::string& Caption(int row) const { return rows_.at(row).Caption; }
  const std::string& SubItemText(int row, int subItem) const { return rows_.at(row).SubItems.at(subItem); }
  // The first row whose record holds `client`, or Count() when none does.
  int RowOfClient(const TSyncPop3Cli* client) const;
  // The message-count sub-item: the number, or empty for 0.
  void SetMessageCount(int row, int count);
  void SetMessageCountText(int row, const std::string& text);  // "Erreur" after a failed connection

  // Letter of an action index in "Rdg ", and back (a letter not found gives 2).
  static char ActionLetter(int index);
  static int ActionIndex(char letter);
  static bool IsReservedLabel(const std::string& label);

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // A mailbox's polling timer fired; the check handler takes it from here.
  void timerFired(TSyncPop3Cli* client);

 private:
  struct Row {
    std::string Caption;
    std::array<std::string, 7> SubItems;
    std::unique_ptr<structBoite> Data;
  };

  void ArmTimer(structBoite& record);
  void ApplyFieldsToRow(Row& row, const MailboxFields& f) const;
  void WriteSection(const Row& row);
  void SetSubItem(int row, int subItem, const std::string& text);
  std::string StoredPassword(const std::string& clear) const;

  IniFile& ini_;
  std::vector<Row> rows_;
  std::vector<std::string> names_;
  std::string lockPassword_;
  bool orderChanged_ = false;
};

// The exclusive-recipients text: the domain and each authorised local part after a comma.
std::string ExclusiveRecipientsText(const std::string& domain, const std::vector<std::string>& localParts);
int OptionBits(const MailboxFields& f);
// The interval field read as an integer (0 when it is not one).
int32_t IntervalSeconds(const std::string& text);

}  // namespace mobrelle
