#include "store/forms/image_cells.h"

#include <QLabel>
#include <QPixmap>
#include <vector>

#include "platform/pictures.h"
#include "platform/qt_text.h"

namespace store {

using platform::Q;

void ClearImageCells(ImageListForm& form) {
  for (int i = 0; i < kImageCells; ++i) {
    form.Image1[i]->clear();
    form.Label2[i]->clear();
    form.Label3[i]->clear();
    form.Label4[i]->clear();
  }
}

platform::Status ShowImagePage(Store& store, ImageListForm& form, std::int32_t& searchStart) {
  std::vector<ImageCell> cells;
  const platform::Status s = WalkImagePage(store, searchStart, cells);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const ImageCell& cell = cells[i];
    const QImage picture = platform::ReadPictureScaled(store.Files(), cell.imageFile, form.CellBox);
    if (!picture.isNull()) form.Image1[i]->setPixmap(QPixmap::fromImage(picture));
    form.Label2[i]->setText(QString::number(cell.recordNo));
    form.Label3[i]->setText(Q(cell.examDate));
    form.Label4[i]->setText(Q(cell.name));
  }
  return s;
}

}  // namespace store
