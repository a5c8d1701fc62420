#include "help/help_menu.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "help/about.h"
#include "help/guide_files.h"
#include "help/guide_window.h"

namespace help {

QString ChapterOf(const QWidget* window) {
  static const QHash<QString, QString> chapters = {
      {QStringLiteral("Dialog1"), QStringLiteral("検索・一覧・印刷")},
      {QStringLiteral("Form5"), QStringLiteral("検索・一覧・印刷")},
      {QStringLiteral("Form13"), QStringLiteral("検索・一覧・印刷")},
      {QStringLiteral("Dialog4"), QStringLiteral("検索・一覧・印刷")},
      {QStringLiteral("Dialog"), QStringLiteral("検査を入力する")},
      {QStringLiteral("Form2"), QStringLiteral("画像を拡大する・印刷する")},
      {QStringLiteral("Form8"), QStringLiteral("画像の一覧と詳細表示")},
      {QStringLiteral("Form9"), QStringLiteral("画像の一覧と詳細表示")},
      {QStringLiteral("CompareWindow"), QStringLiteral("過去の検査と比較")},
      {QStringLiteral("Form10"), QStringLiteral("患者マスタ")},
      {QStringLiteral("Form11"), QStringLiteral("患者マスタ")},
      {QStringLiteral("Form12"), QStringLiteral("患者マスタ")},
      {QStringLiteral("Dialog3"), QStringLiteral("患者マスタ")},
      // The vocabulary windows: their use is told where the guide starts.
      {QStringLiteral("Form3"), QStringLiteral("はじめて使うとき")},
      {QStringLiteral("Form4"), QStringLiteral("はじめて使うとき")},
      {QStringLiteral("Form6"), QStringLiteral("はじめて使うとき")},
      {QStringLiteral("Form7"), QStringLiteral("はじめて使うとき")},
  };
  if (window == nullptr) return {};
  const QString name = window->objectName().isEmpty()
                           ? QString::fromLatin1(window->metaObject()->className())
                           : window->objectName();
  return chapters.value(name);
}

HelpMenu::HelpMenu(QWidget* mainWindow, QAction* guide, QAction* version,
                   std::filesystem::path driveRoot)
    : QObject(mainWindow), mainWindow_(mainWindow), driveRoot_(std::move(driveRoot)) {
  guide->setEnabled(true);
  version->setEnabled(true);
  connect(guide, &QAction::triggered, this, [this] { ShowGuide(); });
  connect(version, &QAction::triggered, this, &HelpMenu::ShowVersion);
  qApp->installEventFilter(this);
}

HelpMenu::~HelpMenu() {
  qApp->removeEventFilter(this);
  delete guide_;  // a window of its own, not a child of the main window
}

GuideWindow& HelpMenu::ShowGuide(const QString& heading) {
  if (guide_ == nullptr) {
    guide_ = new GuideWindow(QString::fromStdString(FindGuide().string()));
  }
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
  if (heading.isEmpty() || !guide_->ShowChapter(heading)) {
    guide_->Text()->verticalScrollBar()->setValue(0);
  }
  return *guide_;
}

void HelpMenu::ShowVersion() {
  if (version_ == nullptr) {
    version_ = new QDialog(mainWindow_);
    version_->setObjectName(QStringLiteral("VersionDialog"));
    version_->setWindowTitle(QStringLiteral("バージョン情報"));
    auto* text = new QLabel(version_);
    text->setObjectName(QStringLiteral("VersionText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, version_);
    connect(buttons, &QDialogButtonBox::accepted, version_, &QDialog::accept);
    auto* layout = new QVBoxLayout(version_);
    layout->addWidget(text);
    layout->addWidget(buttons);
  }
  version_->findChild<QLabel*>(QStringLiteral("VersionText"))
      ->setText(QString::fromStdString(AboutText(driveRoot_, FindSortComponent())));
  version_->show();
  version_->raise();
  version_->activateWindow();
}

bool HelpMenu::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return false;
  const QWidget* window = widget->window();
  if (window == guide_) return true;
  ShowGuide(ChapterOf(window));
  return true;
}

}  // namespace help
