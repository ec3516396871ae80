#include "ui/main_window/status_bar_view.h"

#include <gtest/gtest.h>

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QStyleOptionViewItem>
#include <QTest>
#include <cstdlib>
#include <string>

#include "app/core/status_log.h"
#include "app/qt_text.h"
#include "tests/ui/status_bar/pixel_counts.h"

namespace mobrelle {
namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kNone;

QString Q(const std::string& cp1252) { return ToQt(cp1252); }

using test::CountColour;
using test::CountLike;

// Pixels that are much darker than the background: drawn text in the window-text colour.
int CountDark(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 80) ++n;
  return n;
}

TEST(StatusPieces, LogItems) {
  const struct {
    std::string item;
    StatusPieces want;
  } cases[] = {
      {" Fin interrogation de Maison: 05:12:00",
       {{" Fin interrogation de", false, kNone}, {" Maison", true, kNone}, {": 05:12:00", false, kNone}}},
      // A name holding ':' is bold up to it only.
      {" Fin interrogation de Pro:Paris: 05:12:00",
       {{" Fin interrogation de", false, kNone}, {" Pro", true, kNone}, {":Paris: 05:12:00", false, kNone}}},
      {" D\xE9sactiv\xE9", {{Q(" D\xE9sactiv\xE9"), false, kRed}}},
      {" D\xE9sactiv\xE9 depuis 05:00", {{Q(" D\xE9sactiv\xE9 depuis 05:00"), false, kNone}}},
      {" Connexion \xE0 Maison...", {{Q(" Connexion \xE0 Maison..."), false, kNone}}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(LogItemPieces(Q(c.item)), c.want) << c.item;

  // What follows the fixed words is cut at 255 characters.
  const QString longName(300, 'x');
  const StatusPieces cut = LogItemPieces(" Fin interrogation de " + longName);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[1].Text.size(), 255);
  EXPECT_TRUE(cut[1].Bold);
}

TEST(StatusPieces, PanelsAndHints) {
  EXPECT_EQ(Panel1Pieces(" Maison=>Connexion refus\u00e9e"),
            (StatusPieces{{" Maison=>Connexion refus\u00e9e", false, kRed}}));
  EXPECT_EQ(Panel1Pieces(" Mobrelle V 3.8.0.00"), (StatusPieces{{" Mobrelle V 3.8.0.00", false, kNone}}));
  EXPECT_TRUE(Panel1Pieces("").empty());

  EXPECT_TRUE(Panel2Pieces(false, 12, 3).empty());
  EXPECT_EQ(Panel2Pieces(true, 12, 3), (StatusPieces{{" Ex=12", false, kGreen}, {"  Inex=3", false, kRed}}));

  EXPECT_EQ(HintLongPart("Aide|Ouvre l'aide"), QString("Ouvre l'aide"));
  EXPECT_EQ(HintLongPart("<F1> = Aide"), QString("<F1> = Aide"));
  EXPECT_EQ(HintLongPart("court|"), QString());

  EXPECT_EQ(StatusPanel1Width(700), 250);
  EXPECT_EQ(StatusPanel1Width(632), 182);
  EXPECT_EQ(StatusPanel1Width(300), 0);
}

TEST(StatusPieces, BoldPiecesDrawWider) {
  QImage image(600, 20, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font = p.font();
  const QString item = " Fin interrogation de Maisonnette: 05:12:00";
  const int regular = DrawStatusPieces(p, image.rect(), {{item, false, {}}}, font, Qt::black);
  const int drawn = DrawStatusPieces(p, image.rect(), LogItemPieces(item), font, Qt::black);
  EXPECT_GT(drawn, regular);
}

class StatusBarViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(700, 200);
    view = new StatusBarView(window.statusBar(), log);
    view->SetClientWidth(700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  QMainWindow window;
  StatusLog log;
  StatusBarView* view = nullptr;
};

TEST_F(StatusBarViewTest, PanelsSitWhereTheWindowWidthPutsThem) {
  EXPECT_EQ(view->Panel1Width(), 250);
  EXPECT_EQ(view->Panel1()->geometry(), QRect(340, 0, 250, view->Panel1()->height()));
  EXPECT_EQ(view->Panel2()->x(), 590);
  EXPECT_GE(view->Panel2()->width(), 50);
  // The log box ends where the language button begins, 2 before the end of panel 0.
  EXPECT_EQ(view->BtnDrapeau()->geometry().left(), 316);
  EXPECT_EQ(view->BtnDrapeau()->width(), 22);
  EXPECT_EQ(view->ComboBoxStatus()->geometry().left(), 0);
  EXPECT_EQ(view->ComboBoxStatus()->width(), 316);
  EXPECT_EQ(view->ComboBoxStatus()->y(), 3);

  QPushButton stop("Interrompre");
  stop.hide();
  view->PlaceStopButton(&stop);
  stop.show();
  EXPECT_EQ(stop.geometry().right(), 340 - 2 - 1);
  EXPECT_EQ(stop.y(), 3);
  stop.setParent(nullptr);

  view->SetClientWidth(900);
  EXPECT_EQ(view->Panel1()->width(), 450);
}

TEST_F(StatusBarViewTest, LogBoxFollowsTheBoundedLog) {
  log.SetMaxEvents(3);
  for (int i = 1; i <= 6; ++i) log.ShowStatus(0, "entry " + std::to_string(i));
  QComboBox* box = view->ComboBoxStatus();
  ASSERT_EQ(box->count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(box->itemText(i), Q(log.Events()[static_cast<size_t>(i)]));
  EXPECT_EQ(box->currentIndex(), 0);
  EXPECT_EQ(box->currentText(), QString(" entry 6"));

  log.ShowStatus(0, "D\xE9sactiv\xE9");
  log.ShowStatus(0, "D\xE9sactiv\xE9");
  ASSERT_EQ(box->count(), 4);
  EXPECT_EQ(box->itemText(0), Q(" D\xE9sactiv\xE9"));
  EXPECT_EQ(box->itemText(1), QString(" entry 6"));
  // The same entry twice in a row is two entries.
  log.ShowStatus(0, "entry 7");
  log.ShowStatus(0, "entry 7");
  EXPECT_EQ(box->itemText(0), QString(" entry 7"));
  EXPECT_EQ(box->itemText(1), QString(" entry 7"));
  EXPECT_EQ(box->itemText(3), QString(" entry 6"));
  EXPECT_EQ(box->maxVisibleItems(), 15);
  EXPECT_FALSE(box->isEditable());
}

TEST_F(StatusBarViewTest, LogItemsDrawOnTheButtonFaceWithoutHighlight) {
  QComboBox* box = view->ComboBoxStatus();
  log.ShowStatus(0, "D\xE9sactiv\xE9");
  log.ShowStatus(0, "Connexion...");
  QAbstractItemDelegate* delegate = box->itemDelegate();
  QStyleOptionViewItem option;
  option.initFrom(static_cast<QWidget*>(box->view()));
  option.rect = QRect(0, 0, 300, 15);
  EXPECT_EQ(delegate->sizeHint(option, box->model()->index(0, 0)).height(), 15);

  auto paint = [&](int row, bool selected) {
    QImage image(300, 15, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    QStyleOptionViewItem o = option;
    if (selected) o.state |= QStyle::State_Selected;
    delegate->paint(&p, o, box->model()->index(row, 0));
    return image;
  };
  const QColor face = option.palette.color(QPalette::Button);
  const QImage deactivated = paint(1, true);
  EXPECT_GT(CountLike(deactivated, kRed), 10);
  EXPECT_EQ(deactivated.pixelColor(299, 0).rgb(), face.rgb());
  EXPECT_EQ(CountColour(deactivated, option.palette.color(QPalette::Highlight)), 0);
  const QImage plain = paint(0, false);
  EXPECT_EQ(CountLike(plain, kRed), 0);
  EXPECT_GT(CountDark(plain), 10);
}

TEST_F(StatusBarViewTest, Panel1IsRedForAConnectionError) {
  log.ShowStatus(1, "Maison=>Connexion refus\xE9" "e");
  QImage image = Grab(view->Panel1());
  EXPECT_GT(CountLike(image, kRed), 10);

  log.ShowStatus(1, "Mobrelle V 3.8.0.00");
  image = Grab(view->Panel1());
  EXPECT_EQ(CountLike(image, kRed), 0);
  EXPECT_GT(CountDark(image), 10);

  log.ShowStatus(1, "");
  log.ShowStatus(1, "");  // " " only
  EXPECT_EQ(CountDark(Grab(view->Panel1()).copy(2, 2, 200, 14)), 0);
}

TEST_F(StatusBarViewTest, DoubleClickTogglesTheCounts) {
  bool shown = false;
  view->BindCountersDisplay(&shown);
  view->SetSenderCounts([] { return std::pair<size_t, size_t>(12, 3); });
  QWidget* panel2 = view->Panel2();
  EXPECT_EQ(CountLike(Grab(panel2), kGreen), 0);  // off: blank even with entries
  EXPECT_EQ(CountLike(Grab(panel2), kRed), 0);

  QTest::mouseDClick(panel2, Qt::LeftButton, {}, QPoint(10, 5));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(view->CountersShown());
  const QImage on = Grab(panel2);
  EXPECT_GT(CountLike(on, kGreen), 5);
  EXPECT_GT(CountLike(on, kRed), 5);
  // Green first, red after it.
  int lastGreen = 0, firstRed = on.width();
  for (int y = 0; y < on.height(); ++y)
    for (int x = 0; x < on.width(); ++x) {
      const QImage pixel = on.copy(x, y, 1, 1);
      if (CountLike(pixel, kGreen)) lastGreen = std::max(lastGreen, x);
      if (CountLike(pixel, kRed)) firstRed = std::min(firstRed, x);
    }
  EXPECT_LT(lastGreen, firstRed);

  QTest::mouseDClick(view->Panel1(), Qt::LeftButton, {}, QPoint(10, 5));
  EXPECT_FALSE(shown);
}

TEST_F(StatusBarViewTest, AHintStandsInForTheLogBoxUntilATickAfterItIsGone) {
  QPushButton button("F5", &window);
  button.setStatusTip("Interroge|Interroge toutes les bo\u00eetes imm\u00e9diatement <F5>");
  EXPECT_FALSE(view->HintTimerActive());

  QStatusTipEvent enter(button.statusTip());
  QCoreApplication::sendEvent(&button, &enter);
  EXPECT_EQ(view->HintText(), QString("Interroge toutes les bo\u00eetes imm\u00e9diatement <F5>"));
  EXPECT_TRUE(view->ComboBoxStatus()->isHidden());
  EXPECT_TRUE(view->BtnDrapeau()->isHidden());
  EXPECT_TRUE(view->HintTimerActive());
  EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());  // the panels stay in place
  EXPECT_GT(CountDark(Grab(window.statusBar()).copy(0, 0, 330, 20)), 20);

  // A tick while the mouse is still on the control changes nothing.
  view->HintTimerTick();
  EXPECT_TRUE(view->ComboBoxStatus()->isHidden());

  QStatusTipEvent leave{QString()};
  QCoreApplication::sendEvent(&button, &leave);
  EXPECT_TRUE(view->HintText().isEmpty());
  EXPECT_TRUE(view->ComboBoxStatus()->isHidden());
  EXPECT_TRUE(view->HintTimerActive());
  view->HintTimerTick();
  EXPECT_FALSE(view->ComboBoxStatus()->isHidden());
  EXPECT_FALSE(view->BtnDrapeau()->isHidden());
  EXPECT_FALSE(view->HintTimerActive());

  // The real timer brings them back on its own.
  QCoreApplication::sendEvent(&button, &enter);
  QCoreApplication::sendEvent(&button, &leave);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->ComboBoxStatus()->isHidden(); }, 3000));

  // A new log entry shows the log box at once.
  QCoreApplication::sendEvent(&button, &enter);
  log.ShowStatus(0, "Connexion...");
  EXPECT_FALSE(view->ComboBoxStatus()->isHidden());

  // During a check the hint of the stop button leaves the button and panel 1 where they are.
  QPushButton stop("Interrompre");
  stop.setStatusTip("Stoppe l'interrogation de la bo\u00eete");
  view->PlaceStopButton(&stop);
  stop.show();
  QStatusTipEvent onStop(stop.statusTip());
  QCoreApplication::sendEvent(&stop, &onStop);
  EXPECT_EQ(view->HintText(), stop.statusTip());
  EXPECT_TRUE(view->ComboBoxStatus()->isHidden());
  EXPECT_FALSE(stop.isHidden());
  EXPECT_FALSE(view->Panel1()->isHidden());
  stop.setParent(nullptr);
}

}  // namespace
}  // namespace mobrelle
