#include <QApplication>
#include <QTest>

#include "tests/support/temp_cache.h"

int RunForm1Tests(int argc, char** argv);
int RunRecordFormTests(int argc, char** argv);
int RunHistoryMenusTests(int argc, char** argv);

int main(int argc, char** argv) {
  const testing_support::TemporaryCache cache;
  QApplication app(argc, argv);
  int failures = 0;
  failures += RunRecordFormTests(argc, argv);
  failures += RunForm1Tests(argc, argv);
  failures += RunHistoryMenusTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
