#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/progress.h"
#include "store/master_file.h"
#include "store/records.h"
#include "store/store.h"

namespace store {

// The patient master "KANJYA.MASTA" as the patient windows change it. The
// master is kept in ascending order of the numeric PatientId, each ID once.
// RecordNo of a master record is written in one form by every routine: its
// position in the master as ten digits ("0000000003"); nothing reads it back.
//
// Every change that removes or reorders patients goes through Store::Rebuild:
// the master is replaced in one atomic step or stays byte for byte as it was,
// and the result says which. The routines that rebuild or scan the whole
// master are long operations: the command that calls them holds the guard
// (store/long_operation.h).

// What 登録 of the registration window did.
struct PatientRegistration {
  RebuildResult result;
  std::int32_t position = 0;  // the patient's record number in the master
  bool overwritten = false;   // an existing record was written in place
  // After a failed overwrite in place: what the record holds (Old: the
  // master is unchanged; Mixed: part old, part new).
  RecordFile::Left left = RecordFile::Left::Old;
};

// 登録: a patient whose ID (by numeric value) the master holds overwrites
// that record in place, without a rebuild; a new ID is inserted in ID order
// (InsertPatientInIdOrder: the first patient of an empty master is written as
// record 1 directly, any other through a rebuild). The record is `patient`
// with RecordNo set to its position. The counts are fresh afterwards.
PatientRegistration RegisterPatient(Store& store, const PatientRecord& patient,
                                    platform::Progress* progress = nullptr);

// 削除: removes master record n (1 ... PatientCount) through a rebuild; the
// records after it move down by one and every RecordNo is rewritten.
RebuildResult DeletePatient(Store& store, std::int32_t n, platform::Progress* progress = nullptr);

// 全削除: the master replaced by an empty file in one step (the old one stays
// whole when that fails).
RebuildResult DeleteWholeMaster(Store& store);

// Appends `patients` at the end of the master in one write, each with the
// RecordNo of its position, and counts the records (after a failed write,
// the whole records the file then holds).
[[nodiscard]] Status AppendPatients(Store& store, std::span<const PatientRecord> patients);

// --- The patient list's scratch file ------------------------------------------

// 一覧: the scratch file "KARIKAN.DATA" made a copy of the whole master (in
// one atomic step, CopyToStaging). The rows of the list are the scratch
// file's records when the copy Changed() the file and it is open.
RebuildResult OpenListOfAllPatients(Store& store, platform::Progress* progress = nullptr);

// Ends a list or a search result: the scratch file emptied (closed,
// deleted, and created empty again).
[[nodiscard]] Status DiscardScratchFile(Store& store);

// --- The search by the beginning of the name or of the reading ---------------

enum class PatientSearchField { Name, Reading };

// Every master record whose Name (or Reading) begins with `prefix` (UTF-8,
// taken as typed: blanks count, case and width are significant; the field is
// compared with its padding blanks, byte for byte in cp932) is copied into
// the scratch file in master order, with RecordNo = its master record number
// in ten digits. `hits` is the
// number of hits. With no hit, and after a failure, the scratch file is
// empty (no rows of this or any earlier list are left). `progress` shows the
// records read under "処理中・・・・" and is hidden at the end.
[[nodiscard]] Status SearchPatients(Store& store, PatientSearchField field, std::string_view prefix,
                                    platform::Progress& progress, std::int32_t& hits);

// The same search without the scratch file (a drive that cannot be written):
// the hits' records, RecordNo set as above, in `found`; the scratch file is
// not touched.
[[nodiscard]] Status CollectPatients(Store& store, PatientSearchField field,
                                     std::string_view prefix, platform::Progress& progress,
                                     std::vector<PatientRecord>& found);

// The whole master read into `records` (the list of 一覧 kept in memory).
[[nodiscard]] Status ReadWholeMaster(Store& store, std::vector<PatientRecord>& records,
                                     platform::Progress* progress = nullptr);

// --- The checks of the bulk registration ---------------------------------------

struct BulkIdCheck {
  enum Outcome {
    Accepted,  // `text` is the ID formatted "000000"
    TooLong,   // not one to six digits: "数字６桁以内で入力して下さい。"
    InUse,  // another row or the master holds it: "このＩＤはすでに使用されています。"
    ReadFailed,  // the master could not be read; `error`
  };
  Outcome outcome = Accepted;
  std::string text;
  int error = 0;
};
inline constexpr std::string_view kBulkIdTooLong = "数字６桁以内で入力して下さい。";
inline constexpr std::string_view kIdInUse = "このＩＤはすでに使用されています。";

// The check of a bulk row's ID box when it is left (not empty): `otherIds`
// are the other rows' ID boxes (empty ones are skipped).
BulkIdCheck CheckBulkId(Store& store, std::string_view text,
                        const std::vector<std::string>& otherIds);

}  // namespace store
