#include "platform/thumbnails.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_drive.h"

namespace {

namespace fs = std::filesystem;
using platform::PictureStamp;
using platform::ThumbnailCache;

std::string Jpeg(QColor colour, int width = 400, int height = 200) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 95);
  return bytes.toStdString();
}

void Write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void SetModified(const fs::path& file, std::int64_t ns) {
  const struct timespec times[2] = {{ns / 1000000000, ns % 1000000000},
                                    {ns / 1000000000, ns % 1000000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 &&
         std::abs(a.blue() - b.blue()) < 12;
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) out.push_back(entry.path());
  return out;
}

class ThumbnailsTest : public ::testing::Test {
 protected:
  fs::path Picture() const { return t.Root() / "ecg.jpg"; }
  PictureStamp Stamp() const {
    PictureStamp stamp;
    EXPECT_TRUE(platform::StampOf(Picture(), stamp));
    return stamp;
  }

  testing_support::TempDrive t;
  ThumbnailCache cache{t.Root() / "cache" / "thumbnails"};
  const QSize box{100, 50};
};

TEST_F(ThumbnailsTest, TheFileNameChangesWithEveryPartOfTheKey) {
  const PictureStamp base{"/data/ecg.jpg", 1000, 1700000000000000001};
  struct Case {
    const char* what;
    PictureStamp stamp;
    QSize box;
    Qt::AspectRatioMode mode;
    bool same;
  };
  const Case cases[] = {
      {"the same picture", base, box, Qt::IgnoreAspectRatio, true},
      {"another path",
       {"/data/ecg2.jpg", 1000, base.modifiedNs},
       box,
       Qt::IgnoreAspectRatio,
       false},
      {"another length", {base.path, 1001, base.modifiedNs}, box, Qt::IgnoreAspectRatio, false},
      {"one nanosecond later",
       {base.path, 1000, base.modifiedNs + 1},
       box,
       Qt::IgnoreAspectRatio,
       false},
      {"another size shown", base, QSize(100, 51), Qt::IgnoreAspectRatio, false},
      {"proportions kept", base, box, Qt::KeepAspectRatio, false},
  };
  const fs::path first = cache.FileFor(base, box);
  EXPECT_EQ(first.parent_path(), cache.Folder());
  EXPECT_EQ(first.extension(), ".jpg");
  for (const Case& c : cases) {
    EXPECT_EQ(cache.FileFor(c.stamp, c.box, c.mode) == first, c.same) << c.what;
  }
}

TEST_F(ThumbnailsTest, APictureChangedOnDiskNeverShowsItsOldThumbnail) {
  constexpr std::int64_t kThen = 1600000000000000000;
  const std::string green = Jpeg(Qt::green);
  const std::string blue = Jpeg(Qt::blue, 300, 300);
  ASSERT_NE(green.size(), blue.size());
  struct Case {
    const char* what;
    std::string newBytes;
    std::int64_t modified;
    QColor shown;
  };
  const Case cases[] = {
      {"the same bytes written again later", green, kThen + 7, Qt::green},
      {"another picture, later", blue, kThen + 1000000000, Qt::blue},
      {"another picture given the old time", blue, kThen, Qt::blue},
  };
  for (const Case& c : cases) {
    Write(Picture(), green);
    SetModified(Picture(), kThen);
    ASSERT_TRUE(Near(cache.Thumbnail(Picture(), box).pixelColor(10, 10), Qt::green)) << c.what;
    ASSERT_FALSE(cache.Find(Stamp(), box).isNull()) << c.what;

    Write(Picture(), c.newBytes);
    SetModified(Picture(), c.modified);
    EXPECT_TRUE(cache.Find(Stamp(), box).isNull()) << c.what;
    EXPECT_TRUE(Near(cache.Thumbnail(Picture(), box).pixelColor(10, 10), c.shown)) << c.what;
    EXPECT_FALSE(cache.Find(Stamp(), box).isNull()) << c.what << ": the new one kept";
  }
}

TEST_F(ThumbnailsTest, ABrokenCacheFileIsIgnoredAndMadeAgain) {
  Write(Picture(), Jpeg(Qt::blue));
  const std::string whole = [&] {
    (void)cache.Thumbnail(Picture(), box);
    std::ifstream in(cache.FileFor(Stamp(), box), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  ASSERT_GT(whole.size(), 100u);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"cut in the middle", whole.substr(0, whole.size() / 2)},
      {"not a picture", std::string(whole.size(), 'x') + "\xFF\xD9"},
      {"larger than the size shown", Jpeg(Qt::blue, 300, 300)},
  };
  for (const Case& c : cases) {
    Write(cache.FileFor(Stamp(), box), c.bytes);
    EXPECT_TRUE(cache.Find(Stamp(), box).isNull()) << c.what;
    const QImage shown = cache.Thumbnail(Picture(), box);
    EXPECT_EQ(shown.size(), box) << c.what;
    EXPECT_TRUE(Near(shown.pixelColor(50, 25), Qt::blue)) << c.what;
    EXPECT_FALSE(cache.Find(Stamp(), box).isNull()) << c.what << ": made again";
  }
}

TEST_F(ThumbnailsTest, WhatCannotBeKeptIsShownAndNotStored) {
  struct Case {
    const char* what;
    std::string bytes;
    bool shown;
  };
  QImage clear(40, 40, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  clear.save(&buffer, "PNG");
  const Case cases[] = {
      {"no picture", "not a picture", false},
      {"a transparent picture", png.toStdString(), true},
  };
  for (const Case& c : cases) {
    Write(Picture(), c.bytes);
    EXPECT_EQ(!cache.Thumbnail(Picture(), box).isNull(), c.shown) << c.what;
    EXPECT_TRUE(Entries(cache.Folder()).empty()) << c.what;
  }
  EXPECT_TRUE(cache.Thumbnail(t.Root() / "missing.jpg", box).isNull());
}

TEST_F(ThumbnailsTest, ConcurrentMakersLeaveOneWholeFile) {
  Write(Picture(), Jpeg(Qt::red));
  const PictureStamp stamp = Stamp();
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  std::atomic<bool> stop = false;
  std::atomic<int> torn = 0;
  std::atomic<int> seen = 0;
  std::vector<std::thread> makers;
  for (const QColor colour : colours) {
    makers.emplace_back([&, colour] {
      QImage picture(box, QImage::Format_RGB32);
      picture.fill(colour);
      for (int i = 0; i < 40; ++i) EXPECT_TRUE(cache.Store(stamp, box, picture));
    });
  }
  std::thread reader([&] {
    while (!stop) {
      const QImage found = cache.Find(stamp, box);
      if (found.isNull()) continue;
      ++seen;
      const QColor corner = found.pixelColor(0, 0);
      const QColor far = found.pixelColor(box.width() - 1, box.height() - 1);
      if (found.size() != box || !Near(corner, far)) ++torn;
    }
  });
  for (std::thread& maker : makers) maker.join();
  stop = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(seen, 0);
  const std::vector<fs::path> left = Entries(cache.Folder());
  ASSERT_EQ(left.size(), 1u) << "no staging file is left behind";
  EXPECT_EQ(left[0], cache.FileFor(stamp, box));
}

TEST_F(ThumbnailsTest, StoresHandedToTheWorkerArriveWhole) {
  Write(Picture(), Jpeg(Qt::green));
  QImage picture(box, QImage::Format_RGB32);
  picture.fill(Qt::green);
  cache.StoreLater(Stamp(), box, picture);
  cache.WaitForStores();
  const QImage found = cache.Find(Stamp(), box);
  ASSERT_EQ(found.size(), box);
  EXPECT_TRUE(Near(found.pixelColor(50, 25), Qt::green));
}

TEST(ThumbnailFolder, FollowsTheUsersCacheFolder) {
  struct Case {
    const char* xdg;  // nullptr: unset
    const char* home;
    const char* folder;
  };
  const Case cases[] = {
      {"/var/cache/u", "/home/u", "/var/cache/u/velunor2/thumbnails"},
      {nullptr, "/home/u", "/home/u/.cache/velunor2/thumbnails"},
      {"relative/cache", "/home/u", "/home/u/.cache/velunor2/thumbnails"},
  };
  const char* savedXdg = std::getenv("XDG_CACHE_HOME");
  const std::string xdgBefore = savedXdg != nullptr ? savedXdg : "";
  const std::string homeBefore = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  for (const Case& c : cases) {
    if (c.xdg != nullptr) {
      setenv("XDG_CACHE_HOME", c.xdg, 1);
    } else {
      unsetenv("XDG_CACHE_HOME");
    }
    setenv("HOME", c.home, 1);
    EXPECT_EQ(ThumbnailCache::DefaultFolder(), fs::path(c.folder)) << (c.xdg ? c.xdg : "unset");
  }
  if (savedXdg != nullptr) {
    setenv("XDG_CACHE_HOME", xdgBefore.c_str(), 1);
  } else {
    unsetenv("XDG_CACHE_HOME");
  }
  setenv("HOME", homeBefore.c_str(), 1);
}

}  // namespace
