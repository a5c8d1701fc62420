#pragma once

#include <QSize>
#include <array>
#include <cstdint>

#include <vector>

#include "platform/file_system.h"
#include "store/image_pages.h"

class QLabel;
namespace platform {
class ThumbnailCache;
}

namespace store {

// The cells of the image list Form8 that the record-store routines write.
struct ImageListForm {
  std::array<QLabel*, kImageCells> Image1{};  // the pictures, stretched
  std::array<QLabel*, kImageCells> Label2{};  // file number, after "ﾌｧｲﾙNO："
  std::array<QLabel*, kImageCells> Label3{};  // examination date, after "検査日："
  std::array<QLabel*, kImageCells> Label4{};  // name, after "氏名："
  // The data-file record number of each cell's picture (0: an empty cell).
  std::array<int, kImageCells> CellRecordNo{};
  // The size in device pixels a cell's picture is decoded at.
  QSize CellBox;
};

// ClearImageCells: every cell's picture, its three captions and its record
// number emptied.
void ClearImageCells(ImageListForm& form);

// ShowImagePage (after ClearImageCells): the cells of a page drawn in order,
// each picture read through `fs` and decoded at CellBox. A picture that
// cannot be decoded leaves its cell's picture empty; its captions and
// record number are written all the same. With `thumbnails`, a picture on
// the host disk is taken from its stored thumbnail at CellBox when there is
// one, and the thumbnails of the pictures decoded here are stored on the
// cache's worker thread.
void ShowImagePage(platform::FileSystem& fs, ImageListForm& form,
                   const std::vector<ImageCell>& cells,
                   platform::ThumbnailCache* thumbnails = nullptr);

}  // namespace store
