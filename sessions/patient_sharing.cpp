// The patient windows beside other workstations on the same drive: a master
// changed elsewhere is shown as it is now.

#include "sessions/patient_session.h"
#include "store/sha256.h"

namespace sessions {

bool PatientSession::FollowDrive() {
  if (store_.LongOperationRunning()) return false;
  const store::Store::DriveScope held = store_.Reading();
  if (!held || (store_.Reloads() == reloadsSeen_ && !masterSeen_.empty())) return false;
  reloadsSeen_ = store_.Reloads();
  std::string bytes;
  (void)store_.Files().ReadFile(store::kMasterFile, bytes);
  std::string digest = store::Sha256Hex(bytes);
  const bool first = masterSeen_.empty();
  if (digest == masterSeen_) return false;
  masterSeen_ = std::move(digest);
  if (first) return false;
  if (OnMasterChanged) OnMasterChanged(true);
  return true;
}

}  // namespace sessions
