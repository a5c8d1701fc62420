#include "platform/jpeg_converter.h"

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace platform {

namespace {

std::uint32_t LittleEndian(const QByteArray& bytes, qsizetype at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// The sides a bitmap's header declares, read before anything is decoded so
// that an oversized picture is refused without allocating it. False when the
// bytes are not a whole Windows bitmap: no "BM" header, or uncompressed pixel
// rows that the file is too short to hold.
bool BitmapSides(const QByteArray& bytes, std::int64_t& width, std::int64_t& height) {
  constexpr qsizetype kFileHeader = 14;
  if (bytes.size() < kFileHeader + 16 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t pixelOffset = LittleEndian(bytes, 10, 4);
  const std::uint32_t infoSize = LittleEndian(bytes, kFileHeader, 4);
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  if (infoSize == 12) {  // OS/2 core header: 16-bit sides
    width = LittleEndian(bytes, 18, 2);
    height = LittleEndian(bytes, 20, 2);
    bitsPerPixel = LittleEndian(bytes, 24, 2);
  } else {
    if (infoSize < 16 || bytes.size() < kFileHeader + 20) return false;
    width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
    height = static_cast<std::int32_t>(LittleEndian(bytes, 22, 4));
    if (height < 0) height = -height;  // a top-down bitmap
    bitsPerPixel = LittleEndian(bytes, 28, 2);
    compression = infoSize >= 20 ? LittleEndian(bytes, 30, 4) : 0;
  }
  if (width <= 0 || height <= 0 || pixelOffset > static_cast<std::uint64_t>(bytes.size())) {
    return false;
  }
  constexpr std::uint32_t kRgb = 0, kBitFields = 3;
  if (compression == kRgb || compression == kBitFields) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    // Sides beyond the encoder are reported as such, whatever the file holds.
    if (width <= kMaxJpegSide && height <= kMaxJpegSide &&
        pixelOffset + rowBytes * static_cast<std::uint64_t>(height) >
            static_cast<std::uint64_t>(bytes.size())) {
      return false;
    }
  }
  return true;
}

// A name beside `destination` that no file has yet.
std::filesystem::path TemporaryBeside(FileSystem& fs, const std::filesystem::path& destination) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::filesystem::path candidate =
        destination.parent_path() /
        ("." + destination.filename().string() + "." + std::to_string(::getpid()) + "." +
         std::to_string(counter.fetch_add(1)) + ".tmp");
    if (!fs.Exists(candidate.string())) return candidate;
  }
}

// Writes `bytes` to `destination` through a temporary file and a rename.
bool WriteReplacing(FileSystem& fs, const std::filesystem::path& destination,
                    const QByteArray& bytes) {
  const std::string temporary = TemporaryBeside(fs, destination).string();
  bool written = false;
  {
    std::unique_ptr<RandomFile> file;
    if (!fs.OpenRandom(temporary, file).ok()) return false;
    written = file->WriteAt(0, std::span<const char>(bytes.constData(),
                                                     static_cast<std::size_t>(bytes.size())))
                  .ok() &&
              file->Sync().ok();
  }
  if (written) written = fs.Rename(temporary, destination.string()).ok();
  if (!written) {
    (void)fs.Delete(temporary);
    return false;
  }
  // The JPEG is complete under its name; a directory that cannot be synced
  // only delays its durability.
  (void)fs.SyncDirectory(destination.parent_path().string());
  return true;
}

}  // namespace

std::int16_t SavetoJPEG(FileSystem& fs, std::string_view source, std::string_view destination,
                        std::uint8_t quality, std::int16_t /*flag*/) {
  std::string bytes;
  if (!fs.ReadFile(source, bytes).ok()) return kJpegCannotOpen;
  QByteArray bitmap(bytes.data(), static_cast<qsizetype>(bytes.size()));
  bytes = std::string();

  std::int64_t width = 0;
  std::int64_t height = 0;
  if (!BitmapSides(bitmap, width, height)) return kJpegNotBmp;
  if (width > kMaxJpegSide || height > kMaxJpegSide) return kJpegOverflow;

  QBuffer bitmapDevice(&bitmap);
  bitmapDevice.open(QIODevice::ReadOnly);
  QImageReader reader(&bitmapDevice, "bmp");
  reader.setDecideFormatFromContent(false);
  QImage picture;
  if (!reader.read(&picture)) return kJpegNotBmp;

  QByteArray jpeg;
  {
    QBuffer jpegDevice(&jpeg);
    jpegDevice.open(QIODevice::WriteOnly);
    QImageWriter writer(&jpegDevice, "jpeg");
    writer.setQuality(quality > 100 ? 100 : quality);
    if (!writer.write(picture)) return kJpegCannotWrite;
  }

  if (!WriteReplacing(fs, fs.HostPath(destination), jpeg)) return kJpegCannotWrite;
  return kJpegOk;
}

}  // namespace platform
