#pragma once

class QWidget;

namespace views {

// The commands the two list views hand on, given a row's key (the data-file
// record number it names, 0 for none) where a row is clicked. The views know
// only this; the object that owns both views carries them out.
class ListCommands {
 public:
  virtual void PreviousPage() = 0;
  virtual void NextPage() = 0;
  virtual void SliderPage(int page) = 0;
  // The record opened in the main window and `view` hidden.
  virtual void OpenRowRecord(QWidget* view, int key) = 0;
  virtual void ShowRowImage(int key) = 0;
  virtual void ShowRowComment(int key) = 0;
  virtual void ShowRowFindings(int key) = 0;
  virtual void ShowRowArrhythmias(int key) = 0;
  virtual void Close() = 0;
  virtual void ShowView1() = 0;
  virtual void ShowView2() = 0;
  // The print range dialog, when there is one.
  virtual void Print() = 0;
  // The comparison window for the row's record (its context menu).
  virtual void CompareRow(int /*key*/) {}

 protected:
  ~ListCommands() = default;
};

}  // namespace views
