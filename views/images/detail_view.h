#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/detail_view.h"
#include "platform/printer.h"
#include "platform/ui.h"
#include "sessions/image_list_session.h"
#include "store/store.h"

class QGroupBox;
class QPushButton;

// The detail view "詳細表示": one examination in full, read-only, laid out
// like the main window's record form, with its ECG picture and the facts of
// the picture file. From it the picture is enlarged and the record printed
// on the page the main window prints. It never writes to a file.
class Form9 : public QWidget, public store::DetailForm {
  Q_OBJECT

 public:
  // Without a printer, 印刷 stays disabled. `printerName` answers the main
  // window's current printer.
  Form9(store::Store& store, sessions::ImageListSession& session, platform::Ui& ui,
        platform::Printer* printer, std::function<std::string()> printerName,
        QWidget* parent = nullptr);

  // The zoom window, given the picture, the name and date lines and the file
  // the picture came from.
  std::function<void(const QPixmap& picture, const QString& label1, const QString& label2,
                     const std::string& sourceFile)>
      showZoom;
  // The comparison window for the examination shown; unset, 過去の検査と比較
  // is hidden.
  std::function<void(int record)> compare;
  // Shows the view above the main window; unset, it is shown and activated.
  std::function<void(QWidget* view)> showWindow;
  // The print-setup dialog of the No answer: the printers and the one
  // printing now; answers the printer chosen, nothing when cancelled. Unset,
  // Qt's dialog asks.
  std::function<std::optional<std::string>(const std::vector<std::string>& printers,
                                           const std::string& current)>
      printSetup;

  // Record n of the data file read, the view emptied
  // (ClearDetailView) and filled (ShowDetailRecord) and shown; an open view
  // is refilled in place. False, with the error shown and the view as it
  // was, when the record cannot be read.
  bool Open(int n);
  // After another workstation's change: the examination shown again as it
  // is stored now (where it lies now), or the view hidden when it is gone
  // (the message is the caller's to show). The view is not raised.
  void FollowDrive(const sessions::ImageFollowOutcome& followed);

  QGroupBox* Frame1 = nullptr;
  QGroupBox* Frame2 = nullptr;      // 画像情報
  QLabel* Label12 = nullptr;        // ファイルＮＯ
  QPushButton* Command1 = nullptr;  // 閉じる(&E)
  QPushButton* Command2 = nullptr;  // 印刷(&P)
  QPushButton* Command3 = nullptr;  // 過去の検査と比較(&K)

  // The number of the record shown, as Label14 shows it.
  int RecordNumber = 0;

  // 閉じる: the view hidden.
  void Command1_Click();
  // 印刷: the record whose number Label14 shows (RecordNumber), printed as the main window
  // prints it, from this view's fields and picture; No to the paper question
  // opens the print-setup dialog and prints on the printer chosen there.
  void Command2_Click();
  // The picture, the name and date of the record shown, to the zoom window.
  void Image1_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(QWidget* client);
  void Fill(const sessions::DetailOutcome& detail, int n);
  std::optional<std::string> AskPrintSetup(const std::string& current);

  store::Store& store_;
  sessions::ImageListSession& session_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  std::function<std::string()> printerName_;
  int openedRecord_ = 0;  // the data-file record shown
};
