#include "lookups/lookup_list_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/cp932.h"
#include "platform/qt_ui.h"
#include "widgets/escape_closes.h"
#include "widgets/form_setup.h"
#include "widgets/field_fit.h"

namespace {

using platform::Q;
using platform::S;

constexpr int kRowsPerColumn = 15;
constexpr int kEntryBytes = static_cast<int>(store::kListEntryRecordLength);

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  // Enter on a focused button presses it, as on Windows.
  button->setAutoDefault(true);
  return button;
}

}  // namespace

LookupListWindow::LookupListWindow(const LookupListDef& def, store::Store& store, platform::Ui& ui,
                                   std::function<void()> refresh, QWidget* parent)
    : QWidget(parent, Qt::Window),
      def_(def),
      session_(store),
      ui_(ui),
      refresh_(std::move(refresh)) {
  setObjectName(Q(def_.formName));
  setWindowTitle(Q(def_.caption));
  setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 11));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  const int boxWidth = fontMetrics().horizontalAdvance(QString(11, QChar(0x3000)));
  const int markWidth = fontMetrics().horizontalAdvance(QStringLiteral("000/20"));
  for (int i = 0; i < def_.entryCount; ++i) {
    const int row = i % kRowsPerColumn;
    const int column = (i / kRowsPerColumn) * 4;
    auto* number = new QLabel(QString::number(i + 1), this);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("Text1_%1").arg(i));
    box->setMinimumWidth(boxWidth);
    box->installEventFilter(this);
    widgets::FitToField(box, store::kListEntryRecordLength);
    auto* mark = new QLabel(this);
    mark->setMinimumWidth(markWidth);
    mark->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    grid->addWidget(number, row, column);
    grid->addWidget(box, row, column + 1);
    grid->addWidget(mark, row, column + 2);
    grid->setColumnMinimumWidth(column + 3, 16);
    Text1.push_back(box);
    cutMarks_.push_back(mark);
    connect(box, &QLineEdit::textChanged, this, [this, i] { UpdateCutMark(i); });
  }
  grid->setRowStretch(kRowsPerColumn, 1);

  Command1 = MakeButton(this, "Command1", "登録(&S)");
  Command2 = MakeButton(this, "Command2", "クリア(&C)");
  Command3 = MakeButton(this, "Command3", "閉じる(&E)");
  widgets::EscapeClicks(this, Command3);
  if (!def_.initialValues.empty()) Command4 = MakeButton(this, "Command4", "初期値読み込み(&Y)");
  connect(Command1, &QPushButton::clicked, this, &LookupListWindow::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &LookupListWindow::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &LookupListWindow::Command3_Click);
  if (Command4 != nullptr) {
    connect(Command4, &QPushButton::clicked, this, &LookupListWindow::Command4_Click);
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* button : {Command1, Command2, Command3, Command4}) {
    if (button == nullptr) continue;
    button->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("初期値読み込み(Y)")) +
                            24);
    buttons->addWidget(button);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);

  // Tab order: the boxes in index order, then the buttons.
  QWidget* previous = nullptr;
  auto chain = [&previous](QWidget* next) {
    if (next == nullptr) return;
    if (previous != nullptr) setTabOrder(previous, next);
    previous = next;
  };
  for (QLineEdit* box : Text1) chain(box);
  for (QPushButton* button : {Command1, Command2, Command3, Command4}) chain(button);
}

void LookupListWindow::Open() {
  ClearBoxes();
  const sessions::VocabularyLoad load = session_.Load(def_.list);
  for (std::size_t i = 0; i < load.entries.size() && i < Text1.size(); ++i) {
    Text1[i]->setText(Q(load.entries[i]));
  }
  sessions::Show(ui_, load);
  Form_Load();
  widgets::ShowInFront(this);
  Text1.front()->setFocus();
}

void LookupListWindow::Form_Load() {
  if (loaded_) return;
  loaded_ = true;
  // Maximised; the geometry too, for a display without a window manager.
  if (QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
  setWindowState(windowState() | Qt::WindowMaximized);
}

void LookupListWindow::ClearBoxes() {
  for (QLineEdit* box : Text1) box->clear();
}

void LookupListWindow::Command1_Click() {
  std::vector<std::string> entries;
  entries.reserve(Text1.size());
  for (const QLineEdit* box : Text1) entries.push_back(S(box->text()));
  const sessions::Outcome saved = session_.Save(def_.list, def_.caption, entries);
  if (refresh_) refresh_();
  sessions::Show(ui_, saved);
}

void LookupListWindow::Command2_Click() {
  ClearBoxes();
  Text1.front()->setFocus();
}

void LookupListWindow::Command3_Click() { hide(); }

void LookupListWindow::Command4_Click() {
  ClearBoxes();
  std::size_t i = 0;
  for (std::string_view text : def_.initialValues) {
    if (i >= Text1.size()) break;
    Text1[i++]->setText(Q(text));
  }
}

void LookupListWindow::UpdateCutMark(int i) {
  QLineEdit* box = Text1[static_cast<std::size_t>(i)];
  QLabel* mark = CutMark(i);
  const std::string utf8 = S(box->text());
  const std::string bytes = platform::ToCp932(utf8);
  const bool lossy = platform::FromCp932(bytes) != utf8;
  const bool over = bytes.size() > store::kListEntryRecordLength;
  if (!over && !lossy) {
    mark->clear();
    mark->setToolTip({});
    box->setToolTip({});
    return;
  }
  QStringList notes;
  if (over) {
    const std::size_t keep = platform::Cp932CutPoint(bytes, store::kListEntryRecordLength);
    notes << QStringLiteral("%1バイトのうち%2バイトまで登録されます:「%3」")
                 .arg(bytes.size())
                 .arg(kEntryBytes)
                 .arg(Q(platform::FromCp932(std::string_view(bytes).substr(0, keep))));
  }
  if (lossy) notes << QStringLiteral("登録できない文字は「?」になります。");
  mark->setText(over ? QStringLiteral("%1/%2").arg(bytes.size()).arg(kEntryBytes)
                     : QStringLiteral("?"));
  mark->setToolTip(notes.join(QLatin1Char('\n')));
  box->setToolTip(mark->toolTip());
}

bool LookupListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      focusNextChild();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
