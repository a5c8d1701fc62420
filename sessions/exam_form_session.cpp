#include "sessions/exam_form_session.h"

#include "store/image_files.h"
#include "store/text_format.h"

namespace sessions {

using store::ExamField;

ExamFormSession::ExamFormSession(store::Store& store) : store_(store) {}

std::string ExamFormSession::DataFileRefusal(bool forWriting) const {
  return store_.DataFileRefusal(forWriting);
}

std::string ExamFormSession::ListsRefusal() const {
  std::string refusal = store_.DataFileRefusal(false);
  if (refusal.empty() && store_.ReadOnlySession()) {
    refusal = "このデータドライブには書き込めないため、一覧・検索はできません。";
  }
  return refusal;
}

ShownExamination ExamFormSession::ShowExamination(int n) {
  ShownExamination shown;
  store::ExamRecord record;
  if (platform::Status s = store_.ReadExamination(n, record); !s.ok()) {
    shown.SayError(s);
    return shown;
  }
  CurrentRecord = record;
  shownAsStored_ = record;
  pictureLoaded_ = false;
  shown.read = true;
  shown.record = record;
  shownRecord_ = n;
  storedPictureOf_ = 0;
  lookupFill_.reset();
  const std::string imageName = record.Get(ExamField::ImageName);
  FoundImageFile = store::FindImageFile(store_.Files(), imageName);
  if (FoundImageFile.empty()) {
    shown.missingPicture = "画像：" + imageName + ".jpgはありません。";
  } else {
    shown.picturePath = store::ImageFilePath(FoundImageFile);
  }
  return shown;
}

void ExamFormSession::StartNewExamination() {
  shownRecord_ = store_.RecordCount() + 1;
  shownAsStored_.Clear();
  pictureLoaded_ = false;
  storedPictureOf_ = 0;
  lookupFill_.reset();
}

void ExamFormSession::StoredPictureShown() {
  ImageSourcePath = store::ImagePath(CurrentRecord.Get(ExamField::ImageName));
  storedPictureOf_ = shownRecord_;
}

void ExamFormSession::PictureLoaded(std::string path) {
  ImageSourcePath = std::move(path);
  storedPictureOf_ = 0;
  pictureLoaded_ = true;
}

// --- Typed work not yet registered ---------------------------------------

std::optional<Message> ExamFormSession::AskDiscard(const ExamEntry& onForm,
                                                   store::Date today) const {
  store::ExamRecord expected = shownAsStored_;
  if (EditingNewExamination()) expected.Set(ExamField::ExamDate, store::DateText(today));
  bool changed = pictureLoaded_ || store::TrimBlanks(onForm.imageNameTrimmed) !=
                                       store::TrimBlanks(expected.Get(ExamField::ImageName));
  // Every field between the number and the image name is on the form.
  for (int f = static_cast<int>(ExamField::ExamDate);
       !changed && f < static_cast<int>(ExamField::ImageName); ++f) {
    changed = onForm.record.Get(ExamField(f)) != expected.Get(ExamField(f));
  }
  if (!changed) return std::nullopt;
  return Message{"入力中のデータは登録されていません。破棄しますか？",
                 platform::kYesNo | platform::kDefaultButton2};
}

// --- Stepping through the examinations --------------------------------------

namespace {

FormChange StepTo(const store::Store& store, int x) {
  FormChange step;
  if (std::string refusal = store.DataFileRefusal(false); !refusal.empty()) {
    step.Say(std::move(refusal));
  } else if (store.RecordCount() == 0) {
    step.Say("データがありません。");
  } else if (x < 1 || x > store.RecordCount()) {
    step.Say("データは以上です。");
  } else {
    step.after = FormAfter::Examination;
    step.record = x;
  }
  return step;
}

}  // namespace

FormChange ExamFormSession::Next() const { return StepTo(store_, shownRecord_ + 1); }

FormChange ExamFormSession::Previous() const { return StepTo(store_, shownRecord_ - 1); }

FormChange ExamFormSession::SliderAt(int position) const {
  FormChange step;
  if (position > 0 && position <= store_.RecordCount()) {
    step.after = FormAfter::Examination;
    step.record = position;
  }
  return step;
}

// --- Entry checks -----------------------------------------------------------

ExamFormSession::DateCheck ExamFormSession::CheckDate(std::string_view text, store::Date today) {
  DateCheck check;
  if (text.empty()) {
    check.text = store::DateText(today);
  } else if (std::optional<store::Date> date = store::ParseExamDate(text, today)) {
    check.text = store::DateText(*date);
  } else {
    check.Say("日付入力データが不正です。");
    check.field = EntryField::ExamDate;
    check.empty = true;
  }
  return check;
}

PatientLookup ExamFormSession::LookUpPatient(std::string_view idText, std::string_view examDate,
                                             store::Date today) {
  PatientLookup lookup;
  if (idText.empty()) return lookup;
  const bool numeric = store::IsNumericText(idText);
  lookup.id = store::FormatPatientId(idText);
  if (numeric && !store::PatientIdFits(lookup.id)) {
    // Cut to the field's six bytes it would be another patient's ID.
    lookup.result = PatientLookup::Result::Refused;
    lookup.Say("ＩＤは６桁までの数字で入力して下さい。");
    return lookup;
  }
  const bool newRecord = EditingNewExamination();
  // The image of a new examination is named after the patient's ID unless
  // the user changes it; a stored examination keeps the picture it names.
  if (newRecord) lookup.imageName = std::string(store::TrimBlanks(lookup.id));
  // Text that is no number finds nobody (its numeric value 0 would find a
  // patient with the ID 000000).
  store::FoundPatient found;
  if (numeric) found = store_.FindPatient(static_cast<float>(store::NumericValue(lookup.id)));
  if (found.position == 0) {
    lookup.result = PatientLookup::Result::NotFound;
    if (newRecord) lookup.takeBack = lookupFill_;
    lookupFill_.reset();
    return lookup;
  }
  if (!found.status.ok()) {
    lookup.result = PatientLookup::Result::Failed;
    lookup.SayError(found.status);
    return lookup;
  }
  const store::PatientRecord& patient = found.record;
  lookup.result = PatientLookup::Result::Found;
  lookup.fill.name = patient.Get(store::PatientField::Name);
  lookup.fill.sex = patient.Get(store::PatientField::Sex);
  // The age in the year of the examination (of today when the date field
  // holds no date), in calendar years; a birth date that is no date gives
  // none.
  if (std::optional<int> age =
          store::AgeAtExamination(patient.Get(store::PatientField::BirthDate), examDate, today)) {
    lookup.fill.age = std::to_string(*age);
  }
  lookup.fill.department = patient.Get(store::PatientField::Department);
  lookupFill_ = lookup.fill;
  return lookup;
}

FieldRefusal ExamFormSession::CheckEntry(const ExamEntry& entry) {
  FieldRefusal refusal;
  auto refuse = [&refusal](EntryField field, const char* message, bool empty) {
    refusal.field = field;
    refusal.empty = empty;
    refusal.Say(message);
    return refusal;
  };
  if (entry.examDate.empty()) return refuse(EntryField::ExamDate, "日付データが不正です。", true);
  if (entry.patientId.empty()) return refuse(EntryField::PatientId, "ＩＤデータが不正です。", true);
  if (entry.name.empty()) return refuse(EntryField::Name, "氏名が不正です。", true);
  if (entry.sex.empty()) return refuse(EntryField::Sex, "性別が未入力です。", false);
  const std::string& name = entry.imageNameTrimmed;
  if (name.empty()) {
    return refuse(EntryField::ImageName, "登録画像名が入力されていません。", false);
  }
  if (!store::IsStorableImageName(name)) {
    return refuse(EntryField::ImageName, "登録画像名が不正です。", true);
  }
  return refusal;
}

}  // namespace sessions
