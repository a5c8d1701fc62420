#pragma once

#include "sessions/exam_form_session.h"
#include "store/store.h"

namespace testing_support {

// The form as it stands when filled from `record`.
inline sessions::ExamEntry EntryOf(const store::ExamRecord& record) {
  using store::ExamField;
  sessions::ExamEntry entry;
  entry.record = record;
  entry.examDate = record.Get(ExamField::ExamDate);
  entry.patientId = record.Get(ExamField::PatientId);
  entry.name = record.Get(ExamField::Name);
  entry.sex = record.Get(ExamField::Sex);
  entry.imageName = entry.imageNameTrimmed = record.Get(ExamField::ImageName);
  return entry;
}

}  // namespace testing_support
