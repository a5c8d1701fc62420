#include "sortlib/sort_job.h"

#include <chrono>
#include <ctime>
#include <new>

#include "sortlib/texts.h"
#include "sortlib/zuvasortmem.h"

namespace zuvasort {

thread_local std::int32_t STOP_FLAG = 0;

namespace {

constexpr std::int32_t kRecordGrowth = 4096;
constexpr std::int32_t kProgressEvery = 1024;
constexpr std::chrono::milliseconds kPaintInterval{20};
constexpr std::u16string_view kTenBlanks = u"          ";

int CurrentYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace

std::u16string CountDisplay(std::int32_t count) {
  std::u16string digits;
  std::int64_t value = count < 0 ? -std::int64_t{count} : count;
  int group = 0;
  do {
    if (group++ == 3) {
      digits.insert(digits.begin(), u',');
      group = 1;
    }
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  if (count < 0) digits.insert(digits.begin(), u'-');
  digits += texts::kCountSuffix;
  return digits;
}

std::u16string CreditsText(std::u16string_view dateLine) {
  std::u16string text;
  for (std::u16string_view line : texts::kCredits) {
    text += line;
    text += u"\r\n\r\n";
  }
  text += dateLine;
  text += u"\r\n\r\n";
  return text;
}

ZuvaSortJob::ZuvaSortJob(JobView& view) : view_(view) { STOP_FLAG = 0; }

bool ZuvaSortJob::PaintDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPaint_ < kPaintInterval) return false;
  lastPaint_ = now;
  return true;
}

ZuvaSortJob::~ZuvaSortJob() { view_.CloseWindow(); }

std::int32_t ZuvaSortJob::Fail(std::int32_t status, std::u16string_view message,
                               std::u16string_view title) {
  view_.MsgBox(message, title);
  SORT_STATUS = status;
  return status;
}

void ZuvaSortJob::ZUVASORTPARAM_SUB() {
  KEY_TABLE.clear();
  std::optional<KeyTable> table = ParseKeyParam(ZUVASORTMEM_PARAM);
  if (!table) {
    std::u16string message(texts::kBadKeyParamBefore);
    message += ZUVASORTMEM_PARAM;
    message += texts::kBadKeyParamAfter;
    Fail(kBadKeyParam, message, texts::kParamTitle);
    return;
  }
  KEY_TABLE = std::move(table->keys);
  MAX_KEY_AREA = table->maxKeyArea;
  keyArea_ = table->maxKeyArea;
}

std::int32_t ZuvaSortJob::ZUVASORTMEM_OPEN() {
  const bool again = !OPEN_MARK.empty();
  OPEN_MARK = u"OPEN";
  if (SORT_STATUS != 0) return SORT_STATUS;
  if (again) {
    PUT_MARK.clear();
    MAIN_MARK.clear();
    GET_MARK.clear();
  }
  PROGRESS_COUNT = 0;
  if (CurrentYear() == 1999)
    view_.MsgBox(CreditsText(texts::kCreditsDateOpen), texts::kLibraryTitle);
  WINDOW_ID = view_.OpenWindow();
  GET_POSITION = 0;
  RECORDS.Clear();
  RECORD_COUNT = 0;
  RECORD_CAPACITY = 0;
  std::vector<std::int32_t>().swap(SORT_INDEX);
  ZUVASORTPARAM_SUB();
  return SORT_STATUS;
}

std::int32_t ZuvaSortJob::ZUVASORTMEM_PUT() {
  try {
    return Put(static_cast<std::int64_t>(ZUVASORTMEM_DATA.size()),
               [this] { RECORDS.Append(ZUVASORTMEM_DATA); });
  } catch (const std::bad_alloc&) {
    return SORT_STATUS = kOutOfMemory;
  }
}

std::int32_t ZuvaSortJob::PutBytes(std::string_view line) {
  try {
    return Put(static_cast<std::int64_t>(line.size()),
               [&] { RECORDS.AppendBytes(line.data(), line.size()); });
  } catch (const std::bad_alloc&) {
    return SORT_STATUS = kOutOfMemory;
  }
}

std::int32_t ZuvaSortJob::ZUVASORTMEM_MAIN() {
  try {
    return Main();
  } catch (const std::bad_alloc&) {
    return SORT_STATUS = kOutOfMemory;
  }
}

template <class AppendRecord>
std::int32_t ZuvaSortJob::Put(std::int64_t length, AppendRecord append) {
  if (STOP_FLAG == kStopped) {
    SORT_STATUS = kStopped;
    view_.MsgBox(texts::kStopping, texts::kLibraryTitle);
  }
  if (SORT_STATUS != 0) return SORT_STATUS;
  if (OPEN_MARK.empty()) return Fail(kPutBeforeOpen, texts::kPutBeforeOpen, texts::kLibraryTitle);
  if (!MAIN_MARK.empty()) return Fail(kPutAfterMain, texts::kPutAfterMain, texts::kLibraryTitle);
  if (PUT_MARK.empty()) PUT_MARK = u"PUT";

  if (length < MAX_KEY_AREA) return SORT_STATUS = kShortRecord;
  if (++RECORD_COUNT > kMaxRecords) {
    ShowCount(RECORD_COUNT);
    return Fail(kTooManyRecords, texts::kTooManyRecords, texts::kPutTitle);
  }
  if (++PROGRESS_COUNT > kProgressEvery) {
    PROGRESS_COUNT = 0;
    if (PaintDue()) {
      ShowCount(RECORD_COUNT);
      view_.DoEvents();
    }
  }
  if (RECORD_CAPACITY < RECORD_COUNT) {
    RECORD_CAPACITY += kRecordGrowth;
    RECORDS.ReserveRecords(static_cast<std::size_t>(RECORD_CAPACITY));
  }
  if (length == 0) {
    RECORDS.Append({});
    return Fail(kEmptyData, texts::kEmptyData, texts::kPutTitle);
  }
  if (length < keyArea_) return SORT_STATUS = kShortRecord;
  append();
  return kSortOk;
}

std::int32_t ZuvaSortJob::Main() {
  if (STOP_FLAG == kStopped) SORT_STATUS = kStopped;
  if (SORT_STATUS != 0) return SORT_STATUS;
  if (OPEN_MARK.empty()) return Fail(kMainBeforeOpen, texts::kMainBeforeOpen, texts::kLibraryTitle);
  if (!MAIN_MARK.empty()) return Fail(kMainTwice, texts::kMainTwice, texts::kLibraryTitle);
  if (RECORD_COUNT == 0) {
    return Fail(kMainWithoutData, texts::kMainWithoutData, texts::kLibraryTitle);
  }
  MAIN_MARK = u"MAIN";
  PROGRESS_COUNT = -1;
  ShowCount(RECORD_COUNT);
  view_.ShowPhase(texts::kPhaseMain);

  Ordering ordering =
      OrderRecords(RECORDS, KEY_TABLE, [this](std::int64_t passes, std::int64_t total) {
        if (passes == total || PaintDue()) {
          view_.FillBar(static_cast<double>(passes) / static_cast<double>(total));
        }
        view_.DoEvents();
      });
  SORT_INDEX = std::move(ordering.index);
  orderingBytes_ = ordering.arrayBytes;
  return kSortOk;
}

std::int32_t ZuvaSortJob::ZUVASORTMEM_GET() {
  std::u16string_view record;
  const std::int32_t s = GetRecord(record);
  if (s == kSortOk) AssignText(ZUVASORTMEM_DATA, record);
  return s;
}

std::int32_t ZuvaSortJob::GetRecord(std::u16string_view& record) {
  if (SORT_STATUS == 0) {
    if (OPEN_MARK.empty()) return Fail(kGetBeforeOpen, texts::kGetBeforeOpen, texts::kLibraryTitle);
    if (MAIN_MARK.empty()) return Fail(kGetBeforeMain, texts::kGetBeforeMain, texts::kLibraryTitle);
  }
  if (GET_MARK.empty()) GET_MARK = u"GET";
  if (STOP_FLAG == kStopped) {
    SORT_STATUS = kStopped;
    view_.MsgBox(texts::kStopping, texts::kLibraryTitle);
  }
  if (SORT_STATUS != 0) return SORT_STATUS;

  if (PROGRESS_COUNT == -1) {
    PROGRESS_COUNT = 0;
    view_.ShowCount(kTenBlanks);
    view_.DoEvents();
  }
  if (++PROGRESS_COUNT > kProgressEvery) {
    PROGRESS_COUNT = 0;
    if (PaintDue()) {
      ShowCount(GET_POSITION);
      view_.DoEvents();
    }
  }
  if (GET_POSITION > RECORD_COUNT) {
    ShowCount(RECORD_COUNT);
    return kEndOfData;
  }
  ++GET_POSITION;
  if (GET_POSITION <= RECORD_COUNT) {
    // Records come in key order from all over memory: ask for the next ones early.
    if (GET_POSITION + 16 <= RECORD_COUNT) {
      RECORDS.Prefetch(static_cast<std::size_t>(SORT_INDEX[GET_POSITION + 15]), 1);
      RECORDS.Prefetch(static_cast<std::size_t>(SORT_INDEX[GET_POSITION + 7]), 0);
    }
    record = RECORDS.Record(static_cast<std::size_t>(SORT_INDEX[GET_POSITION - 1]));
    return kSortOk;
  }
  ShowCount(RECORD_COUNT);
  return kEndOfData;
}

std::int32_t ZuvaSortJob::ZUVASORTMEM_CLOSE() {
  if (SORT_STATUS != 0) return SORT_STATUS;
  if (OPEN_MARK.empty()) {
    return Fail(kCloseBeforeOpen, texts::kCloseBeforeOpen, texts::kLibraryTitle);
  }
  RECORDS.Clear();
  std::vector<std::int32_t>().swap(SORT_INDEX);
  view_.CloseWindow();
  WINDOW_ID = 0;
  STOP_FLAG = 0;
  OPEN_MARK.clear();
  PUT_MARK.clear();
  MAIN_MARK.clear();
  GET_MARK.clear();
  return kSortOk;
}

}  // namespace zuvasort
