#pragma once

#include <QImage>
#include <QSize>
#include <QThreadPool>
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

// What identifies a picture file for its thumbnails: its host path, its
// length and its modification time to the nanosecond. A picture rewritten
// on disk gets another stamp, so a thumbnail made of the old one is never
// found for it.
struct PictureStamp {
  std::string path;
  std::uint64_t length = 0;
  std::int64_t modifiedNs = 0;
};

// The stamp of the picture at `picture` as it stands now; false when there
// is no such file.
bool StampOf(const std::filesystem::path& picture, PictureStamp& out);

// Small JPEG copies of pictures at the size they are shown, kept in a
// folder (one file each, named by a digest of the stamp, the size and the
// aspect mode) so that showing a picture again costs the decode of its
// small copy instead of the full picture. A file is written to a temporary
// name beside it and renamed over it, so a reader sees a whole file or
// none, whoever writes at the same time. A cache file that does not decode
// or does not fit the size asked for is ignored (and replaced when the
// thumbnail is made again). Every method may be called from any thread.
class ThumbnailCache {
 public:
  // The folder is created when the first thumbnail is stored.
  explicit ThumbnailCache(std::filesystem::path folder);
  // Waits for the stores handed to the worker thread.
  ~ThumbnailCache();
  ThumbnailCache(const ThumbnailCache&) = delete;
  ThumbnailCache& operator=(const ThumbnailCache&) = delete;

  // $XDG_CACHE_HOME/velunor2/thumbnails, or ~/.cache/velunor2/thumbnails when
  // XDG_CACHE_HOME is unset or not an absolute path.
  static std::filesystem::path DefaultFolder();
  // The cache of the user's DefaultFolder(), made on first use; its pending
  // stores finish before the application object goes away.
  static ThumbnailCache& Default();

  const std::filesystem::path& Folder() const { return folder_; }
  // The cache file of a picture shown at `box`.
  std::filesystem::path FileFor(const PictureStamp& stamp, QSize box,
                                Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio) const;

  // The stored thumbnail of the picture with `stamp` at `box`; null when
  // there is none or it is broken.
  QImage Find(const PictureStamp& stamp, QSize box,
              Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio) const;
  // Stores `picture` (already decoded at `box`) as the thumbnail; false
  // when it could not be written (the cache is then merely cold).
  bool Store(const PictureStamp& stamp, QSize box, const QImage& picture,
             Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);
  // Store on the cache's worker thread; the caller does not wait.
  void StoreLater(const PictureStamp& stamp, QSize box, QImage picture,
                  Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);
  // Returns when every StoreLater so far is done.
  void WaitForStores();

  // The picture file at `picture` as shown stretched over `box` device
  // pixels (decoded as platform::DecodePictureScaled does): its stored
  // thumbnail, or, when there is none, the picture decoded now and its
  // thumbnail stored. Null when the file cannot be read or is no picture.
  QImage Thumbnail(const std::filesystem::path& picture, QSize box,
                   Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

 private:
  std::filesystem::path folder_;
  QThreadPool writer_;
};

// ThumbnailCache::Default().Thumbnail(picture, box, mode).
QImage Thumbnail(const std::filesystem::path& picture, QSize box,
                 Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

}  // namespace platform
