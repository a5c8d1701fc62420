#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

class QLocalServer;

namespace app {

// One program per data drive and desktop session. The first program on a
// drive listens on a local socket in the user's runtime folder
// ($XDG_RUNTIME_DIR), named after the drive's canonical path; a second start
// on the same drive asks it to come to the front and ends. Without
// XDG_RUNTIME_DIR nothing listens and nothing is asked: the drive lock alone
// keeps a second program off the drive.
class SingleInstance : public QObject {
 public:
  explicit SingleInstance(std::filesystem::path driveRoot);
  ~SingleInstance() override;

  // The socket's path for the drive, empty without a runtime folder.
  const QString& SocketPath() const { return socketPath_; }

  // True when a program already running on this drive in this session has
  // taken the request to come to the front (it answers within `waitMs`).
  bool AskRunningToRaise(int waitMs = 3000) const;

  // Listens for later starts; `raise` runs (in the event loop) for each
  // request. A socket left behind by a program that ended abnormally is
  // replaced.
  void Listen(std::function<void()> raise);

 private:
  QString socketPath_;
  QLocalServer* server_ = nullptr;
};

}  // namespace app
