#include "views/row_menu.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QVariant>

namespace views {

bool RowContextMenu(QWidget* view, QObject* watched, QEvent* event, int key, ListCommands& list) {
  if (event->type() != QEvent::ContextMenu || !watched->property("row").isValid()) return false;
  if (key <= 0) return true;
  QMenu menu(view);
  menu.setObjectName(QStringLiteral("RowMenu"));
  QAction* compare = menu.addAction(QStringLiteral("過去の検査と比較(&K)"));
  if (menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos()) == compare) {
    list.CompareRow(key);
  }
  return true;
}

}  // namespace views
