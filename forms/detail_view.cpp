#include "forms/detail_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>

#include "platform/pictures.h"
#include "platform/qt_text.h"
#include "store/file_facts_text.h"
#include "store/image_files.h"
#include "store/text_format.h"

namespace store {

using platform::Q;

namespace {

void SetCombo(QComboBox* combo, const std::string& text) {
  combo->clear();
  combo->setEditText(Q(text));
  if (!combo->isEditable()) {
    combo->addItem(Q(text));
    combo->setCurrentIndex(0);
  }
}

}  // namespace

void ClearDetailView(DetailForm& form) {
  for (int i = 0; i < 5; ++i) {
    form.Text1[i]->clear();
    form.Text1[i]->setEnabled(false);
    for (QComboBox* combo : {form.Combo3[i], form.Combo6[i], form.Combo7[i]}) {
      combo->clear();
      combo->setEditText(QString());
      combo->setEnabled(false);
    }
    form.Label19[i]->clear();
  }
  form.Text3->clear();
  form.Text3->setEnabled(false);
  form.Text2->clear();
  form.Text2->setEnabled(false);
  for (QComboBox* combo : {form.Combo1, form.Combo2}) {
    combo->clear();
    combo->setEditText(QString());
    combo->setEnabled(false);
  }
  form.Image1->clear();
  form.Label14->clear();
  form.DetailImageName.clear();
  form.PictureFile.clear();
  form.Shown = ExamRecord();
}

void ShowDetailRecord(platform::FileSystem& fs, platform::Ui& ui, DetailForm& form,
                      const ExamRecord& record) {
  form.Shown = record;
  const ExamRecord& r = form.Shown;
  const ExamField text1[5] = {ExamField::ExamDate, ExamField::PatientId, ExamField::Name,
                              ExamField::Age, ExamField::HeartRate};
  for (int i = 0; i < 5; ++i) form.Text1[i]->setText(Q(r.Get(text1[i])));
  QString comment = Q(r.Get(ExamField::Comment));
  comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  comment.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  form.Text3->setPlainText(comment);
  SetCombo(form.Combo1, r.Get(ExamField::Sex));
  SetCombo(form.Combo2, r.Get(ExamField::Department));
  for (int i = 0; i < 5; ++i) {
    SetCombo(form.Combo3[i], r.Get(LeadSiteField(i)));
    SetCombo(form.Combo7[i], r.Get(ArrhythmiaField(i)));
    SetCombo(form.Combo6[i], r.Get(FindingField(i)));
  }
  form.Label14->setText(Q(r.Get(ExamField::RecordNo)));

  const std::string imageName = r.Get(ExamField::ImageName);
  form.DetailImageName = imageName + ".jpg";
  const std::string found = FindImageFile(fs, imageName);
  if (found.empty()) {
    // Said in the picture box: browsing records without pictures asks nothing.
    form.Image1->setAlignment(Qt::AlignCenter);
    form.Image1->setText(Q("画像：" + form.DetailImageName + "はありません。"));
    return;
  }
  const std::string file = ImageFilePath(found);
  int error = platform::kNoError;
  // In its own proportions: the zoom window shows this picture undistorted.
  QImage picture =
      platform::ReadPictureScaled(fs, file, form.PictureBox, &error, Qt::KeepAspectRatio);
  if (picture.isNull()) {
    ui.ShowErrorNumber(error);
    return;
  }
  form.Image1->setPixmap(QPixmap::fromImage(std::move(picture)));
  form.PictureFile = file;
  form.Text2->setText(Q(imageName));
  ShowDetailFileFacts(fs, form);
}

void ShowDetailFileFacts(platform::FileSystem& fs, DetailForm& form) {
  if (form.Shown.Raw(ExamField::PatientId).find_first_not_of(' ') == std::string_view::npos) return;
  const std::string path =
      form.PictureFile.empty() ? ImagePath(form.Shown.Get(ExamField::ImageName)) : form.PictureFile;
  platform::FileFacts facts;
  const bool known = fs.Facts(path, facts).ok();
  form.Label19[0]->setText(known ? Q(FormatDateTime(facts.modified)) : QString());
  form.Label19[1]->setText(known ? Q(AttributeText(facts.attributes)) : QString());
  form.Label19[2]->setText(Q(form.DetailImageName));
  form.Label19[3]->setText(known ? Q(DetailSizeText(facts.length)) : QString());
}

}  // namespace store
