#pragma once

#include <QMainWindow>

#include "platform/ui.h"
#include "store/store.h"

// The main window: the examination form that is open for the whole run.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  Form1(store::Store& store, platform::Ui& ui, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  store::Store& store_;
  platform::Ui& ui_;
};
