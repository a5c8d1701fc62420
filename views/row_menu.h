#pragma once

#include <QPoint>

#include "views/list_commands.h"

class QEvent;
class QObject;
class QWidget;

namespace views {

// The context menu of a list row's cells: 過去の検査と比較(&K) for the
// record of `key`. True when `event` asked for the menu on a row cell
// (`watched` carries a "row" property); the menu is then shown at the
// pointer. Rows without a record have no menu.
bool RowContextMenu(QWidget* view, QObject* watched, QEvent* event, int key, ListCommands& list);

}  // namespace views
