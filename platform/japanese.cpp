#include "platform/japanese.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QSpinBox>
#include <QToolButton>
#include <QTranslator>

namespace platform {

QString InstallJapanese(QCoreApplication& app) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QLocale::setDefault(japanese);
  const QStringList folders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")};
  for (const QString& folder : folders) {
    for (const QString& name : {QStringLiteral("qtbase_ja"), QStringLiteral("qt_ja")}) {
      auto* translator = new QTranslator(&app);
      if (translator->load(name, folder)) {
        QCoreApplication::installTranslator(translator);
        return translator->filePath();
      }
      delete translator;
    }
  }
  return {};
}

namespace {

// The month and year buttons take a bold copy of the calendar's font when
// they are made and never again; this keeps them following it (a form that
// scales its fonts scales the calendar's).
class HeaderFontFollower : public QObject {
 public:
  HeaderFontFollower(QCalendarWidget* calendar, QList<QWidget*> buttons)
      : QObject(calendar), buttons_(std::move(buttons)) {
    calendar->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FontChange) {
      QFont bold = static_cast<QWidget*>(watched)->font();
      bold.setBold(true);
      for (QWidget* b : buttons_) b->setFont(bold);
    }
    return false;
  }

 private:
  QList<QWidget*> buttons_;
};

}  // namespace

void MakeJapaneseCalendar(QCalendarWidget* calendar) {
  calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  calendar->setFirstDayOfWeek(Qt::Sunday);
  auto* bar = calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
  auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
  auto* yearButton = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
  auto* yearEdit = calendar->findChild<QSpinBox*>(QStringLiteral("qt_calendar_yearedit"));
  if (bar == nullptr || month == nullptr || yearButton == nullptr || yearEdit == nullptr) return;
  // The year button shows the spin box's text, suffix included; showing a
  // page again writes it.
  yearEdit->setSuffix(QStringLiteral("年"));
  auto* layout = qobject_cast<QBoxLayout*>(bar->layout());
  if (layout != nullptr) {
    const int monthAt = layout->indexOf(month);
    const int yearAt = layout->indexOf(yearButton);
    if (monthAt >= 0 && yearAt > monthAt) {
      layout->removeWidget(month);
      layout->insertWidget(layout->indexOf(yearButton) + 1, month);
    }
  }
  new HeaderFontFollower(calendar, {month, yearButton, yearEdit});
  const QDate shown(calendar->yearShown(), calendar->monthShown(), 1);
  calendar->setCurrentPage(shown.addMonths(1).year(), shown.addMonths(1).month());
  calendar->setCurrentPage(shown.year(), shown.month());
}

}  // namespace platform
