#include "widgets/main_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace widgets {

void BuildMainMenu(QMenuBar* bar, MainMenu& m, std::vector<QAction*>& actions) {
  auto item = [&actions](QMenu* menu, const char* caption, const char* name, QKeySequence key) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    a->setShortcut(key);
    a->setEnabled(false);
    actions.push_back(a);
    return a;
  };
  auto menu = [bar](const char* caption, const char* name) {
    QMenu* m = bar->addMenu(QString::fromUtf8(caption));
    m->setObjectName(QString::fromUtf8(name));
    return m;
  };
  auto topLevel = [&actions, bar](const char* caption, const char* name) {
    QAction* a = bar->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    a->setEnabled(false);
    actions.push_back(a);
    return a;
  };
  auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };

  QMenu* fail = menu("ファイル(&F)", "fail");
  m.F_backup = item(fail, "バックアップ作成…", "F_backup", QKeySequence());
  m.F_restore = item(fail, "バックアップから復元…", "F_restore", QKeySequence());
  m.F_csv = item(fail, "CSV出力…", "F_csv", QKeySequence());
  m.F_check = item(fail, "データの点検", "F_check", QKeySequence());
  fail->addSeparator();
  m.F_end = item(fail, "終了", "F_end", ctrl(Qt::Key_E));

  QMenu* data = menu("データ(&D)", "data");
  m.D_sinki = item(data, "新規入力", "D_sinki", ctrl(Qt::Key_N));
  m.kensaku = item(data, "検索", "kensaku", QKeySequence(Qt::Key_F7));
  m.D_touroku = item(data, "登録", "D_touroku", ctrl(Qt::Key_S));
  m.itiran = item(data, "一覧", "itiran", QKeySequence(Qt::Key_F8));
  m.D_sort = data->addMenu(QStringLiteral("並べ替え(&D)"));
  m.D_sort->setObjectName(QStringLiteral("D_sort"));
  m.D_kensabi = item(m.D_sort, "検査日順", "D_kensabi", ctrl(Qt::Key_G));
  m.D_id = item(m.D_sort, "ID順", "D_id", ctrl(Qt::Key_H));
  m.sakujyo = item(data, "削除", "sakujyo", ctrl(Qt::Key_X));
  m.ALL_sakujyo = item(data, "全削除", "ALL_sakujyo", ctrl(Qt::Key_K));
  data->addSeparator();
  m.D_rireki = item(data, "変更履歴", "D_rireki", QKeySequence(Qt::Key_F9));
  m.D_modosu = item(data, "元に戻す (直前の変更)", "D_modosu",
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));

  QMenu* syoki = menu("初期設定(&A)", "syoki");
  m.syozoku = item(syoki, "所属登録", "syozoku", ctrl(Qt::Key_A));
  m.yudou = item(syoki, "誘導部位登録", "yudou", ctrl(Qt::Key_U));
  m.ijyousyoken = item(syoki, "異常所見登録", "ijyousyoken", ctrl(Qt::Key_I));
  m.fuseimyaku = item(syoki, "不整脈登録", "fuseimyaku", ctrl(Qt::Key_F));

  QMenu* gazou = menu("画像(&G)", "gazou");
  m.G_yomokomi = item(gazou, "読み込み", "G_yomokomi", QKeySequence(Qt::Key_F3));
  m.G_kakudai = item(gazou, "拡大", "G_kakudai", ctrl(Qt::Key_D));
  m.G_itiran = item(gazou, "一覧", "G_itiran", ctrl(Qt::Key_R));
  m.G_kria = item(gazou, "クリア", "G_kria", ctrl(Qt::Key_J));
  m.G_hikaku = item(gazou, "過去の検査と比較(&K)", "G_hikaku", QKeySequence(Qt::Key_F6));

  QMenu* kanjya = menu("患者マスタ(&M)", "M_kanjya");
  m.M_touroku = item(kanjya, "新規登録", "M_touroku", ctrl(Qt::Key_O));
  m.M_ikkatu = item(kanjya, "一括登録", "M_ikkatu", ctrl(Qt::Key_L));
  m.M_itiran = item(kanjya, "一覧", "M_itiran", ctrl(Qt::Key_B));
  m.M_kensaku = item(kanjya, "検索", "M_kensaku", ctrl(Qt::Key_C));
  m.M_sakujyo = item(kanjya, "全削除", "M_sakujyo", ctrl(Qt::Key_M));

  m.maedata = topLevel("前のデータ(&B)", "maedata");
  m.nextdata = topLevel("次のデータ(&N)", "nextdata");
  m.D_insatu = topLevel("印刷(&P)", "D_insatu");

  QMenu* op = menu("オプション(&O)", "OP");
  m.Carender = item(op, "カレンダー", "Carender", QKeySequence(Qt::Key_F12));

  QMenu* crt = menu("画面(&R)", "CRT");
  m.C_ITIRAN = item(crt, "一覧表示切替え", "C_ITIRAN", QKeySequence(Qt::Key_F11));

  QMenu* help = menu("ヘルプ(&H)", "help");
  m.H_guide = item(help, "使い方ガイド", "H_guide", QKeySequence(Qt::Key_F1));
  m.H_version = item(help, "バージョン情報", "H_version", QKeySequence());
}

}  // namespace widgets
