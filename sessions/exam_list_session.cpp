#include "sessions/exam_list_session.h"

#include "store/image_files.h"
#include "store/list_pages.h"
#include "store/long_operation.h"
#include "store/rebuilds.h"

namespace sessions {

using store::ExamField;

namespace {

constexpr const char* kCarriageReturn = "\r";

ListStepOutcome Step(ListStep step) {
  ListStepOutcome out;
  out.step = step;
  return out;
}

ListOpeningOutcome Opening(ListOpening opening) {
  ListOpeningOutcome out;
  out.opening = opening;
  return out;
}

}  // namespace

ListOpeningOutcome ExamListSession::OpenListOfAllRecords(platform::Progress& progress) {
  store::RebuildResult copied;
  {
    store::LongOperation operation(store_);
    if (!operation) return Opening(ListOpening::Busy);
    Busy(true);
    copied = store::CopyToStaging(store_, store::Staging::WorkFile, &progress);
    listCount_ = store_.WorkRecordCount();
    if (copied.Changed()) pager_.First();
    if (copied.Changed()) allRecords_ = copied.status.ok();
    if (copied.Changed()) search_.reset();
    Busy(false);
  }
  if (!copied.status.ok()) {
    ListOpeningOutcome out = Opening(ListOpening::Failed);
    out.SayError(copied.status);
    return out;
  }
  return Opening(ListOpening::Opened);
}

ListOpeningOutcome ExamListSession::Search(const store::SearchCriteria& criteria,
                                           platform::Progress& progress) {
  if (const store::CriteriaRefusal refusal = store::CheckCriteria(criteria);
      refusal != store::CriteriaRefusal::None) {
    ListOpeningOutcome out = Opening(ListOpening::Refused);
    out.refusal = refusal;
    if (refusal == store::CriteriaRefusal::AgeRange) {
      out.Say(store::kAgeRangeMessage, platform::kCritical);
    } else {
      out.Say(store::kNoCriterionMessage, platform::kExclamation);
    }
    return out;
  }
  ListOpeningOutcome out = Opening(ListOpening::Failed);
  allRecords_ = false;
  search_.reset();
  if (platform::Status s = store_.RemoveWorkFile(); !s.ok()) {
    out.SayError(s);
    return out;
  }
  platform::Status searched;
  {
    store::LongOperation operation(store_);
    if (!operation) return Opening(ListOpening::Busy);
    Busy(true);
    searched = store::SearchRecords(store_, criteria, progress, out.hits);
    searchedThrough_ = store_.RecordCount();
    Busy(false);
  }
  listCount_ = store_.WorkRecordCount();
  if (!searched.ok()) {
    out.SayError(searched);
    return out;
  }
  if (listCount_ > 0) {
    search_.emplace(criteria);
    out.opening = ListOpening::Opened;
    return out;
  }
  out.opening = ListOpening::NothingFound;
  out.Say("保存されていません。", platform::kOkOnly);
  if (platform::Status s = store_.RemoveWorkFile(); !s.ok()) out.SayError(s);
  store_.CountRecords();
  return out;
}

std::optional<ListStepOutcome> ExamListSession::Unusable() const {
  if (store_.LongOperationRunning()) return Step(ListStep::Busy);
  if (store_.WorkFile()) return std::nullopt;
  ListStepOutcome out = Step(ListStep::Ended);
  out.Say("表示するデータがありません。", platform::kExclamation);
  return out;
}

ListStepOutcome ExamListSession::PreviousPage() {
  if (auto refused = Unusable()) return *refused;
  if (pager_.Previous()) return Step(ListStep::Moved);
  ListStepOutcome out = Step(ListStep::Stayed);
  out.Say("データは以上です。", platform::kCritical);
  return out;
}

ListStepOutcome ExamListSession::NextPage() {
  if (auto refused = Unusable()) return *refused;
  if (pager_.Next(listCount_)) return Step(ListStep::Moved);
  ListStepOutcome out = Step(ListStep::Stayed);
  out.Say("データは以上です。", platform::kCritical);
  return out;
}

ListStepOutcome ExamListSession::GoToPage(int p) {
  if (store_.LongOperationRunning()) return Step(ListStep::Busy);
  if (store_.RecordCount() < 2) return Step(ListStep::Stayed);
  if (auto refused = Unusable()) return *refused;
  pager_.GoTo(p);
  return Step(ListStep::Moved);
}

ListPageOutcome ExamListSession::ReadPage() {
  ListPageOutcome out;
  pager_.Count(listCount_);
  std::vector<store::ListRow> rows;
  if (platform::Status s = store::ReadListPage(store_, pager_, listCount_, rows); !s.ok()) {
    out.SayError(s);
  }
  out.rows.reserve(rows.size());
  for (store::ListRow& row : rows) {
    const int key = store::RowKey(row.record.Raw(ExamField::RecordNo));
    out.rows.push_back({row.position, key, std::move(row.record)});
  }
  out.listCount = listCount_;
  out.pageNumber = pager_.PageNumber();
  out.pageCount = pager_.PageCount();
  return out;
}

std::optional<ListStepOutcome> ExamListSession::ReadRow(int key, store::ExamRecord& record) {
  if (auto refused = Unusable()) return refused;
  if (key < 1 || key > store_.RecordCount()) return Step(ListStep::Stayed);
  if (platform::Status s = store_.ReadExamination(key, record); !s.ok()) {
    ListStepOutcome out = Step(ListStep::Stayed);
    out.SayError(s);
    return out;
  }
  return std::nullopt;
}

ListStepOutcome ExamListSession::OpenRow(int key) {
  if (auto refused = Unusable()) return *refused;
  if (key < 1 || key > store_.RecordCount()) return Step(ListStep::Stayed);
  ListStepOutcome out = Step(ListStep::RowChosen);
  out.record = key;
  return out;
}

ListStepOutcome ExamListSession::RowImage(int key) {
  store::ExamRecord record;
  if (auto refused = ReadRow(key, record)) return *refused;
  const std::string name = record.Get(ExamField::ImageName);
  const std::string found = store::FindImageFile(store_.Files(), name);
  if (found.empty()) {
    ListStepOutcome out = Step(ListStep::Stayed);
    out.Say("画像：" + name + ".jpgはありません。", platform::kOkOnly);
    return out;
  }
  ListStepOutcome out = Step(ListStep::RowChosen);
  out.record = key;
  out.imageFile = store::ImageFilePath(found);
  out.name = record.Get(ExamField::Name);
  out.examDate = record.Get(ExamField::ExamDate);
  return out;
}

ListStepOutcome ExamListSession::RowComment(int key) {
  store::ExamRecord record;
  if (auto refused = ReadRow(key, record)) return *refused;
  const std::string comment = record.Get(ExamField::Comment);
  ListStepOutcome out = Step(ListStep::Stayed);
  out.Say(comment.empty() ? "コメントはありません。" : comment, platform::kOkOnly);
  return out;
}

ListStepOutcome ExamListSession::RowFindings(int key) {
  store::ExamRecord record;
  if (auto refused = ReadRow(key, record)) return *refused;
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) text += kCarriageReturn;
    text += record.Get(store::LeadSiteField(i)) + "/" + record.Get(store::FindingField(i));
  }
  ListStepOutcome out = Step(ListStep::Stayed);
  out.Say(text, platform::kOkOnly);
  return out;
}

ListStepOutcome ExamListSession::RowArrhythmias(int key) {
  store::ExamRecord record;
  if (auto refused = ReadRow(key, record)) return *refused;
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) text += kCarriageReturn;
    text += record.Get(store::ArrhythmiaField(i));
  }
  ListStepOutcome out = Step(ListStep::Stayed);
  out.Say(text, platform::kOkOnly);
  return out;
}

std::optional<std::pair<int, int>> ExamListSession::PrintRange(bool whole, double a,
                                                               double b) const {
  if (whole) return std::pair<int, int>{1, listCount_};
  const double count = listCount_;
  if (b < a || a > count || a < 1 || b > count || b < 1) return std::nullopt;
  return std::pair<int, int>{static_cast<int>(a), static_cast<int>(b)};
}

bool ExamListSession::RunLongOperation(const std::function<void()>& work) {
  store::LongOperation operation(store_);
  if (!operation) return false;
  work();
  return true;
}

platform::Status ExamListSession::ReadListRecord(std::int32_t p, store::ExamRecord& record) {
  if (!store_.WorkFile()) return platform::Status::Error(platform::kBadFileNameOrNumber);
  return store_.WorkFile()->Read(p, record);
}

platform::Status ExamListSession::DiscardWorkFile() {
  listCount_ = 0;
  allRecords_ = false;
  search_.reset();
  return store::DiscardWorkFile(store_);
}

std::vector<std::string> ExamListSession::Entries(store::LookupList which) {
  std::vector<std::string> entries;
  (void)store_.ReadListEntries(which, entries);
  return entries;
}

}  // namespace sessions
