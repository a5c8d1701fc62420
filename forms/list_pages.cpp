#include "forms/list_pages.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <vector>

#include "platform/cp932.h"
#include "platform/qt_text.h"
#include "store/text_format.h"

namespace store {

using platform::Q;

namespace {

// A field as stored, blanks included.
QString Stored(std::string_view raw) { return Q(platform::FromCp932(raw)); }

void SetSlider(QSlider* slider, int maximum, int value) {
  if (slider == nullptr) return;
  const QSignalBlocker quiet(slider);
  slider->setRange(1, maximum);
  slider->setValue(value);
}

}  // namespace

void ClearListRows1(ListForm1& f, int first) {
  for (int r = std::max(first, 0); r < kRowsPerPage; ++r) {
    for (auto* column : {&f.Label11, &f.Label2, &f.Label3, &f.Label4, &f.Label5, &f.Label6,
                         &f.Label7, &f.Label8, &f.Label13}) {
      (*column)[r]->clear();
    }
    f.RowKey[r] = 0;
  }
}

void ClearListRows2(ListForm2& f, int first) {
  for (int r = std::max(first, 0); r < kRowsPerPage; ++r) {
    for (auto* column : {&f.Label11, &f.Label2, &f.Label3, &f.Label4, &f.Label5}) {
      (*column)[r]->clear();
      (*column)[r]->hide();
    }
    f.Text1[r]->clear();
    f.Text1[r]->hide();
    f.List1[r]->clear();
    f.List1[r]->hide();
    f.List2[r]->clear();
    f.List2[r]->hide();
    f.RowKey[r] = 0;
  }
}

void ShowListPage(const sessions::ListPageOutcome& page, ListForm1* form1, ListForm2* form2) {
  const std::vector<sessions::ExamListRow>& rows = page.rows;
  for (std::size_t r = 0; r < rows.size() && r < kRowsPerPage; ++r) {
    const ExamRecord& e = rows[r].record;
    const QString position = QString::number(rows[r].position);
    const QString fileNumber = Stored(e.Raw(ExamField::RecordNo));
    if (form1 != nullptr) {
      form1->RowKey[r] = rows[r].key;
      form1->Label11[r]->setText(position);
      form1->Label2[r]->setText(fileNumber);
      form1->Label3[r]->setText(Q(e.Get(ExamField::ExamDate)));
      form1->Label4[r]->setText(Q(e.Get(ExamField::PatientId)));
      form1->Label5[r]->setText(Q(e.Get(ExamField::Name)));
      form1->Label6[r]->setText(Q(e.Get(ExamField::Sex)));
      form1->Label7[r]->setText(Q(e.Get(ExamField::Age)));
      form1->Label8[r]->setText(Q(e.Get(ExamField::Department)));
      form1->Label13[r]->setText(Q(e.Get(ExamField::HeartRate)));
    }
    if (form2 != nullptr) {
      form2->RowKey[r] = rows[r].key;
      form2->Label11[r]->setText(position);
      form2->Label2[r]->setText(fileNumber);
      form2->Label3[r]->setText(Q(e.Get(ExamField::ExamDate)));
      form2->Label4[r]->setText(Q(e.Get(ExamField::PatientId)));
      form2->Label5[r]->setText(Q(e.Get(ExamField::Name)));
      const QString comment = Q(e.Get(ExamField::Comment));
      if (form2->Text1[r]->toPlainText() == comment) {
        form2->Text1[r]->moveCursor(QTextCursor::Start);
      } else {
        form2->Text1[r]->setPlainText(comment);
      }
      QStringList pairs, arrhythmias;
      for (int i = 0; i < 5; ++i) {
        pairs << Stored(e.Raw(LeadSiteField(i))) + QLatin1Char('/') +
                     Stored(e.Raw(FindingField(i)));
        arrhythmias << Stored(e.Raw(ArrhythmiaField(i)));
      }
      form2->List1[r]->clear();
      form2->List1[r]->addItems(pairs);
      form2->List2[r]->clear();
      form2->List2[r]->addItems(arrhythmias);
      for (QWidget* w :
           {static_cast<QWidget*>(form2->Label11[r]), static_cast<QWidget*>(form2->Label2[r]),
            static_cast<QWidget*>(form2->Label3[r]), static_cast<QWidget*>(form2->Label4[r]),
            static_cast<QWidget*>(form2->Label5[r]), static_cast<QWidget*>(form2->Text1[r]),
            static_cast<QWidget*>(form2->List1[r]), static_cast<QWidget*>(form2->List2[r])}) {
        w->show();
      }
    }
  }
  const QString count = Q(RecordCountText(page.listCount));
  const QString indicator = Q(PageIndicator(page.pageNumber, page.pageCount));
  const int maximum = PageSliderMaximum(page.pageCount);
  if (form1 != nullptr) {
    form1->Label9->setText(count);
    SetSlider(form1->Slider1, maximum, page.pageNumber);
    form1->Label10->setText(indicator);
  }
  if (form2 != nullptr) {
    form2->Label9->setText(count);
    SetSlider(form2->Slider1, maximum, page.pageNumber);
    form2->Label10->setText(indicator);
  }
}

}  // namespace store
