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
  if (!store.WorkFileNo) return Status::Ok();
  const std::int32_t last = pager.PageLast(listCount);
  for (std::int32_t k = std::max(pager.PageFirst(), 1); k <= last; ++k) {
    ListRow row{k, {}};
    if (Status s = store.WorkFileNo->Read(k, row.record); !s.ok()) return s;
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
  store.WorkFileNo.reset();
  if (!store.Files().Exists(kWorkFile)) return Status::Ok();
  return store.Files().Delete(kWorkFile);
}

void FirstPatientPage(Store& store) {
  store.SearchStart = 1;
  store.PatientPageIndex = 0;
  store.PatientPageNumber = 1;
}

bool PreviousPatientPage(Store& store) {
  if (store.PatientPageIndex - 1 < 0) return false;
  store.PatientPageIndex -= 1;
  store.PatientPageNumber -= 1;
  store.SearchStart = store.PatientPageIndex * kRowsPerPage + 1;
  return true;
}

bool NextPatientPage(Store& store) {
  const std::int32_t k = store.PatientPageIndex + 1;
  if (k * kRowsPerPage + 1 > store.PatientListCount) return false;
  store.PatientPageIndex = k;
  store.PatientPageNumber += 1;
  store.SearchStart = k * kRowsPerPage + 1;
  return true;
}

std::int32_t GoToPatientPage(Store& store, std::int32_t p) {
  p = std::clamp(p, 1, std::max(store.PatientPageCount, 1));
  store.PatientPageNumber = p;
  store.PatientPageIndex = p - 1;
  store.SearchStart = (p - 1) * kRowsPerPage + 1;
  return p;
}

Status ReadPatientPage(Store& store, std::vector<PatientRow>& rows) {
  rows.clear();
  store.PatientListCount = store.ScratchFileNo ? store.ScratchFileNo->Count() : 0;
  store.PatientPageCount = std::max(PagesFor(store.PatientListCount), 1);
  if (!store.ScratchFileNo) return Status::Ok();
  store.ItemIndex = 0;
  for (std::int32_t k = std::max(store.SearchStart, 1); k <= store.PatientListCount; ++k) {
    if (Status s = store.ScratchFileNo->Read(k, store.ScratchBuffer); !s.ok()) return s;
    rows.push_back({k, store.ScratchBuffer});
    if (++store.ItemIndex > kRowsPerPage - 1) break;
  }
  return Status::Ok();
}

}  // namespace store
