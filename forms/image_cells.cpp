#include "forms/image_cells.h"

#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/pictures.h"
#include "platform/qt_text.h"
#include "platform/thumbnails.h"

namespace store {

using platform::Q;

void ClearImageCells(ImageListForm& form) {
  for (int i = 0; i < kImageCells; ++i) {
    form.Image1[i]->clear();
    form.Label2[i]->clear();
    form.Label3[i]->clear();
    form.Label4[i]->clear();
  }
  form.CellRecordNo.fill(0);
}

void ShowImagePage(platform::FileSystem& fs, ImageListForm& form,
                   const std::vector<ImageCell>& cells, platform::ThumbnailCache* thumbnails) {
  // The files are read here, through the store's file system; the pictures
  // are decoded side by side, one a core.
  const QSize box = form.CellBox;
  std::vector<std::string> bytes(cells.size());
  std::vector<QImage> pictures(cells.size());
  std::vector<platform::PictureStamp> stamps(cells.size());
  std::vector<bool> stamped(cells.size(), false);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (thumbnails != nullptr && platform::StampOf(fs.HostPath(cells[i].imageFile), stamps[i])) {
      pictures[i] = thumbnails->Find(stamps[i], box);
      if (!pictures[i].isNull()) continue;
      stamped[i] = true;
    }
    (void)fs.ReadFile(cells[i].imageFile, bytes[i]);
  }
  auto decode = [&](std::size_t i) {
    if (!bytes[i].empty()) pictures[i] = platform::DecodePictureScaled(bytes[i], box);
  };
  const std::size_t workers =
      std::min<std::size_t>(cells.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (std::size_t w = 1; w < workers; ++w) {
    threads.emplace_back([&, w] {
      for (std::size_t i = w; i < cells.size(); i += workers) decode(i);
    });
  }
  for (std::size_t i = 0; i < cells.size(); i += workers) decode(i);
  for (std::thread& t : threads) t.join();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    // A picture rewritten while it was read keeps no thumbnail.
    platform::PictureStamp now;
    if (stamped[i] && !pictures[i].isNull() &&
        platform::StampOf(fs.HostPath(cells[i].imageFile), now) && now.length == bytes[i].size() &&
        now.modifiedNs == stamps[i].modifiedNs)
      thumbnails->StoreLater(stamps[i], box, pictures[i]);
  }

  for (std::size_t i = 0; i < cells.size() && i < kImageCells; ++i) {
    const ImageCell& cell = cells[i];
    form.CellRecordNo[i] = cell.recordNo;
    if (!pictures[i].isNull())
      form.Image1[i]->setPixmap(QPixmap::fromImage(std::move(pictures[i])));
    form.Label2[i]->setText(QString::number(cell.recordNo));
    form.Label3[i]->setText(Q(cell.examDate));
    form.Label4[i]->setText(Q(cell.name));
  }
}

}  // namespace store
