#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <random>
#include <span>
#include <string>

#include "store/store.h"
#include "store/text_format.h"

namespace bench {

// The searched fields of generated examinations reshaped to the mix a search
// is timed on: dates over 25 years (one year about 4 %), a fifth of the
// names beginning with 山 (others holding it later on), two thirds of the
// records with 心房細動 or 心房粗動 in one of the five arrhythmia slots; with
// `ages`, ages spread over 0-99 too.
inline void ReshapeForSearch(std::span<char> bytes, bool ages) {
  std::mt19937 random(4);
  const char* yama[] = {"山田　太郎", "山本　花子", "山口　一郎", "山　さくら"};
  const char* others[] = {"小山　太郎", "岡山　花子", "田中　誠",  "佐藤　直子",
                          "鈴木　翔",   "高橋　恵子", "髙山　健太"};
  const char* atrial[] = {"心房細動", "心房粗動"};
  const char* rest[] = {"洞性頻脈", "心室性期外収縮", "Ⅰ度房室ブロック", "WPW症候群"};
  const std::size_t n = bytes.size() / store::kExamRecordLength;
  for (std::size_t i = 0; i < n; ++i) {
    store::ExamRecord r;
    char* at = bytes.data() + i * store::kExamRecordLength;
    std::copy_n(at, store::kExamRecordLength, r.data());
    const int year = 1990 + static_cast<int>(i * 25 / n);
    r.Set(store::ExamField::ExamDate, store::FormatDate(year, 1 + static_cast<int>(random() % 12),
                                                        1 + static_cast<int>(random() % 28)));
    r.Set(store::ExamField::Name,
          random() % 5 == 0 ? yama[random() % 4] : others[random() % std::size(others)]);
    if (ages) r.Set(store::ExamField::Age, std::to_string(random() % 100));
    for (int a = 0; a < 5; ++a) r.Set(store::ArrhythmiaField(a), "");
    const int slot = static_cast<int>(random() % 5);
    r.Set(store::ArrhythmiaField(slot),
          random() % 3 != 0 ? atrial[random() % 2] : rest[random() % std::size(rest)]);
    std::copy_n(r.data(), store::kExamRecordLength, at);
  }
}

}  // namespace bench
