#include "store/image_pages.h"

#include <algorithm>

#include "store/image_files.h"

namespace store {

namespace {

std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

void ImageDirectoryIndex::List() {
  listed_ = true;
  std::vector<std::string> names;
  if (!fs_.ListFiles(kImageDir, names).ok()) return;
  exact_.reserve(names.size());
  folded_.reserve(names.size());
  for (std::string& name : names) {
    folded_.emplace(Folded(name), name);
    exact_.insert(std::move(name));
  }
}

std::string ImageDirectoryIndex::Find(std::string_view imageName) {
  if (!IsStorableImageName(imageName)) return {};
  if (!listed_) List();
  const std::string wanted = StoredImageName(imageName) + ".jpg";
  if (exact_.contains(wanted)) return wanted;
  const auto it = folded_.find(Folded(wanted));
  return it == folded_.end() ? std::string() : it->second;
}

platform::Status WalkImagePage(Store& store, std::int32_t& searchStart,
                               std::vector<ImageCell>& cells) {
  cells.clear();
  if (searchStart > store.RecordCount()) return platform::Status::Ok();
  ImageDirectoryIndex index(store.Files());
  ExamRecord record;
  for (std::int32_t k = std::max(searchStart, 1); k <= store.RecordCount(); ++k) {
    if (platform::Status s = store.ReadExamination(k, record); !s.ok()) {
      searchStart = k;
      return s;
    }
    const std::string found = index.Find(record.Get(ExamField::ImageName));
    if (found.empty()) continue;
    cells.push_back(ImageCell{k, ImageFilePath(found), record.Get(ExamField::ExamDate),
                              record.Get(ExamField::Name), record});
    if (static_cast<int>(cells.size()) == kImageCells) {
      searchStart = k;
      return platform::Status::Ok();
    }
  }
  searchStart = store.RecordCount() + 1;
  return platform::Status::Ok();
}

bool NextImagePage(const Store& store, std::int32_t& searchStart) {
  searchStart += 1;
  return searchStart <= store.RecordCount();
}

void PreviousImagePage(std::int32_t& searchStart) { searchStart = std::max(searchStart - 11, 1); }

bool SliderImagePage(const Store& store, std::int32_t& searchStart, int sliderValue) {
  searchStart = sliderValue;
  return searchStart <= store.RecordCount();
}

}  // namespace store
