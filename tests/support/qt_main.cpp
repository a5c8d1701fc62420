// The main() of the test programs that need a QApplication (windows, the
// printer, pictures): offscreen unless a platform was chosen.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/temp_cache.h"

int main(int argc, char** argv) {
  const testing_support::TemporaryCache cache;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
