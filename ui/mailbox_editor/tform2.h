#pragma once
// The mailbox editor: creates, modifies or deletes one mailbox account. Created once and prepared
// by the main window for one of its three modes before each opening. Its lower half ("Avancé >>")
// edits the account's exclusive-recipients rule.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class TForm2;
}

namespace mobrelle {

struct AppCore;

class TForm2 : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { Create, Modify, Delete };

  TForm2(AppCore& core, QWidget* parent = nullptr);
  ~TForm2() override;

  void PrepareCreate();
  // Both stop the account's timer until the dialog closes. They return false, after showing why,
  // when the account cannot be edited now (messages of it are listed, or it is being checked).
  bool PrepareModify(int row, bool rowHasListedMessages);
  bool PrepareDelete(int row, bool rowHasListedMessages);

  Mode CurrentMode() const { return mode_; }
  int EditedRow() const { return tag_; }  // -1 in create mode
  bool AdvancedShown() const { return !advancedHidden_; }

  // The number of accounts changed: the main window rebuilds its group caption.
  std::function<void()> OnMailboxCountChanged;
  // Opens a help page at an anchor; nothing happens while it is empty.
  std::function<void(const QString& page, const QString& anchor)> OpenHelp;
  // A refusal, in a message box with the exclamation icon unless replaced.
  std::function<void(const QString& title, const QString& text)> ShowError;
  std::function<void()> Beep;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BtnOkClick();
  void BtnAvanceClick();
  void BtnAideClick();
  void EditDomaineChange();
  void EditAdresseExclChange();
  void BitBtn1Click();
  void BitBtn2Click();
  void ListBoxAdresseExclSelect();
  void CheckBoxExclClick(bool first);

  void SetMode(Mode mode, int row);
  // Modify or delete: refused while the account cannot be edited, else its timer stops.
  bool PrepareExisting(Mode mode, int row, bool rowHasListedMessages);
  void ApplyModeTexts();
  void SetEditable(bool editable);
  void ClearFields();
  void FillFromAccount(int row);
  void SetAdvanced(bool shown);
  void UpdateEnabling();
  void UpdateDefaultButton();
  bool Refuse(const QString& title, const QString& text, QWidget* focus);

  std::unique_ptr<Ui::TForm2> ui_;
  AppCore& core_;
  Mode mode_ = Mode::Create;
  int tag_ = -1;
  QString rememberedLabel_;
  bool advancedHidden_ = true;
  bool filling_ = false;
};

}  // namespace mobrelle
