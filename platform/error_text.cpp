#include "platform/error_text.h"

#include <string_view>

namespace platform {

std::string ErrorMeaning(int errorNumber) {
  struct Meaning {
    int number;
    std::string_view text;
  };
  static constexpr Meaning kMeanings[] = {
      {7, "メモリが不足しています。"},
      {52, "ファイル名またはファイル番号が不正です。"},
      {53, "ファイルが見つかりません。"},
      {57, "デバイスの入出力エラーです（ディスクや接続を確かめて下さい）。"},
      {58, "同じ名前のファイルがすでにあります。"},
      {61, "ディスクがいっぱいです。"},
      {63, "レコード番号が不正です。"},
      {70, "書き込みが許可されていません（読み取り専用か、権限がありません）。"},
      {75, "パス名が無効か、ファイルにアクセスできません。"},
      {76, "フォルダが見つかりません。"},
      {429, "並べ替えの部品を作成できません。"},
      {481, "画像が無効です。"},
      {482, "プリンターのエラーです。"},
  };
  for (const Meaning& m : kMeanings) {
    if (m.number == errorNumber) return std::string(m.text);
  }
  return {};
}

std::string ErrorText(int errorNumber) {
  const std::string meaning = ErrorMeaning(errorNumber);
  return meaning.empty() ? std::to_string(errorNumber)
                         : std::to_string(errorNumber) + "：" + meaning;
}

}  // namespace platform
