// The patient session: the registration window, the bulk registration and
// 全削除. The list and the search are in patient_list_session.cpp.
#include "sessions/patient_session.h"

#include "store/change_recorder.h"

#include "store/entry_rules.h"
#include "store/long_operation.h"
#include "store/text_format.h"

namespace sessions {

namespace {

std::string SixDigits(std::int32_t n) { return store::FormatNumber(n, "000000"); }

}  // namespace

std::size_t BoxLength(std::string_view text) {
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;
    if (c >= 0xF0) ++units;
  }
  return units;
}

PatientSession::PatientSession(store::Store& store, platform::Ui& ui, platform::Progress& progress)
    : store_(store), ui_(ui), progress_(progress) {}

std::vector<std::string> PatientSession::Departments() {
  std::vector<std::string> entries;
  (void)store_.ReadListEntries(store::LookupList::Department, entries);
  entries.resize(store_.ListFileOf(store::LookupList::Department)
                     ? store_.ListFileOf(store::LookupList::Department)->Count()
                     : 0);
  return entries;
}

bool PatientSession::RefusedForWriting(CommandOutcome& out) {
  std::string refusal = store_.MasterFileRefusal(true);
  if (refusal.empty()) return false;
  out.result = Done::Refused;
  out.Say(std::move(refusal));
  return true;
}

void PatientSession::MasterChanged(bool reordered) {
  if (OnMasterChanged) OnMasterChanged(reordered);
}

std::int32_t PatientSession::OpenForNewPatient() {
  store_.CountRecords();
  return NumberAsNew();
}

std::int32_t PatientSession::NumberAsNew() {
  FileNo = store_.PatientCount() + 1;
  ShownId.clear();
  shownPatient_.Clear();
  return FileNo;
}

void PatientSession::Clear() {
  FileNo = 0;
  ShownId.clear();
  shownPatient_.Clear();
}

std::optional<Message> PatientSession::AskDiscard(const store::PatientRecord& onForm) const {
  using store::PatientField;
  for (PatientField f :
       {PatientField::PatientId, PatientField::Name, PatientField::Reading, PatientField::Sex,
        PatientField::BirthDate, PatientField::Department, PatientField::Remarks}) {
    if (onForm.Get(f) != shownPatient_.Get(f)) {
      return Message{"入力中のデータは登録されていません。破棄しますか？",
                     platform::kYesNo | platform::kDefaultButton2};
    }
  }
  return std::nullopt;
}

PatientShown PatientSession::Show(std::int32_t n, const store::PatientRecord& record,
                                  std::string fileNumber) {
  PatientShown shown;
  shown.tried = true;
  shown.position = n;
  shown.record = record;
  shown.fileNumber = std::move(fileNumber);
  FileNo = n;
  ShownId = record.Get(store::PatientField::PatientId);
  shownPatient_ = record;
  return shown;
}

PatientShown PatientSession::ShowPatient(std::int32_t n) {
  store::PatientRecord record;
  platform::Status s = store_.MasterFile()
                           ? store_.MasterFile()->Read(n, record)
                           : platform::Status::Error(platform::kBadFileNameOrNumber);
  if (!s.ok()) {
    PatientShown failed;
    failed.tried = true;
    failed.SayError(s);
    return failed;
  }
  return Show(n, record, SixDigits(n));
}

PatientShown PatientSession::Step(std::int32_t n) {
  if (n < 1 || n > store_.PatientCount()) return {};
  // The form is emptied first: a record that cannot be read leaves it empty.
  FileNo = 0;
  return ShowPatient(n);
}

PatientShown PatientSession::Next() { return Step(FileNo + 1); }
PatientShown PatientSession::Previous() { return Step(FileNo - 1); }
PatientShown PatientSession::GoTo(std::int32_t n) { return Step(n); }

IdLookupOutcome PatientSession::LookUpId(const std::string& formatted) {
  IdLookupOutcome out;
  if (!store::IsNumericText(formatted)) {
    // No number is nobody's ID.
    NumberAsNew();
    return out;
  }
  const store::FoundPatient found =
      store_.LookupPatient(static_cast<float>(store::NumericValue(formatted)));
  switch (found.outcome) {
    case store::LookupOutcome::EmptyMaster:
      out.result = IdLookup::EmptyMaster;
      out.Say("患者マスタのデータ数は０です。", platform::kCritical);
      return out;
    case store::LookupOutcome::ReadFailed:
      out.result = IdLookup::ReadFailed;
      out.SayError(platform::kDeviceIoError);
      return out;
    case store::LookupOutcome::Done:
      break;
  }
  if (found.position == 0) {
    NumberAsNew();
    return out;
  }
  out.result = IdLookup::Found;
  if (!found.status.ok()) {
    out.tried = true;
    out.SayError(found.status);
    return out;
  }
  static_cast<PatientShown&>(out) = Show(found.position, found.record, SixDigits(found.position));
  return out;
}

bool PatientSession::FollowMaster(bool& asNew) {
  asNew = false;
  if (ShownId.empty()) {
    // A new patient's number follows the count.
    if (FileNo == 0) return false;
    NumberAsNew();
    asNew = true;
    return true;
  }
  std::int32_t at = 0;
  if (store_.PatientCount() > 0 && store::IsNumericText(ShownId)) {
    const store::FoundPatient found =
        store_.LookupPatient(static_cast<float>(store::NumericValue(ShownId)));
    if (found.outcome == store::LookupOutcome::Done) at = found.position;
  }
  if (at == 0) {
    NumberAsNew();
    asNew = true;
    return true;
  }
  FileNo = at;
  return true;
}

RegistrationCheck PatientSession::CheckRegistration(std::string_view id, std::string_view name,
                                                    Outcome& outcome) {
  if (id.empty() || BoxLength(id) > 6 || !store::PatientIdFits(id)) {
    outcome.Say("ID 入力が不正です。", platform::kOkOnly);
    return RegistrationCheck::BadId;
  }
  if (name.empty()) {
    outcome.Say("氏名が入力されていません。", platform::kCritical);
    return RegistrationCheck::NoName;
  }
  return RegistrationCheck::Accepted;
}

std::optional<store::PatientRecord> PatientSession::PatientBefore(
    const store::PatientRecord& patient) {
  const std::string id = patient.Get(store::PatientField::PatientId);
  if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const store::FoundPatient found = store_.LookupPatient(std::stof(id));
  if (!found.found()) return std::nullopt;
  return found.record;
}

store::ChangeEntry PatientSession::MasterChange(store::ChangeKind kind,
                                                const std::optional<store::PatientRecord>& before,
                                                const store::PatientRecord* after) const {
  store::ChangeEntry change;
  change.kind = kind;
  change.file = store::kMasterFile;
  change.countBefore = store_.PatientCount();
  if (before) change.before = before->Bytes();
  if (after) change.after = after->Bytes();
  if (const store::PatientRecord* named = after ? after : before ? &*before : nullptr) {
    change.patientId = named->Get(store::PatientField::PatientId);
    change.name = named->Get(store::PatientField::Name);
  }
  return change;
}

bool PatientSession::RecordMasterChange(store::ChangeEntry& change, CommandOutcome& out) {
  // The master as a whole is kept: a change of it goes back to the byte.
  if (platform::Status s = store::RecordChange(store_, change, {store::kMasterFile}); !s.ok()) {
    out.result = Done::Failed;
    out.SayError(s);
    return false;
  }
  return true;
}

CommandOutcome PatientSession::Register(const store::PatientRecord& patient) {
  CommandOutcome out;
  if (RefusedForWriting(out)) return out;
  const store::Store::DriveScope held = store_.Changing();
  if (!Held(held, out)) {
    out.result = Done::Busy;
    return out;
  }
  {
    store::LongOperation operation(store_);
    if (!operation) {
      out.result = Done::Busy;
      return out;
    }
    store::ChangeEntry change =
        MasterChange(store::ChangeKind::PatientRegister, PatientBefore(patient), &patient);
    if (!RecordMasterChange(change, out)) return out;
    ui_.SetBusyCursor(true);
    const store::PatientRegistration registered =
        store::RegisterPatient(store_, patient, &progress_);
    ui_.SetBusyCursor(false);
    store::SettleChange(store_, change);
    if (!registered.result.Changed()) {
      // The master is as it was; the form keeps what was typed.
      out.result = Done::Failed;
      out.SayError(registered.result.status);
      if (registered.overwritten) out.messages.back().text += "\n患者データは変更されていません。";
      return out;
    }
    if (registered.overwritten && registered.left == store::RecordFile::Left::Mixed) {
      // Neither the old patient nor the new one: the form keeps what was
      // typed, so that 登録 can be tried again.
      out.result = Done::Failed;
      out.Say(platform::ErrorText(registered.result.status.error) + "\nファイルNO " +
              std::to_string(registered.position) +
              " の患者データは一部だけ書き換わり、壊れている可能性があります。");
      MasterChanged(false);
      return out;
    }
    if (!registered.result.ok()) {
      out.SayMadeThenFailed("患者データは登録されました", registered.result.status);
    }
    ShownId.clear();
    MasterChanged(!registered.overwritten);
  }
  store_.CountRecords();
  NumberAsNew();
  return out;
}

DeletionOutcome PatientSession::DeleteShown() {
  DeletionOutcome out;
  if (RefusedForWriting(out)) return out;
  const store::Store::DriveScope held = store_.Changing();
  if (!Held(held, out)) {
    out.result = Done::Busy;
    return out;
  }
  const std::int32_t n = FileNo;
  if (n < 1 || n > store_.PatientCount()) {
    out.result = Done::Refused;
    out.Say("削除できません。");
    return out;
  }
  store::LongOperation operation(store_);
  if (!operation) {
    out.result = Done::Busy;
    return out;
  }
  store::PatientRecord doomed;
  if (store_.MasterFile()) (void)store_.MasterFile()->Read(n, doomed);
  store::ChangeEntry change = MasterChange(store::ChangeKind::PatientDelete, doomed, nullptr);
  if (!RecordMasterChange(change, out)) return out;
  ui_.SetBusyCursor(true);
  const store::RebuildResult deleted = store::DeletePatient(store_, n, &progress_);
  ui_.SetBusyCursor(false);
  if (!deleted.Changed()) store::ChangeNotMade(store_);
  if (!out.SayRebuilt(deleted, "患者データは削除されました")) {
    out.result = Done::Failed;
    return out;
  }
  ShownId.clear();
  MasterChanged(true);
  out.listed = store_.PatientCount() > 0 && CopyWholeList(out);
  NumberAsNew();
  return out;
}

store::BulkIdCheck PatientSession::CheckBulkId(std::string_view text,
                                               const std::vector<std::string>& others) {
  return store::CheckBulkId(store_, text, others);
}

bool PatientSession::SortMaster(bool asked) {
  store::SortKey key = store::kPatientsById;
  if (asked) key.question = {};
  ui_.SetBusyCursor(true);
  const store::SortOutcome outcome = store::SortFile(store_, ui_, progress_, key, sortJobs_);
  ui_.SetBusyCursor(false);
  const bool reordered =
      outcome == store::SortOutcome::Sorted || outcome == store::SortOutcome::SortedThenFailed;
  if (reordered) MasterChanged(true);
  return reordered;
}

CommandOutcome PatientSession::RegisterBulk(std::span<const store::PatientRecord> patients) {
  CommandOutcome out;
  if (RefusedForWriting(out)) return out;
  // Asked before the drive is locked: no other workstation waits for the
  // answer. The registration and the sort are then one change.
  const bool sort =
      static_cast<std::size_t>(store_.PatientCount()) + patients.size() > 1 &&
      ui_.MsgBox(store::kPatientsById.question, platform::kYesNo) == platform::kAnswerYes;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, out)) {
    out.result = Done::Busy;
    return out;
  }
  {
    store::LongOperation operation(store_);
    if (!operation) {
      out.result = Done::Busy;
      return out;
    }
    store::ChangeEntry change =
        MasterChange(store::ChangeKind::BulkRegister, std::nullopt, nullptr);
    if (!RecordMasterChange(change, out)) return out;
    if (platform::Status s = store::AppendPatients(store_, patients); !s.ok()) {
      store::SettleChange(store_, change);
      MasterChanged(false);
      out.result = Done::Failed;
      out.SayError(s);
      const bool cutBack = !store_.MasterFile() ||
                           store_.MasterFile()->LastWriteLeft() == store::RecordFile::Left::Old;
      out.messages.back().text += cutBack ? "\n患者は登録されていません。"
                                          : "\n患者マスタの末尾に書きかけのデータが残りました。";
      return out;
    }
    MasterChanged(false);
    if (sort && store_.PatientCount() > 1) (void)SortMaster(true);
  }
  out.Say("登録終了。", platform::kOkOnly);
  return out;
}

CommandOutcome PatientSession::SortMasterAlone() {
  CommandOutcome out;
  if (store_.PatientCount() > 0 && RefusedForWriting(out)) return out;
  if (store_.PatientCount() == 0) {
    out.result = Done::Refused;
    out.Say("患者マスタは登録されていません。", platform::kOkOnly);
    return out;
  }
  // Asked before the drive is locked: no other workstation waits for the answer.
  if (store_.PatientCount() > 1 &&
      ui_.MsgBox(store::kPatientsById.question, platform::kYesNo) != platform::kAnswerYes) {
    out.result = Done::Failed;
    return out;
  }
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, out)) {
    out.result = Done::Busy;
    return out;
  }
  store::LongOperation operation(store_);
  if (!operation) {
    out.result = Done::Busy;
    return out;
  }
  store::ChangeEntry change = MasterChange(store::ChangeKind::Sort, std::nullopt, nullptr);
  if (!RecordMasterChange(change, out)) return out;
  if (!SortMaster(true)) {
    store::SettleChange(store_, change);
    out.result = Done::Failed;
  }
  return out;
}

CommandOutcome PatientSession::DeleteAll() {
  CommandOutcome out;
  if (RefusedForWriting(out)) return out;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, out)) {
    out.result = Done::Busy;
    return out;
  }
  {
    store::LongOperation operation(store_);
    if (!operation) {
      out.result = Done::Busy;
      return out;
    }
    store::ChangeEntry change =
        MasterChange(store::ChangeKind::PatientDeleteAll, std::nullopt, nullptr);
    if (!RecordMasterChange(change, out)) return out;
    const store::RebuildResult deleted = store::DeleteWholeMaster(store_);
    if (!deleted.Changed()) store::ChangeNotMade(store_);
    if (!out.SayRebuilt(deleted, "患者マスタは全削除されました")) {
      out.result = Done::Failed;
      return out;
    }
    store_.CountRecords();
    MasterChanged(true);
  }
  out.Say("削除終了。", platform::kOkOnly);
  return out;
}

}  // namespace sessions
