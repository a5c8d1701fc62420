#include "store/records.h"

#include <algorithm>
#include <cstring>

#include "platform/cp932.h"
#include "store/text_format.h"

namespace store {

void StoreField(char* field, std::size_t width, std::string_view utf8) {
  std::string bytes = platform::ToCp932(utf8);
  std::size_t keep = platform::Cp932CutPoint(bytes, width);
  std::memcpy(field, bytes.data(), keep);
  std::memset(field + keep, ' ', width - keep);
}

std::string ReadField(const char* field, std::size_t width) {
  return platform::FromCp932(TrimBlanks(std::string_view(field, width)));
}

std::string ExamRecordNo(std::int32_t n) {
  std::string form = SignedNumber(n);
  return form.size() <= kExamFields[0].width ? form : FormatNumber(n, "000000");
}

}  // namespace store
