#pragma once

#include <functional>
#include <string>

#include "platform/printer.h"
#include "sessions/exam_list_session.h"

namespace views {

// The printout of the record list, in character cells (column, line) from
// the top left corner of the printable area.
inline constexpr int kListRecordsPerPage = 25;
inline constexpr int kListFirstRecordLine = 7;
inline constexpr int kListLastRecordLine = 55;
// "ＭＳ ゴシック" 9 point: a department of six full-width characters keeps
// clear of the heart rate ten columns on.
inline constexpr double kListFontSize = 9;

// Pages a range of `records` list positions takes (one for an empty range).
int ListPageCount(int records);

// Prints list positions `first` ... `last` of the list's working file, 25
// records a page, each page a document of its
// own. Every page starts with the header, for x = 1:
//   (31, 2) "**********心電図ファイルリスト**********" (bold),
//   (1, 3)  "Page=" + page number,
//   line 5  "(ﾌｧｲﾙNO)" at 1, "( 撮影日 )" at 13, "  (ID )" at 21,
//           " (氏名) " at 33, " (性別) " at 42, "( 年齢 )" at 52,
//           "( 部署 )" at 63, "( HR )" at 73;
// then one record every second line from line 7 to 55, its fields trimmed:
// RecordNo at 1, ExamDate at 11, PatientId at 21, Name at 31, Sex at 44,
// Age at 54, Department at 64, HeartRate at 74. A page is started only for
// a record that follows, so a range of 25 records is one page.
// `pagePrinted` is told the number of each page done. Stops at the first
// failure (a printer error, or a record of the working file that cannot be
// read), abandons the document being drawn and returns the failure.
platform::Status PrintRecordList(sessions::ExamListSession& list, platform::Printer& printer,
                                 int first, int last,
                                 const std::function<void(int page)>& pagePrinted = {});

// The title of the print command (what the PDF printer names its file after).
std::string ListPrintTitle(int first, int last);

}  // namespace views
