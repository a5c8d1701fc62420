#include "mainwin/form1.h"

#include <QApplication>
#include <QCloseEvent>

Form1::Form1(store::Store& store, platform::Ui& ui, QWidget* parent)
    : QMainWindow(parent), store_(store), ui_(ui) {
  setWindowTitle(QStringLiteral("Velunor2.0"));
  resize(1024, 768);
}

void Form1::closeEvent(QCloseEvent* event) {
  if (platform::Status s = store_.ShutDownFiles(); !s.ok()) ui_.ShowErrorNumber(s.error);
  event->accept();
  QApplication::quit();
}
