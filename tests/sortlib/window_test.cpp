// The progress window ZUVASORTMEMFORM under a Qt application, its stop and
// credits buttons, and where the job lets pending events run.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "fixture.h"

namespace sortlib_test {
namespace {

class Window : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "sortlib_tests";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
  }
  static void TearDownTestSuite() {
    delete app;
    app = nullptr;
  }

  static std::vector<QWidget*> Forms() {
    std::vector<QWidget*> forms;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QStringLiteral("ZUVASORTMEMFORM")) forms.push_back(w);
    }
    return forms;
  }
  static QPushButton* Button(QWidget* form, const char* name) {
    return form->findChild<QPushButton*>(QString::fromLatin1(name));
  }
  // Presses the stop button the next time the job lets events run.
  static void StopAtNextEvents(QWidget* form) {
    QPushButton* stop = Button(form, "Command2");
    QTimer::singleShot(0, stop, [stop] { stop->click(); });
  }
  static bool IsBlue(const QImage& image, double fx, double fy, QWidget* form) {
    const QColor c = image.pixelColor(static_cast<int>(fx * form->frameGeometry().width()),
                                      static_cast<int>(fy * form->frameGeometry().height()));
    return c == QColor(0, 0, 255);
  }

  static QApplication* app;
};
QApplication* Window::app = nullptr;

const Box kStopping{"中止します", "ZUVASORTMEM"};

TEST_F(Window, LayoutOutlineAndBar) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,2:3,1,D", {"bba", "abc", "abd"}), 0);
  ASSERT_EQ(Forms().size(), 1u);
  QWidget* form = Forms().front();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("ZUVASORTMEM2(&H50 80 00 00)"));
  EXPECT_EQ(form->size(), QSize(371, 160));  // 5565 x 2400 twips
  EXPECT_EQ(Button(form, "Command2")->text(), QStringLiteral("中止"));
  EXPECT_EQ(Button(form, "Command2")->geometry(), QRect(264, 0, 105, 25));
  EXPECT_EQ(Button(form, "Command1")->text(), QStringLiteral("バージョン情報"));
  EXPECT_EQ(Button(form, "Command1")->geometry(), QRect(264, 32, 105, 29));

  QImage before = form->grab().toImage();
  EXPECT_TRUE(IsBlue(before, 0.5, 0.6, form));   // the outline's top edge
  EXPECT_FALSE(IsBlue(before, 0.5, 0.7, form));  // inside, not yet filled
  ASSERT_EQ(j.job.Main(), 0);
  QImage after = form->grab().toImage();
  EXPECT_TRUE(IsBlue(after, 0.5, 0.7, form));
  EXPECT_TRUE(IsBlue(after, 0.85, 0.7, form));  // every pass made
  EXPECT_EQ(j.GetAll(), (std::vector<std::string>{"abd", "abc", "bba"}));
  EXPECT_EQ(j.job.Close(), 0);
  EXPECT_TRUE(Forms().empty());
  EXPECT_TRUE(j.boxes.empty());
}

TEST_F(Window, CreditsBox) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {}), 0);
  Button(Forms().front(), "Command1")->click();
  const std::string gap = "\r\n\r\n";
  ASSERT_EQ(j.boxes.size(), 1u);
  EXPECT_EQ(j.boxes[0].title, "ZUVASORTMEM");
  const std::string& text = j.boxes[0].prompt;
  const std::string date = "2000/08/05 作成 (BASE ADDRESS &H50 80 00 00)" + gap;
  ASSERT_GE(text.size(), date.size());
  EXPECT_EQ(text.substr(text.size() - date.size()), date);
  int lines = 0;
  for (std::size_t at = text.find(gap); at != std::string::npos; at = text.find(gap, at + 4)) {
    ++lines;
  }
  EXPECT_EQ(lines, 5);
}

TEST_F(Window, StopButtonActsAtThe1025thPut) {
  {
    RecordedJob j;
    ASSERT_EQ(j.Load("1,1", {}), 0);
    QWidget* form = Forms().front();
    StopAtNextEvents(form);
    for (int i = 1; i <= 1025; ++i) ASSERT_EQ(j.job.Put("x"), 0) << i;
    EXPECT_TRUE(j.boxes.empty());
    EXPECT_EQ(j.job.Put("x"), zuvasort::kStopped);
    EXPECT_EQ(j.job.Put("x"), zuvasort::kStopped);
    EXPECT_EQ(j.TakeBoxes(), (std::vector<Box>{kStopping, kStopping}));
    EXPECT_EQ(j.job.Main(), zuvasort::kStopped);
    EXPECT_TRUE(j.TakeBoxes().empty());
    EXPECT_EQ(j.job.Get(), zuvasort::kStopped);
    EXPECT_EQ(j.TakeBoxes(), (std::vector<Box>{kStopping}));
    EXPECT_EQ(j.job.Close(), zuvasort::kStopped);
    EXPECT_EQ(Forms().size(), 1u);  // a failed CLOSE releases nothing
  }
  EXPECT_TRUE(Forms().empty());  // the release does
  EXPECT_EQ(platform::LoadedComponentLibraries(), 0u);
  // Qt goes on without the unloaded library: nothing it keeps (fonts looked
  // up, names) points into it.
  QLabel label(QStringLiteral("検査日"));
  QFont font;
  font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Sans")});
  label.setFont(font);
  EXPECT_FALSE(label.grab().isNull());
}

TEST_F(Window, MainFinishesItsPassesAndTheFirstGetLetsEventsRun) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,3", {"c12", "b34", "a56"}), 0);
  StopAtNextEvents(Forms().front());
  EXPECT_EQ(j.job.Main(), 0);
  EXPECT_EQ(j.job.Get(), zuvasort::kStopped);

  RecordedJob k;
  ASSERT_EQ(k.Load("1,1", {"b", "a"}), 0);
  ASSERT_EQ(k.job.Main(), 0);
  StopAtNextEvents(Forms().back());
  std::string line;
  EXPECT_EQ(k.job.Get(line), 0);
  EXPECT_EQ(line, "a");
  EXPECT_EQ(k.job.Get(line), zuvasort::kStopped);
  EXPECT_EQ(k.TakeBoxes(), (std::vector<Box>{kStopping}));
}

TEST_F(Window, StopFlagIsSharedOnItsThreadOnly) {
  RecordedJob a;
  RecordedJob b;
  ASSERT_EQ(a.Load("1,1", {"x"}), 0);
  ASSERT_EQ(b.Load("1,1", {"x"}), 0);
  Button(Forms().front(), "Command2")->click();

  // Another thread has its own flag, and no window.
  std::vector<std::string> elsewhere;
  std::int32_t elsewhereStatus = -1;
  std::size_t formsSeen = 0;
  std::thread worker([&] {
    RecordedJob t;
    elsewhereStatus = t.Load("1,1", {"b", "a"});
    if (elsewhereStatus == 0) elsewhereStatus = t.job.Main();
    elsewhere = t.GetAll();
    formsSeen = Forms().size();
  });
  worker.join();
  EXPECT_EQ(elsewhereStatus, 0);
  EXPECT_EQ(elsewhere, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(formsSeen, 2u);

  EXPECT_EQ(b.job.Put("y"), zuvasort::kStopped);  // pressed in a's window
  EXPECT_EQ(a.job.Put("y"), zuvasort::kStopped);

  RecordedJob fresh;  // a new object clears the request
  ASSERT_EQ(fresh.Load("1,1", {"x"}), 0);
  EXPECT_EQ(fresh.job.Main(), 0);
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// While a hundred thousand lines stream in and out, the window is painted at
// most once every 20 ms (and at the phase changes), not every 1,024 lines.
TEST_F(Window, PaintedAtMostEveryTwentyMilliseconds) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,6", {}), 0);
  QWidget* form = Forms().front();
  PaintCounter counter;
  form->installEventFilter(&counter);
  const auto start = std::chrono::steady_clock::now();
  char line[16];
  for (int i = 0; i < zuvasort::kMaxRecords; ++i) {
    std::snprintf(line, sizeof line, "%06d%06d", (i * 7919) % 100000, i);
    ASSERT_EQ(j.job.Put(line), 0);
  }
  ASSERT_EQ(j.job.Main(), 0);
  std::string got;
  int lines = 0;
  while (j.job.Get(got) == 0) ++lines;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  form->removeEventFilter(&counter);
  EXPECT_EQ(lines, zuvasort::kMaxRecords);
  // Two streams of lines, MAIN's count, phase and full bar, the first GET
  // and the last count: a few paints beyond one every 20 ms.
  EXPECT_LE(counter.paints, static_cast<int>(ms / 20) + 10) << ms << " ms";
  EXPECT_EQ(j.job.Close(), 0);
}

}  // namespace
}  // namespace sortlib_test
