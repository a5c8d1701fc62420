#pragma once

#include <array>
#include <string_view>

namespace lookups {

// The vocabularies that 初期値読み込み loads into the first boxes of a list
// window, in box order. Every entry fits the 20 bytes of a list entry.

inline constexpr std::array<std::string_view, 7> kBuiltinLeadSites = {
    "V1,V2,V3", "V4,V5,V6", "胸部誘導", "Ⅰ,Ⅱ,Ⅲ", "aVR,aVL,aVF", "四肢誘導", "Ⅱ,Ⅲ,aVF",
};

inline constexpr std::array<std::string_view, 12> kBuiltinFindings = {
    "ＳＴ低下", "ＳＴ上昇",   "Ｔ陰性", "洞徐脈",   "洞頻脈", "ＱＴ延長",
    "ＱＴ短縮", "ＱＲＳ増高", "Ｔ増高", "異常Ｑ波", "肺性Ｐ", "僧帽性Ｐ",
};

inline constexpr std::array<std::string_view, 27> kBuiltinArrhythmias = {
    "心室性期外収縮",
    "心房性期外収縮",
    "心房細動",
    "心室細動",
    "洞房ブロック",
    "第１度房室ブロック",
    "第２度房室ブロック",
    "完全房室ブロック",
    "左室肥大",
    "右室肥大",
    "両室肥大",
    "ペースメーカー調律",
    "洞徐脈",
    "洞機能不全症候群",
    "完全右脚ブロック",
    "不完全右脚ブロック",
    "完全左脚ブロック",
    "不完全左脚ブロック",
    "ＷＰＷ症候群",
    "心房粗動",
    "洞頻脈",
    "発作性心室頻拍",
    "心筋梗塞",
    "下壁心筋梗塞",
    "急性心筋梗塞",
    "陳旧性心筋梗塞",
    "多発性心室性期外収縮",
};

}  // namespace lookups
