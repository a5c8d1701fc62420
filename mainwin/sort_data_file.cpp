#include "mainwin/sort_data_file.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "sortlib/zuvasortmem.h"
#include "store/text_format.h"

namespace mainwin {
namespace {

using platform::Status;
using store::ExamField;

constexpr const char* kLineEnd = "\r\n";

struct SortKey {
  const char* param;
  ExamField field;
  const char* question;
};

SortKey KeyOf(SortOrder order) {
  if (order == SortOrder::ById) {
    return {"1,6,A", ExamField::PatientId, "データをＩＤ順に並べ替えます。"};
  }
  return {"1,10,A", ExamField::ExamDate, "データを検査日順に並べ替えます。"};
}

std::string RtnMessage(const char* call, std::int32_t status) {
  return std::string("SORT ") + call + " RTN NOT = 0 (" + std::to_string(status) + ")";
}

// Writes the exchange file in one piece.
Status WriteExchangeFile(platform::FileSystem& fs, const std::string& bytes) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(store::kSortExchangeFile, file); !s.ok()) return s;
  return file->WriteAt(0, std::span<const char>(bytes.data(), bytes.size()));
}

Status ReadExchangeFile(platform::FileSystem& fs, std::string& bytes) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(store::kSortExchangeFile, file); !s.ok()) return s;
  std::uint64_t length = 0;
  if (Status s = file->Length(length); !s.ok()) return s;
  bytes.resize(length);
  std::size_t got = 0;
  if (Status s = file->ReadAt(0, bytes, got); !s.ok()) return s;
  bytes.resize(got);
  return Status::Ok();
}

// The positions of the sorted lines: the last six characters of each line
// (positions 7-12 of an ID line, 11-16 of a date line). Every record of the
// data file must come back exactly once.
Status PositionsOf(const std::string& exchange, std::int32_t count,
                   std::vector<std::int32_t>& out) {
  out.clear();
  std::vector<bool> seen(static_cast<std::size_t>(count) + 1, false);
  std::size_t start = 0;
  while (start < exchange.size()) {
    std::size_t end = exchange.find('\n', start);
    if (end == std::string::npos) end = exchange.size();
    std::string_view line(exchange.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.size() < 6) return Status::Error(platform::kBadRecordNumber);
    const double n = store::NumericValue(line.substr(line.size() - 6));
    const auto position = static_cast<std::int32_t>(n);
    if (position < 1 || position > count || seen[static_cast<std::size_t>(position)]) {
      return Status::Error(platform::kBadRecordNumber);
    }
    seen[static_cast<std::size_t>(position)] = true;
    out.push_back(position);
  }
  if (static_cast<std::int32_t>(out.size()) != count) {
    return Status::Error(platform::kBadRecordNumber);
  }
  return Status::Ok();
}

}  // namespace

SortOutcome SortDataFile(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                         SortOrder order) {
  const SortKey key = KeyOf(order);
  platform::FileSystem& fs = store.Files();
  if (store.RecordCount == 0) {
    ui.MsgBox("データがありません。", platform::kExclamation);
    return SortOutcome::Refused;
  }
  if (store.RecordCount == 1) {
    ui.MsgBox("データが１件なので並べ替えできません。", platform::kExclamation);
    return SortOutcome::Refused;
  }
  if (ui.MsgBox(key.question, platform::kYesNo) != platform::kAnswerYes) {
    return SortOutcome::Refused;
  }
  if (fs.Exists(store::kSortExchangeFile)) {
    if (Status s = fs.Delete(store::kSortExchangeFile); !s.ok()) {
      ui.ShowErrorNumber(s.error);
      return SortOutcome::Failed;
    }
  }

  zuvasort::SortJob job;
  if (!job.Create().status.ok()) {
    ui.MsgBox(kSortLibraryMissing, platform::kCritical);
    return SortOutcome::Failed;
  }
  job.RouteMessagesTo(ui);
  auto fail = [&](std::string_view message) {
    progress.Hide();
    ui.MsgBox(message, platform::kOkOnly);
    job.Release();
    return SortOutcome::Failed;
  };
  auto failNumber = [&](Status s) {
    progress.Hide();
    ui.ShowErrorNumber(s.error);
    job.Release();
    return SortOutcome::Failed;
  };

  std::int32_t s = job.SetParam(key.param);
  if (s == zuvasort::kSortOk) s = job.Open();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("OPEN", s));

  // Read phase: one short line per record.
  const std::int32_t count = store.RecordCount;
  progress.BeginPhase("データ読み込み中・・・", count);
  ui.DoEvents();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (Status r = store.ReadCurrentRecord(i); !r.ok()) return failNumber(r);
    std::string line = platform::FromCp932(store.CurrentRecord.Raw(key.field));
    line += store::FormatNumber(i, "000000");
    s = job.Put(line);
    if (s != zuvasort::kSortOk) return fail(RtnMessage("PUT", s));
    progress.Advance(i);
  }

  s = job.Main();
  progress.Hide();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("MAIN", s));

  std::string exchange;
  exchange.reserve(static_cast<std::size_t>(count) * 18);
  std::string line;
  while ((s = job.Get(line)) == zuvasort::kSortOk) {
    exchange += platform::ToCp932(line);
    exchange += kLineEnd;
  }
  if (s != zuvasort::kEndOfData) {
    (void)WriteExchangeFile(fs, exchange);
    return fail(RtnMessage("GET", s));
  }
  if (Status w = WriteExchangeFile(fs, exchange); !w.ok()) return failNumber(w);
  s = job.Close();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("CLOSE", s));
  job.Release();

  // Write phase: the records in the new order into "TEMP.DATA", which then
  // replaces the data file.
  std::string sorted;
  std::vector<std::int32_t> positions;
  if (Status r = ReadExchangeFile(fs, sorted); !r.ok()) return failNumber(r);
  if (Status r = PositionsOf(sorted, count, positions); !r.ok()) return failNumber(r);
  Status rebuilt = store.Rebuild(store::Staging::WorkFile, [&]() -> Status {
    progress.BeginPhase("データ書き込み中・・・", count);
    ui.DoEvents();
    // The records are read in file order (a forward read, not one seek per
    // record) and copied in the new order; at most 100,000 records, 58 MB.
    // Copying a whole record and then setting RecordNo is CopyToWorkRecord
    // followed by the new number.
    constexpr std::size_t kLength = store::kExamRecordLength;
    std::unique_ptr<char[]> records(new char[static_cast<std::size_t>(count) * kLength]);
    for (std::int32_t i = 1; i <= count; ++i) {
      std::span<char> slot(records.get() + static_cast<std::size_t>(i - 1) * kLength, kLength);
      if (Status r = store.DataFileNo->Read(i, slot); !r.ok()) return r;
    }
    for (std::int32_t j = 1; j <= count; ++j) {
      const auto n = static_cast<std::size_t>(positions[static_cast<std::size_t>(j - 1)]);
      std::copy_n(records.get() + (n - 1) * kLength, kLength, store.WorkRecord.data());
      store.WorkRecord.Set(ExamField::RecordNo, store::FormatNumber(j, "000000"));
      if (Status w = store.WorkFileNo->Write(j, store.WorkRecord); !w.ok()) return w;
      progress.Advance(j);
    }
    return Status::Ok();
  });
  progress.Hide();
  if (!rebuilt.ok()) {
    ui.ShowErrorNumber(rebuilt.error);
    return SortOutcome::Failed;
  }
  (void)fs.Delete(store::kSortExchangeFile);
  ui.MsgBox("終了。", platform::kOkOnly);
  return SortOutcome::Sorted;
}

}  // namespace mainwin
