#pragma once

#include <array>
#include <string_view>

// The library's captions and messages, character for character.
namespace zuvasort::texts {

inline constexpr std::u16string_view kLibraryTitle = u"ZUVASORTMEM";
inline constexpr std::u16string_view kPutTitle = u"ZUVASORTMEM_PUT";
inline constexpr std::u16string_view kParamTitle = u"ZUVASORTPARAM_SUB";

inline constexpr std::u16string_view kEmptyData = u"ZUVASORTMEM_DATA の長さがゼロです";
inline constexpr std::u16string_view kBadKeyParamBefore = u"区切り文字に誤りがあります (";
inline constexpr std::u16string_view kBadKeyParamAfter = u")";
inline constexpr std::u16string_view kTooManyRecords = u"データ件数が100,000件を超えました";
inline constexpr std::u16string_view kPutBeforeOpen =
    u"31=ＯＰＥＮされていないのにＰＵＴ呼出された";
inline constexpr std::u16string_view kGetBeforeOpen =
    u"32=ＯＰＥＮされていないのにＧＥＴ呼出された";
inline constexpr std::u16string_view kCloseBeforeOpen =
    u"33=ＯＰＥＮされていないのにＣＬＯＳＥ呼出された";
inline constexpr std::u16string_view kMainBeforeOpen =
    u"34=ＯＰＥＮされていないのにＭＡＩＮ呼出された";
inline constexpr std::u16string_view kGetBeforeMain =
    u"40=ＭＡＩＮ処理が呼出される前にＧＥＴが呼出された";
inline constexpr std::u16string_view kPutAfterMain =
    u"41=ＭＡＩＮ処理が終了しているのにＰＵＴが呼出された";
inline constexpr std::u16string_view kMainTwice =
    u"42=ＭＡＩＮ処理が終了しているのに再度ＭＡＩＮ処理が呼出された";
inline constexpr std::u16string_view kMainWithoutData =
    u"43=データが１件もないのにＭＡＩＮ処理が呼出された";
inline constexpr std::u16string_view kStopping = u"中止します";

inline constexpr std::u16string_view kFormCaption = u"ZUVASORTMEM2(&H50 80 00 00)";
inline constexpr std::u16string_view kStopButton = u"中止";
inline constexpr std::u16string_view kVersionButton = u"バージョン情報";
inline constexpr std::u16string_view kPhasePut = u"SORT PUT";
inline constexpr std::u16string_view kPhaseMain = u"SORT MAIN";
inline constexpr std::u16string_view kCountSuffix = u" 件";

// The credits box: four credit lines and a dated fifth line, each followed
// by two CR LF pairs.
inline constexpr std::array<std::u16string_view, 4> kCredits = {
    u"ZUVASORTMEM2  メモリ内並べ替えコンポーネント",
    u"16ビット文字を桁とする安定な基数ソート",
    u"最大 100,000 件・キー 25 個",
    u"Velunor2.0 開発グループ",
};
inline constexpr std::u16string_view kCreditsDateButton =
    u"2000/08/05 作成 (BASE ADDRESS &H50 80 00 00)";
inline constexpr std::u16string_view kCreditsDateOpen = u"2000/07/30 作成";

}  // namespace zuvasort::texts
