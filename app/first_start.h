#pragma once

#include <filesystem>
#include <optional>

#include "platform/ui.h"
#include "store/store.h"

class QMainWindow;

namespace app {

// The demonstration drive of --demo, made on first use with a small progress
// window while its pictures are drawn. A failure is shown in a box and gives
// nothing (the program then ends without touching any other drive).
std::optional<std::filesystem::path> PrepareDemoDrive(platform::Ui& ui);

// True when none of the four vocabulary files holds an entry, as on a fresh
// data drive (blank entries do not count). Files that are not open count as
// holding entries.
bool VocabulariesEmpty(store::Store& store);

// The hints of a start, shown in a status bar at the foot of the main window
// that blocks nothing and closes with its × button:
//  - on a drive whose vocabularies are all empty, where the built-in
//    vocabularies are loaded (初期設定 → each window → 初期値読み込み, then
//    登録); this hint goes by itself once a vocabulary holds an entry (checked
//    when the main window is activated again);
//  - on the demonstration drive (`demoRoot` not empty), that it is one and
//    where it lies (a path in the home folder written from "~/").
// Without anything to say no status bar is added.
void ShowStartHints(QMainWindow& window, store::Store& store,
                    const std::filesystem::path& demoRoot = {});

// The hint texts, for the guide and the tests.
inline constexpr const char* kVocabularyHint =
    "ドロップダウンリストの語彙が未登録です。組み込みの語彙は［初期設定］→"
    "［誘導部位登録］［異常所見登録］［不整脈登録］の各画面で［初期値読み込み］→［登録］"
    "と操作すると読み込まれます（所属は［所属登録］で入力します）。";
inline constexpr const char* kDemoHint = "デモ用データドライブで起動しています: ";

}  // namespace app
