#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "platform/scaled_form.h"

namespace {

// A client as the forms build theirs: controls at fixed positions, one of
// them in a group box, one with a font of its own.
struct Client {
  Client() {
    client->setMinimumSize(400, 300);
    client->setFont(QFont(QStringLiteral("IPAGothic"), 9));
    edit->setGeometry(10, 20, 100, 24);
    frame->setGeometry(200, 0, 200, 150);
    inFrame->setGeometry(5, 30, 50, 20);
    QFont bold(QStringLiteral("IPAGothic"), 12);
    bold.setBold(true);
    big->setFont(bold);
    big->setGeometry(0, 270, 120, 30);
  }
  QWidget* client = new QWidget;
  QLineEdit* edit = new QLineEdit(client);
  QGroupBox* frame = new QGroupBox(QStringLiteral("画像情報"), client);
  QLabel* inFrame = new QLabel(QStringLiteral("属性"), frame);
  QLabel* big = new QLabel(QStringLiteral("200"), client);
};

// The scroll area given `room` for the client (no frame, no scroll bars).
void Give(platform::ScaledForm& form, QSize room) {
  form.resize(room);
  form.show();
  QApplication::processEvents();
}

TEST(ScaledForm, ALargeScreenGrowsTheFormFontsIncluded) {
  Client c;
  platform::ScaledForm form(c.client);
  Give(form, QSize(800, 750));  // the width allows 2, the height 2.5
  EXPECT_DOUBLE_EQ(form.Scale(), 2.0);
  EXPECT_EQ(c.client->size(), QSize(800, 600));
  EXPECT_EQ(c.edit->geometry(), QRect(20, 40, 200, 48));
  EXPECT_EQ(c.frame->geometry(), QRect(400, 0, 400, 300));
  EXPECT_EQ(c.inFrame->geometry(), QRect(10, 60, 100, 40));
  EXPECT_DOUBLE_EQ(c.client->font().pointSizeF(), 18.0);
  EXPECT_DOUBLE_EQ(c.edit->font().pointSizeF(), 18.0);  // inherited
  EXPECT_DOUBLE_EQ(c.big->font().pointSizeF(), 24.0);   // its own, scaled
  EXPECT_TRUE(c.big->font().bold());
  EXPECT_FALSE(form.verticalScrollBar()->isVisible());
  EXPECT_FALSE(form.horizontalScrollBar()->isVisible());

  // Back to the design size: every control where the code put it.
  Give(form, QSize(400, 300));
  EXPECT_DOUBLE_EQ(form.Scale(), 1.0);
  EXPECT_EQ(c.edit->geometry(), QRect(10, 20, 100, 24));
  EXPECT_EQ(c.inFrame->geometry(), QRect(5, 30, 50, 20));
  EXPECT_DOUBLE_EQ(c.big->font().pointSizeF(), 12.0);
}

TEST(ScaledForm, ASmallScreenShrinksALittleThenScrolls) {
  Client c;
  platform::ScaledForm form(c.client);
  Give(form, QSize(400, 285));  // 95 %
  EXPECT_DOUBLE_EQ(form.Scale(), 0.95);
  EXPECT_FALSE(form.verticalScrollBar()->isVisible());
  EXPECT_LE(c.client->height(), 285);

  Give(form, QSize(300, 200));  // would need 66 %: 90 % and scroll bars
  EXPECT_DOUBLE_EQ(form.Scale(), 0.9);
  EXPECT_EQ(c.client->size(), QSize(360, 270));
  EXPECT_TRUE(form.verticalScrollBar()->isVisible());
  EXPECT_TRUE(form.horizontalScrollBar()->isVisible());
  // Scrolled to the end, the last control is reachable.
  form.ensureWidgetVisible(c.big);
  const QPoint bottom = c.big->mapTo(form.viewport(), c.big->rect().bottomLeft());
  EXPECT_LE(bottom.y(), form.viewport()->height());
}

TEST(ScaledForm, ControlsMovedOrAddedByTheCodeAreTakenAtScaleOne) {
  Client c;
  platform::ScaledForm form(c.client);
  Give(form, QSize(800, 600));
  ASSERT_DOUBLE_EQ(form.Scale(), 2.0);
  // The code moves a control and adds one, in design coordinates.
  c.edit->setGeometry(30, 40, 100, 24);
  auto* added = new QLabel(QStringLiteral("新"), c.client);
  added->setGeometry(100, 100, 40, 20);
  QApplication::processEvents();
  EXPECT_EQ(added->geometry(), QRect(200, 200, 80, 40));
  form.Rescale();
  EXPECT_EQ(c.edit->geometry(), QRect(60, 80, 200, 48));
  Give(form, QSize(400, 300));
  EXPECT_EQ(c.edit->geometry(), QRect(30, 40, 100, 24));
  EXPECT_EQ(added->geometry(), QRect(100, 100, 40, 20));
}

}  // namespace
