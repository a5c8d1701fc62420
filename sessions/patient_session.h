#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/outcome.h"
#include "store/history.h"
#include "store/pager.h"
#include "store/patients.h"
#include "store/records.h"
#include "store/sort_file.h"
#include "store/store.h"

namespace sessions {

// The length of UTF-8 text as a window's text box counts it (UTF-16 units).
std::size_t BoxLength(std::string_view text);

// A patient of the master for the registration window: its master record
// number and the text of the window's file number.
struct PatientShown : Outcome {
  bool tried = false;         // a record was to be shown: the form is emptied for it
  std::int32_t position = 0;  // the master record shown; 0: none
  store::PatientRecord record;
  std::string fileNumber;  // Label9: "000006", or the list row's number as shown

  bool shown() const { return position > 0; }
};

// The registration window's ID box left with an ID.
enum class IdLookup {
  NewPatient,   // nobody has it: the form counts as a new patient
  Found,        // the patient is shown (or its record could not be read)
  EmptyMaster,  // "患者マスタのデータ数は０です。"
  ReadFailed,   // the lookup could not read the master
};
struct IdLookupOutcome : PatientShown {
  IdLookup result = IdLookup::NewPatient;
};

// What a command that changes the master or opens a list came to.
enum class Done {
  Refused,  // a check said no (the message says why); nothing changed
  Busy,     // another long operation runs; nothing happened
  Failed,   // the store failed (the message gives the number); the master as it was
  Done,     // the change was made (a later step may have failed: see the messages)
};
struct CommandOutcome : Outcome {
  Done result = Done::Done;
  bool ok() const { return result == Done::Done; }
};

// 登録 of the registration window checked before the form is read.
enum class RegistrationCheck { Accepted, BadId, NoName };

// The patient master's deletion of the shown patient.
struct DeletionOutcome : CommandOutcome {
  bool listed = false;  // the whole master was copied for the list, to be shown
};

// The search of the search dialog by chart number.
enum class ChartSearch { Empty, TooLong, Failed, EmptyMaster, NotFound, Found };
struct ChartSearchOutcome : PatientShown {
  ChartSearch result = ChartSearch::Found;
  bool listDiscarded = false;  // the list of an earlier search or of the whole master is gone
};

// One row of the patient list; `masterNo` is the master record the row names
// (0: none).
struct PatientListRow {
  std::int32_t masterNo = 0;
  std::string fileNumber;  // as shown: the position in ten digits, or RecordNo as stored
  std::string id, name, sex, birthDate, department;
};

struct PatientListPage {
  std::vector<PatientListRow> rows;
  std::int32_t count = 0;  // the records of the list
  std::int32_t pageNumber = 1;
  std::int32_t pageCount = 1;
};

// What an open patient list does after the master changed.
enum class ListAfterChange { Keep, Redraw, Hide };

// The patient master "KANJYA.MASTA" for its four windows: the registration
// window (the patient shown, its number, browsing, 登録, 削除), the list (a
// copy of the whole master or the hits of a search in "KARIKAN.DATA", paged
// fifteen rows at a time), the search and the bulk registration with its
// re-sort, and the main window's 全削除. On a drive that cannot be written
// the list and the search keep their records in memory. Commands that change the master or
// read it whole hold the long-operation guard; after every change of the
// master `OnMasterChanged` is told (while the guard is held) whether records
// moved, so the windows follow.
class PatientSession {
 public:
  // `ui` serves the busy cursor and the sort component's question; `progress`
  // shows the long operations.
  PatientSession(store::Store& store, platform::Ui& ui, platform::Progress& progress);

  std::function<void(bool reordered)> OnMasterChanged;
  void SetSortJobs(store::SortJobFactory jobs) { sortJobs_ = std::move(jobs); }

  std::int32_t PatientCount() const { return store_.PatientCount(); }
  // Empty when the master can be used as asked (read, or also written);
  // otherwise the sentence that says why a command cannot run. Every command
  // that changes the master is refused with it (Done::Refused) up front.
  std::string MasterRefusal(bool forWriting) const { return store_.MasterFileRefusal(forWriting); }
  // The department entries of the patient windows' lists: the department
  // list's records, blank ones included.
  std::vector<std::string> Departments();

  // --- The registration window --------------------------------------------
  // The record number the window shows (Label9); 0 while it shows none.
  std::int32_t FileNumber() const { return FileNo; }
  // 新規登録: the counts fresh, the form a new patient's.
  std::int32_t OpenForNewPatient();
  // The form counts as a new patient: FileNumber PatientCount + 1.
  std::int32_t NumberAsNew();
  // The form emptied: no number, no patient.
  void Clear();
  // Master record n shown; a record that cannot be read is reported and
  // leaves the window's patient as it was.
  PatientShown ShowPatient(std::int32_t n);
  // The next / previous record, the slider's record (1 ... PatientCount);
  // nothing (not tried) outside the master.
  PatientShown Next();
  PatientShown Previous();
  PatientShown GoTo(std::int32_t n);
  // The ID box left with `formatted` ("000012").
  IdLookupOutcome LookUpId(const std::string& formatted);
  // The master changed: the patient shown is found again by its ID. True
  // when the number changed; `asNew` when the form now counts as new.
  bool FollowMaster(bool& asNew);
  // 登録's checks of the ID box and the name box.
  static RegistrationCheck CheckRegistration(std::string_view id, std::string_view name,
                                             Outcome& outcome);
  // 登録 of a checked form: an ID the master holds is overwritten in place,
  // a new one inserted in ID order.
  CommandOutcome Register(const store::PatientRecord& patient);
  // The question to ask before the form is left (another record, 閉じる,
  // closing) while `onForm` is not what is registered: a field differs from
  // the patient shown from the master, or, for a new patient, from an empty
  // form. Nothing when leaving loses nothing. Yes discards.
  std::optional<Message> AskDiscard(const store::PatientRecord& onForm) const;
  // Master record n exists: a browsing step to it leaves the form.
  bool HasPatient(std::int32_t n) const { return n >= 1 && n <= store_.PatientCount(); }
  // 削除 (after the question): the record of FileNumber removed, then the
  // whole master copied for the list when patients are left.
  DeletionOutcome DeleteShown();

  // --- The list -------------------------------------------------------------
  // 一覧: the whole master copied into the list's file, the first page.
  CommandOutcome OpenWholeList();
  // The copy alone, for a command that holds the guard.
  bool CopyWholeList(Outcome& outcome);
  // The list ended: its file emptied.
  Outcome DiscardList();
  // The page of the page state, read from the list's file.
  PatientListPage Page();
  // One page on / back; "データは以上です。" past either end.
  Outcome NextPage();
  Outcome PreviousPage();
  // The slider's page; false (the slider to be set back to the page shown)
  // when the list holds one page only.
  bool GoToPage(std::int32_t p);
  std::int32_t PageNumber() const { return PatientPage.PageNumber(); }
  // A row of the page shown opened in the registration window: the row's
  // master record, or its patient found again by ID when the master moved.
  PatientShown OpenRow(int r);
  ListAfterChange RefreshList(bool reordered);
  // After another workstation changed the drive: when the master is not what
  // it was at the last look, OnMasterChanged is told (as a reordering, since
  // the records may have moved) and true returned. The first look only takes
  // note of the master.
  bool FollowDrive();

  // --- The search -------------------------------------------------------------
  ChartSearchOutcome SearchChartNumber(const std::string& text);
  // By the beginning of the name or of the reading. Done and silent: the
  // hits are the list to show; Done with a message: no hit. Whatever the
  // list showed before is gone unless Refused or Busy.
  CommandOutcome SearchBeginning(store::PatientSearchField field, const std::string& text);

  // --- The bulk registration and 全削除 -----------------------------------------
  store::BulkIdCheck CheckBulkId(std::string_view text, const std::vector<std::string>& others);
  // The rows appended in one write, then the offer of the master sort.
  CommandOutcome RegisterBulk(std::span<const store::PatientRecord> patients);
  // The master sort on its own; Done when the master was reordered.
  CommandOutcome SortMasterAlone();
  // 全削除 (after the question): the master replaced by an empty one.
  CommandOutcome DeleteAll();

 private:
  // The history entry of a change to the master (kept whole beside the
  // history), and recording it; false, said in `out`, when it cannot be.
  std::optional<store::PatientRecord> PatientBefore(const store::PatientRecord& patient);
  store::ChangeEntry MasterChange(store::ChangeKind kind,
                                  const std::optional<store::PatientRecord>& before,
                                  const store::PatientRecord* after) const;
  bool RecordMasterChange(store::ChangeEntry& change, CommandOutcome& out);

  void MasterChanged(bool reordered);
  // The sort with its question (unless `asked` already), inside the guard;
  // true when reordered.
  bool SortMaster(bool asked = false);
  PatientShown Show(std::int32_t n, const store::PatientRecord& record, std::string fileNumber);
  PatientShown Step(std::int32_t n);
  void ListMade(std::int16_t mode);
  // A command that changes the master, refused up front when it cannot be written.
  bool RefusedForWriting(CommandOutcome& out);
  // The list's records are kept here instead of the scratch file when that
  // cannot be written (a read-only drive): 一覧 and 検索 still work.
  bool ListInMemory() const;
  std::int32_t ListFileCount() const;

  store::Store& store_;
  platform::Ui& ui_;
  platform::Progress& progress_;
  store::SortJobFactory sortJobs_ = store::SortJobFactory(store::CreateComponentSortJob);

  // The registration window: Label9's number and the ID of the patient
  // shown from the master (empty: none).
  std::int32_t FileNo = 0;
  std::string ShownId;
  // The patient as the master holds it (blank for a new one).
  store::PatientRecord shownPatient_;

  // The list: its page state (SearchStart, PatientPageIndex,
  // PatientPageNumber, PatientPageCount), its length, what it holds (1: a
  // copy of the whole master, 0: search hits) and the rows shown.
  store::Pager PatientPage;
  std::int32_t PatientListCount = 0;
  std::int16_t PatientListMode = 0;
  std::vector<PatientListRow> shownRows_;
  std::uint64_t reloadsSeen_ = 0;
  std::string masterSeen_;  // the master's digest at the last look
  std::vector<store::PatientRecord> listRecords_;
};

}  // namespace sessions
