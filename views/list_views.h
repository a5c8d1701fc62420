#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "platform/ui.h"
#include "sessions/exam_list_session.h"
#include "views/list_commands.h"

class Form5;
class Form13;
class QSlider;
class QWidget;

// The list being browsed: the working file "TEMP.DATA" (a copy of the data
// file or the hits of a search) and its two presentations, list view 1
// (Form5, 一覧①) and list view 2 (Form13, 一覧②). The list and its page
// state are the list session's; every page is drawn into both views at once, so switching views
// shows the same page. Both views are created with this object (children of
// `owner`, windows of their own) and are afterwards only shown and hidden.
//
// The list exists while the working file is open (WorkFileNo): a view closed,
// a new search, a sort or a deletion ends it. A command of a view that finds
// the list ended hides both views and says "表示するデータがありません。"
// rather than act on rows that no longer name their records.
class ListViews : public QObject, public views::ListCommands {
  Q_OBJECT

 public:
  ListViews(sessions::ExamListSession& session, platform::Ui& ui, QWidget* owner);

  Form5* View1() const { return form5_; }
  // List view 2 with the current page drawn into it: a page is drawn into
  // the view that is on screen at once, and into list view 2 while it is
  // hidden only when it is asked for (here or by ShowView2).
  Form13* View2();

  // The record port of the main window: reads examination n and shows it
  // there (Label14 and Slider1 included); false when the record could not be
  // read (the port has said why).
  std::function<bool(int n)> showExamination;
  // Shows a list view above the main window (the main window lowered first).
  // Unset, the view is shown and activated.
  std::function<void(QWidget* view)> showWindow;
  // The zoom window, given the image file found for a row's record
  // ("C:\VLN2\GAZOU\" + its stored name), its name and examination date.
  // Unset, the picture cell shows only the message of a missing image.
  std::function<void(const std::string& imageFile, const std::string& name,
                     const std::string& examDate)>
      showZoom;
  // The comparison window for a row's record; unset, rows have no menu.
  std::function<void(int record)> compare;
  // The print range dialog; the print buttons are disabled until it is set.
  void SetPrintRange(std::function<void()> openPrintRange);

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

  // --- The commands both views share, given a row's key where a row is
  // clicked. None does anything while a long operation runs; one that finds
  // the list ended hides both views and says so.
  void PreviousPage() override;
  void NextPage() override;
  // Goes to page `page` of the slider; nothing while the data file holds
  // fewer than 2 records.
  void SliderPage(int page) override;
  // Opens the record a row names in the main window and hides `view`. A row
  // without a record does nothing.
  void OpenRowRecord(QWidget* view, int key) override;
  // List view 1's picture cell: the row record's image to the zoom window,
  // else "画像：<name>.jpgはありません。".
  void ShowRowImage(int key) override;
  void CompareRow(int key) override;
  // List view 2's boxes: the row's record whole in a message (the session's
  // RowComment, RowFindings, RowArrhythmias).
  void ShowRowComment(int key) override;
  void ShowRowFindings(int key) override;
  void ShowRowArrhythmias(int key) override;
  // Close: the list discarded, both views hidden.
  void Close() override;
  // ITIRAN_2 / ITIRAN_1: the other view shown, this one hidden.
  void ShowView1() override;
  void ShowView2() override;
  void Print() override;

  // Clear both views' rows and draw the current page (the page state set).
  void Redraw();

  // The data file may have been rebuilt (a deletion, a sort): a list it ended
  // (the working file closed under it) is hidden at once, without a word,
  // rather than show rows that no longer name their records.
  void DataFileChanged();

 private:
  void Show(QWidget* view);
  void HideViews();
  // The outcome of a step shown (the views hidden first when the list
  // ended); true when it moved the page.
  bool Shown(const sessions::ListStepOutcome& step);
  // The page kept for list view 2 drawn into it, when it is not yet.
  void DrawView2();

  sessions::ExamListSession& session_;
  platform::Ui& ui_;
  Form5* form5_ = nullptr;
  Form13* form13_ = nullptr;
  std::function<void()> openPrintRange_;
  bool drawn_ = false;
  sessions::ListPageOutcome view2Page_;
  bool view2Behind_ = false;
};
