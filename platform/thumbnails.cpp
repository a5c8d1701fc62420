#include "platform/thumbnails.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QImageReader>
#include <QImageWriter>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/pictures.h"

namespace platform {

namespace {

constexpr int kQuality = 92;

bool ReadWhole(const std::filesystem::path& file, std::string& out) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
      const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    out.resize(got);
  }
  ::close(fd);
  return ok;
}

bool WriteWhole(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

bool SameStamp(const PictureStamp& a, const PictureStamp& b) {
  return a.path == b.path && a.length == b.length && a.modifiedNs == b.modifiedNs;
}

}  // namespace

bool StampOf(const std::filesystem::path& picture, PictureStamp& out) {
  struct stat st {};
  if (::stat(picture.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(picture, ec);
  out.path = (ec ? picture : absolute).lexically_normal().string();
  out.length = static_cast<std::uint64_t>(st.st_size);
  out.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

ThumbnailCache::ThumbnailCache(std::filesystem::path folder) : folder_(std::move(folder)) {
  writer_.setMaxThreadCount(1);
}

ThumbnailCache::~ThumbnailCache() { writer_.waitForDone(); }

std::filesystem::path ThumbnailCache::DefaultFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::filesystem::path(home) / ".cache";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "velunor2" / "thumbnails";
}

ThumbnailCache& ThumbnailCache::Default() {
  static ThumbnailCache* cache = [] {
    auto* made = new ThumbnailCache(DefaultFolder());
    // The stores encode with Qt's image plugins, which go with the
    // application object.
    if (QCoreApplication::instance() != nullptr) {
      qAddPostRoutine([] { ThumbnailCache::Default().WaitForStores(); });
    }
    return made;
  }();
  return *cache;
}

std::filesystem::path ThumbnailCache::FileFor(const PictureStamp& stamp, QSize box,
                                              Qt::AspectRatioMode mode) const {
  const QByteArray key = QByteArray::fromStdString(stamp.path) + '\0' +
                         QByteArray::number(static_cast<qulonglong>(stamp.length)) + '\0' +
                         QByteArray::number(static_cast<qlonglong>(stamp.modifiedNs)) + '\0' +
                         QByteArray::number(box.width()) + 'x' + QByteArray::number(box.height()) +
                         '\0' + QByteArray::number(static_cast<int>(mode));
  const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
  return folder_ / (digest.left(40).toStdString() + ".jpg");
}

QImage ThumbnailCache::Find(const PictureStamp& stamp, QSize box, Qt::AspectRatioMode mode) const {
  std::string bytes;
  if (!ReadWhole(FileFor(stamp, box, mode), bytes)) return QImage();
  // A whole JPEG ends with its end-of-image marker; a cut one is not shown
  // half grey.
  if (bytes.size() < 4 || !bytes.ends_with("\xFF\xD9")) return QImage();
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "jpeg");
  QImage picture = reader.read();
  if (picture.isNull()) return QImage();
  if (box.isValid() && !box.isEmpty() &&
      (picture.width() > box.width() || picture.height() > box.height()))
    return QImage();
  return picture;
}

bool ThumbnailCache::Store(const PictureStamp& stamp, QSize box, const QImage& picture,
                           Qt::AspectRatioMode mode) {
  // JPEG keeps no transparency; such pictures are decoded each time.
  if (picture.isNull() || picture.hasAlphaChannel()) return false;
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kQuality);
    if (!writer.write(picture)) return false;
  }
  if (CreateFolders(folder_)) return false;
  const std::filesystem::path target = FileFor(stamp, box, mode);
  std::string staging = (folder_ / ".staging-XXXXXX").string();
  const int fd = ::mkostemp(staging.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = WriteWhole(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(staging.c_str(), target.c_str()) != 0) {
    ::unlink(staging.c_str());
    return false;
  }
  return true;
}

void ThumbnailCache::StoreLater(const PictureStamp& stamp, QSize box, QImage picture,
                                Qt::AspectRatioMode mode) {
  writer_.start([this, stamp, box, picture = std::move(picture), mode] {
    (void)Store(stamp, box, picture, mode);
  });
}

void ThumbnailCache::WaitForStores() { writer_.waitForDone(); }

QImage ThumbnailCache::Thumbnail(const std::filesystem::path& picture, QSize box,
                                 Qt::AspectRatioMode mode) {
  PictureStamp before;
  if (!StampOf(picture, before)) return QImage();
  if (QImage found = Find(before, box, mode); !found.isNull()) return found;
  std::string bytes;
  if (!ReadWhole(picture, bytes)) return QImage();
  QImage decoded = DecodePictureScaled(bytes, box, nullptr, mode);
  // A picture rewritten while it was read is not stored under either stamp.
  PictureStamp after;
  if (!decoded.isNull() && StampOf(picture, after) && SameStamp(before, after) &&
      after.length == bytes.size())
    (void)Store(before, box, decoded, mode);
  return decoded;
}

QImage Thumbnail(const std::filesystem::path& picture, QSize box, Qt::AspectRatioMode mode) {
  return ThumbnailCache::Default().Thumbnail(picture, box, mode);
}

}  // namespace platform
