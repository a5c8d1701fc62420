#include <gtest/gtest.h>

#include <QApplication>

#include "platform/japanese.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::InstallJapanese(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
