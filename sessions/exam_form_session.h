#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/outcome.h"
#include "store/entry_rules.h"
#include "store/records.h"
#include "store/sort_file.h"
#include "store/store.h"

namespace sessions {

// The picture conversion of a registration, done by the window's side:
// `toJpeg` converts the Windows bitmap `source` into the JPEG `destination`
// and answers a platform::JpegResultCode; `writeShownBitmap` writes the
// picture on screen as a Windows bitmap at `path` (false when it cannot).
struct PictureConversion {
  bool pictureShown = false;
  std::function<std::int16_t(std::string_view source, std::string_view destination)> toJpeg;
  std::function<bool(std::string_view path)> writeShownBitmap;
};

// What the record fields of the form hold when 登録 runs.
struct ExamEntry {
  std::string examDate, patientId, name, sex;
  std::string imageName;         // Text2 as typed
  std::string imageNameTrimmed;  // Text2 without white space around it
  // The form stored in a record (StoreFormInRecord); the session sets its
  // RecordNo and ImageName.
  store::ExamRecord record;
};

// The field a check refuses: the window warns, empties it when `empty`, and
// gives it the focus.
enum class EntryField { None, ExamDate, PatientId, Name, Sex, ImageName };
struct FieldRefusal : Outcome {
  EntryField field = EntryField::None;
  bool empty = false;
  explicit operator bool() const { return field != EntryField::None; }
};

// What the form shows once a command is done. A registration may also end
// in a refused field (the FieldRefusal part: the messages say why).
enum class FormAfter { Unchanged, Examination, NewExamination };
struct FormChange : FieldRefusal {
  FormAfter after = FormAfter::Unchanged;
  int record = 0;             // FormAfter::Examination: its number
  bool focusDate = false;     // the date field takes the focus afterwards
  bool filesChanged = false;  // files went from a folder the image-load dialog may list
  // A Yes/No question to ask before the next call (its Message.style is
  // kYesNo, with No the default where Yes would destroy data).
  std::optional<Message> ask;
};

// An examination read for the form.
struct ShownExamination : Outcome {
  bool read = false;  // false: the error is in the messages, the form stays
  store::ExamRecord record;
  std::string picturePath;  // the picture file to show; empty: see missingPicture
  // "画像：<name>.jpgはありません。" when the record's picture is not there: shown
  // in the picture box and the status line, never as a box to answer.
  std::string missingPicture;
};

// What an ID lookup fills in.
struct PatientFill {
  std::string name, sex, age, department;
};

// The patient the ID field names.
struct PatientLookup : Outcome {
  // Empty: nothing to look up. Refused: the ID does not fit (said; the field
  // is emptied and keeps the focus). Failed: the patient could not be read
  // (said). NotFound, Found: `id` and `imageName` go into the form.
  enum class Result { Empty, Refused, Failed, NotFound, Found };
  Result result = Result::Empty;
  std::string id;  // the ID as the field shows it ("000045")
  // A new examination's image name is named after the ID.
  std::optional<std::string> imageName;
  PatientFill fill;  // Found
  // NotFound on a new examination: what an earlier lookup filled in, for the
  // window to take back where the field still shows it.
  std::optional<PatientFill> takeBack;
};

// What a look at the drive found when another workstation changed it.
struct DriveRefresh : Outcome {
  bool changed = false;  // the files were reloaded: lists and vocabularies are refilled
  // Examination: show `record` (the examination on screen, where it is now);
  // NewExamination: a blank new one; Unchanged: the fields stay as they are.
  FormAfter after = FormAfter::Unchanged;
  int record = 0;
  int shownNumber = 0;  // the number on screen now
};

// The examination form's state and commands: the record on screen, its number
// (RecordCount + 1: a new examination), the picture of the record and the
// commands that change the data file. Each command runs whole and says what
// the window is to show; nothing here shows anything.
class ExamFormSession {
 public:
  explicit ExamFormSession(store::Store& store);

  // --- State the window shows ---------------------------------------
  int ShownRecordNumber() const { return shownRecord_; }
  bool EditingNewExamination() const { return shownRecord_ > store_.RecordCount(); }
  int RecordCount() const { return store_.RecordCount(); }
  const store::ExamRecord& Record() const { return CurrentRecord; }
  const std::string& PictureSource() const { return ImageSourcePath; }
  // Empty when the data file can be used as asked, else why not.
  std::string DataFileRefusal(bool forWriting) const;
  // Why the lists cannot be made now (also on a drive this run may not write).
  std::string ListsRefusal() const;

  // --- The record on screen -----------------------------------------
  // Reads examination n into CurrentRecord; on success n is the number on
  // screen and the picture of the record is looked up (FoundImageFile).
  ShownExamination ShowExamination(int n);
  // RecordCount + 1 becomes the number on screen.
  void StartNewExamination();
  // The picture of the examination on screen was read and shown: its stored
  // JPEG is the source, and an overwrite leaves it as it is.
  void StoredPictureShown();
  // A picture was loaded from `path` (the image-load dialog): the source of
  // the next registration, converted also by an overwrite.
  void PictureLoaded(std::string path);

  // --- Typed work not yet registered ----------------------------------
  // The question to ask before the form is left (another record, 新規入力,
  // 終了) while what it holds is not registered: a field or the image name
  // differs from the examination stored at the number on screen (for a new
  // examination, from an empty form dated `today`), or a picture was loaded
  // since. Nothing when leaving loses nothing. Yes discards.
  std::optional<Message> AskDiscard(const ExamEntry& onForm, store::Date today) const;

  // --- Stepping through the examinations ------------------------------
  // The next / previous examination: its number in `record`, or the reason.
  FormChange Next() const;
  FormChange Previous() const;
  // The slider at `position`: the examination there, when there is one.
  FormChange SliderAt(int position) const;

  // --- Entry checks ---------------------------------------------------
  // The date field: empty -> today; a date -> "yyyy/mm/dd"; else refused.
  struct DateCheck : FieldRefusal {
    std::string text;
  };
  static DateCheck CheckDate(std::string_view text, store::Date today);
  // The ID field's lookup in the master (FindPatient): the ID padded to six
  // digits, the patient's name, sex, age at `examDate`, department.
  PatientLookup LookUpPatient(std::string_view idText, std::string_view examDate,
                              store::Date today);

  // --- 登録 --------------------------------------------------------------
  // The fields every registration needs, in the order they are checked.
  static FieldRefusal CheckEntry(const ExamEntry& entry);
  // A new examination: appended as RecordCount + 1 with its picture stored.
  // When the picture is in the image directory, `ask` is the question whether
  // the source goes: DeleteSource carries the answer.
  FormChange RegisterNew(const ExamEntry& entry, const PictureConversion& pictures);
  FormChange DeleteSource(bool yes, bool pictureShown);
  // An examination already stored: refused when the image name is another
  // record's, else `ask` is the overwrite question; Overwrite carries a Yes.
  FormChange CheckOverwrite(const ExamEntry& entry);
  FormChange Overwrite(const ExamEntry& entry, const PictureConversion& pictures);

  // --- 削除, 全削除, 並べ替え ----------------------------------------------
  // `ask` holds the confirmation unless the command ends here.
  FormChange AskDelete(bool idFieldEmpty) const;
  FormChange Delete(platform::Progress& progress);
  FormChange AskDeleteAll() const;
  FormChange DeleteAll();
  // 検査日順 / ID順 through the sort component, under the long-operation
  // guard. The exchange shows its messages and questions through `ui` as it
  // goes (so does a failure to remove the working file first); the refusal
  // of the data file is in the outcome. After a sort the examination at the
  // number on screen is shown again (a new one being entered stays). The
  // question is asked before the drive is locked for the sort and "終了。"
  // is in the outcome, so that no other workstation waits for the user.
  enum class SortOrder { ById, ByDate };
  FormChange Sort(platform::Ui& ui, platform::Progress& progress, SortOrder order,
                  const store::SortJobFactory& createJob =
                      store::SortJobFactory(store::CreateComponentSortJob));

  // --- Other workstations on the drive (exam_form_sharing.cpp) --------
  // When another workstation changed the drive: the files are reloaded and
  // the examination on screen is found again by its ID, date and image name
  // (said when it is gone). `typedUnregistered`: the form holds typed work
  // (AskDiscard would ask); it is never replaced, only renumbered, and when
  // its examination is gone it stays on screen as a new one.
  DriveRefresh Refresh(bool typedUnregistered);

 private:
  // False, with the refusal said and both versions shown, when the stored
  // examination at the number on screen is no longer the one the form was
  // filled from (another workstation changed, moved or deleted it).
  // `mine` is what the form holds, shown beside the stored version.
  bool StillAsShown(Outcome& refusal, const store::ExamRecord& mine);
  // The examination whose ID, date and image name are those of the one on
  // screen: its number, or 0.
  // The record count as the drive holds it now.
  int SortCount();
  int FindShownAgain();
  std::uint64_t reloadsSeen_ = 0;
  // A picture file of `imageName` exists, or an examination other than
  // `exceptRecord` names it.
  bool ImageNameTaken(const std::string& imageName, int exceptRecord);
  // The picture on screen stored as `imageName`.jpg; the JpegResult of each
  // conversion is said. True when the JPEG is there.
  bool StorePicture(const PictureConversion& pictures, std::string_view imageName,
                    Outcome& outcome);
  void ReportJpegResult(Outcome& outcome) const;
  FormChange ShowAfterFailure(int n) const;

  store::Store& store_;
  store::ExamRecord CurrentRecord;
  int shownRecord_ = 0;  // the number on screen
  std::string ImageSourcePath;
  std::string FoundImageFile;
  std::int16_t JpegResult = 0;
  // The picture on screen is the stored JPEG of this record (0: it is not).
  int storedPictureOf_ = 0;
  // The examination on screen as stored (blank for a new one), and whether a
  // picture was loaded for the form since it was shown.
  store::ExamRecord shownAsStored_;
  bool pictureLoaded_ = false;
  std::string pendingSource_;  // the source DeleteSource may delete
  std::optional<PatientFill> lookupFill_;
};

}  // namespace sessions
