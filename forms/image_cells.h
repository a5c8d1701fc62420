#pragma once

#include <QSize>
#include <array>
#include <cstdint>

#include "platform/status.h"
#include "store/image_pages.h"
#include "store/store.h"

class QLabel;

namespace store {

// The cells of the image list Form8 that the record-store routines write.
struct ImageListForm {
  std::array<QLabel*, kImageCells> Image1{};  // the pictures, stretched
  std::array<QLabel*, kImageCells> Label2{};  // file number, after "ﾌｧｲﾙNO："
  std::array<QLabel*, kImageCells> Label3{};  // examination date, after "検査日："
  std::array<QLabel*, kImageCells> Label4{};  // name, after "氏名："
  // The size in device pixels a cell's picture is decoded at.
  QSize CellBox;
};

// ClearImageCells: every cell's picture and its three captions emptied.
void ClearImageCells(ImageListForm& form);

// ShowImagePage (after ClearImageCells): the page of WalkImagePage from
// `searchStart` drawn into the cells in order, each picture decoded at
// CellBox; `searchStart` moved as the walk leaves it. A picture that cannot
// be decoded leaves its cell's picture empty, its captions are written all
// the same. A read failure of the data file is returned (the cells found
// before it drawn).
[[nodiscard]] platform::Status ShowImagePage(Store& store, ImageListForm& form,
                                             std::int32_t& searchStart);

}  // namespace store
