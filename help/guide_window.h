#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace help {

// The window "使い方ガイド": the guide's Markdown rendered with its pictures
// (found relative to the guide file), the table of contents of its ## and
// ### headings on the left (a click shows the heading at the top), and a
// search box that finds the next occurrence from the cursor, wrapping at
// the end. Links to headings inside the guide jump there; other links open
// in the desktop's browser. Esc closes the window.
class GuideWindow : public QWidget {
  Q_OBJECT

 public:
  // An empty or unreadable `guideFile` shows where the guide was looked for.
  explicit GuideWindow(const QString& guideFile, QWidget* parent = nullptr);

  // Scrolls so that the heading reads at the top; false when the guide has
  // no such heading (the view stays where it is).
  bool ShowChapter(const QString& heading);
  // Selects the next occurrence of the search box's text; false (said under
  // the box) when the guide does not contain it.
  bool FindNext();

  QTextBrowser* Text() const { return text_; }
  QTreeWidget* Contents() const { return contents_; }
  QLineEdit* SearchBox() const { return search_; }
  // The heading whose block is at the top of the view.
  QString TopHeading() const;

 private:
  void Load(const QString& guideFile);
  void FitPictures();
  void FillContents();
  void OpenLink(const QUrl& url);

  QTextBrowser* text_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* search_ = nullptr;
  QLabel* searchNote_ = nullptr;
};

}  // namespace help
