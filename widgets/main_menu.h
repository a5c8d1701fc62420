#pragma once

#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace widgets {

// The menu bar of the main window: each menu item a QAction under its item
// name, with its shortcut.
struct MainMenu {
  // ファイル(&F)
  QAction* F_backup = nullptr;   // バックアップ作成…
  QAction* F_restore = nullptr;  // バックアップから復元…
  QAction* F_csv = nullptr;      // CSV出力…
  QAction* F_check = nullptr;    // データの点検
  QAction* F_end = nullptr;      // 終了 Ctrl+E
  // データ(&D)
  QAction* D_sinki = nullptr;      // 新規入力 Ctrl+N
  QAction* kensaku = nullptr;      // 検索 F7
  QAction* D_touroku = nullptr;    // 登録 Ctrl+S
  QAction* itiran = nullptr;       // 一覧 F8
  QMenu* D_sort = nullptr;         // 並べ替え(&D)
  QAction* D_kensabi = nullptr;    // 検査日順 Ctrl+G
  QAction* D_id = nullptr;         // ID順 Ctrl+H
  QAction* sakujyo = nullptr;      // 削除 Ctrl+X
  QAction* ALL_sakujyo = nullptr;  // 全削除 Ctrl+K
  QAction* D_rireki = nullptr;     // 変更履歴 F9
  QAction* D_modosu = nullptr;     // 元に戻す (直前の変更) Ctrl+Shift+Z
  // 初期設定(&A)
  QAction* syozoku = nullptr;      // 所属登録 Ctrl+A
  QAction* yudou = nullptr;        // 誘導部位登録 Ctrl+U
  QAction* ijyousyoken = nullptr;  // 異常所見登録 Ctrl+I
  QAction* fuseimyaku = nullptr;   // 不整脈登録 Ctrl+F
  // 画像(&G)
  QAction* G_yomokomi = nullptr;  // 読み込み F3
  QAction* G_kakudai = nullptr;   // 拡大 Ctrl+D
  QAction* G_itiran = nullptr;    // 一覧 Ctrl+R
  QAction* G_kria = nullptr;      // クリア Ctrl+J
  QAction* G_hikaku = nullptr;    // 過去の検査と比較 F6
  // 患者マスタ(&M)
  QAction* M_touroku = nullptr;  // 新規登録 Ctrl+O
  QAction* M_ikkatu = nullptr;   // 一括登録 Ctrl+L
  QAction* M_itiran = nullptr;   // 一覧 Ctrl+B
  QAction* M_kensaku = nullptr;  // 検索 Ctrl+C
  QAction* M_sakujyo = nullptr;  // 全削除 Ctrl+M
  // top-level items
  QAction* maedata = nullptr;   // 前のデータ(&B)
  QAction* nextdata = nullptr;  // 次のデータ(&N)
  QAction* D_insatu = nullptr;  // 印刷(&P)
  // オプション(&O)
  QAction* Carender = nullptr;  // カレンダー F12
  // 画面(&R)
  QAction* C_ITIRAN = nullptr;  // 一覧表示切替え F11
  // ヘルプ(&H)
  QAction* H_guide = nullptr;    // 使い方ガイド F1
  QAction* H_version = nullptr;  // バージョン情報
};

// Builds the menus of `menu` on `bar`, every item disabled until its command
// is connected; each item is also appended to `actions`.
void BuildMainMenu(QMenuBar* bar, MainMenu& menu, std::vector<QAction*>& actions);

}  // namespace widgets
