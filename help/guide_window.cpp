#include "help/guide_window.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "help/guide_files.h"

namespace help {

namespace {

constexpr int kPictureWidth = 720;  // wider screenshots are scaled down to this

// The anchor a Markdown link uses for a heading: lower case, spaces as
// hyphens, the punctuation that such anchors drop left out.
QString Anchor(const QString& heading) {
  QString anchor;
  for (const QChar c : heading.toLower()) {
    if (c == QLatin1Char(' ')) {
      anchor += QLatin1Char('-');
    } else if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
               c.unicode() >= 0x3000) {
      anchor += c;
    }
  }
  return anchor;
}

}  // namespace

GuideWindow::GuideWindow(const QString& guideFile, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("GuideWindow"));
  setWindowTitle(QStringLiteral("使い方ガイド"));
  setWindowFlag(Qt::Window);
  resize(1100, 700);

  contents_ = new QTreeWidget;
  contents_->setObjectName(QStringLiteral("Contents"));
  contents_->setHeaderLabel(QStringLiteral("目次"));
  text_ = new QTextBrowser;
  text_->setObjectName(QStringLiteral("GuideText"));
  text_->setOpenLinks(false);
  search_ = new QLineEdit;
  search_->setObjectName(QStringLiteral("SearchBox"));
  search_->setPlaceholderText(QStringLiteral("ガイドの中を検索"));
  auto* next = new QPushButton(QStringLiteral("次を検索"));
  next->setObjectName(QStringLiteral("FindNext"));
  searchNote_ = new QLabel;

  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(new QLabel(QStringLiteral("検索:")));
  searchRow->addWidget(search_, 1);
  searchRow->addWidget(next);
  searchRow->addWidget(searchNote_);
  auto* splitter = new QSplitter;
  splitter->addWidget(contents_);
  splitter->addWidget(text_);
  splitter->setSizes({280, 820});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(searchRow);
  layout->addWidget(splitter, 1);

  connect(search_, &QLineEdit::returnPressed, this, &GuideWindow::FindNext);
  connect(next, &QPushButton::clicked, this, &GuideWindow::FindNext);
  connect(search_, &QLineEdit::textChanged, searchNote_, &QLabel::clear);
  connect(contents_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { ShowChapter(item->text(0)); });
  connect(contents_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { ShowChapter(item->text(0)); });
  connect(text_, &QTextBrowser::anchorClicked, this, &GuideWindow::OpenLink);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  Load(guideFile);
}

void GuideWindow::Load(const QString& guideFile) {
  QFile file(guideFile);
  if (guideFile.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    QString where;
    for (const std::filesystem::path& folder : GuideFolders()) {
      where += QStringLiteral("\n- ") + QString::fromStdString((folder / kGuideFileName).string());
    }
    text_->setMarkdown(
        QStringLiteral("# 使い方ガイドが見つかりません\n\n次の場所を探しました。\n") + where);
    return;
  }
  const QString folder = QFileInfo(guideFile).absolutePath();
  text_->setSearchPaths({folder});
  text_->document()->setBaseUrl(QUrl::fromLocalFile(folder + QLatin1Char('/')));
  text_->setMarkdown(QString::fromUtf8(file.readAll()));
  FitPictures();
  FillContents();
}

void GuideWindow::FitPictures() {
  const QString folder = text_->searchPaths().value(0);
  for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat image = fragment.charFormat().toImageFormat();
      const QImage picture(folder + QLatin1Char('/') + image.name());
      if (picture.isNull() || picture.width() <= kPictureWidth) continue;
      image.setWidth(kPictureWidth);
      image.setHeight(double(picture.height()) * kPictureWidth / picture.width());
      QTextCursor cursor(text_->document());
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  }
}

void GuideWindow::FillContents() {
  QTreeWidgetItem* chapter = nullptr;
  for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level == 2) {
      chapter = new QTreeWidgetItem(contents_, {block.text()});
    } else if (level == 3) {
      new QTreeWidgetItem(chapter != nullptr ? chapter : contents_->invisibleRootItem(),
                          {block.text()});
    }
  }
  contents_->expandAll();
}

bool GuideWindow::ShowChapter(const QString& heading) {
  for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0 || block.text() != heading) continue;
    QTextCursor cursor(block);
    text_->setTextCursor(cursor);
    const qreal top = text_->document()->documentLayout()->blockBoundingRect(block).top();
    text_->verticalScrollBar()->setValue(int(top));
    const QList<QTreeWidgetItem*> items =
        contents_->findItems(heading, Qt::MatchExactly | Qt::MatchRecursive);
    contents_->setCurrentItem(items.value(0));
    return true;
  }
  return false;
}

QString GuideWindow::TopHeading() const {
  const QTextCursor top = text_->cursorForPosition(QPoint(0, 0));
  for (QTextBlock block = top.block(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0) return block.text();
  }
  return {};
}

bool GuideWindow::FindNext() {
  const QString wanted = search_->text();
  if (wanted.isEmpty()) return false;
  if (text_->find(wanted)) return true;
  const QTextCursor kept = text_->textCursor();
  text_->moveCursor(QTextCursor::Start);
  if (text_->find(wanted)) return true;
  text_->setTextCursor(kept);
  searchNote_->setText(QStringLiteral("見つかりません"));
  return false;
}

void GuideWindow::OpenLink(const QUrl& url) {
  if (url.hasFragment() && (url.path().isEmpty() || url.isLocalFile())) {
    const QString wanted = url.fragment();
    for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
      if (block.blockFormat().headingLevel() > 0 && Anchor(block.text()) == wanted) {
        ShowChapter(block.text());
        return;
      }
    }
    return;
  }
  QDesktopServices::openUrl(url);
}

}  // namespace help
