#include "store/sort_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "platform/cp932.h"
#include "platform/helper_thread.h"
#include "sortlib/zuvasortmem.h"
#include "store/digits.h"
#include "store/entry_rules.h"
#include "store/rebuilds.h"
#include "store/text_format.h"

namespace store {
namespace {

using platform::Status;

constexpr std::string_view kLineEnd = "\r\n";

class ComponentSortJob final : public SortJob {
 public:
  bool Create(platform::Ui& ui) {
    if (const platform::CreateResult created = job_.Create(); !created.status.ok()) {
      // The library that was tried and the command that registers one.
      ui.MsgBox(zuvasort::LibraryMissingMessage(created), platform::kCritical);
      return false;
    }
    job_.RouteMessagesTo(ui);
    return true;
  }
  ~ComponentSortJob() override { job_.Release(); }

  std::int32_t SetParam(std::string_view keyParameter) override {
    return job_.SetParam(keyParameter);
  }
  std::int32_t Open() override { return job_.Open(); }
  std::int32_t Put(std::string_view line) override { return job_.Put(line); }
  std::int32_t Main() override { return job_.Main(); }
  std::int32_t Get(std::string& line) override { return job_.Get(line); }
  std::int32_t Close() override { return job_.Close(); }
  std::int32_t PutLines(std::span<const std::string_view> lines) override {
    return job_.PutLines(lines);
  }
  std::int32_t GetLines(std::string& out, std::string_view separator) override {
    return job_.GetLines(out, separator);
  }

 private:
  zuvasort::SortJob job_;
};

std::string RtnMessage(std::string_view call, std::int32_t status) {
  return "SORT " + std::string(call) + " RTN NOT = 0 (" + std::to_string(status) + ")";
}

Status WriteExchangeFile(platform::FileSystem& fs, const std::string& bytes) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(kSortExchangeFile, file); !s.ok()) return s;
  return file->WriteAt(0, std::span<const char>(bytes.data(), bytes.size()));
}

// The number a line ends with: plain digits as they are written, anything
// else by its numeric value.
double PositionOf(std::string_view digits) {
  double n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return NumericValue(digits);
    n = n * 10 + (c - '0');
  }
  return n;
}

// The positions of the sorted lines, each taken from the last `digits`
// characters of its line, each a record number. That every record comes
// back exactly once is for the reorder to see.
Status PositionsOf(std::string_view exchange, std::int32_t count, std::size_t digits,
                   std::vector<std::int32_t>& out) {
  out.clear();
  out.reserve(static_cast<std::size_t>(count));
  const char* at = exchange.data();
  const char* const end = at + exchange.size();
  while (at != end) {
    const auto* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
    const char* next = newline != nullptr ? newline + 1 : end;
    std::string_view line(at, static_cast<std::size_t>((newline != nullptr ? newline : end) - at));
    at = next;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() < digits) return Status::Error(platform::kBadRecordNumber);
    const double n = PositionOf(line.substr(line.size() - digits));
    if (n < 1 || n > count || n != std::floor(n)) return Status::Error(platform::kBadRecordNumber);
    out.push_back(static_cast<std::int32_t>(n));
  }
  if (static_cast<std::int64_t>(out.size()) != count) {
    return Status::Error(platform::kBadRecordNumber);
  }
  return Status::Ok();
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Appends the sort line of examination i, which the read phase has just read.
void AppendExamLine(const ExamRecord& exam, ExamField field, std::int32_t i, std::string& out) {
  const std::string_view raw = exam.Raw(field);
  if (IsAscii(raw)) {
    out.append(raw);
  } else {
    out += platform::FromCp932(raw);
  }
  AppendDigits(out, static_cast<std::uint64_t>(i), 6);
}

// Appends the sort line of patient i, whose record bytes are `record`.
void AppendPatientLine(std::string_view record, PatientField field, std::int32_t i,
                       std::string& out) {
  const FieldDef& def = kPatientFields[static_cast<std::size_t>(field)];
  const char* bytes = record.data() + def.offset;
  std::size_t first = 0, last = def.width;
  while (first < last && bytes[first] == ' ') ++first;
  while (last > first && bytes[last - 1] == ' ') --last;
  const std::string_view raw(bytes + first, last - first);
  const std::size_t from = out.size();
  if (!raw.empty() && raw.size() <= 6 &&
      std::all_of(raw.begin(), raw.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    // The digits as "000000" formats them, then the number: the common
    // line written in place.
    out.resize(from + 16);
    char* line = out.data() + from;
    std::memset(line, '0', 6 - raw.size());
    std::memcpy(line + 6 - raw.size(), raw.data(), raw.size());
    if (WriteDigits(line + 6, static_cast<std::uint64_t>(i), 10)) return;
    out.resize(from + 6);
    AppendDigits(out, static_cast<std::uint64_t>(i), 10);
    return;
  } else {
    PatientRecord patient;
    std::copy_n(record.data(), kPatientRecordLength, patient.data());
    out += FormatPatientId(patient.Get(field));
  }
  // Text that is no number keeps the six key characters of the line.
  if (out.size() - from < 6) out.append(6 - (out.size() - from), ' ');
  AppendDigits(out, static_cast<std::uint64_t>(i), 10);
}

// Lines collected in one string and handed to the job many at a time.
class LineBatch {
 public:
  static constexpr std::size_t kLines = 4096;
  std::string& Text() { return text_; }
  // Ends the line appended to Text() since the last one.
  void EndLine() { ends_.push_back(text_.size()); }
  bool Full() const { return ends_.size() >= kLines; }
  std::int32_t HandTo(SortJob& job) {
    views_.clear();
    std::size_t from = 0;
    for (std::size_t end : ends_) {
      views_.emplace_back(text_.data() + from, end - from);
      from = end;
    }
    const std::int32_t s = views_.empty() ? 0 : job.PutLines(views_);
    text_.clear();
    ends_.clear();
    return s;
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
  std::vector<std::string_view> views_;
};

// The master's records 1 .. count in place, or read into `copy`.
Status MasterRecords(Store& store, std::int32_t count, std::unique_ptr<platform::MappedBytes>& map,
                     std::vector<char>& copy, std::string_view& records) {
  RecordFile* master = store.MasterFile();
  if (master == nullptr) return Status::Error(platform::kBadFileNameOrNumber);
  map = master->MapRecords(count);
  if (map) {
    records = std::string_view(map->Bytes().data(), map->Bytes().size());
    return Status::Ok();
  }
  copy.resize(static_cast<std::size_t>(count) * kPatientRecordLength);
  if (Status s = master->ReadRecords(1, count, copy); !s.ok()) return s;
  records = std::string_view(copy.data(), copy.size());
  return Status::Ok();
}

// The sort lines of patients first .. last (1-based) of `records` in `batch`.
void PatientLines(std::string_view records, PatientField field, std::int32_t first,
                  std::int32_t last, LineBatch& batch) {
  for (std::int32_t i = first; i <= last; ++i) {
    const std::string_view record = records.substr(
        static_cast<std::size_t>(i - 1) * kPatientRecordLength, kPatientRecordLength);
    AppendPatientLine(record, field, i, batch.Text());
    batch.EndLine();
  }
}

// The read phase of the master: while one batch of lines goes to the job, a
// second thread makes the next.
std::int32_t PutPatientLines(std::string_view records, PatientField field, std::int32_t count,
                             SortJob& job, platform::Progress& progress) {
  constexpr auto kBatch = static_cast<std::int32_t>(LineBatch::kLines);
  LineBatch batches[2];
  std::optional<platform::HelperThread> helper;
  if (platform::HelperThread::Pays() && count > 2 * kBatch) helper.emplace();
  PatientLines(records, field, 1, std::min(count, kBatch), batches[0]);
  std::int32_t s = zuvasort::kSortOk;
  for (std::int32_t first = 1, b = 0; first <= count && s == zuvasort::kSortOk;
       first += kBatch, b = 1 - b) {
    const std::int32_t next = first + kBatch;
    const std::int32_t nextLast = std::min(count, next + kBatch - 1);
    LineBatch& following = batches[1 - b];
    auto makeNext = [&, next, nextLast] { PatientLines(records, field, next, nextLast, following); };
    if (next <= count && helper) helper->Start(makeNext);
    s = batches[b].HandTo(job);
    progress.Advance(std::min(count, next - 1));
    if (next > count) break;
    if (helper) {
      helper->Wait();
    } else {
      makeNext();
    }
  }
  if (helper) helper->Wait();
  return s;
}

// The read phase: every record's sort line handed to the job. The status of
// the PUT that failed, else 0; a record that could not be read leaves its
// error in `read`.
std::int32_t PutSortLines(Store& store, const SortKey& key, std::int32_t count, SortJob& job,
                          platform::Progress& progress, Status& read) {
  if (const auto* patientField = std::get_if<PatientField>(&key.field)) {
    std::unique_ptr<platform::MappedBytes> map;
    std::vector<char> copy;
    std::string_view records;
    read = MasterRecords(store, count, map, copy, records);
    if (!read.ok()) return 0;
    return PutPatientLines(records, *patientField, count, job, progress);
  }
  const ExamField field = std::get<ExamField>(key.field);
  LineBatch batch;
  ExamRecord exam;
  for (std::int32_t i = 1; i <= count; ++i) {
    if (read = store.ReadExamination(i, exam); !read.ok()) return 0;
    AppendExamLine(exam, field, i, batch.Text());
    batch.EndLine();
    if (batch.Full() || i == count) {
      if (const std::int32_t s = batch.HandTo(job); s != zuvasort::kSortOk) return s;
      progress.Advance(i);
    }
  }
  return zuvasort::kSortOk;
}

}  // namespace

const SortKey kExamsByDate = {ExamField::ExamDate,
                              "1,10,A",
                              "データを検査日順に並べ替えます。",
                              "終了。",
                              "データがありません。",
                              "データが１件なので並べ替えできません。"};
const SortKey kExamsById = {ExamField::PatientId,
                            "1,6,A",
                            "データをＩＤ順に並べ替えます。",
                            "終了。",
                            "データがありません。",
                            "データが１件なので並べ替えできません。"};
const SortKey kPatientsById = {
    PatientField::PatientId, "1,6,A", "患者マスタを昇順に並べ替えますか？", "", "", ""};

std::unique_ptr<SortJob> CreateComponentSortJob(platform::Ui& ui) {
  auto job = std::make_unique<ComponentSortJob>();
  if (!job->Create(ui)) return nullptr;
  return job;
}

SortOutcome SortFile(Store& store, platform::Ui& ui, platform::Progress& progress,
                     const SortKey& key, const SortJobFactory& createJob) {
  const bool exams = std::holds_alternative<ExamField>(key.field);
  const Staging staging = exams ? Staging::WorkFile : Staging::ScratchFile;
  const std::int32_t count = exams ? store.RecordCount() : store.PatientCount();
  const std::size_t positionDigits = exams ? 6 : 10;
  platform::FileSystem& fs = store.Files();

  if (count < 2) {
    const std::string_view refusal = count == 0 ? key.noData : key.oneRecord;
    if (!refusal.empty()) ui.MsgBox(refusal, platform::kExclamation);
    return SortOutcome::Refused;
  }
  if (!key.question.empty() && ui.MsgBox(key.question, platform::kYesNo) != platform::kAnswerYes) {
    return SortOutcome::Refused;
  }
  if (fs.Exists(kSortExchangeFile)) {
    if (Status s = fs.Delete(kSortExchangeFile); !s.ok()) {
      ui.ShowErrorNumber(s.error);
      return SortOutcome::Failed;
    }
  }

  std::unique_ptr<SortJob> job = createJob ? createJob(ui) : nullptr;
  if (!job) return SortOutcome::Failed;  // the factory said why
  // Every failure: the progress hidden, the message, then the job released.
  auto fail = [&](std::string_view message) {
    progress.Hide();
    ui.MsgBox(message, platform::kOkOnly);
    job.reset();
    return SortOutcome::Failed;
  };
  auto failNumber = [&](Status s) {
    progress.Hide();
    ui.ShowErrorNumber(s.error);
    job.reset();
    return SortOutcome::Failed;
  };

  std::int32_t s = job->SetParam(key.parameter);
  if (s == zuvasort::kSortOk) s = job->Open();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("OPEN", s));

  progress.BeginPhase(kReadingCaption, count);
  ui.DoEvents();
  Status read;
  s = PutSortLines(store, key, count, *job, progress, read);
  if (!read.ok()) return failNumber(read);
  if (s != zuvasort::kSortOk) return fail(RtnMessage("PUT", s));

  s = job->Main();
  progress.Hide();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("MAIN", s));

  std::string exchange;
  exchange.reserve(static_cast<std::size_t>(count) * (positionDigits + 14));
  s = job->GetLines(exchange, kLineEnd);
  if (!IsAscii(exchange)) exchange = platform::ToCp932(exchange);
  if (s != zuvasort::kEndOfData) {
    (void)WriteExchangeFile(fs, exchange);
    return fail(RtnMessage("GET", s));
  }
  if (Status w = WriteExchangeFile(fs, exchange); !w.ok()) return failNumber(w);
  s = job->Close();
  if (s != zuvasort::kSortOk) return fail(RtnMessage("CLOSE", s));
  job.reset();

  std::vector<std::int32_t> positions;
  if (Status r = PositionsOf(exchange, count, positionDigits, positions); !r.ok()) {
    return failNumber(r);
  }
  ui.DoEvents();
  const RebuildResult rebuilt = ReorderByPositions(store, staging, positions, &progress);
  progress.Hide();
  if (!rebuilt.Changed()) return failNumber(rebuilt.status);
  (void)fs.Delete(kSortExchangeFile);
  if (!rebuilt.ok()) {
    ui.MsgBox("データは並べ替えられましたが、その後の処理でエラーが発生しました。（エラー番号 " +
                  platform::ErrorText(rebuilt.status.error) + "）",
              platform::kExclamation);
    return SortOutcome::SortedThenFailed;
  }
  if (!key.finished.empty()) ui.MsgBox(key.finished, platform::kOkOnly);
  return SortOutcome::Sorted;
}

}  // namespace store
