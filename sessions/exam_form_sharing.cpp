// The examination form beside other workstations on the same drive: what is
// shown follows their changes, and an overwrite never undoes one of them.

#include <array>
#include <utility>

#include "sessions/drive_follow.h"
#include "sessions/exam_form_session.h"
#include "store/text_format.h"

namespace sessions {

using store::ExamField;

namespace {

constexpr const char* kKeptAsNew = "入力中の内容は新しい検査として残しています。";

// The fields as the form names them, for showing two versions side by side.
// Each names its first field and how many follow it under one label.
struct ShownField {
  ExamField first;
  int count;
  const char* label;
};
constexpr std::array<ShownField, 12> kShownFields = {{
    {ExamField::ExamDate, 1, "検査日"},
    {ExamField::PatientId, 1, "ID"},
    {ExamField::Name, 1, "氏名"},
    {ExamField::Sex, 1, "性別"},
    {ExamField::Age, 1, "年齢"},
    {ExamField::HeartRate, 1, "心拍数"},
    {ExamField::Department, 1, "所属"},
    {ExamField::Comment, 1, "コメント"},
    {ExamField::LeadSite1, 5, "誘導部位"},
    {ExamField::Finding1, 5, "異常所見"},
    {ExamField::Arrhythmia1, 5, "不整脈"},
    {ExamField::ImageName, 1, "画像名"},
}};

bool IsBlank(const store::ExamRecord& r) { return store::TrimBlanks(r.Bytes()).empty(); }

// One line per field group that differs: the form's version, then the stored.
std::string BothVersions(const store::ExamRecord& mine, const store::ExamRecord& theirs) {
  std::string text;
  for (const ShownField& shown : kShownFields) {
    std::string a, b;
    for (int i = 0; i < shown.count; ++i) {
      const ExamField f = ExamField(static_cast<int>(shown.first) + i);
      const std::string mark = i == 0 ? "" : "・";
      a += mark + std::string(store::TrimBlanks(mine.Get(f)));
      b += mark + std::string(store::TrimBlanks(theirs.Get(f)));
    }
    if (a != b) text += "\n" + std::string(shown.label) + "：　" + a + "　→　" + b;
  }
  return text;
}

}  // namespace

bool ExamFormSession::StillAsShown(Outcome& refusal, const store::ExamRecord& mine) {
  store::ExamRecord stored;
  if (platform::Status s = store_.ReadExamination(shownRecord_, stored); !s.ok()) {
    refusal.SayError(s);
    return false;
  }
  if (shownRecord_ <= store_.RecordCount() && stored.Bytes() == shownAsStored_.Bytes()) return true;
  std::string text =
      "このデータは表示した後に他の端末で変更されたため、上書き・削除しませんでした。";
  const int now = FindShownAgain();
  if (now == 0) {
    text += "\nこの検査は他の端末で削除されました。";
  } else {
    if (now != shownRecord_) {
      text += "\nこの検査は他の端末での削除・並べ替えでファイルＮＯ " + std::to_string(now) +
              " に移りました。";
    }
    (void)store_.ReadExamination(now, stored);
    text += "\n（この画面の内容　→　いま保存されている内容）" + BothVersions(mine, stored);
  }
  refusal.Say(std::move(text));
  return false;
}

int ExamFormSession::FindShownAgain() {
  return FindExaminationAgain(store_, shownAsStored_, shownRecord_);
}

DriveRefresh ExamFormSession::Refresh(bool typedUnregistered) {
  DriveRefresh out;
  if (!store_.DriveChanged() && store_.Reloads() == reloadsSeen_) return out;
  const store::Store::DriveScope held = store_.Reading();
  if (!held) return out;
  reloadsSeen_ = store_.Reloads();
  out.changed = true;
  if (IsBlank(shownAsStored_)) {  // a new examination: only its number moves
    shownRecord_ = store_.RecordCount() + 1;
    out.shownNumber = shownRecord_;
    return out;
  }
  const int n = FindShownAgain();
  if (n == 0) {
    out.Say(kShownGone);
    if (typedUnregistered) {
      out.messages.back().text += "\n" + std::string(kKeptAsNew);
      shownAsStored_.Clear();
      shownRecord_ = store_.RecordCount() + 1;
      out.shownNumber = shownRecord_;
      return out;
    }
    const int count = store_.RecordCount();
    out.after = count > 0 ? FormAfter::Examination : FormAfter::NewExamination;
    out.record = std::min(shownRecord_, count);
    out.shownNumber = count > 0 ? out.record : count + 1;
    return out;
  }
  store::ExamRecord stored;
  (void)store_.ReadExamination(n, stored);
  const bool moved = n != shownRecord_;
  const bool edited = !SameContent(stored, shownAsStored_);
  shownRecord_ = n;
  out.shownNumber = n;
  if (typedUnregistered) {
    // The typed work still rests on the same stored examination when only
    // its number moved; an edit elsewhere makes 上書き refuse and show both.
    if (!edited)
      shownAsStored_ = stored;
    else
      shownAsStored_.Set(ExamField::RecordNo, store::ExamRecordNo(n));
    return out;
  }
  if (moved || edited) {
    out.after = FormAfter::Examination;
    out.record = n;
  }
  return out;
}

}  // namespace sessions
