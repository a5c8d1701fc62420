#pragma once

#include <QMainWindow>
#include <array>

#include "forms/list_pages.h"
#include "views/list_commands.h"

class QAction;
class QMenu;
class QPushButton;

// List view 1 "一覧①": the main facts of 15 records a page in columns, and a
// picture cell per row that shows the record's ECG image. A click on a data
// cell of a row opens the record in the main window.
class Form5 : public QMainWindow, public store::ListForm1 {
  Q_OBJECT

 public:
  explicit Form5(views::ListCommands& list, QWidget* parent = nullptr);

  // Shown maximised.
  void Form_Load();

  // Controls besides those the page drawing writes.
  std::array<QLabel*, 7> Label1{};  // ファイルNO 検査日 ID 氏名 性別 年齢 所属
  QLabel* Label12 = nullptr;        // HR
  QLabel* Label14 = nullptr;        // 画像
  store::Rows<QLabel> Image1{};     // the picture cell of each row
  QPushButton* Command1 = nullptr;  // previous page
  QPushButton* Command2 = nullptr;  // next page
  QPushButton* Command3 = nullptr;  // 閉じる(&E)
  QPushButton* Command4 = nullptr;  // 印刷(&P): disabled until the print dialog is there
  QMenu* GAMEN = nullptr;           // 画面(&G)
  QAction* BDATA = nullptr;         // 前のデータ(&B)
  QAction* NDATA = nullptr;         // 次のデータ(&N)
  QAction* ITIRAN_2 = nullptr;      // 一覧②

  void Command1_Click();
  void Command2_Click();
  void BDATA_Click() { Command1_Click(); }
  void NDATA_Click() { Command2_Click(); }
  void Slider1_Click();
  // A data cell of row i (Label2 ... Label8, Label13).
  void Row_Click(int i);
  // The picture cell of row i: the record's image file in the image directory
  // (found ignoring case) to the zoom window; "画像：<name>.jpgはありません。"
  // when there is none.
  void Image1_Click(int i);
  void ITIRAN_2_Click();
  void Command3_Click();
  void Command4_Click();

  // Enables the print button (the print range dialog is there).
  void EnablePrint(bool on);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  views::ListCommands& list_;
};
