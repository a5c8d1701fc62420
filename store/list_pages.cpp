#include "store/list_pages.h"

#include <algorithm>
#include <limits>

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

Status ReadListPage(Store& store, const Pager& pager, std::int32_t listCount,
                    std::vector<ListRow>& rows) {
  rows.clear();
  if (!store.WorkFile()) return Status::Ok();
  const std::int32_t last = pager.PageLast(listCount);
  for (std::int32_t k = std::max(pager.PageFirst(), 1); k <= last; ++k) {
    ListRow row{k, {}};
    if (Status s = store.WorkFile()->Read(k, row.record); !s.ok()) return s;
    rows.push_back(std::move(row));
  }
  return Status::Ok();
}

std::int32_t RowKey(std::string_view fileNumber) {
  const double n = NumericValue(fileNumber);
  if (n < 1 || n > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(n);
}

Status DiscardWorkFile(Store& store) {
  store.CloseWorkFile();
  if (!store.Files().Exists(kWorkFile)) return Status::Ok();
  return store.Files().Delete(kWorkFile);
}

}  // namespace store
