#include "store/master_file.h"

#include "store/text_format.h"

namespace store {

std::string MasterRecordNo(std::int32_t n) { return FormatNumber(n, "0000000000"); }

Status MasterInIdOrder(RecordFile* master, bool& ordered) {
  ordered = true;
  double last = 0;
  bool first = true;
  return ForEachMasterRecord(
      master,
      [&](std::int32_t, std::string_view record) {
        const std::string_view id =
            TrimBlanks(record.substr(PatientRecord::Def(PatientField::PatientId).offset,
                                     PatientRecord::Def(PatientField::PatientId).width));
        const double value = id.empty() ? -1 : NumericValue(id);
        if (!first && value <= last) ordered = false;
        last = value;
        first = false;
      },
      [](std::int32_t) {});
}

}  // namespace store
