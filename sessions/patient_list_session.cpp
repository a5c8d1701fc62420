// The patient session's list and search: the list's file "KARIKAN.DATA",
// its pages and rows, and the searches that fill it.
#include <algorithm>

#include "platform/cp932.h"
#include "sessions/patient_session.h"
#include "store/entry_rules.h"
#include "store/long_operation.h"
#include "store/text_format.h"

namespace sessions {

namespace {

constexpr const char* kNoData = "データは以上です。";

std::int32_t RowKey(std::string_view fileNumber) {
  const double n = store::NumericValue(fileNumber);
  return n >= 1 && n <= 2147483647.0 ? static_cast<std::int32_t>(n) : 0;
}

}  // namespace

bool PatientSession::ListInMemory() const {
  return !store_.ScratchFile() || store_.ScratchFile()->ReadOnly() ||
         !store_.MasterFileRefusal(true).empty();
}

std::int32_t PatientSession::ListFileCount() const {
  if (ListInMemory()) return static_cast<std::int32_t>(listRecords_.size());
  return store_.ScratchFile() ? store_.ScratchFile()->Count() : 0;
}

void PatientSession::ListMade(std::int16_t mode) {
  PatientListMode = mode;
  PatientPage.First();
  PatientListCount = ListFileCount();
}

bool PatientSession::CopyWholeList(Outcome& outcome) {
  ui_.SetBusyCursor(true);
  store::RebuildResult copied = store::RebuildResult::Done();
  if (ListInMemory()) {
    if (platform::Status s = store::ReadWholeMaster(store_, listRecords_, &progress_); !s.ok()) {
      copied = store::RebuildResult::Unchanged(s);
    }
  } else {
    copied = store::OpenListOfAllPatients(store_, &progress_);
  }
  ui_.SetBusyCursor(false);
  ListMade(1);
  if (!copied.Changed()) PatientListCount = 0;
  if (!copied.ok()) {
    outcome.SayError(copied.status);
    return false;
  }
  return true;
}

CommandOutcome PatientSession::OpenWholeList() {
  CommandOutcome out;
  if (std::string refusal = store_.MasterFileRefusal(false); !refusal.empty()) {
    // A master that could not be read is not an empty one.
    out.result = Done::Refused;
    out.Say(std::move(refusal));
    return out;
  }
  if (store_.PatientCount() == 0) {
    out.result = Done::Refused;
    out.Say("患者マスタは登録されていません。", platform::kCritical);
    return out;
  }
  store::LongOperation operation(store_);
  if (!operation) {
    out.result = Done::Busy;
  } else if (!CopyWholeList(out)) {
    out.result = Done::Failed;
  }
  return out;
}

Outcome PatientSession::DiscardList() {
  Outcome out;
  PatientListCount = 0;
  shownRows_.clear();
  listRecords_.clear();
  if (ListInMemory()) return out;
  if (platform::Status s = store::DiscardScratchFile(store_); !s.ok()) out.SayError(s);
  return out;
}

PatientListPage PatientSession::Page() {
  PatientListPage page;
  shownRows_.clear();
  PatientListCount = ListFileCount();
  PatientPage.Count(PatientListCount);
  const bool inMemory = ListInMemory();
  if (inMemory || store_.ScratchFile()) {
    store::PatientRecord p;
    const std::int32_t last = PatientPage.PageLast(PatientListCount);
    for (std::int32_t k = std::max(PatientPage.PageFirst(), 1); k <= last; ++k) {
      if (inMemory) {
        p = listRecords_[static_cast<std::size_t>(k - 1)];
      } else if (!store_.ScratchFile()->Read(k, p).ok()) {
        break;  // a read failure ends the rows there
      }
      PatientListRow row;
      row.fileNumber = PatientListMode == 1
                           ? store::FormatNumber(k, "0000000000")
                           : platform::FromCp932(p.Raw(store::PatientField::RecordNo));
      row.masterNo = RowKey(row.fileNumber);
      row.id = p.Get(store::PatientField::PatientId);
      row.name = p.Get(store::PatientField::Name);
      row.sex = p.Get(store::PatientField::Sex);
      row.birthDate = p.Get(store::PatientField::BirthDate);
      row.department = p.Get(store::PatientField::Department);
      shownRows_.push_back(std::move(row));
    }
  }
  page.rows = shownRows_;
  page.count = PatientListCount;
  page.pageNumber = PatientPage.PageNumber();
  page.pageCount = PatientPage.PageCount();
  return page;
}

Outcome PatientSession::NextPage() {
  Outcome out;
  if (!PatientPage.Next(PatientListCount)) out.Say(kNoData, platform::kCritical);
  return out;
}

Outcome PatientSession::PreviousPage() {
  Outcome out;
  if (!PatientPage.Previous()) out.Say(kNoData, platform::kCritical);
  return out;
}

bool PatientSession::GoToPage(std::int32_t p) {
  if (PatientListCount <= store::kRowsPerPage) return false;
  PatientPage.GoTo(p);
  return true;
}

PatientShown PatientSession::OpenRow(int r) {
  if (r < 0 || static_cast<std::size_t>(r) >= shownRows_.size()) return {};
  const PatientListRow row = shownRows_[static_cast<std::size_t>(r)];
  if (row.fileNumber.empty()) return {};
  // The row names its master record; a record that no longer holds the
  // row's patient (the master changed since the list was made) is found
  // again by the patient's ID.
  const std::int32_t n = row.masterNo;
  if (n >= 1 && n <= store_.PatientCount() && store_.MasterFile()) {
    store::PatientRecord record;
    if (platform::Status s = store_.MasterFile()->Read(n, record); !s.ok()) {
      PatientShown failed;
      failed.SayError(s);
      return failed;
    }
    if (record.Get(store::PatientField::PatientId) == row.id)
      return Show(n, record, row.fileNumber);
  }
  if (store::IsNumericText(row.id) && store_.PatientCount() > 0) {
    const store::FoundPatient found =
        store_.LookupPatient(static_cast<float>(store::NumericValue(row.id)));
    if (found.outcome == store::LookupOutcome::Done && found.position > 0) {
      return Show(found.position, found.record, store::FormatNumber(found.position, "000000"));
    }
  }
  PatientShown missing;
  missing.Say("登録されていません。");
  return missing;
}

ListAfterChange PatientSession::RefreshList(bool reordered) {
  if (PatientListMode == 1 && store_.PatientCount() > 0) {
    // The whole master again, at the page it showed (or the last there is).
    const std::int32_t page = PatientPage.PageNumber();
    Outcome ignored;
    if (!CopyWholeList(ignored)) return ListAfterChange::Hide;
    PatientPage.Count(PatientListCount);
    PatientPage.GoTo(page);
    return ListAfterChange::Redraw;
  }
  // The hits named records that have moved, and their file is gone.
  if (reordered || store_.PatientCount() == 0) return ListAfterChange::Hide;
  return ListAfterChange::Keep;
}

ChartSearchOutcome PatientSession::SearchChartNumber(const std::string& text) {
  ChartSearchOutcome out;
  if (text.empty()) {
    out.result = ChartSearch::Empty;
    out.Say("カルテＮＯを入力してください。", platform::kCritical);
    return out;
  }
  if (BoxLength(text) >= 7) {
    out.result = ChartSearch::TooLong;
    out.Say("カルテＮＯは６字以内で入力してください。", platform::kCritical);
    return out;
  }
  if (Outcome discarded = DiscardList(); !discarded.Silent()) {
    out.result = ChartSearch::Failed;
    out.messages = discarded.messages;
    return out;
  }
  out.listDiscarded = true;
  // Text that is no number is nobody's chart number (its value 0 would
  // find the patient 000000).
  store::FoundPatient found;
  if (store::IsNumericText(text)) {
    found = store_.LookupPatient(static_cast<float>(store::NumericValue(text)));
    if (found.outcome == store::LookupOutcome::EmptyMaster) {
      out.result = ChartSearch::EmptyMaster;
      out.Say("患者マスタのデータ数は０です。", platform::kCritical);
      return out;
    }
    if (found.outcome == store::LookupOutcome::ReadFailed) {
      out.result = ChartSearch::Failed;
      out.SayError(platform::kDeviceIoError);
      return out;
    }
  }
  if (found.position == 0) {
    out.result = ChartSearch::NotFound;
    out.Say("登録されていません。");
    return out;
  }
  if (!found.status.ok()) {
    out.result = ChartSearch::Failed;
    out.SayError(found.status);
    return out;
  }
  static_cast<PatientShown&>(out) =
      Show(found.position, found.record, store::FormatNumber(found.position, "000000"));
  return out;
}

CommandOutcome PatientSession::SearchBeginning(store::PatientSearchField field,
                                               const std::string& text) {
  CommandOutcome out;
  const bool byName = field == store::PatientSearchField::Name;
  if (text.empty()) {
    out.result = Done::Refused;
    out.Say(byName ? "氏名の最初の何文字かを入力して下さい。"
                   : "ヨミカタの最初の何文字かを入力して下さい。",
            platform::kOkOnly);
    return out;
  }
  store::LongOperation operation(store_);
  if (!operation) {
    out.result = Done::Busy;
    return out;
  }
  std::int32_t hits = 0;
  ui_.SetBusyCursor(true);
  platform::Status searched;
  if (ListInMemory()) {
    searched = store::CollectPatients(store_, field, text, progress_, listRecords_);
    hits = static_cast<std::int32_t>(listRecords_.size());
  } else {
    searched = store::SearchPatients(store_, field, text, progress_, hits);
  }
  ui_.SetBusyCursor(false);
  if (!searched.ok()) {
    PatientListCount = 0;
    out.result = Done::Failed;
    out.SayError(searched);
    return out;
  }
  ListMade(0);
  if (hits == 0) out.Say("登録されていません。", platform::kCritical);
  return out;
}

}  // namespace sessions
