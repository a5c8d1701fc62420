#include "store/patients.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/cp932.h"
#include "store/entry_rules.h"
#include "store/rebuilds.h"
#include "store/text_format.h"

namespace store {
namespace {

using platform::Status;

double IdValue(std::string_view raw) { return NumericValue(TrimBlanks(raw)); }

}  // namespace

PatientRegistration RegisterPatient(Store& store, const PatientRecord& patient,
                                    platform::Progress* progress) {
  PatientRegistration out;
  const Store::DriveScope held = store.Changing();
  if (!held) {
    out.result = RebuildResult::Unchanged(held.status());
    return out;
  }
  if (store.PatientCount() > 0) {
    const FoundPatient found =
        store.LookupPatient(static_cast<float>(IdValue(patient.Raw(PatientField::PatientId))));
    if (found.outcome == LookupOutcome::ReadFailed) {
      out.result = RebuildResult::Unchanged(Status::Error(platform::kDeviceIoError));
      return out;
    }
    if (const std::int32_t n = found.position; n > 0) {
      PatientRecord record = patient;
      record.Set(PatientField::RecordNo, MasterRecordNo(n));
      Status s = store.MasterFile() ? store.MasterFile()->Write(n, record)
                                    : Status::Error(platform::kBadFileNameOrNumber);
      if (!s.ok() && store.MasterFile()) out.left = store.MasterFile()->LastWriteLeft();
      out.result = s.ok()                              ? RebuildResult::Done()
                   : out.left == RecordFile::Left::Old ? RebuildResult::Unchanged(s)
                                                       : RebuildResult::ChangedThenFailed(s);
      out.position = n;
      out.overwritten = true;
      store.CountRecords();
      return out;
    }
  }
  out.result = InsertPatientInIdOrder(store, patient, progress, &out.position);
  store.CountRecords();
  return out;
}

RebuildResult DeletePatient(Store& store, std::int32_t n, platform::Progress* progress) {
  return DeleteAndRenumber(store, Staging::ScratchFile, n, progress);
}

RebuildResult DeleteWholeMaster(Store& store) {
  return store.Rebuild(Staging::ScratchFile, [] { return Status::Ok(); });
}

Status AppendPatients(Store& store, std::span<const PatientRecord> patients) {
  const Store::DriveScope held = store.Changing();
  if (!held) return held.status();
  if (!store.MasterFile()) return Status::Error(platform::kBadFileNameOrNumber);
  std::string bytes;
  bytes.reserve(patients.size() * kPatientRecordLength);
  std::int32_t position = store.MasterFile()->Count();
  for (PatientRecord record : patients) {
    record.Set(PatientField::RecordNo, MasterRecordNo(++position));
    bytes += record.Bytes();
  }
  Status s = store.MasterFile()->AppendRecords(bytes);
  store.CountRecords();
  return s;
}

RebuildResult OpenListOfAllPatients(Store& store, platform::Progress* progress) {
  return CopyToStaging(store, Staging::ScratchFile, progress);
}

Status DiscardScratchFile(Store& store) { return store.EmptyScratchFile(); }

namespace {

// The records of the master whose field begins with `prefix`, RecordNo their
// master record number in ten digits, appended to `found`.
Status FindPatients(Store& store, PatientSearchField field, std::string_view prefix,
                    platform::Progress& progress, std::string& found, std::int32_t& hits) {
  const FieldDef& def = PatientRecord::Def(
      field == PatientSearchField::Name ? PatientField::Name : PatientField::Reading);
  const std::string wanted = platform::ToCp932(prefix);
  // Room for a search that finds an eighth of the master without moving the
  // hits; pages never written are never touched.
  found.reserve(static_cast<std::size_t>(std::max(64, store.PatientCount() / 8)) *
                kPatientRecordLength);
  progress.BeginPhase("処理中・・・・", store.PatientCount());
  Status read = ForEachMasterRecord(
      store.MasterFile(),
      [&](std::int32_t k, std::string_view record) {
        // Most records differ in the first byte: no call for those.
        const char* text = record.data() + def.offset;
        if (wanted.size() > def.width ||
            (!wanted.empty() && (text[0] != wanted[0] || std::memcmp(text + 1, wanted.data() + 1,
                                                                     wanted.size() - 1) != 0))) {
          return;
        }
        const std::size_t at = found.size();
        found.append(record);
        // RecordNo: k in ten digits.
        for (int d = 9, v = k; d >= 0; --d, v /= 10)
          found[at + d] = static_cast<char>('0' + v % 10);
        ++hits;
      },
      [&](std::int32_t k) { progress.Advance(k); });
  return read;
}

}  // namespace

Status SearchPatients(Store& store, PatientSearchField field, std::string_view prefix,
                      platform::Progress& progress, std::int32_t& hits) {
  hits = 0;
  auto fail = [&](Status failure) {
    progress.Hide();
    hits = 0;
    (void)DiscardScratchFile(store);
    return failure;
  };
  if (Status s = DiscardScratchFile(store); !s.ok()) return fail(s);
  if (!store.ScratchFile()) return fail(Status::Error(platform::kBadFileNameOrNumber));
  std::string found;
  if (Status read = FindPatients(store, field, prefix, progress, found, hits); !read.ok()) {
    return fail(read);
  }
  if (hits > 0) {
    if (Status s = store.ScratchFile()->AppendRecords(found); !s.ok()) return fail(s);
  }
  progress.Hide();
  return Status::Ok();
}

Status CollectPatients(Store& store, PatientSearchField field, std::string_view prefix,
                       platform::Progress& progress, std::vector<PatientRecord>& found) {
  found.clear();
  std::string bytes;
  std::int32_t hits = 0;
  const Status read = FindPatients(store, field, prefix, progress, bytes, hits);
  progress.Hide();
  if (!read.ok()) return read;
  for (std::size_t at = 0; at + kPatientRecordLength <= bytes.size(); at += kPatientRecordLength) {
    PatientRecord record;
    std::memcpy(record.data(), bytes.data() + at, kPatientRecordLength);
    found.push_back(record);
  }
  return Status::Ok();
}

Status ReadWholeMaster(Store& store, std::vector<PatientRecord>& records,
                       platform::Progress* progress) {
  records.clear();
  if (progress) progress->BeginPhase(kProcessingCaption, store.PatientCount());
  const Status read = ForEachMasterRecord(
      store.MasterFile(),
      [&](std::int32_t, std::string_view bytes) {
        PatientRecord record;
        std::memcpy(record.data(), bytes.data(), kPatientRecordLength);
        records.push_back(record);
      },
      [&](std::int32_t k) {
        if (progress) progress->Advance(k);
      });
  if (progress) progress->Hide();
  if (!read.ok()) records.clear();
  return read;
}

BulkIdCheck CheckBulkId(Store& store, std::string_view text,
                        const std::vector<std::string>& otherIds) {
  BulkIdCheck check;
  std::size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80 ? 1 : 0;
  if (characters > 6 || !PatientIdFits(text)) {
    check.outcome = BulkIdCheck::TooLong;
    return check;
  }
  check.text = FormatPatientId(text);
  const double id = NumericValue(check.text);
  for (const std::string& other : otherIds) {
    if (TrimBlanks(other).empty() || !IsNumericText(other)) continue;
    if (NumericValue(FormatPatientId(other)) == id) {
      check.outcome = BulkIdCheck::InUse;
      return check;
    }
  }
  if (store.PatientCount() == 0) return check;
  const FoundPatient found = store.LookupPatient(static_cast<float>(id));
  if (found.outcome == LookupOutcome::ReadFailed) {
    check.outcome = BulkIdCheck::ReadFailed;
    check.error = platform::kDeviceIoError;
    return check;
  }
  if (found.position != 0) check.outcome = BulkIdCheck::InUse;
  return check;
}

}  // namespace store
