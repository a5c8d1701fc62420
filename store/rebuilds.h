#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/progress.h"
#include "store/records.h"
#include "store/store.h"

namespace store {

// The rebuilds of the examination data file "VLN2.ekg" (through the working
// file "TEMP.DATA", Staging::WorkFile) and of the patient master
// "KANJYA.MASTA" (through "KARIKAN.DATA", Staging::ScratchFile), each on top
// of Store::Rebuild: the live file is replaced in one atomic step or not at
// all, and the outcome says which (see RebuildResult). Every file is open and
// counted afterwards. A `progress` shows one phase with one step per record
// and is hidden on every path. Each is a long operation: the command that
// calls it holds the guard (store/long_operation.h) while it runs.

// Captions of the progress phases.
inline constexpr std::string_view kProcessingCaption = "処理中・・・・";
inline constexpr std::string_view kReadingCaption = "データ読み込み中・・・";
inline constexpr std::string_view kWritingCaption = "データ書き込み中・・・";

// Removes record `n` of the live file; the records after it move down by
// one. Examinations are renumbered in six digits ("000001"), patients in ten
// ("0000000001"); every other field is kept as read. An `n` outside
// 1..count changes nothing
// (Unchanged, bad record number).
RebuildResult DeleteAndRenumber(Store& store, Staging staging, std::int32_t n,
                                platform::Progress* progress = nullptr);

// Rewrites the live file in a new order: `positions` holds the old record
// numbers in their new order, each of 1..count exactly once (otherwise
// nothing changes: Unchanged, bad record number). Examinations are
// renumbered in six digits, patients in ten; every other field is kept as
// read. The records are read once forward and written
// in the new order; the progress phase is kWritingCaption.
RebuildResult ReorderByPositions(Store& store, Staging staging,
                                 std::span<const std::int32_t> positions,
                                 platform::Progress* progress = nullptr);

// Adds a new patient to the master in ID order: `patient` is placed before
// the first record whose ID (by numeric value) is larger, or after the last.
// Every record's RecordNo becomes its new position in ten digits
// ("0000000003"). An empty master is written directly as record 1
// ("0000000001"), without a rebuild. A master record with the same numeric ID
// refuses the insertion (Unchanged, file already exists): the master never
// holds one ID twice. `position` receives the new record's number.
RebuildResult InsertPatientInIdOrder(Store& store, const PatientRecord& patient,
                                     platform::Progress* progress = nullptr,
                                     std::int32_t* position = nullptr);

// Copies the live file whole into its staging file ("VLN2.ekg" -> "TEMP.DATA"
// for the list views, "KANJYA.MASTA" -> "KARIKAN.DATA" for the patient list)
// through a staging name ("TEMP.DATA.PART"), which then replaces the staging
// file in one step: a failed copy leaves no partial file and the staging file
// as it was (Unchanged). The live file is only read. For the examinations the
// working file is open afterwards.
RebuildResult CopyToStaging(Store& store, Staging staging, platform::Progress* progress = nullptr);

}  // namespace store

namespace store {

// Deletes every examination: every file is closed, "VLN2.ekg" is deleted and,
// only when it is gone, every file in "C:\VLN2\GAZOU\" (the pictures go only
// with the records that name them); then every file is reopened, which
// creates an empty data file. The first failure is returned; a data file that
// could not be deleted is open and counted as before, its pictures kept.
[[nodiscard]] Status DeleteAllExaminations(Store& store);

}  // namespace store
