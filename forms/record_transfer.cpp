#include "forms/record_transfer.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStringList>
#include <functional>
#include <vector>

#include "forms/entry_rules.h"
#include "forms/image_facts.h"
#include "platform/pictures.h"
#include "platform/qt_printer.h"
#include "platform/qt_ui.h"
#include "store/image_files.h"
#include "store/shown_record.h"
#include "store/text_format.h"

namespace store {

using platform::Q;
using platform::S;

namespace {

// The trimmed entries of a lookup list file, every entry, blank ones included.
QStringList ReadList(Store& store, LookupList which) {
  std::vector<std::string> entries;
  // A list that cannot be read shows its entries as blanks.
  (void)store.ReadListEntries(which, entries);
  entries.resize(static_cast<std::size_t>(Store::ListEntries(which)));
  QStringList items;
  items.reserve(static_cast<qsizetype>(entries.size()));
  for (const std::string& entry : entries) items.append(Q(entry));
  return items;
}

bool HoldsItems(const QComboBox& combo, const QStringList& items) {
  if (combo.count() != items.size()) return false;
  for (qsizetype i = 0; i < items.size(); ++i) {
    if (combo.itemText(static_cast<int>(i)) != items[i]) return false;
  }
  return true;
}

// Replaces a combo's items, keeping the text it shows. Items that are already
// the list's stay as they are: rebuilding them costs more than comparing.
void Refill(QComboBox* combo, const QStringList& items) {
  if (combo == nullptr) return;
  const QString text = combo->currentText();
  if (!HoldsItems(*combo, items)) {
    combo->clear();
    combo->addItems(items);
  }
  combo->setCurrentIndex(-1);
  combo->setEditText(text);
}

// Empties a combo's list and its text, as clearing a combo does on Windows.
void ClearCombo(QComboBox* combo) {
  combo->clear();
  combo->setEditText(QString());
}

// Empties a combo's text only; its items are refilled right after.
void ClearComboText(QComboBox* combo) {
  combo->setCurrentIndex(-1);
  combo->setEditText(QString());
}

void ClearFields(MainForm& form, int recordCount, void (*clearLookup)(QComboBox*)) {
  for (int i = 0; i < 5; ++i) {
    form.Text1[i]->clear();
    form.Label19[i]->clear();
    clearLookup(form.Combo3[i]);
    clearLookup(form.Combo4[i]);
    clearLookup(form.Combo5[i]);
  }
  form.Text3->clear();
  form.Text2->clear();
  ClearCombo(form.Combo1);
  form.Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
  form.Combo1->setCurrentIndex(-1);
  form.Combo1->setEditText(QString());
  clearLookup(form.Combo2);
  form.Image1->clear();
  form.Label14->clear();
  form.Shown.Forget();
  form.Text1[0]->setText(DateText(form.Today()));
  form.MonthView1->hide();
  if (recordCount > 0) {
    form.Slider1->setMaximum(recordCount);
    form.Slider1->setMinimum(1);
  } else {
    form.Slider1->setMaximum(1);
  }
}

// A one-line field of the form and the control that holds it.
struct FieldControl {
  ExamField field;
  std::function<QString()> text;
};

std::vector<FieldControl> FieldControls(const MainForm& form) {
  std::vector<FieldControl> controls;
  auto line = [&](ExamField f, QLineEdit* edit) {
    controls.push_back({f, [edit] { return edit->text(); }});
  };
  auto combo = [&](ExamField f, QComboBox* box) {
    controls.push_back({f, [box] { return box->currentText(); }});
  };
  line(ExamField::ExamDate, form.Text1[0]);
  line(ExamField::PatientId, form.Text1[1]);
  line(ExamField::Name, form.Text1[2]);
  line(ExamField::Age, form.Text1[3]);
  line(ExamField::HeartRate, form.Text1[4]);
  combo(ExamField::Sex, form.Combo1);
  combo(ExamField::Department, form.Combo2);
  for (int i = 0; i < 5; ++i) {
    combo(LeadSiteField(i), form.Combo3[i]);
    combo(FindingField(i), form.Combo4[i]);
    combo(ArrhythmiaField(i), form.Combo5[i]);
  }
  return controls;
}

// Remembers the record and the text each control holds now that it is shown.
void RememberShownRecord(const ExamRecord& record, MainForm& form) {
  form.Shown.Remember(record);
  for (const FieldControl& c : FieldControls(form)) form.Shown.Shown(c.field, S(c.text()));
  form.Shown.Shown(ExamField::Comment, S(form.Text3->toPlainText()));
}

}  // namespace

void ClearRecordForm(MainForm& form, int recordCount) {
  ClearFields(form, recordCount, ClearCombo);
}

void ClearRecordFormForInput(Store& store, MainForm& form, int recordCount) {
  ClearFields(form, recordCount, ClearComboText);
  FillLookupLists(store, form);
}

void ShowCurrentRecord(const ExamRecord& r, MainForm& form) {
  auto setCombo = [&r](QComboBox* combo, ExamField f) {
    combo->setCurrentIndex(-1);
    combo->setEditText(Q(r.Get(f)));
  };
  form.Text1[0]->setText(Q(r.Get(ExamField::ExamDate)));
  form.Text1[1]->setText(Q(r.Get(ExamField::PatientId)));
  form.Text1[2]->setText(Q(r.Get(ExamField::Name)));
  form.Text1[3]->setText(Q(r.Get(ExamField::Age)));
  form.Text1[4]->setText(Q(r.Get(ExamField::HeartRate)));
  form.Text3->setPlainText(Q(CommentForScreen(r.Get(ExamField::Comment))));
  setCombo(form.Combo1, ExamField::Sex);
  setCombo(form.Combo2, ExamField::Department);
  for (int i = 0; i < 5; ++i) setCombo(form.Combo3[i], LeadSiteField(i));
  for (int i = 0; i < 5; ++i) setCombo(form.Combo5[i], ArrhythmiaField(i));
  for (int i = 0; i < 5; ++i) setCombo(form.Combo4[i], FindingField(i));
  form.Text2->setText(Q(r.Get(ExamField::ImageName)));
  RememberShownRecord(r, form);
}

namespace {

// The pixels the label stretches its picture over (inside its frame): a
// picture decoded to exactly that size is painted without another scaling.
QSize ShownSize(const QLabel& label) {
  return (QSizeF(label.contentsRect().size()) * label.devicePixelRatioF()).toSize();
}

bool ScaledPictureShown(const MainForm& form) {
  const QPixmap shown = form.Image1->pixmap();
  return !shown.isNull() && shown.cacheKey() == form.ScaledPictureKey &&
         !form.ScaledPictureFile.empty();
}

// Sets the picture decoded at `box` from `path`, remembering it when it came
// out smaller than the file.
void SetRecordPicture(QImage picture, const std::string& path, QSize box, MainForm& form) {
  const bool reduced = box.isValid() && !box.isEmpty() &&
                       (picture.width() == box.width() || picture.height() == box.height());
  form.Image1->setPixmap(QPixmap::fromImage(std::move(picture)));
  form.ScaledPictureFile = reduced ? path : std::string();
  form.ScaledPictureBox = box;
  form.ScaledPictureKey = reduced ? form.Image1->pixmap().cacheKey() : 0;
}

}  // namespace

bool ShowRecordPicture(platform::FileSystem& fs, platform::Ui& ui, const std::string& path,
                       MainForm& form) {
  form.Image1->clear();
  form.ScaledPictureFile.clear();
  form.ScaledPictureKey = 0;
  int error = platform::kNoError;
  const QSize box = ShownSize(*form.Image1);
  QImage picture = platform::ReadPictureScaled(fs, path, box, &error);
  if (picture.isNull()) {
    ui.ShowErrorNumber(error);
    return false;
  }
  SetRecordPicture(std::move(picture), path, box, form);
  return true;
}

QImage FullPicture(platform::FileSystem& fs, const MainForm& form) {
  if (ScaledPictureShown(form)) {
    QImage full = platform::ReadPicture(fs, form.ScaledPictureFile);
    if (!full.isNull()) return full;
  }
  return form.Image1->pixmap().toImage();
}

void RefitRecordPicture(platform::FileSystem& fs, MainForm& form) {
  if (!ScaledPictureShown(form)) return;
  const QSize box = ShownSize(*form.Image1);
  if (box.width() <= form.ScaledPictureBox.width() &&
      box.height() <= form.ScaledPictureBox.height())
    return;
  QImage picture = platform::ReadPictureScaled(fs, form.ScaledPictureFile, box);
  if (!picture.isNull()) SetRecordPicture(std::move(picture), form.ScaledPictureFile, box, form);
}

void StoreFormInRecord(const MainForm& form, ExamRecord& r) {
  const ShownRecord& shown = form.Shown;
  for (const FieldControl& c : FieldControls(form)) shown.StoreText(r, c.field, S(c.text()));
  shown.StoreCommentText(r, S(form.Text3->toPlainText()));
}

RecordPage RecordPageOf(platform::FileSystem& fs, const MainForm& form) {
  RecordPage page;
  page.examDate = S(form.Text1[0]->text());
  page.patientId = S(form.Text1[1]->text());
  page.name = S(form.Text1[2]->text());
  page.sex = S(form.Combo1->currentText());
  page.age = S(form.Text1[3]->text());
  page.department = S(form.Combo2->currentText());
  page.heartRate = S(form.Text1[4]->text());
  for (int i = 0; i < 5; ++i) {
    page.leadSites[i] = S(form.Combo3[i]->currentText());
    page.findings[i] = S(form.Combo4[i]->currentText());
    page.arrhythmias[i] = S(form.Combo5[i]->currentText());
  }
  page.picture = platform::PictureFromImage(FullPicture(fs, form));
  return page;
}

void FillLookupLists(Store& store, MainForm& form) {
  FillDepartmentList(store, form);
  FillLeadSiteLists(store, form);
  FillFindingLists(store, form);
  FillArrhythmiaLists(store, form);
}

void FillDepartmentList(Store& store, MainForm& form) {
  Refill(form.Combo2, ReadList(store, LookupList::Department));
}

void FillLeadSiteLists(Store& store, MainForm& form) {
  const QStringList items = ReadList(store, LookupList::LeadSite);
  for (QComboBox* combo : form.Combo3) Refill(combo, items);
}

void FillFindingLists(Store& store, MainForm& form) {
  const QStringList items = ReadList(store, LookupList::Finding);
  for (QComboBox* combo : form.Combo4) Refill(combo, items);
}

void FillArrhythmiaLists(Store& store, MainForm& form) {
  const QStringList items = ReadList(store, LookupList::Arrhythmia);
  for (QComboBox* combo : form.Combo5) Refill(combo, items);
  Refill(form.SearchCombo3, items);
}

}  // namespace store
