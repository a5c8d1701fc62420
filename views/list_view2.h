#pragma once

#include <QMainWindow>
#include <array>

#include "forms/list_pages.h"
#include "views/list_commands.h"

class QAction;
class QMenu;
class QPushButton;

// List view 2 "一覧②": file number, date, ID and name of 15 records a page,
// and per row the comment and the lists of lead sites with findings and of
// arrhythmias. A click on a data cell opens the record in the main window; a
// click on the comment or a list shows it whole in a message.
class Form13 : public QMainWindow, public store::ListForm2 {
  Q_OBJECT

 public:
  explicit Form13(views::ListCommands& list, QWidget* parent = nullptr);

  std::array<QLabel*, 7> Label1{};  // ファイルNO 検査日 ID 氏名 コメント 誘導部位/異常所見 不整脈
  QPushButton* Command1 = nullptr;  // previous page
  QPushButton* Command2 = nullptr;  // next page
  QPushButton* Command3 = nullptr;  // 閉じる(&E)
  QPushButton* Command4 = nullptr;  // 印刷(&P)
  QMenu* GAMEN1 = nullptr;          // 画面(&G)
  QAction* backdata = nullptr;      // 前のデータ(&B)
  QAction* nextdata = nullptr;      // 次のデータ(&N)
  QAction* ITIRAN_1 = nullptr;      // 一覧①

  void Command1_Click();
  void Command2_Click();
  void backdata_Click() { Command1_Click(); }
  void nextdata_Click() { Command2_Click(); }
  void Slider1_Click();
  // A data cell of row i (Label2 ... Label5).
  void Row_Click(int i);
  // The comment of row i, or "コメントはありません。" when it is blank.
  void Text1_Click(int i);
  // Lead site + "/" + finding of the five pairs, trimmed, one a line.
  void List1_Click(int i);
  // The five arrhythmias, trimmed, one a line.
  void List2_Click(int i);
  void ITIRAN_1_Click();
  void Command3_Click();
  void Command4_Click();

  void EnablePrint(bool on);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  views::ListCommands& list_;
};
