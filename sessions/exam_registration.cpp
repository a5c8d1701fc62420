// The commands of the examination form that change the data file: 登録
// (append or overwrite, with the picture), 削除, 全削除 and the two sorts.

#include <algorithm>
#include <vector>

#include "platform/drive.h"
#include "platform/jpeg_converter.h"
#include "sessions/exam_form_session.h"
#include "store/change_recorder.h"
#include "store/image_files.h"
#include "store/long_operation.h"
#include "store/rebuilds.h"

namespace sessions {

using platform::EqualsIgnoringAsciiCase;
using store::ExamField;

namespace {

constexpr const char* kTempBitmap = "C:\\VLN2\\GAZOU\\Temp.bmp";
constexpr const char* kNameTaken = "登録済みの画像名です。変更して下さい。";
constexpr const char* kNoData = "保存データは０件です。";

// Every question of this form destroys or replaces data on Yes: Enter alone
// answers No.
Message Question(const char* text) { return {text, platform::kYesNo | platform::kDefaultButton2}; }

// The history entry of a change to examination `n` (0: the whole file).
store::ChangeEntry ExamChange(store::ChangeKind kind, int n, int countBefore,
                              const store::ExamRecord* before, const store::ExamRecord* after) {
  store::ChangeEntry change;
  change.kind = kind;
  change.file = store::kDataFile;
  change.record = n;
  change.countBefore = countBefore;
  if (before) change.before = before->Bytes();
  if (after) change.after = after->Bytes();
  if (const store::ExamRecord* named = after ? after : before) {
    change.patientId = named->Get(ExamField::PatientId);
    change.name = named->Get(ExamField::Name);
  }
  return change;
}

// The pictures of the image directory, by path.
std::vector<std::string> AllPictures(platform::FileSystem& files) {
  std::vector<std::string> names, paths;
  (void)files.ListFiles(store::kImageDir, names);
  for (const std::string& name : names) paths.push_back(store::ImageFilePath(name));
  return paths;
}

// The form's record as 上書き would store it (the image name is its own field).
store::ExamRecord AsRegistered(const ExamEntry& entry) {
  store::ExamRecord record = entry.record;
  record.Set(ExamField::ImageName, store::StoredImageName(entry.imageName));
  return record;
}

void RefuseImageName(FieldRefusal& refusal) {
  refusal.field = EntryField::ImageName;
  refusal.empty = true;
  refusal.Say(kNameTaken);
}

}  // namespace

bool ExamFormSession::ImageNameTaken(const std::string& imageName, int exceptRecord) {
  if (!store::FindImageFile(store_.Files(), imageName).empty()) return true;
  std::vector<std::int32_t> naming;
  if (platform::Status s = store::ExaminationsNamingImage(store_, imageName, naming); !s.ok()) {
    return true;  // unknown: never risk two records on one picture
  }
  return std::any_of(naming.begin(), naming.end(),
                     [exceptRecord](std::int32_t n) { return n != exceptRecord; });
}

void ExamFormSession::ReportJpegResult(Outcome& outcome) const {
  static constexpr const char* kMessages[] = {
      "ファイルを開けません。",
      "ファイルが書き込めません。",
      "ファイルのフォーマットがBMP形式ではありません。",
      "オーバーフローしました。",
  };
  if (JpegResult >= 1 && JpegResult <= 4) outcome.Say(kMessages[JpegResult - 1]);
}

bool ExamFormSession::StorePicture(const PictureConversion& pictures, std::string_view imageName,
                                   Outcome& outcome) {
  const std::string destination = store::ImagePath(imageName);
  // No picture loaded stores nothing and says nothing: the path left from an
  // earlier record must not be stored under this record's name.
  if (!pictures.pictureShown) {
    JpegResult = platform::kJpegOk;
    return false;
  }
  JpegResult = pictures.toJpeg(ImageSourcePath, destination);
  if (JpegResult != platform::kJpegNotBmp) {
    ReportJpegResult(outcome);
    return JpegResult == platform::kJpegOk;
  }

  // A picture from any other file goes through a bitmap of what is shown;
  // only when that fails too is the user told.
  platform::FileSystem& files = store_.Files();
  JpegResult = pictures.writeShownBitmap(kTempBitmap) ? pictures.toJpeg(kTempBitmap, destination)
                                                      : std::int16_t{platform::kJpegCannotWrite};
  if (files.Exists(kTempBitmap)) (void)files.Delete(kTempBitmap);
  ReportJpegResult(outcome);
  return JpegResult == platform::kJpegOk;
}

// --- 登録 ------------------------------------------------------------------

FormChange ExamFormSession::RegisterNew(const ExamEntry& entry, const PictureConversion& pictures) {
  FormChange done;
  // Under the drive's lock the count is the file's own: two workstations
  // registering at once each append their record once.
  const store::Store::DriveScope held = store_.Changing();
  if (!Held(held, done)) return done;
  const std::string imageName = store::StoredImageName(entry.imageName);
  CurrentRecord = entry.record;
  // A picture file of that name, or another examination naming it (one
  // registered without a picture), would make two records share one.
  if (ImageNameTaken(imageName, 0)) {
    RefuseImageName(done);
    return done;
  }
  const std::int32_t n = store_.RecordCount() + 1;
  CurrentRecord.Set(ExamField::RecordNo, store::ExamRecordNo(n));
  CurrentRecord.Set(ExamField::ImageName, imageName);
  store::ChangeEntry change =
      ExamChange(store::ChangeKind::Register, n, n - 1, nullptr, &CurrentRecord);
  if (platform::Status s = store::RecordChange(store_, change); !s.ok()) {
    done.SayError(s);
    return done;
  }
  if (platform::Status s = store_.DataFile()
                               ? store_.DataFile()->Write(n, CurrentRecord)
                               : platform::Status::Error(platform::kBadFileNameOrNumber);
      !s.ok()) {
    store::SettleChange(store_, change);
    done.SayError(s);
    return done;
  }
  store_.ExamsByPatient().Put(n, CurrentRecord);
  store_.CountRecords();
  // The source is offered for deletion only once its picture is safely in
  // the image directory; otherwise it is the only copy.
  if (StorePicture(pictures, imageName, done)) {
    pendingSource_ = ImageSourcePath;
    done.ask = Question("元の画像を削除しますか？");
    return done;
  }
  store_.CountRecords();
  done.after = FormAfter::NewExamination;
  return done;
}

FormChange ExamFormSession::DeleteSource(bool yes, bool pictureShown) {
  FormChange done;
  // A source inside the image directory is the picture of another record
  // (or the one just written) and is never deleted from here.
  if (yes && pictureShown && !store::InImageDirectory(store_.Files(), pendingSource_)) {
    if (platform::Status s = store_.Files().Delete(pendingSource_); !s.ok()) done.SayError(s);
    done.filesChanged = true;
  }
  pendingSource_.clear();
  store_.CountRecords();
  done.after = FormAfter::NewExamination;
  return done;
}

FormChange ExamFormSession::CheckOverwrite(const ExamEntry& entry) {
  FormChange check;
  const store::Store::DriveScope held = store_.Reading();
  if (!Held(held, check) || !StillAsShown(check, AsRegistered(entry))) return check;
  const std::string imageName = store::StoredImageName(entry.imageName);
  // A changed image name must not take over the picture of another record.
  store::ExamRecord stored;
  if (store_.DataFile() && store_.DataFile()->Read(shownRecord_, stored).ok() &&
      !EqualsIgnoringAsciiCase(stored.Get(ExamField::ImageName), imageName) &&
      ImageNameTaken(imageName, shownRecord_)) {
    RefuseImageName(check);
    return check;
  }
  check.ask = Question("このデータを上書きしますか？");
  return check;
}

FormChange ExamFormSession::Overwrite(const ExamEntry& entry, const PictureConversion& pictures) {
  FormChange done;
  const store::Store::DriveScope held = store_.Changing();
  if (!Held(held, done) || !StillAsShown(done, AsRegistered(entry))) return done;
  const int n = shownRecord_;
  const std::string imageName = store::StoredImageName(entry.imageName);
  store::ExamRecord stored;
  if (store_.DataFile()) (void)store_.DataFile()->Read(n, stored);
  CurrentRecord = entry.record;
  CurrentRecord.Set(ExamField::RecordNo, store::ExamRecordNo(n));
  CurrentRecord.Set(ExamField::ImageName, imageName);
  // The record's own JPEG, shown as it was loaded, stays byte for byte: only
  // a picture newly loaded for the record is converted.
  const bool ownPictureUnchanged =
      storedPictureOf_ == n && pictures.pictureShown &&
      EqualsIgnoringAsciiCase(stored.Get(ExamField::ImageName), imageName);
  store::ChangeEntry change =
      ExamChange(store::ChangeKind::Overwrite, n, store_.RecordCount(), &stored, &CurrentRecord);
  std::vector<std::string> replaced;
  if (!ownPictureUnchanged && pictures.pictureShown)
    replaced.push_back(store::ImagePath(imageName));
  if (platform::Status s = store::RecordChange(store_, change, replaced); !s.ok()) {
    done.SayError(s);
    done.messages.back().text += "\nデータは変更されていません。";
    return done;
  }
  if (platform::Status s = store_.DataFile()
                               ? store_.DataFile()->Write(n, CurrentRecord)
                               : platform::Status::Error(platform::kBadFileNameOrNumber);
      !s.ok()) {
    store::SettleChange(store_, change);
    const store::RecordFile::Left left =
        store_.DataFile() ? store_.DataFile()->LastWriteLeft() : store::RecordFile::Left::Old;
    if (left == store::RecordFile::Left::New) {
      done.SayMadeThenFailed("データは上書きされました", s);
    } else {
      done.SayError(s);
      done.messages.back().text +=
          left == store::RecordFile::Left::Old
              ? "\nデータは変更されていません。"
              : "\nファイルＮＯ " + std::to_string(n) +
                    " のデータは一部だけ書き換わり、壊れている可能性があります。";
      return done;
    }
  }
  store_.ExamsByPatient().Put(n, CurrentRecord);
  if (!ownPictureUnchanged) (void)StorePicture(pictures, imageName, done);
  done.after = FormAfter::NewExamination;
  return done;
}

// --- 削除 ------------------------------------------------------------------

FormChange ExamFormSession::AskDelete(bool idFieldEmpty) const {
  FormChange check;
  if (std::string refusal = store_.DataFileRefusal(true); !refusal.empty()) {
    check.Say(std::move(refusal));
  } else if (store_.RecordCount() == 0) {
    check.Say(kNoData);
  } else if (!idFieldEmpty) {
    check.ask = Question("このデータを削除しますか？");
  }
  return check;
}

FormChange ExamFormSession::ShowAfterFailure(int n) const {
  // Whatever the rebuild left, the form shows what is stored at its number
  // now, so that 上書き can never write this record over another one.
  FormChange shown;
  if (n <= store_.RecordCount()) {
    shown.after = FormAfter::Examination;
    shown.record = n;
  } else if (store_.RecordCount() > 0) {
    shown.after = FormAfter::Examination;
    shown.record = store_.RecordCount();
  } else {
    shown.after = FormAfter::NewExamination;
  }
  return shown;
}

FormChange ExamFormSession::Delete(platform::Progress& progress) {
  FormChange done;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, done)) return done;
  const int n = shownRecord_;
  if (n < 1 || n > store_.RecordCount()) {
    done.Say("削除できません。");
    return done;
  }
  if (!StillAsShown(done, shownAsStored_)) return done;
  // The picture of record n, by the name the record holds (the field on
  // screen may have been changed by an ID typed since).
  store::ExamRecord doomed;
  if (platform::Status s = store_.ReadExamination(n, doomed); !s.ok()) {
    done.SayError(s);
    return done;
  }
  const std::string picture = doomed.Get(ExamField::ImageName);

  store::LongOperation operation(store_);
  if (!operation) return done;
  store::ChangeEntry change =
      ExamChange(store::ChangeKind::Delete, n, store_.RecordCount(), &doomed, nullptr);
  std::vector<std::string> kept;
  if (std::string file = store::FindImageFile(store_.Files(), picture); !file.empty()) {
    kept.push_back(store::ImageFilePath(file));
  }
  if (platform::Status s = store::RecordChange(store_, change, kept); !s.ok()) {
    done.SayError(s);
    return done;
  }
  const store::RebuildResult rebuilt =
      store::DeleteAndRenumber(store_, store::Staging::WorkFile, n, &progress);
  if (rebuilt.Changed()) store_.ExamsByPatient().Remove(n);
  if (!rebuilt.Changed()) store::ChangeNotMade(store_);
  if (!rebuilt.ok()) {
    done = ShowAfterFailure(n);
    if (!done.SayRebuilt(rebuilt, "データは削除されました")) return done;
  }
  // Only once the record is gone does its picture go, and only when no
  // other examination names it.
  bool deleted = false;
  (void)store::DeleteUnsharedImage(store_, picture, 0, deleted);
  if (!rebuilt.ok()) return done;

  done.Say("削除終了。", platform::kOkOnly);
  done.after = store_.RecordCount() > 0 ? FormAfter::Examination : FormAfter::NewExamination;
  done.record = store_.RecordCount();
  done.focusDate = true;
  return done;
}

// --- 全削除 ----------------------------------------------------------------

FormChange ExamFormSession::AskDeleteAll() const {
  FormChange check;
  if (std::string refusal = store_.DataFileRefusal(true); !refusal.empty()) {
    check.Say(std::move(refusal));
  } else if (store_.RecordCount() == 0) {
    check.Say(kNoData);
  } else {
    check.ask = Question("保存されているデータを全て削除しますか？");
  }
  return check;
}

FormChange ExamFormSession::DeleteAll() {
  FormChange done;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, done)) return done;
  store::LongOperation operation(store_);
  if (!operation) return done;
  store::ChangeEntry change =
      ExamChange(store::ChangeKind::DeleteAll, 0, store_.RecordCount(), nullptr, nullptr);
  std::vector<std::string> kept = AllPictures(store_.Files());
  kept.insert(kept.begin(), store::kDataFile);
  if (platform::Status s = store::RecordChange(store_, change, kept); !s.ok()) {
    done.SayError(s);
    done.after = FormAfter::Examination;
    done.record = store_.RecordCount();
    return done;
  }
  const platform::Status firstFailure = store::DeleteAllExaminations(store_);
  store::SettleChange(store_, change);
  (void)store_.ExamsByPatient().Build(store_.DataFile());
  if (firstFailure.ok()) {
    done.Say("削除終了。", platform::kOkOnly);
  } else {
    done.SayError(firstFailure);
  }
  if (store_.RecordCount() > 0) {
    // The data file could not be removed: it is still the file on screen.
    done.after = FormAfter::Examination;
    done.record = store_.RecordCount();
    return done;
  }
  done.after = FormAfter::NewExamination;
  done.filesChanged = true;
  return done;
}

// --- 並べ替え --------------------------------------------------------------

int ExamFormSession::SortCount() {
  const store::Store::DriveScope held = store_.Reading();
  return store_.RecordCount();
}

FormChange ExamFormSession::Sort(platform::Ui& ui, platform::Progress& progress, SortOrder order,
                                 const store::SortJobFactory& createJob) {
  FormChange done;
  store::LongOperation operation(store_);
  if (!operation) return done;
  if (std::string refusal = store_.DataFileRefusal(true); !refusal.empty()) {
    done.Say(std::move(refusal));
    return done;
  }
  // The question and the closing message come outside the drive's lock:
  // the other workstations do not wait for the user's answer.
  const store::SortKey& chosen = order == SortOrder::ById ? store::kExamsById : store::kExamsByDate;
  store::SortKey key = chosen;
  if (SortCount() >= 2) {
    if (ui.MsgBox(key.question, platform::kYesNo) != platform::kAnswerYes) return done;
    key.question = {};
  }
  key.finished = {};
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, done)) return done;
  ui.SetStayOnTop(true);
  ui.SetBusyCursor(true);
  if (platform::Status s = store_.RemoveWorkFile(); !s.ok()) ui.ShowErrorNumber(s.error);
  store::ChangeEntry change =
      ExamChange(store::ChangeKind::Sort, 0, store_.RecordCount(), nullptr, nullptr);
  if (platform::Status s = store::RecordChange(store_, change, {store::kDataFile}); !s.ok()) {
    ui.SetBusyCursor(false);
    done.SayError(s);
    return done;
  }
  const store::SortOutcome sorted = store::SortFile(store_, ui, progress, key, createJob);
  (void)store_.ExamsByPatient().Build(store_.DataFile());
  if (sorted == store::SortOutcome::Refused || sorted == store::SortOutcome::Failed) {
    store::ChangeNotMade(store_);
  }
  ui.SetBusyCursor(false);
  if (sorted == store::SortOutcome::Refused) return done;
  if (sorted == store::SortOutcome::Sorted)
    done.Say(std::string(chosen.finished), platform::kOkOnly);
  // The stored record at the number on screen may be another one now (also
  // after a failure that came once the file had been replaced): the form is
  // reloaded from it, so that registering can never write one record's
  // fields over another. A new record being entered stays as typed.
  if (shownRecord_ >= 1 && shownRecord_ <= store_.RecordCount()) {
    done.after = FormAfter::Examination;
    done.record = shownRecord_;
  }
  return done;
}

}  // namespace sessions
