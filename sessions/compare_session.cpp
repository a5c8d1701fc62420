#include "sessions/compare_session.h"

#include <algorithm>
#include <utility>

#include "sessions/drive_follow.h"
#include "store/image_files.h"

namespace sessions {

using store::ExamField;

namespace {

// The non-blank entries of fields 0..4, each joined with its pair when given,
// in one order.
std::vector<std::string> EntrySet(const store::ExamRecord& r, ExamField (*field)(int),
                                  ExamField (*paired)(int) = nullptr) {
  std::vector<std::string> set;
  for (int i = 0; i < 5; ++i) {
    std::string entry = r.Get(field(i));
    if (paired) entry += '\t' + r.Get(paired(i));
    if (entry.find_first_not_of('\t') != std::string::npos) set.push_back(std::move(entry));
  }
  std::sort(set.begin(), set.end());
  return set;
}

ExamField LeadSiteAt(int i) { return store::LeadSiteField(i); }
ExamField FindingAt(int i) { return store::FindingField(i); }
ExamField ArrhythmiaAt(int i) { return store::ArrhythmiaField(i); }

}  // namespace

bool CompareView::Differs(CompareField f) const {
  return std::find(differing.begin(), differing.end(), f) != differing.end();
}

std::vector<CompareField> CompareSession::Differences(const store::ExamRecord& a,
                                                      const store::ExamRecord& b) {
  std::vector<CompareField> differing;
  const std::pair<CompareField, ExamField> plain[] = {
      {CompareField::Date, ExamField::ExamDate},
      {CompareField::Age, ExamField::Age},
      {CompareField::HeartRate, ExamField::HeartRate},
      {CompareField::Department, ExamField::Department},
  };
  for (const auto& [compared, field] : plain) {
    if (a.Get(field) != b.Get(field)) differing.push_back(compared);
  }
  if (EntrySet(a, LeadSiteAt, FindingAt) != EntrySet(b, LeadSiteAt, FindingAt)) {
    differing.push_back(CompareField::LeadSites);
  }
  if (EntrySet(a, ArrhythmiaAt) != EntrySet(b, ArrhythmiaAt)) {
    differing.push_back(CompareField::Arrhythmias);
  }
  if (a.Get(ExamField::Comment) != b.Get(ExamField::Comment)) {
    differing.push_back(CompareField::Comment);
  }
  return differing;
}

std::string CompareSession::PictureFile(const store::ExamRecord& exam) {
  const std::string found = store::FindImageFile(store_.Files(), exam.Get(ExamField::ImageName));
  return found.empty() ? std::string() : store::ImageFilePath(found);
}

std::string CompareSession::PictureOf(int position) {
  if (position < 0 || position >= static_cast<int>(view_.strip.size())) return {};
  store::ExamRecord exam;
  if (!store_.ReadExamination(view_.strip[static_cast<std::size_t>(position)].record, exam).ok()) {
    return {};
  }
  return PictureFile(exam);
}

CompareView CompareSession::Open(int record) {
  view_ = CompareView{};
  store::ExamRecord exam;
  if (platform::Status s = store_.ReadExamination(record, exam); !s.ok()) {
    view_.SayError(s);
    return view_;
  }
  store::ExamIndex& index = store_.ExamsByPatient();
  // A file changed behind the commands (another program) is indexed afresh.
  if (index.Records() != store_.RecordCount()) (void)index.Build(store_.DataFile());
  view_.strip = index.ExamsOf(exam.Get(ExamField::PatientId));
  auto at = std::find_if(view_.strip.begin(), view_.strip.end(),
                         [&](const store::ExamIndex::Entry& e) { return e.record == record; });
  if (at == view_.strip.end()) {
    view_.strip = {{record, exam.Get(ExamField::ExamDate)}};
    at = view_.strip.begin();
  }
  const int shown = static_cast<int>(at - view_.strip.begin());
  if (!ReadPane(kRight, shown, view_)) return view_;
  if (view_.strip.size() < 2) {
    view_.Say("この患者の過去の検査はありません。", platform::kInformation);
  } else if (!ReadPane(kLeft, shown > 0 ? shown - 1 : shown + 1, view_)) {
    return view_;
  }
  view_.opened = true;
  Compare();
  return view_;
}

CompareView CompareSession::Select(int pane, int position) {
  CompareView shown = view_;
  shown.messages.clear();
  const int last = static_cast<int>(view_.strip.size()) - 1;
  position = std::clamp(position, 0, std::max(last, 0));
  if (!view_.opened || last < 1 || position == view_.panes[pane].position) return shown;
  if (!ReadPane(pane, position, shown)) return shown;
  view_ = shown;
  Compare();
  return view_;
}

namespace {

// Whether `a` and `b` show the same: the strip and both panes.
bool SameView(const CompareView& a, const CompareView& b) {
  if (a.strip.size() != b.strip.size()) return false;
  for (std::size_t i = 0; i < a.strip.size(); ++i) {
    if (a.strip[i].record != b.strip[i].record || a.strip[i].date != b.strip[i].date) return false;
  }
  for (int pane : {CompareSession::kLeft, CompareSession::kRight}) {
    const ComparePane& x = a.panes[pane];
    const ComparePane& y = b.panes[pane];
    if (x.record != y.record || x.position != y.position || !(x.exam == y.exam) ||
        x.picturePath != y.picturePath) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<CompareView> CompareSession::FollowDrive() {
  if (!view_.opened) return std::nullopt;
  const CompareView before = view_;
  const ComparePane& right = before.panes[kRight];
  const int rightNow = FindExaminationAgain(store_, right.exam, right.record);
  if (rightNow == 0) {
    view_ = CompareView{};
    view_.Say(kShownGone, platform::kExclamation);
    return view_;
  }
  (void)Open(rightNow);
  if (!view_.opened) return view_;
  if (const ComparePane& left = before.panes[kLeft]; left.record > 0) {
    const int leftNow = FindExaminationAgain(store_, left.exam, left.record);
    const auto at = std::find_if(view_.strip.begin(), view_.strip.end(),
                                 [leftNow](const store::ExamIndex::Entry& e) {
                                   return leftNow > 0 && e.record == leftNow;
                                 });
    if (at != view_.strip.end()) {
      const auto messages = view_.messages;
      (void)Select(kLeft, static_cast<int>(at - view_.strip.begin()));
      view_.messages = messages;
    }
  }
  if (SameView(before, view_)) return std::nullopt;
  return view_;
}

CompareView CompareSession::Step(int pane, int delta) {
  return Select(pane, view_.panes[pane].position + delta);
}

bool CompareSession::ReadPane(int pane, int position, CompareView& into) {
  ComparePane read;
  read.position = position;
  read.record = view_.strip[static_cast<std::size_t>(position)].record;
  if (platform::Status s = store_.ReadExamination(read.record, read.exam); !s.ok()) {
    into.SayError(s);
    return false;
  }
  read.picturePath = PictureFile(read.exam);
  if (read.picturePath.empty()) {
    read.missingPicture = "画像：" + read.exam.Get(ExamField::ImageName) + ".jpgはありません。";
  }
  into.panes[pane] = std::move(read);
  return true;
}

void CompareSession::Compare() {
  const ComparePane& left = view_.panes[kLeft];
  view_.differing = left.record > 0 ? Differences(left.exam, view_.panes[kRight].exam)
                                    : std::vector<CompareField>{};
}

}  // namespace sessions
