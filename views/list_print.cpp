#include "views/list_print.h"

#include "store/record_page.h"

namespace views {

namespace {

using platform::Status;
using store::ExamField;

struct Column {
  int offset;
  const char* heading;
  int headingOffset;
  ExamField field;
};

// Each field of a record line and the heading above it.
constexpr Column kColumns[] = {
    {0, "(ﾌｧｲﾙNO)", 0, ExamField::RecordNo},     {10, "( 撮影日 )", 12, ExamField::ExamDate},
    {20, "  (ID )", 20, ExamField::PatientId},   {30, " (氏名) ", 32, ExamField::Name},
    {43, " (性別) ", 41, ExamField::Sex},        {53, "( 年齢 )", 51, ExamField::Age},
    {63, "( 部署 )", 62, ExamField::Department}, {73, "( HR )", 72, ExamField::HeartRate},
};

constexpr double kX = 1;
constexpr double kHeaderLine = 5;

Status PrintAt(platform::Printer& printer, double x, double y, const std::string& text) {
  printer.SetPrintPosition(x, y);
  return printer.Print(text);
}

Status PrintHeader(platform::Printer& printer, int page) {
  printer.FontBold = true;
  Status s = PrintAt(printer, kX + 30, kHeaderLine - 3, "**********心電図ファイルリスト**********");
  printer.FontBold = false;
  if (!s.ok()) return s;
  if (s = PrintAt(printer, kX, kHeaderLine - 2, "Page=" + std::to_string(page)); !s.ok()) return s;
  for (const Column& c : kColumns) {
    if (s = PrintAt(printer, kX + c.headingOffset, kHeaderLine, c.heading); !s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace

int ListPageCount(int records) {
  return records <= 0 ? 1 : (records + kListRecordsPerPage - 1) / kListRecordsPerPage;
}

std::string ListPrintTitle(int first, int last) {
  return "心電図ファイルリスト_" + std::to_string(first) + "-" + std::to_string(last);
}

Status PrintRecordList(sessions::ExamListSession& list, platform::Printer& printer, int first,
                       int last, const std::function<void(int page)>& pagePrinted) {
  printer.FontName = std::string(store::kPrintFontName);
  printer.FontSize = kListFontSize;
  printer.FontBold = false;

  auto fail = [&printer](Status s) {
    printer.KillDoc();
    return s;
  };
  int page = 1;
  if (Status s = PrintHeader(printer, page); !s.ok()) return fail(s);
  double y = kListFirstRecordLine;
  store::ExamRecord record;
  for (int p = first; p <= last; ++p) {
    if (Status s = list.ReadListRecord(p, record); !s.ok()) return fail(s);
    for (const Column& c : kColumns) {
      if (Status s = PrintAt(printer, kX + c.offset, y, record.Get(c.field)); !s.ok()) {
        return fail(s);
      }
    }
    y += 2;
    if (y > kListLastRecordLine && p < last) {
      if (Status s = printer.EndDoc(); !s.ok()) return fail(s);
      if (pagePrinted) pagePrinted(page);
      ++page;
      if (Status s = PrintHeader(printer, page); !s.ok()) return fail(s);
      y = kListFirstRecordLine;
    }
  }
  if (Status s = printer.EndDoc(); !s.ok()) return fail(s);
  if (pagePrinted) pagePrinted(page);
  return Status::Ok();
}

}  // namespace views
