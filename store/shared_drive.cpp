// Several programs on one data drive: each command holds the drive's lock
// file shared while it reads and exclusively while it changes, and a program
// that finds the generation moved reopens its files (a rebuild elsewhere has
// renamed new files over the ones it had open).

#include "store/history.h"
#include "store/store.h"

namespace store {

Store::DriveScope::DriveScope(Store* store, int before, Status status)
    : store_(store), before_(before), status_(status) {}

Store::DriveScope::DriveScope(DriveScope&& other) noexcept
    : store_(other.store_), before_(other.before_), status_(other.status_) {
  other.store_ = nullptr;
}

Store::DriveScope::~DriveScope() {
  if (store_ != nullptr && status_.ok()) store_->EndDriveScope(before_);
}

void Store::SetDriveLock(platform::DriveLock* lock) {
  driveLock_ = lock;
  seenGeneration_ = lock != nullptr ? lock->Generation() : 0;
}

bool Store::DriveChanged() const {
  return driveLock_ != nullptr && driveLock_->Generation() != seenGeneration_;
}

bool Store::DriveBeingRebuilt() const {
  // This program's own rebuild is no other workstation's.
  return driveLock_ != nullptr && driveHold_ != kExclusiveHold && driveLock_->RebuildMarked();
}

void Store::CatchUpWithDrive() {
  const std::uint64_t generation = driveLock_->Generation();
  if (generation == seenGeneration_) return;
  seenGeneration_ = generation;
  ++reloads_;
  (void)CloseReplaceReopen([] { return Status::Ok(); });
  // Another program changed the files: the index and the history's end are
  // read again from what is on the drive now (an append at the old end would
  // write over the other program's entries).
  (void)examIndex_.Build(DataFileNo.get());
  if (changes_) changes_->Close();
}

bool Store::FollowDriveReachability() {
  const bool unreachable = driveLock_ != nullptr && !driveLock_->Reconnect();
  if (unreachable == driveUnreachable_) return false;
  driveUnreachable_ = unreachable;
  // The handles opened before the break may be stale: the next lock reopens
  // them whatever the generation says.
  if (!unreachable) seenGeneration_ = ~driveLock_->Generation();
  return true;
}

Store::DriveScope Store::Reading() {
  const int before = driveHold_;
  if (driveLock_ == nullptr || before != kNoHold) return DriveScope(this, before, Status::Ok());
  if (Status s = driveLock_->LockShared(lockWait_); !s.ok()) return DriveScope(this, before, s);
  driveHold_ = kSharedHold;
  CatchUpWithDrive();
  return DriveScope(this, before, Status::Ok());
}

Store::DriveScope Store::Changing(bool rebuild) {
  const int before = driveHold_;
  if (driveLock_ == nullptr || before == kExclusiveHold) {
    return DriveScope(this, before, Status::Ok());
  }
  // A read lock is let go first: two programs each waiting to turn their
  // read into a change would wait for each other for ever.
  if (before == kSharedHold) driveLock_->Unlock();
  if (Status s = driveLock_->LockExclusive(lockWait_); !s.ok()) {
    if (before == kSharedHold) (void)driveLock_->LockShared();
    driveHold_ = before;
    return DriveScope(this, before, s);
  }
  if (!driveLock_->Reachable()) {
    // Without the drive no lock holds anything: nothing is written at all.
    driveUnreachable_ = true;
    driveLock_->Unlock();
    if (before == kSharedHold) (void)driveLock_->LockShared();
    return DriveScope(this, before, Status::Error(platform::kDeviceIoError));
  }
  driveHold_ = kExclusiveHold;
  if (rebuild) driveLock_->MarkRebuild(true);
  CatchUpWithDrive();
  // Raised at the start as well as at the end: a program that dies in the
  // middle of a change (after a rename, say) still tells the others to look
  // at the files again.
  seenGeneration_ = driveLock_->RaiseGeneration();
  return DriveScope(this, before, Status::Ok());
}

void Store::EndDriveScope(int before) {
  if (driveLock_ == nullptr || before == driveHold_) return;
  if (driveHold_ == kExclusiveHold) {
    driveLock_->MarkRebuild(false);
    seenGeneration_ = driveLock_->RaiseGeneration();
  }
  if (before == kSharedHold) {
    (void)driveLock_->LockShared();  // a write lock turns into a read lock at once
  } else {
    driveLock_->Unlock();
  }
  driveHold_ = before;
}

}  // namespace store
