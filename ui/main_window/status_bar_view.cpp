#include "ui/main_window/status_bar_view.h"

#include "app/core/status_log.h"
#include "app/qt_text.h"

namespace mobrelle {

StatusBarView::StatusBarView(QStatusBar* bar, StatusLog& log)
    : QObject(bar), bar_(bar), log_(log), combo_(new QComboBox(bar)), panel1_(new QLabel(bar)), panel2_(new QLabel(bar)) {
  combo_->setObjectName("ComboBoxStatus");
  combo_->setEditable(false);
  combo_->setMaxVisibleItems(15);
  combo_->setFixedWidth(340);
  panel1_->setObjectName("StatusPanel1");
  panel2_->setObjectName("StatusPanel2");
  panel2_->setFixedWidth(50);
  bar_->addWidget(combo_);
  bar_->addWidget(panel1_, 1);
  bar_->addPermanentWidget(panel2_);
  log_.OnChange = [this](int index) { Refresh(index); };
  Refresh(0);
  Refresh(1);
}

void StatusBarView::Refresh(int index) {
  if (index == 0) {
    combo_->clear();
    for (const auto& item : log_.Events()) combo_->addItem(ToQt(item));
    combo_->setCurrentIndex(0);
    combo_->setVisible(true);
  } else if (index == 1) {
    const QString text = ToQt(log_.Panel(1));
    panel1_->setText(text);
    // A connection error reads "mailbox=>message".
    panel1_->setStyleSheet(text.contains("=>") ? "color: red;" : QString());
  } else {
    panel2_->setText(ToQt(log_.Panel(2)));
  }
}

}  // namespace mobrelle
