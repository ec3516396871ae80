// The main window showing five mailboxes and N listed messages (offscreen when there is no
// display): the time of a header-click sort of each column, repaint included, and of scrolling the
// list a page at a time from top to bottom, each page repainted. The worst of each is what a user
// would feel as a stall.
//
// Figures of December 2026 on a 2-core VM (median of the runs' worst; worst of all):
//   1,000 rows, offscreen:   sort 9.1-9.6 ms; 9.8-11.5 ms    page scroll 3.7-4.5 ms; 3.8-8.4 ms
//   1,000 rows, Xvfb:        sort 10.3 ms; 26.0 ms           page scroll 5.2 ms; 7.2 ms
//   10,000 rows, Xvfb:       sort 20.4 ms; 22.3 ms           page scroll 7.6 ms; 8.3 ms
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "ui/main_window/tform1.h"

using namespace mobrelle;

namespace {

int Arg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = std::clamp(Arg(argc, argv, "--rows", 1000), 2, 100000);
  const int repeat = std::clamp(Arg(argc, argv, "--repeat", 5), 1, 50);

  test::TempDir dir;
  std::string ini = "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n";
  const char* boxes[5] = {"Maison", "Bureau", "Club", "Ecole", "Vieux"};
  for (const char* b : boxes) ini += std::string("[") + b + "]\r\nPop3ID=u\r\nPop3Mail=127.0.0.1\r\nIntervalle=0\r\n";
  test::WriteFileBytes(dir.File("Mobrelle.ini"), ini);
  TForm1 form(TForm1::Options{dir.File("Mobrelle.ini"), dir.Path(), std::nullopt});
  if (!form.FormCreate()) {
    std::fprintf(stderr, "the window did not start\n");
    return 1;
  }
  form.resize(1000, 700);
  form.show();
  for (int i = 0; i < rows; ++i) {
    NewMessageRow r;
    r.Number = i + 1;
    r.Sender = "sender" + std::to_string((i * 7919) % rows) + "@example" + std::to_string(i % 13) + ".test";
    r.Subject = "Subject number " + std::to_string((i * 104729) % rows) + " about something or other";
    r.Date = "1" + std::to_string(i % 9) + "/11/2026 0" + std::to_string(i % 10) + ":1" + std::to_string(i % 6) + ":00";
    r.Size = static_cast<uint64_t>((i * 37) % 90000 + 500);
    r.Mailbox = boxes[i % 5];
    r.ContentType = i % 4 ? "text/plain" : "multipart/mixed";
    r.Uidl = "uid" + std::to_string(i);
    r.To = "me@example.test";
    r.SenderNote = i % 10 == 0 ? "\xA0(\xB6sender)\xA0" : "";
    form.Messages()->AddRow(r);
  }
  QApplication::processEvents();
  auto* list = form.findChild<QTableView*>("ListView1");
  if (!list) return 1;

  std::vector<double> sortWorst, scrollWorst;
  for (int run = 0; run < repeat; ++run) {
    double worst = 0;
    for (int column = 1; column < MessageListModel::kColumns; ++column) {
      for (int twice = 0; twice < 2; ++twice) {  // ascending, then reversed
        QElapsedTimer t;
        t.start();
        emit list->horizontalHeader()->sectionClicked(column);
        list->viewport()->repaint();
        QApplication::processEvents();
        worst = std::max(worst, Ms(t));
      }
    }
    sortWorst.push_back(worst);

    worst = 0;
    QScrollBar* bar = list->verticalScrollBar();
    bar->setValue(0);
    QApplication::processEvents();
    while (bar->value() < bar->maximum()) {
      QElapsedTimer t;
      t.start();
      bar->setValue(bar->value() + bar->pageStep());
      list->viewport()->repaint();
      QApplication::processEvents();
      worst = std::max(worst, Ms(t));
    }
    scrollWorst.push_back(worst);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::printf("%d rows, %d runs, platform %s\n", rows, repeat, qPrintable(QGuiApplication::platformName()));
  std::printf("header-click sort with repaint, worst of 18 per run: median %.1f ms, worst %.1f ms\n",
              median(sortWorst), *std::max_element(sortWorst.begin(), sortWorst.end()));
  std::printf("page of scrolling with repaint, worst per run:      median %.1f ms, worst %.1f ms\n",
              median(scrollWorst), *std::max_element(scrollWorst.begin(), scrollWorst.end()));
  return 0;
}
