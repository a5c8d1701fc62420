#include "widgets/progress_window.h"

#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "platform/qt_text.h"
#include "widgets/form_setup.h"
#include "widgets/twips.h"

using widgets::Px;

Dialog2::Dialog2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Dialog2"));
  setWindowTitle(QStringLiteral("Velunor2.0"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
  setFixedSize(Px(9885), Px(945));
  setModal(false);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setGeometry(Px(360), Px(240), Px(9135), Px(255));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);

  Label1 = new QLabel(QStringLiteral("処理中・・・・"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont font(widgets::kFormFont(), 12);
  font.setBold(true);
  font.setStyleHint(QFont::TypeWriter);
  Label1->setFont(font);
  // The label starts where the window has always placed it and reaches to the
  // window's edge, so that the longest phase text is never cut off.
  Label1->setGeometry(Px(3960), Px(600) - 4, width() - Px(3960) - 4, Px(240) + 8);
}

void Dialog2::BeginPhase(std::string_view caption, int maximum) {
  ProgressBar1->setRange(0, maximum > 0 ? maximum : 1);
  ProgressBar1->setValue(0);
  sinceDrawn_.invalidate();
  Label1->setText(platform::Q(caption));
  show();
  repaint();
}

void Dialog2::Advance(int value) {
  // The bar is redrawn at most every 20 ms (and at the end of a phase):
  // redrawing it for every one of 100,000 records would cost more than the
  // records themselves, and the eye sees no difference.
  const int maximum = ProgressBar1->maximum();
  if (value >= maximum || !sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= 20) {
    ProgressBar1->setValue(value);
    sinceDrawn_.start();
  }
}
