#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "platform/printer.h"
#include "platform/ui.h"
#include "store/store.h"

namespace store {

// The examination printed on one A4 portrait page, with the values of the
// window that prints it (the main window or the detail view), as its
// controls show them.
struct RecordPage {
  std::string examDate;                    // printed unchanged
  std::string patientId;                   // printed unchanged
  std::string name;                        // printed unchanged
  std::string sex;                         // printed unchanged
  std::string age;                         // printed unchanged
  std::string department;                  // printed unchanged
  std::string heartRate;                   // printed unchanged
  std::array<std::string, 5> leadSites;    // printed trimmed
  std::array<std::string, 5> findings;     // printed trimmed
  std::array<std::string, 5> arrhythmias;  // printed trimmed
  // CommentText of the stored record (not of the screen).
  std::string commentText;
  // The picture on screen; empty when there is none.
  platform::PrintPicture picture;
};

// The page's font.
inline constexpr std::string_view kPrintFontName = "ＭＳ ゴシック";

// CommentText: the comment with every half-width blank, carriage return and
// line feed removed.
std::string CommentText(std::string_view comment);

// Characters `first` to `first` + `count` - 1 (1-based) of a UTF-8 text,
// counted as characters, not bytes; empty beyond its end.
std::string CharacterSlice(std::string_view text, std::size_t first, std::size_t count);

// Lays out the page and ends the document, in character cells:
//   font "ＭＳ ゴシック" 12 point;
//   column 5, lines 5, 7 ... 17: "検査日: ", "ID  : ", "氏名: ", "性別: ",
//     "年齢: ", "部署: ", "HR  : ", each followed by its value;
//   column 30, lines 5 ... 13: "異常所見<i>: " + lead site + "/" + finding,
//     lines 15 ... 23: "不整脈<i> : " + arrhythmia;
//   column 5, line 24: "(コメント)", lines 25 ... 31: CommentText in
//     slices of 60 characters (the last slice 361-400), empty ones too;
//   the picture stretched over 70 columns x 25 lines from column 10, line 32.
// Each step is attempted whatever the printer answered to the one before.
void PrintRecordPage(platform::Printer& printer, const RecordPage& page);

// What the window that prints hands the command.
struct RecordPrintRequest {
  // The number of the record on screen (Label14).
  int recordNumber = 0;
  // The current printer, chosen in the main window's printer list.
  std::string printerName;
  // The values of the page, read from the window when printing starts
  // (commentText is filled by the command).
  std::function<RecordPage()> page;
  // Run when the user answers No to the paper question; when not set, the
  // properties dialog of `printerName` opens. False (the settings were
  // cancelled) ends the print there.
  std::function<bool()> printerSettings;
};

// 印刷 of an examination:
//   a number outside 1 ... RecordCount: "印刷できません。" (warning); end;
//   record n read, CommentText built from its comment
//     (empty when the record cannot be read);
//   "プリンターを　「Ａ４縦向き」　にセットしましたか。" titled
//     "プリンター設定確認", Yes/No/Cancel: No opens the printer settings and
//     goes on when they are closed with OK (cancelling them ends), Cancel
//     ends;
//   "印刷します", Yes/No: anything but Yes ends;
//   hourglass; the page printed on `printerName` (PrintRecordPage), one
//   document; hourglass off; the PDF printer's file is named to the user.
// Printer errors are skipped without a message.
void PrintRecord(Store& store, platform::Ui& ui, platform::Printer& printer,
                 const RecordPrintRequest& request);

}  // namespace store
