#include "app/first_start.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressDialog>
#include <QStatusBar>
#include <QToolButton>
#include <memory>

#include "demo/demo_drive.h"
#include "platform/qt_ui.h"

namespace app {
namespace {

// One hint in the status bar: its text and a × that removes it; the status
// bar goes with its last hint.
QWidget* AddHint(QMainWindow& window, const QString& text, const char* name) {
  QStatusBar* bar = window.statusBar();
  bar->setSizeGripEnabled(false);
  auto* hint = new QWidget(bar);
  hint->setObjectName(QString::fromLatin1(name));
  auto* layout = new QHBoxLayout(hint);
  layout->setContentsMargins(4, 0, 0, 0);
  auto* label = new QLabel(text, hint);
  label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Text"));
  label->setToolTip(text);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* close = new QToolButton(hint);
  close->setObjectName(QString::fromLatin1(name) + QStringLiteral("Close"));
  close->setText(QStringLiteral("×"));
  close->setToolTip(QStringLiteral("このお知らせを閉じる"));
  close->setAutoRaise(true);
  close->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(close);
  layout->addWidget(label, 1);
  bar->addWidget(hint, 1);
  QObject::connect(close, &QToolButton::clicked, hint, [&window, hint] {
    QStatusBar* statusBar = window.statusBar();
    statusBar->removeWidget(hint);
    hint->hide();
    hint->deleteLater();
    bool left = false;
    for (QWidget* w : statusBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      left = left || (w != hint && w->objectName().endsWith(QStringLiteral("Hint")));
    }
    if (!left) statusBar->hide();
  });
  bar->show();
  return hint;
}

// Removes the vocabulary hint once a vocabulary holds an entry.
class VocabularyWatch : public QObject {
 public:
  VocabularyWatch(QMainWindow& window, store::Store& store, QWidget* hint)
      : QObject(hint), window_(window), store_(store), hint_(hint) {
    window.installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::WindowActivate &&
        !VocabulariesEmpty(store_)) {
      if (auto* close = hint_->findChild<QToolButton*>()) {
        QMetaObject::invokeMethod(close, &QToolButton::click, Qt::QueuedConnection);
      }
    }
    return false;
  }

 private:
  QMainWindow& window_;
  store::Store& store_;
  QWidget* hint_;
};

}  // namespace

std::optional<std::filesystem::path> PrepareDemoDrive(platform::Ui& ui) {
  const std::filesystem::path root = demo::DemoDriveRoot();
  std::unique_ptr<QProgressDialog> progress;
  const std::string failure =
      demo::PrepareDemoDrive(root, QDate::currentDate(), [&progress](int done, int total) {
        if (!progress) {
          progress = std::make_unique<QProgressDialog>(
              QStringLiteral("デモ用データを作成しています..."), QString(), 0, total);
          progress->setWindowTitle(QStringLiteral("Velunor2.0"));
          // Modal, so that setValue lets it repaint: no other window is open yet.
          progress->setWindowModality(Qt::ApplicationModal);
          progress->setMinimumDuration(0);
          progress->setCancelButton(nullptr);
        }
        progress->setValue(done);
      });
  progress.reset();
  if (!failure.empty()) {
    ui.MsgBox("デモ用データドライブを作成できません。\n" + root.string() + "\n" + failure,
              platform::kCritical);
    return std::nullopt;
  }
  return root;
}

bool VocabulariesEmpty(store::Store& store) {
  for (store::LookupList list : {store::LookupList::Department, store::LookupList::LeadSite,
                                 store::LookupList::Finding, store::LookupList::Arrhythmia}) {
    std::vector<std::string> entries;
    if (!store.ReadListEntries(list, entries).ok()) return false;
    for (const std::string& entry : entries) {
      if (!entry.empty()) return false;
    }
  }
  return true;
}

void ShowStartHints(QMainWindow& window, store::Store& store,
                    const std::filesystem::path& demoRoot) {
  if (!demoRoot.empty()) {
    QString where = QString::fromStdString(demoRoot.string());
    if (const QString home = QDir::homePath() + QLatin1Char('/'); where.startsWith(home)) {
      where = QStringLiteral("~/") + where.mid(home.size());
    }
    AddHint(window, QString::fromUtf8(kDemoHint) + where, "demoHint");
  }
  if (const std::string partial = store.PartialRecordsMessage(); !partial.empty()) {
    QWidget* hint =
        AddHint(window, QString::fromStdString(partial).simplified(), "partialRecordHint");
    hint->findChild<QLabel*>()->setToolTip(QString::fromStdString(partial));
  }
  if (VocabulariesEmpty(store)) {
    QWidget* hint = AddHint(window, QString::fromUtf8(kVocabularyHint), "vocabularyHint");
    new VocabularyWatch(window, store, hint);
  }
}

}  // namespace app
