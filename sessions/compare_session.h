#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sessions/outcome.h"
#include "store/exam_index.h"
#include "store/records.h"
#include "store/store.h"

namespace sessions {

// The fields of two examinations held against each other.
enum class CompareField { Date, Age, HeartRate, Department, LeadSites, Arrhythmias, Comment };

// One pane: which of the patient's examinations it shows and that record.
struct ComparePane {
  int record = 0;     // data-file record number; 0: the pane is empty
  int position = -1;  // its place in the strip
  store::ExamRecord exam;
  std::string picturePath;     // the picture file; empty: see missingPicture
  std::string missingPicture;  // "画像：<name>.jpgはありません。"
};

// What the comparison window shows.
struct CompareView : Outcome {
  bool opened = false;  // false: nothing to show (the reason is in the messages)
  // All examinations of the patient, oldest first (by date, then by number).
  std::vector<store::ExamIndex::Entry> strip;
  // Left: the examination compared with; right: the one it was opened on.
  // When the patient has no other examination the left pane is empty.
  std::array<ComparePane, 2> panes;
  std::vector<CompareField> differing;  // empty when a pane is empty

  bool Differs(CompareField f) const;
};

// The examinations of the patient of one record, two at a time: found
// through the store's index by PatientId, read for two panes that each step
// through the patient's examinations on their own.
class CompareSession {
 public:
  static constexpr int kLeft = 0;
  static constexpr int kRight = 1;

  explicit CompareSession(store::Store& store) : store_(store) {}

  // Record n on the right and, on the left, the newest examination of the
  // same patient dated before it (when there is none, the nearest later one).
  // A patient with no other examination: "この患者の過去の検査はありません。".
  CompareView Open(int record);
  // Pane `pane` shows the examination `delta` places further in the strip
  // (kept within it) or the one at `position`.
  CompareView Step(int pane, int delta);
  CompareView Select(int pane, int position);
  // After another workstation changed the drive: the patient's strip anew,
  // each pane on its examination where it stands now (a delete or sort
  // renumbers them); nullopt when nothing shown changed. The examination
  // the view was opened on gone: not opened, and said.
  std::optional<CompareView> FollowDrive();
  const CompareView& View() const { return view_; }
  // The picture file of the examination at `position` of the strip; empty
  // when it has none (or it cannot be read).
  std::string PictureOf(int position);

  // The fields in which `a` and `b` differ. Lead sites with their findings
  // and arrhythmias count as sets: the same entries in another order are the
  // same.
  static std::vector<CompareField> Differences(const store::ExamRecord& a,
                                               const store::ExamRecord& b);

 private:
  // Reads the examination at `position` of the strip into pane `pane` of
  // `into`; a read failure is said there.
  bool ReadPane(int pane, int position, CompareView& into);
  void Compare();
  std::string PictureFile(const store::ExamRecord& exam);

  store::Store& store_;
  CompareView view_;
};

}  // namespace sessions
