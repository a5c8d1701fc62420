#include "widgets/record_layout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "store/records.h"
#include "widgets/field_fit.h"
#include "widgets/form_setup.h"
#include "widgets/twips.h"

namespace widgets {

namespace {

QLabel* Caption(QWidget* parent, const char* text, QRect where, const QString& name) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  label->setGeometry(where);
  return label;
}

}  // namespace

QLabel* Caption(QWidget* parent, const char* text, QRect where, const char* name) {
  return Caption(parent, text, where, QString::fromUtf8(name));
}

void DisableInputMethod(QWidget* w) {
  w->setAttribute(Qt::WA_InputMethodEnabled, false);
  w->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
}

QComboBox* EditableCombo(QWidget* parent, QRect where, const QString& name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(true);
  // Typed text never becomes a list item: the lists hold their files' entries.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(15);
  combo->setGeometry(where);
  return combo;
}

QGroupBox* RecordFieldsFrame(QWidget* client, const RecordFieldControls& form) {
  auto* frame = new QGroupBox(client);
  frame->setObjectName(QStringLiteral("Frame1"));
  frame->setGeometry(Twips(60, 0, 15120, 3690));

  Caption(frame, "検査日", Twips(120, 240, 1150, 300), "Label1");
  Caption(frame, "ID", Twips(120, 765, 1150, 300), "Label2");
  Caption(frame, "氏名", Twips(120, 1380, 1150, 300), "Label3");
  Caption(frame, "性別", Twips(120, 1995, 1150, 300), "Label4");
  Caption(frame, "年齢", Twips(120, 2655, 1150, 300), "Label5");
  Caption(frame, "所属", Twips(120, 3225, 1150, 300), "Label6");
  Caption(frame, "心拍数", Twips(3840, 270, 900, 300), "Label11")
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Caption(frame, "コメント", Twips(3555, 690, 1500, 270), "Label7");
  Caption(frame, "誘導部位", Twips(6360, 570, 1695, 270), "Label8");
  Caption(frame, "異常所見", Twips(8400, 570, 2895, 270), "Label9");
  Caption(frame, "不整脈", Twips(11880, 570, 2775, 270), "Label10");

  const QRect text1At[5] = {Twips(1320, 195, 1335, 360), Twips(1320, 705, 1335, 420),
                            Twips(1320, 1320, 1815, 420), Twips(1320, 2595, 615, 420),
                            Twips(4800, 240, 855, 345)};
  for (int i = 0; i < 5; ++i) {
    form.Text1[i] = new QLineEdit(frame);
    form.Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    form.Text1[i]->setGeometry(text1At[i]);
  }
  for (int i : {0, 1, 3, 4}) DisableInputMethod(form.Text1[i]);
  // The date, ID, age and heart rate are rewritten when left: characters only.
  auto width = [](store::ExamField f) { return store::ExamRecord::Def(f).width; };
  for (int i : {0, 1, 3, 4}) FitToField(form.Text1[i], 0);
  FitToField(form.Text1[2], width(store::ExamField::Name));

  form.Combo1 =
      EditableCombo(frame, Twips(1320, 1950, 615, kComboHeight), QStringLiteral("Combo1"));
  DisableInputMethod(form.Combo1);
  DisableInputMethod(form.Combo1->lineEdit());
  form.Combo2 =
      EditableCombo(frame, Twips(1320, 3180, 1455, kComboHeight), QStringLiteral("Combo2"));
  FitToField(form.Combo1, width(store::ExamField::Sex));
  FitToField(form.Combo2, width(store::ExamField::Department));

  form.Text3 = new QPlainTextEdit(frame);
  form.Text3->setObjectName(QStringLiteral("Text3"));
  form.Text3->setGeometry(Twips(3240, 960, 3015, 2655));
  form.Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  form.Text3->setTabChangesFocus(true);
  FitToField(form.Text3, width(store::ExamField::Comment));

  for (int i = 0; i < 5; ++i) {
    const int top = 840 + 570 * i;
    form.leadSites[i] = EditableCombo(frame, Twips(6360, top, 1695, kComboHeight),
                                      QStringLiteral("Combo3_%1").arg(i));
    form.findings[i] =
        EditableCombo(frame, Twips(8400, top, 2895, kComboHeight),
                      QString::fromLatin1(form.findingsName) + QStringLiteral("_%1").arg(i));
    form.arrhythmias[i] =
        EditableCombo(frame, Twips(11880, top, 2775, kComboHeight),
                      QString::fromLatin1(form.arrhythmiasName) + QStringLiteral("_%1").arg(i));
    FitToField(form.leadSites[i], width(store::ExamField::LeadSite1));
    FitToField(form.findings[i], width(store::ExamField::Finding1));
    FitToField(form.arrhythmias[i], width(store::ExamField::Arrhythmia1));
  }
  return frame;
}

QGroupBox* RecordFieldsFrame(QWidget* client, store::MainForm& form) {
  return RecordFieldsFrame(client, {form.Text1, form.Text3, form.Combo1, form.Combo2, form.Combo3,
                                    form.Combo4, form.Combo5, "Combo4", "Combo5"});
}

RecordNumber RecordNumberLabels(QWidget* client) {
  RecordNumber labels;
  labels.caption =
      Caption(client, "ファイルＮＯ", Twips(10320, 5070, 1500, 300), QStringLiteral("Label12"));
  labels.number = Caption(client, "", Twips(11880, 5010, 2400, 360), QStringLiteral("Label14"));
  labels.number->setFont(FormFont(12, true));
  QPalette red = labels.number->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  labels.number->setPalette(red);
  return labels;
}

QGroupBox* ImageFactsFrame(QWidget* client, std::array<QLabel*, 5>& facts) {
  auto* frame = new QGroupBox(QStringLiteral("画像情報"), client);
  frame->setObjectName(QStringLiteral("Frame2"));
  // Clear of the picture's frame, whose right edge is at 10125.
  frame->setGeometry(Twips(10200, 5400, 5055, 3015));
  const char* captions[5] = {"更新日時", "属性", "ファイル名", "ﾌｧｲﾙｻｲｽﾞ", "ﾌｧｲﾙﾀｲﾌﾟ"};
  for (int i = 0; i < 5; ++i) {
    const int top = 420 + 500 * i;
    Caption(frame, captions[i], Twips(150, top, 1350, 300),
            QStringLiteral("Label19Caption_%1").arg(i));
    facts[i] = new QLabel(frame);
    facts[i]->setObjectName(QStringLiteral("Label19_%1").arg(i));
    facts[i]->setGeometry(Twips(1560, top, 3450, 300));
    facts[i]->setFrameShape(QFrame::Panel);
    facts[i]->setFrameShadow(QFrame::Sunken);
  }
  return frame;
}

}  // namespace widgets
