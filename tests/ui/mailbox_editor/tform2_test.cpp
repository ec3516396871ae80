#include "ui/mailbox_editor/tform2.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>

#include "app/app_core.h"
#include "app/core/texts.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Two accounts: "Maison" without exclusive recipients and options 0, "Bureau" with a rule and an
// action that is not one of "Rdg".
constexpr char kIni[] =
    "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n"
    "[Maison]\r\nPop3ID=alice\r\nPop3Mail=pop.maison.test\r\nIntervalle=300\r\nTypeRejet=0\r\nNatureRejet=0\r\n"
    "Pop3APOP=1\r\n"
    "[Bureau]\r\nPop3ID=bob\r\nPop3Mail=pop.bureau.test\r\nIntervalle=600\r\nDestUnique=bureau.test,jean,paul\r\n"
    "TypeRejet=7\r\nNatureRejet=13\r\nPop3Demar=0\r\n";

class TForm2Test : public ::testing::Test {
 public:
  void SetUp() override {
    WriteFileBytes(dir.File("Mobrelle.ini"), kIni);
    core = std::make_unique<AppCore>(dir.File("Mobrelle.ini"));
    core->Mailboxes.LoadAll({"Maison", "Bureau"});
    form = std::make_unique<TForm2>(*core);
    form->ShowError = [this](const QString& title, const QString& text) { errors.push_back(title + " | " + text); };
    form->Beep = [this] { ++beeps; };
    form->OnMailboxCountChanged = [this] { ++countChanges; };
  }

  template <typename T = QWidget>
  T* W(const char* name) {
    T* w = form->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* E(const char* name) { return W<QLineEdit>(name); }
  QPushButton* B(const char* name) { return W<QPushButton>(name); }
  QCheckBox* C(const char* name) { return W<QCheckBox>(name); }
  QListWidget* List() { return W<QListWidget>("ListBoxAdresseExcl"); }

  void Show() {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void Type(const char* field, const QString& text) {
    QLineEdit* e = E(field);
    e->setFocus();
    e->selectAll();
    if (text.isEmpty())
      QTest::keyClick(e, Qt::Key_Delete);
    else
      QTest::keyClicks(e, text);
  }
  // A create that passes every check, before one field is spoilt.
  void FillValidCreate() {
    form->PrepareCreate();
    Show();
    Type("EditLibelleBoite", "Vacances");
    Type("Edit1", "pop.vacances.test");
    Type("Edit2", "carole");
    Type("Edit3", "secret");
    Type("Edit4", "secret");
  }
  // A click on the box itself, where the user clicks.
  void Tick(const char* name) {
    QAbstractButton* box = W<QAbstractButton>(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }
  // The visible texts that do not get the width they need.
  QStringList CutTexts() {
    QStringList cut;
    for (QWidget* w : form->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(form.get()) || w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) continue;
      if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QGroupBox*>(w)) continue;
      if (w->width() < w->minimumSizeHint().width()) cut << w->objectName();
    }
    return cut;
  }
  void AddAddress(const QString& text) {
    Type("EditAdresseExcl", text);
    QTest::mouseClick(B("BitBtn1"), Qt::LeftButton);
  }
  QString Focused() { return form->focusWidget() ? form->focusWidget()->objectName() : QString(); }
  std::string Ini() { return ReadFileBytes(dir.File("Mobrelle.ini")); }
  std::string Key(const std::string& section, const std::string& key) {
    return core->Ini.ReadString(section, key, "<none>");
  }

  TempDir dir;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<TForm2> form;
  QStringList errors;
  int beeps = 0;
  int countChanges = 0;
};

TEST_F(TForm2Test, CreateWritesTheAccountWithItsExclusiveRecipients) {
  FillValidCreate();
  EXPECT_EQ(form->windowTitle(), U("Mobrelle - Créer une boîte"));
  EXPECT_EQ(B("BtnOk")->text(), U("Créer"));
  EXPECT_TRUE(B("BtnOk")->isDefault());
  Type("Edit5", "120");
  Tick("CheckBoxAPOP");
  QTest::mouseClick(B("BtnAvance"), Qt::LeftButton);
  Type("EditDomaine", "vacances.test");
  AddAddress("carole@vacances.test");
  // While an address waits, Enter adds it.
  Type("EditAdresseExcl", "marc");
  EXPECT_TRUE(B("BitBtn1")->isDefault());
  QTest::keyClick(E("EditAdresseExcl"), Qt::Key_Return);
  ASSERT_EQ(List()->count(), 2);
  EXPECT_TRUE(B("BtnOk")->isDefault());
  W<QComboBox>("ComboBoxTypeRej")->setCurrentIndex(1);
  Tick("CheckBoxExcl2");
  Tick("RB2AutreDomaine");

  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(countChanges, 1);
  ASSERT_EQ(core->Mailboxes.Count(), 3);
  EXPECT_EQ(core->Mailboxes.Caption(2), "Vacances");
  EXPECT_EQ(Key("Vacances", "Pop3ID"), "carole");
  EXPECT_EQ(Key("Vacances", "Pop3Mail"), "pop.vacances.test");
  EXPECT_EQ(Key("Vacances", "Intervalle"), "120");
  EXPECT_EQ(Key("Vacances", "DestUnique"), "vacances.test,carole,marc");
  EXPECT_EQ(Key("Vacances", "TypeRejet"), "1");
  EXPECT_EQ(Key("Vacances", "NatureRejet"), "13");  // 1 + 4 + 8
  EXPECT_EQ(Key("Vacances", "Pop3APOP"), "1");
  EXPECT_EQ(core->Mailboxes.Record(2).Pop3Mdp, "secret");
  EXPECT_TRUE(core->Mailboxes.Record(2).Timer->isActive());
}

struct Refusal {
  const char* name;
  std::function<void(TForm2Test&)> spoil;
  QString message;  // "title | text"
  QString focus;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class TForm2RefusalTest : public TForm2Test, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TForm2RefusalTest, RefusesKeepsTheDialogOpenAndWritesNothing) {
  FillValidCreate();
  GetParam().spoil(*this);
  const std::string before = Ini();
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_EQ(errors, QStringList{GetParam().message});
  EXPECT_EQ(Focused(), GetParam().focus);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Ini(), before);
  EXPECT_EQ(core->Mailboxes.Count(), 2);
  EXPECT_EQ(countChanges, 0);
}

const QString kError = "Erreur | ";
const QString kMailboxError = "Mobrelle - Erreur | ";

INSTANTIATE_TEST_SUITE_P(
    OkChecks, TForm2RefusalTest,
    ::testing::Values(
        Refusal{"DuplicateLabelAnyCase", [](TForm2Test& t) { t.Type("EditLibelleBoite", "mAISON"); },
                kError + U("Une boîte du nom de 'mAISON' existe déjà"), "EditLibelleBoite"},
        Refusal{"ReservedSettingsLabel", [](TForm2Test& t) { t.Type("EditLibelleBoite", "mobrelle"); },
                kError + U("Ce nom est réservé aux réglages de Mobrelle : choisissez-en un autre"),
                "EditLibelleBoite"},
        Refusal{"ReservedJokersLabel", [](TForm2Test& t) { t.Type("EditLibelleBoite", "JOKERPERSO"); },
                kError + U("Ce nom est réservé aux réglages de Mobrelle : choisissez-en un autre"),
                "EditLibelleBoite"},
        Refusal{"LabelWithEdgeSpaces", [](TForm2Test& t) { t.Type("EditLibelleBoite", " Vacances"); },
                kError + U("Le libellé ne doit ni commencer ni finir par un espace"), "EditLibelleBoite"},
        Refusal{"PasswordsDiffer", [](TForm2Test& t) { t.Type("Edit4", "secrets"); },
                kError + U("Les 2 mots de passe doivent être identiques"), "Edit3"},
        Refusal{"EmptyServer", [](TForm2Test& t) { t.Type("Edit1", ""); },
                kError + U("Tous les champs doivent être remplis"), "Edit1"},
        Refusal{"EmptyPasswords",
                [](TForm2Test& t) {
                  t.Type("Edit3", "");
                  t.Type("Edit4", "");
                },
                kError + U("Tous les champs doivent être remplis"), "Edit3"},
        Refusal{"EmptyInterval", [](TForm2Test& t) { t.Type("Edit5", ""); },
                kError + U("Tous les champs doivent être remplis"), "Edit5"},
        Refusal{"IntervalWithLetters", [](TForm2Test& t) { t.Type("Edit5", "3OO"); },
                kError + U("Le champ \"Intervalle\" doit être numérique"), "Edit5"},
        Refusal{"IntervalTooLarge", [](TForm2Test& t) { t.Type("Edit5", "99999999999"); },
                kError + U("Le champ \"Intervalle\" doit être numérique"), "Edit5"},
        Refusal{"DomainWithoutRecipient",
                [](TForm2Test& t) {
                  QTest::mouseClick(t.B("BtnAvance"), Qt::LeftButton);
                  t.Type("EditDomaine", "vacances.test");
                  // The advanced part hidden again: the refusal shows it to reach the field.
                  QTest::mouseClick(t.B("BtnAvance"), Qt::LeftButton);
                },
                kMailboxError + U("Il faut spécifier au moins une adresse de destinataire"), "EditAdresseExcl"},
        Refusal{"RecipientsWithoutDomain",
                [](TForm2Test& t) {
                  QTest::mouseClick(t.B("BtnAvance"), Qt::LeftButton);
                  t.Type("EditDomaine", "vacances.test");
                  t.AddAddress("carole");
                  t.Type("EditDomaine", "");
                },
                kMailboxError + U("Le domaine n'est pas spécifié alors qu'il y a des destinataires"),
                "EditDomaine"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(TForm2Test, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
  // The configuration file's folder is gone: the create must not pass for done.
  AppCore lost(dir.File("gone/Mobrelle.ini"));
  TForm2 editor(lost);
  QStringList shown;
  editor.ShowError = [&](const QString& title, const QString& text) { shown << title + " | " + text; };
  int changes = 0;
  editor.OnMailboxCountChanged = [&] { ++changes; };
  editor.PrepareCreate();
  editor.show();
  for (auto [name, text] : {std::pair{"EditLibelleBoite", "Vacances"}, {"Edit1", "h"}, {"Edit2", "u"},
                            {"Edit3", "p"}, {"Edit4", "p"}})
    editor.findChild<QLineEdit*>(name)->setText(text);
  QTest::mouseClick(editor.findChild<QPushButton*>("BtnOk"), Qt::LeftButton);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith(kMailboxError + U("Impossible d'écrire"))) << shown[0].toStdString();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(lost.Mailboxes.Count(), 0);
}

TEST_F(TForm2Test, DuplicateRefusalRestoresTheRememberedLabelSelected) {
  ASSERT_TRUE(form->PrepareModify(1, false));
  Show();
  Type("EditLibelleBoite", "bureau");  // only the case changed: its own row matches
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_EQ(errors, QStringList{kError + U("Une boîte du nom de 'bureau' existe déjà")});
  EXPECT_EQ(E("EditLibelleBoite")->text(), QString("Bureau"));
  EXPECT_EQ(E("EditLibelleBoite")->selectedText(), QString("Bureau"));
}

TEST_F(TForm2Test, TextsAreTakenAsTyped) {
  // No check of the server's form, any integer as interval (0: never polled).
  FillValidCreate();
  Type("EditLibelleBoite", "ma maison");
  Type("Edit1", "pas un serveur");
  Type("Edit5", "0");
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  ASSERT_EQ(core->Mailboxes.Count(), 3);
  EXPECT_EQ(core->Mailboxes.Caption(2), "ma maison");
  EXPECT_FALSE(core->Mailboxes.Record(2).Timer->isActive());

  form->PrepareCreate();
  Type("EditLibelleBoite", "Negatif");
  Type("Edit1", "h");
  Type("Edit2", "u");
  Type("Edit3", "p");
  Type("Edit4", "p");
  Type("Edit5", "-30");
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(Key("Negatif", "Intervalle"), "-30");
}

TEST_F(TForm2Test, ModifyFillsFromTheAccountAndMendsCorruptValues) {
  ASSERT_TRUE(form->PrepareModify(1, false));
  EXPECT_EQ(form->windowTitle(), U("Mobrelle - Modifier une boîte"));
  EXPECT_EQ(B("BtnOk")->text(), QString("Modifier"));
  EXPECT_EQ(form->EditedRow(), 1);
  EXPECT_EQ(E("EditLibelleBoite")->text(), QString("Bureau"));
  EXPECT_EQ(E("Edit1")->text(), QString("pop.bureau.test"));
  EXPECT_EQ(E("Edit2")->text(), QString("bob"));
  EXPECT_EQ(E("Edit5")->text(), QString("600"));
  EXPECT_EQ(E("EditDomaine")->text(), QString("bureau.test"));
  ASSERT_EQ(List()->count(), 2);
  EXPECT_EQ(List()->item(1)->text(), QString("paul"));
  EXPECT_EQ(W<QComboBox>("ComboBoxTypeRej")->currentIndex(), 2);  // letter not in "Rdg"
  EXPECT_TRUE(C("CheckBoxExcl1")->isChecked());                   // 13 = 1 + 4 + 8
  EXPECT_TRUE(W<QRadioButton>("RB1MemeDomaine")->isChecked());
  EXPECT_TRUE(C("CheckBoxExcl2")->isChecked());
  EXPECT_TRUE(W<QRadioButton>("RB2AutreDomaine")->isChecked());
  EXPECT_EQ(W<QRadioButton>("RB1MemeDomaine")->text(), QString("Pour le domaine @bureau.test"));
  EXPECT_FALSE(C("CheckBox1")->isChecked());
  EXPECT_TRUE(form->AdvancedShown());
  EXPECT_GE(form->height(), 547);
  EXPECT_TRUE(W("ComboBoxTypeRej")->isEnabled());
  EXPECT_FALSE(B("BitBtn2")->isEnabled());

  // No rule: advanced part hidden, action 2 whatever is stored, options 1 for a stored 0.
  ASSERT_TRUE(form->PrepareModify(0, false));
  EXPECT_EQ(E("EditDomaine")->text(), QString());
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(W<QComboBox>("ComboBoxTypeRej")->currentIndex(), 2);
  EXPECT_TRUE(C("CheckBoxExcl1")->isChecked());
  EXPECT_FALSE(C("CheckBoxExcl2")->isChecked());
  EXPECT_TRUE(C("CheckBoxAPOP")->isChecked());
  EXPECT_FALSE(form->AdvancedShown());
  EXPECT_GE(form->height(), 240);
  EXPECT_LT(form->height(), 547);
  EXPECT_FALSE(W("ComboBoxTypeRej")->isEnabled());
  EXPECT_FALSE(W("Panel2")->isEnabled());
}

TEST_F(TForm2Test, ModifyKeepingTheLabelWritesTheSection) {
  ASSERT_TRUE(form->PrepareModify(0, false));
  Show();
  EXPECT_FALSE(core->Mailboxes.Record(0).Timer->isActive());
  Type("Edit2", "alice2");
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(Key("Maison", "Pop3ID"), "alice2");
  EXPECT_TRUE(core->Mailboxes.Record(0).Timer->isActive());

  // A new label renames the section.
  ASSERT_TRUE(form->PrepareModify(0, false));
  Show();
  Type("EditLibelleBoite", "Domicile");
  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_FALSE(core->Ini.SectionExists("Maison"));
  EXPECT_EQ(Key("Domicile", "Pop3ID"), "alice2");
}

TEST_F(TForm2Test, ALanguageChangeKeepsTheModeAndTheTypedFields) {
  ASSERT_TRUE(form->PrepareModify(1, false));
  Show();
  Type("Edit5", "45");
  QEvent change(QEvent::LanguageChange);
  QApplication::sendEvent(form.get(), &change);
  EXPECT_EQ(form->windowTitle(), U("Mobrelle - Modifier une boîte"));
  EXPECT_EQ(B("BtnOk")->text(), QString("Modifier"));
  EXPECT_EQ(B("BtnAvance")->text(), U("Avancé <<"));
  EXPECT_EQ(E("Edit5")->text(), QString("45"));
  EXPECT_EQ(W<QRadioButton>("RB2MemeDomaine")->text(), QString("Pour le domaine @bureau.test"));
  EXPECT_EQ(W<QComboBox>("ComboBoxTypeRej")->currentIndex(), 2);
}

TEST_F(TForm2Test, StartupCheckBoxFollowsTheCensusSettingInModifyOnly) {
  core->Settings.RecenseDemar = false;
  ASSERT_TRUE(form->PrepareModify(0, false));
  EXPECT_FALSE(C("CheckBox1")->isEnabled());
  EXPECT_FALSE(C("CheckBox1")->isHidden());
  form->reject();
  form->PrepareCreate();
  EXPECT_TRUE(C("CheckBox1")->isEnabled());
  core->Settings.RecenseDemar = true;
  ASSERT_TRUE(form->PrepareModify(0, false));
  EXPECT_TRUE(C("CheckBox1")->isEnabled());
}

TEST_F(TForm2Test, DeleteIsReadOnlyDefaultsToCancelAndDeletesWithoutQuestion) {
  ASSERT_TRUE(form->PrepareDelete(1, false));
  Show();
  EXPECT_EQ(form->windowTitle(), U("Mobrelle - Supprimer une boîte"));
  EXPECT_EQ(B("BtnOk")->text(), QString("Supprimer"));
  EXPECT_TRUE(B("BtnCancel")->isDefault());
  EXPECT_FALSE(B("BtnOk")->isDefault());
  for (const char* name : {"EditLibelleBoite", "Edit1", "Edit2", "Edit3", "Edit4", "Edit5"})
    EXPECT_TRUE(E(name)->isReadOnly()) << name;
  EXPECT_FALSE(C("CheckBox1")->isEnabled());
  EXPECT_FALSE(C("CheckBoxAPOP")->isEnabled());
  EXPECT_FALSE(W("GroupBox2")->isEnabled());
  EXPECT_FALSE(W("ComboBoxTypeRej")->isEnabled());
  QTest::mouseClick(C("CheckBox1"), Qt::LeftButton);
  EXPECT_FALSE(C("CheckBox1")->isChecked());
  QTest::keyClicks(E("Edit1"), "x");
  EXPECT_EQ(E("Edit1")->text(), QString("pop.bureau.test"));

  QTest::mouseClick(B("BtnOk"), Qt::LeftButton);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(countChanges, 1);
  EXPECT_EQ(core->Mailboxes.Count(), 1);
  EXPECT_FALSE(core->Ini.SectionExists("Bureau"));
  EXPECT_TRUE(core->Ini.SectionExists("Maison"));

  // The next create opens editable again.
  form->PrepareCreate();
  EXPECT_FALSE(E("Edit1")->isReadOnly());
  EXPECT_TRUE(W("GroupBox2")->isEnabled());
  EXPECT_TRUE(B("BtnOk")->isDefault());
}

TEST_F(TForm2Test, LeavingWithoutOkRestartsTheTimer) {
  const std::vector<std::pair<const char*, std::function<void(TForm2&)>>> ways = {
      {"Cancel", [this](TForm2&) { QTest::mouseClick(B("BtnCancel"), Qt::LeftButton); }},
      {"Esc", [](TForm2& f) { QTest::keyClick(&f, Qt::Key_Escape); }},
      {"CloseBox", [](TForm2& f) { f.close(); }}};
  for (const auto& [name, leave] : ways)
    for (bool del : {false, true}) {
      SCOPED_TRACE(std::string(name) + (del ? " delete" : " modify"));
      const std::string before = Ini();
      ASSERT_TRUE(del ? form->PrepareDelete(1, false) : form->PrepareModify(1, false));
      Show();
      EXPECT_FALSE(core->Mailboxes.Record(1).Timer->isActive());
      leave(*form);
      EXPECT_FALSE(form->isVisible());
      EXPECT_EQ(form->result(), QDialog::Rejected);
      EXPECT_TRUE(core->Mailboxes.Record(1).Timer->isActive());
      EXPECT_EQ(Ini(), before);
    }
}

TEST_F(TForm2Test, AccountWithListedMessagesCannotBeEdited) {
  EXPECT_FALSE(form->PrepareModify(0, true));
  EXPECT_FALSE(form->PrepareDelete(0, true));
  EXPECT_EQ(errors, QStringList(2, kMailboxError + U("Opération impossible car des messages existent pour cette boîte")));
  EXPECT_TRUE(core->Mailboxes.Record(0).Timer->isActive());
}

TEST_F(TForm2Test, DomainAndAddressFieldRules) {
  form->PrepareCreate();
  Show();
  QTest::mouseClick(B("BtnAvance"), Qt::LeftButton);
  EXPECT_FALSE(E("EditAdresseExcl")->isEnabled());
  EXPECT_FALSE(W("ComboBoxTypeRej")->isEnabled());

  // A whole address in the domain field leaves its domain, in lower case; no comma gets in.
  Type("EditDomaine", "Jean.Dupont@Exemple.FR");
  EXPECT_EQ(E("EditDomaine")->text(), QString("exemple.fr"));
  QTest::keyClicks(E("EditDomaine"), ",x");
  EXPECT_EQ(E("EditDomaine")->text(), QString("exemple.frx"));
  Type("EditDomaine", "exemple.fr");
  EXPECT_EQ(W<QRadioButton>("RB2MemeDomaine")->text(), QString("Pour le domaine @exemple.fr"));
  EXPECT_TRUE(E("EditAdresseExcl")->isEnabled());
  EXPECT_FALSE(B("BitBtn1")->isEnabled());

  // A whole address in the address field adds its local part; the field keeps the focus.
  AddAddress("Paul@ailleurs.fr");
  ASSERT_EQ(List()->count(), 1);
  EXPECT_EQ(List()->item(0)->text(), QString("paul"));
  EXPECT_EQ(E("EditAdresseExcl")->text(), QString());
  EXPECT_EQ(Focused(), QString("EditAdresseExcl"));
  EXPECT_TRUE(W("ComboBoxTypeRej")->isEnabled());
  EXPECT_TRUE(W("Panel2")->isEnabled());
  EXPECT_TRUE(W("Panel3")->isEnabled());

  // Twice the same: a beep, the list unchanged. Only "@...": nothing.
  AddAddress("paul");
  EXPECT_EQ(beeps, 1);
  AddAddress("@exemple.fr");
  EXPECT_EQ(List()->count(), 1);

  // Removing the last entry puts it back in the field and disables the options again.
  EXPECT_FALSE(B("BitBtn2")->isEnabled());
  List()->item(0)->setSelected(true);
  EXPECT_TRUE(B("BitBtn2")->isEnabled());
  QTest::mouseClick(B("BitBtn2"), Qt::LeftButton);
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(E("EditAdresseExcl")->text(), QString("paul"));
  EXPECT_FALSE(B("BitBtn2")->isEnabled());
  EXPECT_FALSE(W("ComboBoxTypeRej")->isEnabled());
  EXPECT_FALSE(W("Panel2")->isEnabled());

  // Emptying the domain disables the address field and its button.
  Type("EditDomaine", "");
  EXPECT_FALSE(E("EditAdresseExcl")->isEnabled());
  EXPECT_FALSE(B("BitBtn1")->isEnabled());
  EXPECT_TRUE(B("BtnOk")->isDefault());
}

TEST_F(TForm2Test, LabelFieldRefusesBrackets) {
  form->PrepareCreate();
  Show();
  Type("EditLibelleBoite", "[Boite]");
  EXPECT_EQ(E("EditLibelleBoite")->text(), QString("Boite"));
}

TEST_F(TForm2Test, TheTwoRuleBoxesAreNeverBothUnticked) {
  form->PrepareCreate();
  Show();
  QTest::mouseClick(B("BtnAvance"), Qt::LeftButton);
  Type("EditDomaine", "exemple.fr");
  AddAddress("jean");
  QCheckBox* one = C("CheckBoxExcl1");
  QCheckBox* two = C("CheckBoxExcl2");
  ASSERT_TRUE(one->isChecked());
  ASSERT_FALSE(two->isChecked());
  QTest::mouseClick(one, Qt::LeftButton);
  EXPECT_FALSE(one->isChecked());
  EXPECT_TRUE(two->isChecked());
  QTest::mouseClick(two, Qt::LeftButton);
  EXPECT_FALSE(two->isChecked());
  EXPECT_TRUE(one->isChecked());
  QTest::mouseClick(two, Qt::LeftButton);  // both ticked is fine
  EXPECT_TRUE(one->isChecked() && two->isChecked());
}

TEST_F(TForm2Test, AdvancedButtonTogglesThePartAndNoTextIsCut) {
  // The designed 395 x 240 and 547, or larger when the fonts need more room.
  ASSERT_TRUE(form->PrepareModify(1, false));
  Show();
  EXPECT_TRUE(W("GroupBox2")->isVisible());
  EXPECT_GE(form->width(), 395);
  EXPECT_GE(form->height(), 547);
  EXPECT_EQ(CutTexts(), QStringList());
  form->reject();

  form->PrepareCreate();
  Show();
  const QSize hidden = form->size();
  EXPECT_GE(hidden.width(), 395);
  EXPECT_GE(hidden.height(), 240);
  EXPECT_EQ(B("BtnAvance")->text(), U("Avancé >>"));
  EXPECT_FALSE(W("GroupBox2")->isVisible());
  EXPECT_EQ(CutTexts(), QStringList());
  QTest::mouseClick(B("BtnAvance"), Qt::LeftButton);
  EXPECT_GE(form->height(), 547);
  EXPECT_EQ(form->width(), hidden.width());
  EXPECT_EQ(B("BtnAvance")->text(), U("Avancé <<"));
  EXPECT_TRUE(W("GroupBox2")->isVisible());
  EXPECT_EQ(CutTexts(), QStringList());
  QTest::mouseClick(B("BtnAvance"), Qt::LeftButton);
  EXPECT_EQ(form->size(), hidden);
  EXPECT_EQ(B("BtnAvance")->text(), U("Avancé >>"));
}

TEST_F(TForm2Test, HelpOpensTheSettingsPageFromTheButtonAndF1) {
  QStringList opened;
  form->OpenHelp = [&](const QString& page, const QString& anchor) { opened << page + anchor; };
  form->PrepareCreate();
  Show();
  QTest::mouseClick(B("BtnAide"), Qt::LeftButton);
  QTest::keyClick(E("EditLibelleBoite"), Qt::Key_F1);
  EXPECT_EQ(opened, QStringList(2, "parametrage.html#comment_inscrire"));
  form->OpenHelp = nullptr;
  QTest::mouseClick(B("BtnAide"), Qt::LeftButton);  // nothing to open yet: nothing happens
}

}  // namespace
}  // namespace mobrelle
