#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "store/store.h"

namespace store {

// The pictures of the image list: six a page.
inline constexpr int kImageCells = 6;

// The names of the image directory "C:\VLN2\GAZOU\", listed once when the
// first name is looked up: a walk over many records then costs one listing,
// not a directory search for every record whose picture is missing. It
// answers as FindImageFile does at the moment of the listing.
class ImageDirectoryIndex {
 public:
  explicit ImageDirectoryIndex(platform::FileSystem& fs) : fs_(fs) {}

  // The stored name of the picture file of `imageName` (found ignoring ASCII
  // letter case, the exact name preferred), or empty when there is none or
  // the name is not storable.
  std::string Find(std::string_view imageName);

 private:
  void List();

  platform::FileSystem& fs_;
  bool listed_ = false;
  std::unordered_set<std::string> exact_;
  std::unordered_map<std::string, std::string> folded_;  // lower case -> stored name
};

// One cell of an image page.
struct ImageCell {
  std::int32_t recordNo = 0;
  std::string imageFile;  // "C:\VLN2\GAZOU\" + the stored file name
  std::string examDate;   // trimmed
  std::string name;       // trimmed
  ExamRecord stored;      // the record as the walk read it
};

// The walk of an image page: from record `searchStart` of the data file on,
// each record is read; a record whose picture file is
// missing is skipped, the others fill the cells in order until six are
// filled. `searchStart` is left on the record of the sixth cell, or on
// RecordCount + 1 when the records ran out (unchanged when it already lay
// beyond them). A read failure ends the walk with the cells found so far,
// `searchStart` on the record that failed, and is returned.
[[nodiscard]] platform::Status WalkImagePage(Store& store, std::int32_t& searchStart,
                                             std::vector<ImageCell>& cells);

// Paging of the image list. Each answers whether the page is to be drawn
// (from the moved `searchStart`); false means "データは以上です。".
// Next: one past the last record shown; false beyond RecordCount (the
// position keeps the increased value).
bool NextImagePage(const Store& store, std::int32_t& searchStart);
// Previous: 11 records back, at least 1; always drawn.
void PreviousImagePage(std::int32_t& searchStart);
// The slider's value; false beyond RecordCount.
bool SliderImagePage(const Store& store, std::int32_t& searchStart, int sliderValue);

}  // namespace store
