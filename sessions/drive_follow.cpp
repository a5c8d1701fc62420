#include "sessions/drive_follow.h"

#include "store/text_format.h"

namespace sessions {

using store::ExamField;

bool SameContent(const store::ExamRecord& a, const store::ExamRecord& b) {
  const std::size_t from = store::kExamFields[0].width;
  return a.Bytes().substr(from) == b.Bytes().substr(from);
}

bool SameExamination(const store::ExamRecord& a, const store::ExamRecord& b) {
  for (ExamField f : {ExamField::PatientId, ExamField::ExamDate, ExamField::ImageName}) {
    if (store::TrimBlanks(a.Raw(f)) != store::TrimBlanks(b.Raw(f))) return false;
  }
  return true;
}

int FindExaminationAgain(store::Store& store, const store::ExamRecord& asStored, int near) {
  const store::Store::DriveScope held = store.Reading();
  if (!held) return 0;
  store::ExamRecord record;
  const int count = store.RecordCount();
  auto holds = [&](int n) {
    return n >= 1 && n <= count && store.ReadExamination(n, record).ok() &&
           SameExamination(record, asStored);
  };
  if (holds(near)) return near;
  const bool blankId = store::TrimBlanks(asStored.Raw(ExamField::PatientId)).empty();
  const store::ExamIndex& index = store.ExamsByPatient();
  if (!blankId && index.Records() == count) {
    for (const store::ExamIndex::Entry& e : index.ExamsOf(asStored.Get(ExamField::PatientId))) {
      if (holds(e.record)) return e.record;
    }
    return 0;
  }
  for (int n = 1; n <= count; ++n) {
    if (!store.ReadExamination(n, record).ok()) return 0;
    if (SameExamination(record, asStored)) return n;
  }
  return 0;
}

}  // namespace sessions
