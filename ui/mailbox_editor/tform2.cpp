#include "ui/mailbox_editor/tform2.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QValidator>
#include <algorithm>
#include <climits>
#include <exception>

#include "app/app_core.h"
#include "app/core/cp1252.h"
#include "app/core/texts.h"
#include "app/qt_text.h"
#include "ui_TForm2.h"

namespace mobrelle {
namespace {

constexpr int kClientWidth = 395;
constexpr int kHeightSimple = 240;
constexpr int kHeightAdvanced = 547;

// The numbered texts of this window; the ones the table lacks fall back to their French wording.
constexpr int kTxtCreateCaption = 1039, kTxtCreate = 1040;
constexpr int kTxtModifyCaption = 1041, kTxtModify = 1042;
constexpr int kTxtDeleteCaption = 1043, kTxtDelete = 1044;
constexpr int kTxtMailboxError = 1076;  // "Mobrelle - Erreur"
constexpr int kTxtHelpPage = 1099;      // "parametrage.html"
constexpr int kTxtExists1 = 2003, kTxtExists2 = 2004;
constexpr int kTxtError = 2005;
constexpr int kTxtPasswordsDiffer = 2006;
constexpr int kTxtAllFields = 2007;
constexpr int kTxtNotNumeric = 2008;  // " doit être numérique"
constexpr int kTxtAdvancedShow = 2012, kTxtAdvancedHide = 2013;
constexpr int kTxtForDomain = 2014;
constexpr int kTxtNoDomain = 2016;
constexpr int kTxtNoRecipient = 2017;
constexpr int kTxtReservedLabel = 1112;

QString TextOr(int id, const char* frenchUtf8) {
  const QString text = QTxt(id);
  return text.isEmpty() ? QString::fromUtf8(frenchUtf8) : text;
}

// The label names a section of the configuration file: brackets would end it.
class LabelValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return input.contains('[') || input.contains(']') ? Invalid : Acceptable;
  }
};

// The domain and address fields hold lower case only. A comma separates the stored parts of the
// rule, so it cannot be part of one.
class LowerCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    if (input.contains(',')) return Invalid;
    input = input.toLower();
    return Acceptable;
  }
};

// A whole integer, as the interval must be; out of range counts as not numeric.
bool IsInteger(const QString& text, long long* value = nullptr) {
  static const QRegularExpression digits("^[+-]?[0-9]{1,11}$");
  if (!digits.match(text).hasMatch()) return false;
  bool ok = false;
  const long long v = text.toLongLong(&ok);
  if (!ok || v < INT_MIN || v > INT_MAX) return false;
  if (value) *value = v;
  return true;
}

}  // namespace

TForm2::TForm2(AppCore& core, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()), core_(core) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  ui_->EditLibelleBoite->setValidator(new LabelValidator(ui_->EditLibelleBoite));
  ui_->EditDomaine->setValidator(new LowerCaseValidator(ui_->EditDomaine));
  ui_->EditAdresseExcl->setValidator(new LowerCaseValidator(ui_->EditAdresseExcl));

  // The light yellow of the advanced part.
  QPalette yellow = ui_->GroupBox2->palette();
  yellow.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xC0));
  ui_->GroupBox2->setPalette(yellow);

  ui_->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
  ui_->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));

  // The examples beside the fields: smaller and grey, so they do not read as entered values.
  for (QLabel* example : {ui_->LabelExLibelle, ui_->LabelExServeur, ui_->LabelExIdentifiant}) {
    QFont font = example->font();
    if (font.pointSizeF() > 0) {
      font.setPointSizeF(font.pointSizeF() * 0.9);
      example->setFont(font);
    }
    QPalette p = example->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Disabled, QPalette::WindowText));
    example->setPalette(p);
  }
  for (QLineEdit* password : {ui_->Edit3, ui_->Edit4}) password->setStyleSheet("lineedit-password-character: 42;");
  // A long domain in their caption must not widen the dialog; the tooltip shows all of it.
  for (QRadioButton* rb : {ui_->RB1MemeDomaine, ui_->RB2MemeDomaine})
    rb->setSizePolicy(QSizePolicy::Ignored, rb->sizePolicy().verticalPolicy());

  ShowError = [this](const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.exec();
  };
  Beep = [] { QApplication::beep(); };

  connect(ui_->BtnOk, &QPushButton::clicked, this, &TForm2::BtnOkClick);
  connect(ui_->BtnCancel, &QPushButton::clicked, this, &TForm2::reject);
  connect(ui_->BtnAvance, &QPushButton::clicked, this, &TForm2::BtnAvanceClick);
  connect(ui_->BtnAide, &QPushButton::clicked, this, &TForm2::BtnAideClick);
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, &TForm2::BtnAideClick);
  connect(ui_->EditDomaine, &QLineEdit::textChanged, this, &TForm2::EditDomaineChange);
  connect(ui_->EditAdresseExcl, &QLineEdit::textChanged, this, &TForm2::EditAdresseExclChange);
  connect(ui_->BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
  connect(ui_->BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
  connect(ui_->ListBoxAdresseExcl, &QListWidget::itemSelectionChanged, this, &TForm2::ListBoxAdresseExclSelect);
  connect(ui_->CheckBoxExcl1, &QCheckBox::toggled, this, [this] { CheckBoxExclClick(true); });
  connect(ui_->CheckBoxExcl2, &QCheckBox::toggled, this, [this] { CheckBoxExclClick(false); });

  PrepareCreate();
}

TForm2::~TForm2() = default;

void TForm2::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) {
    // The design's texts in the new language; the mode's and the domain's texts set again.
    ui_->retranslateUi(this);
    ApplyModeTexts();
    ui_->BtnAvance->setText(QTxt(advancedHidden_ ? kTxtAdvancedShow : kTxtAdvancedHide));
    UpdateEnabling();
  }
}

void TForm2::SetMode(Mode mode, int row) {
  mode_ = mode;
  tag_ = row;
  const bool del = mode == Mode::Delete;
  ApplyModeTexts();
  SetEditable(!del);
  ui_->CheckBox1->setEnabled(mode == Mode::Create || (mode == Mode::Modify && core_.Settings.RecenseDemar));
  ui_->CheckBoxAPOP->setEnabled(!del);
  ui_->GroupBox2->setEnabled(!del);
}

void TForm2::ApplyModeTexts() {
  switch (mode_) {
    case Mode::Create:
      setWindowTitle(QTxt(kTxtCreateCaption));
      ui_->BtnOk->setText(TextOr(kTxtCreate, "Créer"));
      break;
    case Mode::Modify:
      setWindowTitle(QTxt(kTxtModifyCaption));
      ui_->BtnOk->setText(TextOr(kTxtModify, "Modifier"));
      break;
    case Mode::Delete:
      setWindowTitle(QTxt(kTxtDeleteCaption));
      ui_->BtnOk->setText(TextOr(kTxtDelete, "Supprimer"));
      break;
  }
}

void TForm2::SetEditable(bool editable) {
  for (QLineEdit* edit : {ui_->EditLibelleBoite, ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5,
                          ui_->EditDomaine, ui_->EditAdresseExcl}) {
    edit->setReadOnly(!editable);
    if (editable) {
      edit->setPalette(QPalette());
    } else {
      // Read-only fields take the colour of the window around them.
      QPalette p = edit->palette();
      p.setColor(QPalette::Base, palette().color(QPalette::Window));
      edit->setPalette(p);
    }
  }
}

void TForm2::ClearFields() {
  filling_ = true;
  for (QLineEdit* edit : {ui_->EditLibelleBoite, ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->EditDomaine,
                          ui_->EditAdresseExcl})
    edit->clear();
  ui_->Edit5->setText("300");
  ui_->CheckBox1->setChecked(true);
  ui_->CheckBoxAPOP->setChecked(false);
  ui_->ListBoxAdresseExcl->clear();
  ui_->ComboBoxTypeRej->setCurrentIndex(2);
  ui_->CheckBoxExcl1->setChecked(true);
  ui_->CheckBoxExcl2->setChecked(false);
  ui_->RB1MemeDomaine->setChecked(true);
  ui_->RB2MemeDomaine->setChecked(true);
  filling_ = false;
}

void TForm2::PrepareCreate() {
  SetMode(Mode::Create, -1);
  ClearFields();
  ui_->BitBtn2->setEnabled(false);
  UpdateEnabling();
  SetAdvanced(false);
  rememberedLabel_ = ui_->EditLibelleBoite->text();
}

bool TForm2::PrepareModify(int row, bool rowHasListedMessages) {
  return PrepareExisting(Mode::Modify, row, rowHasListedMessages);
}

bool TForm2::PrepareDelete(int row, bool rowHasListedMessages) {
  return PrepareExisting(Mode::Delete, row, rowHasListedMessages);
}

bool TForm2::PrepareExisting(Mode mode, int row, bool rowHasListedMessages) {
  if (row < 0 || row >= core_.Mailboxes.Count()) return false;
  std::string error;
  if (!core_.Mailboxes.CanEdit(row, rowHasListedMessages, &error)) {
    ShowError(QTxt(kTxtMailboxError), ToQt(error));
    return false;
  }
  core_.Mailboxes.StopTimer(row);
  SetMode(mode, row);
  FillFromAccount(row);
  return true;
}

void TForm2::FillFromAccount(int row) {
  const MailboxListModel& m = core_.Mailboxes;
  const structBoite& record = core_.Mailboxes.Record(row);
  ClearFields();
  filling_ = true;
  ui_->EditLibelleBoite->setText(ToQt(m.Caption(row)));
  ui_->Edit2->setText(ToQt(m.SubItemText(row, MailboxListModel::kUser)));
  ui_->Edit1->setText(ToQt(m.SubItemText(row, MailboxListModel::kServer)));
  ui_->Edit3->setText(ToQt(record.Pop3Mdp));
  ui_->Edit4->setText(ToQt(record.Pop3Mdp));
  ui_->Edit5->setText(ToQt(m.SubItemText(row, MailboxListModel::kInterval)));

  // The domain, then one authorised local part after each comma.
  const QStringList pieces = ToQt(m.SubItemText(row, MailboxListModel::kExclusive)).split(',');
  for (qsizetype i = 1; i < pieces.size(); ++i)
    if (!pieces[i].isEmpty()) ui_->ListBoxAdresseExcl->addItem(pieces[i]);
  const QString domain = pieces.value(0).toLower();

  const std::string& letter = m.SubItemText(row, MailboxListModel::kActionLetter);
  int action = letter.empty() ? 2 : MailboxListModel::ActionIndex(letter[0]);
  if (action < 0 || action > 2 || ui_->ListBoxAdresseExcl->count() == 0) action = 2;
  ui_->ComboBoxTypeRej->setCurrentIndex(action);

  long long options = 0;
  if (!IsInteger(ToQt(m.SubItemText(row, MailboxListModel::kOptions)), &options) || options == 0) options = 1;
  ui_->CheckBoxExcl1->setChecked(options & 1);
  (options & 2 ? ui_->RB1AutreDomaine : ui_->RB1MemeDomaine)->setChecked(true);
  ui_->CheckBoxExcl2->setChecked(options & 4);
  (options & 8 ? ui_->RB2AutreDomaine : ui_->RB2MemeDomaine)->setChecked(true);

  ui_->CheckBox1->setChecked(record.Pop3Demar);
  ui_->CheckBoxAPOP->setChecked(record.Pop3APOP);
  filling_ = false;

  ui_->EditDomaine->setText(domain);  // runs the domain rules
  UpdateEnabling();
  ui_->BitBtn2->setEnabled(false);
  SetAdvanced(!ui_->EditDomaine->text().isEmpty());
  rememberedLabel_ = ui_->EditLibelleBoite->text();
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred on the desktop: the main window may be hidden in the tray.
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  rememberedLabel_ = ui_->EditLibelleBoite->text();
  ui_->EditLibelleBoite->setFocus();
}

void TForm2::done(int result) {
  // Leaving without OK: the account is polled again.
  if (result != QDialog::Accepted && mode_ != Mode::Create && tag_ >= 0 && tag_ < core_.Mailboxes.Count())
    core_.Mailboxes.StartTimer(tag_);
  QDialog::done(result);
}

void TForm2::SetAdvanced(bool shown) {
  advancedHidden_ = !shown;
  ui_->GroupBox2->setVisible(shown);
  ui_->BtnAvance->setText(QTxt(shown ? kTxtAdvancedHide : kTxtAdvancedShow));
  // The designed size, or more when the fonts need it: no text is cut.
  layout()->activate();
  const QSize needed = minimumSizeHint();
  setFixedSize(std::max(kClientWidth, needed.width()),
               std::max(shown ? kHeightAdvanced : kHeightSimple, needed.height()));
}

void TForm2::BtnAvanceClick() { SetAdvanced(advancedHidden_); }

void TForm2::BtnAideClick() {
  if (OpenHelp) OpenHelp(QTxt(kTxtHelpPage), "#comment_inscrire");
}

void TForm2::UpdateEnabling() {
  const QString domain = ui_->EditDomaine->text();
  const bool hasDomain = !domain.isEmpty();
  ui_->EditAdresseExcl->setEnabled(hasDomain);
  ui_->BitBtn1->setEnabled(hasDomain && !ui_->EditAdresseExcl->text().isEmpty());
  const bool options = hasDomain && ui_->ListBoxAdresseExcl->count() > 0;
  ui_->ComboBoxTypeRej->setEnabled(options);
  ui_->Panel2->setEnabled(options);
  ui_->Panel3->setEnabled(options);
  for (QRadioButton* rb : {ui_->RB1MemeDomaine, ui_->RB2MemeDomaine}) {
    rb->setText(QTxt(kTxtForDomain) + domain);
    rb->setToolTip(rb->text());
  }
  UpdateDefaultButton();
}

void TForm2::UpdateDefaultButton() {
  // While an address waits to be added, Enter adds it.
  QPushButton* def = ui_->BitBtn1->isEnabled() ? ui_->BitBtn1
                     : mode_ == Mode::Delete    ? ui_->BtnCancel
                                                : ui_->BtnOk;
  for (QPushButton* b : {ui_->BitBtn1, ui_->BtnOk, ui_->BtnCancel})
    if (b != def) b->setDefault(false);
  def->setDefault(true);
}

void TForm2::EditDomaineChange() {
  const QString text = ui_->EditDomaine->text();
  const qsizetype at = text.indexOf('@');
  if (at >= 0) {
    ui_->EditDomaine->setText(text.mid(at + 1));  // the change it makes applies the rules
    return;
  }
  UpdateEnabling();
}

void TForm2::EditAdresseExclChange() { UpdateEnabling(); }

void TForm2::BitBtn1Click() {
  ui_->EditAdresseExcl->setFocus();
  const QString text = ui_->EditAdresseExcl->text();
  const QString local = text.left(text.indexOf('@') < 0 ? text.size() : text.indexOf('@'));
  ui_->EditAdresseExcl->setText(local);
  if (local.isEmpty()) return;
  if (!ui_->ListBoxAdresseExcl->findItems(local, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
    if (Beep) Beep();
    return;
  }
  ui_->ListBoxAdresseExcl->addItem(local);
  ui_->EditAdresseExcl->clear();
  UpdateEnabling();
}

void TForm2::BitBtn2Click() {
  QListWidget* list = ui_->ListBoxAdresseExcl;
  int first = -1;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) {
      first = i;
      break;
    }
  if (first < 0) return;
  std::unique_ptr<QListWidgetItem> item(list->takeItem(first));
  ui_->EditAdresseExcl->setText(item->text());
  list->clearSelection();
  ui_->BitBtn2->setEnabled(false);
  UpdateEnabling();
  ui_->EditAdresseExcl->setFocus();
}

void TForm2::ListBoxAdresseExclSelect() {
  ui_->BitBtn2->setEnabled(!ui_->ListBoxAdresseExcl->selectedItems().isEmpty());
}

void TForm2::CheckBoxExclClick(bool first) {
  if (filling_) return;
  QCheckBox* self = first ? ui_->CheckBoxExcl1 : ui_->CheckBoxExcl2;
  QCheckBox* other = first ? ui_->CheckBoxExcl2 : ui_->CheckBoxExcl1;
  // One of the two rules always stays on.
  if (!self->isChecked() && !other->isChecked()) other->setChecked(true);
}

bool TForm2::Refuse(const QString& title, const QString& text, QWidget* focus) {
  if (focus && ui_->GroupBox2->isAncestorOf(focus) && advancedHidden_) SetAdvanced(true);
  ShowError(title, text);
  if (focus) focus->setFocus();
  return false;
}

void TForm2::BtnOkClick() {
  MailboxListModel& mailboxes = core_.Mailboxes;
  const QString error = QTxt(kTxtError), mailboxError = QTxt(kTxtMailboxError);

  if (mode_ == Mode::Delete) {
    std::string why;
    bool ok = false;
    try {
      ok = mailboxes.Delete(tag_, &why);
    } catch (const std::exception& e) {
      why = e.what();
    }
    if (!ok) {
      Refuse(mailboxError, ToQt(why), nullptr);
      return;
    }
    tag_ = -1;
    if (OnMailboxCountChanged) OnMailboxCountChanged();
    accept();
    return;
  }

  QLineEdit* labelEdit = ui_->EditLibelleBoite;
  const QString label = labelEdit->text();
  if (label != rememberedLabel_) {
    const std::string name = FromQt(label);
    for (int i = 0; i < mailboxes.Count(); ++i)
      if (SameText(name, mailboxes.Caption(i))) {
        labelEdit->setText(rememberedLabel_);
        Refuse(error, TextOr(kTxtExists1, "Une boîte du nom de '") + label + TextOr(kTxtExists2, "' existe déjà"),
               labelEdit);
        labelEdit->selectAll();
        return;
      }
    // The settings and the wildcards have sections of these names.
    if (MailboxListModel::IsReservedLabel(name)) {
      Refuse(error, QTxt(kTxtReservedLabel), labelEdit);
      labelEdit->selectAll();
      return;
    }
  }
  // The configuration file drops the spaces around a section name when it reads it back: such a
  // label would come back as another name, possibly an existing account's.
  if (!label.isEmpty() && (label.front().isSpace() || label.back().isSpace())) {
    Refuse(error, QString::fromUtf8("Le libellé ne doit ni commencer ni finir par un espace"), labelEdit);
    return;
  }
  if (ui_->Edit3->text() != ui_->Edit4->text()) {
    Refuse(error, QTxt(kTxtPasswordsDiffer), ui_->Edit3);
    return;
  }
  for (QLineEdit* edit : {labelEdit, ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5})
    if (edit->text().isEmpty()) {
      Refuse(error, QTxt(kTxtAllFields), edit);
      return;
    }
  if (!IsInteger(ui_->Edit5->text())) {
    Refuse(error, QString::fromUtf8("Le champ \"Intervalle\"") + QTxt(kTxtNotNumeric), ui_->Edit5);
    return;
  }
  const bool hasDomain = !ui_->EditDomaine->text().isEmpty();
  const bool hasList = ui_->ListBoxAdresseExcl->count() > 0;
  if (hasDomain && !hasList) {
    Refuse(mailboxError, QTxt(kTxtNoRecipient), ui_->EditAdresseExcl);
    return;
  }
  if (!hasDomain && hasList) {
    Refuse(mailboxError, QTxt(kTxtNoDomain), ui_->EditDomaine);
    return;
  }

  MailboxFields f;
  f.Label = FromQt(label);
  f.Host = FromQt(ui_->Edit1->text());
  f.UserName = FromQt(ui_->Edit2->text());
  f.Password = FromQt(ui_->Edit3->text());
  f.IntervalText = FromQt(ui_->Edit5->text());
  f.Domain = FromQt(ui_->EditDomaine->text());
  for (int i = 0; i < ui_->ListBoxAdresseExcl->count(); ++i)
    f.LocalParts.push_back(FromQt(ui_->ListBoxAdresseExcl->item(i)->text()));
  f.TypeRejet = std::clamp(ui_->ComboBoxTypeRej->currentIndex(), 0, 2);
  f.Rule1 = ui_->CheckBoxExcl1->isChecked();
  f.Rule1AnyDomain = ui_->RB1AutreDomaine->isChecked();
  f.Rule2 = ui_->CheckBoxExcl2->isChecked();
  f.Rule2AnyDomain = ui_->RB2AutreDomaine->isChecked();
  f.Pop3Demar = ui_->CheckBox1->isChecked();
  f.Pop3APOP = ui_->CheckBoxAPOP->isChecked();

  std::string why;
  bool ok = false;
  try {
    ok = mode_ == Mode::Modify ? mailboxes.Modify(tag_, f, &why) : mailboxes.Create(f, &why);
  } catch (const std::exception& e) {
    why = e.what();  // the configuration file could not be written
  }
  if (!ok) {
    Refuse(mailboxError, ToQt(why), labelEdit);
    return;
  }
  if (OnMailboxCountChanged) OnMailboxCountChanged();
  accept();
}

}  // namespace mobrelle
