#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "platform/ui.h"
#include "store/store.h"

class Form5;
class Form13;
class QSlider;
class QWidget;

// The list being browsed: the working file "TEMP.DATA" (a copy of the data
// file or the hits of a search) and its two presentations, list view 1
// (Form5, 一覧①) and list view 2 (Form13, 一覧②). The page state is the
// store's; every page is drawn into both views at once, so switching views
// shows the same page. Both views are created with this object (children of
// `owner`, windows of their own) and are afterwards only shown and hidden.
//
// The list exists while the working file is open (WorkFileNo): a view closed,
// a new search, a sort or a deletion ends it. A command of a view that finds
// the list ended hides both views and says "表示するデータがありません。"
// rather than act on rows that no longer name their records.
class ListViews : public QObject {
  Q_OBJECT

 public:
  ListViews(store::Store& store, platform::Ui& ui, QWidget* owner);

  Form5* View1() const { return form5_; }
  Form13* View2() const { return form13_; }

  // The record port of the main window: reads examination n into
  // CurrentRecord and shows it there (Label14 and Slider1 included); false
  // when the record could not be read (the port has said why).
  std::function<bool(int n)> showExamination;
  // Shows a list view above the main window (the main window lowered first).
  // Unset, the view is shown and activated.
  std::function<void(QWidget* view)> showWindow;
  // The zoom window, given the image file found for CurrentRecord
  // ("C:\VLN2\GAZOU\" + its stored name). Unset, the picture cell shows only
  // the message of a missing image.
  std::function<void(const std::string& imageFile)> showZoom;
  // The print range dialog; the print buttons are disabled until it is set.
  void SetPrintRange(std::function<void()> openPrintRange);
  const std::function<void()>& PrintRange() const { return openPrintRange_; }

  // True while a drawn list is open (the working file is open and a page
  // has been drawn since it was filled).
  bool ListOpen() const;

  // A freshly filled working file: the first page set, both views emptied
  // and the page drawn, list view 1 shown. A read failure is shown by its
  // number; the view is shown all the same.
  void ShowFirstPage();
  // Brings list view 1 back as it was left.
  void ShowAgain();
  // The list ends: the working file closed and deleted (when it exists), both
  // views hidden. A failure of the deletion is returned.
  [[nodiscard]] platform::Status DiscardList();

  // --- The commands both views share. None does anything while a long
  // operation runs.
  void PreviousPage();
  void NextPage();
  // Goes to the page of `own`'s value (the view asked); nothing while the
  // data file holds fewer than 2 records.
  void SliderPage(QSlider* own);
  // Opens the record whose file number a row shows in the main window and
  // hides `view`. A row without a record does nothing.
  void OpenRowRecord(QWidget* view, const QString& fileNumber);
  // Reads the record a row names into CurrentRecord: its number, or 0 when
  // the row names none or the read failed (the failure shown).
  int ReadRowRecord(const QString& fileNumber);
  // List view 1's picture cell: the row's record read into CurrentRecord and
  // its image "C:\VLN2\GAZOU\" + ImageName + ".jpg" looked up ignoring case;
  // found, it goes to the zoom window, else "画像：<name>.jpgはありません。".
  void ShowRowImage(const QString& fileNumber);
  // List view 2's boxes: the row's record read into CurrentRecord and shown
  // whole in a message: the comment ("コメントはありません。" when blank), the
  // five lead site/finding pairs, or the five arrhythmias, each field trimmed
  // and the lines separated by a carriage return.
  void ShowRowComment(const QString& fileNumber);
  void ShowRowFindings(const QString& fileNumber);
  void ShowRowArrhythmias(const QString& fileNumber);
  // Close: the list discarded, both views hidden.
  void Close();
  // ITIRAN_2 / ITIRAN_1: the other view shown, this one hidden.
  void ShowView1();
  void ShowView2();

  // Clear both views' rows and draw the current page (the page state set).
  void Redraw();

 private:
  void Show(QWidget* view);
  // False (both views hidden, the message shown) when the list has ended.
  bool ListStillOpen();

  store::Store& store_;
  platform::Ui& ui_;
  Form5* form5_ = nullptr;
  Form13* form13_ = nullptr;
  std::function<void()> openPrintRange_;
  bool drawn_ = false;
};
