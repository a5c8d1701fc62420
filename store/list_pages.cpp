#include "store/list_pages.h"

#include <algorithm>

#include "store/rebuilds.h"
#include "store/text_format.h"

namespace store {
std::int32_t PagesFor(std::int32_t count) {
  if (count <= 0) return 0;
  return count / kRowsPerPage + (count % kRowsPerPage != 0 ? 1 : 0);
}

int PageSliderMaximum(std::int32_t pageCount) { return pageCount > 1 ? pageCount : 2; }

std::string RecordCountText(std::int32_t count) { return "データ数：" + std::to_string(count); }

std::string PageIndicator(std::int32_t pageNumber, std::int32_t pageCount) {
  return std::to_string(pageNumber) + "/" + std::to_string(pageCount) + "(Page)";
}

void FirstListPage(Store& store) {
  store.PageFirst = 1;
  store.PageIndex = 0;
  store.PageNumber = 1;
}

bool PreviousListPage(Store& store) {
  if (store.PageIndex - 1 < 0) return false;
  store.PageIndex -= 1;
  store.PageNumber -= 1;
  store.PageFirst = store.PageIndex * kRowsPerPage + 1;
  return true;
}

bool NextListPage(Store& store) {
  const std::int32_t k = store.PageIndex + 1;
  if (store.ListCount < k * kRowsPerPage + 1) return false;
  store.PageIndex = k;
  store.PageNumber += 1;
  store.PageFirst = k * kRowsPerPage + 1;
  return true;
}

std::int32_t GoToListPage(Store& store, std::int32_t p) {
  p = std::clamp(p, 1, std::max(store.PageCount, 1));
  store.PageNumber = p;
  store.PageIndex = p - 1;
  store.PageFirst = (p - 1) * kRowsPerPage + 1;
  return p;
}

Status ReadListPage(Store& store, std::vector<ListRow>& rows) {
  rows.clear();
  store.PageCount = store.ListCount > kRowsPerPage ? PagesFor(store.ListCount) : 1;
  if (!store.WorkFileNo) return Status::Ok();
  store.ItemIndex = 0;
  for (std::int32_t k = std::max(store.PageFirst, 1); k <= store.ListCount; ++k) {
    if (Status s = store.WorkFileNo->Read(k, store.WorkRecord); !s.ok()) return s;
    rows.push_back({k, store.WorkRecord});
    if (++store.ItemIndex > kRowsPerPage - 1) break;
  }
  return Status::Ok();
}

std::int32_t RowRecordNumber(const Store& store, std::string_view fileNumber) {
  const double n = NumericValue(fileNumber);
  if (n < 1 || n > store.RecordCount) return 0;
  return static_cast<std::int32_t>(n);
}

Status OpenListOfAllRecords(Store& store, platform::Progress& progress) {
  const RebuildResult copied = CopyToStaging(store, Staging::WorkFile, &progress);
  if (!store.WorkFileNo) store.ListCount = 0;
  if (copied.Changed()) FirstListPage(store);
  return copied.status;
}

Status DiscardWorkFile(Store& store) {
  store.WorkFileNo.reset();
  store.ListCount = 0;
  if (!store.Files().Exists(kWorkFile)) return Status::Ok();
  return store.Files().Delete(kWorkFile);
}

}  // namespace store
