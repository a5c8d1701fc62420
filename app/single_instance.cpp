#include "app/single_instance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace app {
namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";

QString SocketPathFor(const std::filesystem::path& driveRoot) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime != '/') return {};
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(driveRoot, ec);
  if (ec) canonical = std::filesystem::absolute(driveRoot, ec);
  canonical = canonical.lexically_normal();
  if (!canonical.has_filename() && canonical.has_parent_path()) canonical = canonical.parent_path();
  const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(canonical.string()),
                                                   QCryptographicHash::Sha256)
                              .toHex()
                              .left(16);
  return QString::fromLocal8Bit(runtime) + QStringLiteral("/velunor2-") +
         QString::fromLatin1(hash) + QStringLiteral(".sock");
}

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path driveRoot)
    : socketPath_(SocketPathFor(driveRoot)) {}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
}

bool SingleInstance::AskRunningToRaise(int waitMs) const {
  if (socketPath_.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(waitMs)) return false;
  socket.write(kRaise);
  if (!socket.waitForBytesWritten(waitMs)) return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(waitMs)) return false;
  }
  return socket.readLine() == kRaised;
}

void SingleInstance::Listen(std::function<void()> raise) {
  if (socketPath_.isEmpty() || server_ != nullptr) return;
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(socketPath_)) {
    // Nobody answered on it (AskRunningToRaise came first): a leftover.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) return;
  }
  connect(server_, &QLocalServer::newConnection, this, [this, raise = std::move(raise)] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [socket, raise] {
        if (!socket->canReadLine()) return;
        if (socket->readLine() != kRaise) {
          socket->disconnectFromServer();
          return;
        }
        raise();
        socket->write(kRaised);
        socket->flush();
        socket->disconnectFromServer();
      });
    }
  });
}

}  // namespace app
