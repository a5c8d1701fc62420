#include "widgets/main_form_layout.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

#include "platform/japanese.h"
#include "store/records.h"
#include "widgets/field_fit.h"
#include "widgets/record_layout.h"
#include "widgets/tick_slider.h"
#include "widgets/twips.h"

namespace widgets {

void BuildMainFormControls(QWidget* client, store::MainForm& form, MainFormControls& c) {
  c.Frame1 = RecordFieldsFrame(client, form);

  c.Command3 = new QPushButton(QStringLiteral("(+)"), c.Frame1);
  c.Command3->setObjectName(QStringLiteral("Command3"));
  c.Command3->setGeometry(Twips(2760, 120, 735, 300));
  c.Command3->setToolTip(QStringLiteral("検査日を1日後にする"));
  c.Command4 = new QPushButton(QStringLiteral("(-)"), c.Frame1);
  c.Command4->setObjectName(QStringLiteral("Command4"));
  c.Command4->setGeometry(Twips(2760, 480, 735, 300));
  c.Command4->setToolTip(QStringLiteral("検査日を1日前にする"));

  // --- Outside the frame ------------------------------------------------
  form.Image1 = new QLabel(client);
  form.Image1->setObjectName(QStringLiteral("Image1"));
  form.Image1->setGeometry(Twips(120, 3720, 10005, 6855));
  form.Image1->setScaledContents(true);
  form.Image1->setFrameShape(QFrame::Box);
  form.Image1->setToolTip(QStringLiteral("クリックして拡大表示"));

  c.Command2 =
      new QPushButton(client->style()->standardIcon(QStyle::SP_ArrowLeft), QString(), client);
  c.Command2->setObjectName(QStringLiteral("Command2"));
  c.Command2->setGeometry(Twips(10320, 3720, 1215, 615));
  c.Command2->setIconSize(QSize(24, 24));
  c.Command2->setToolTip(QStringLiteral("前のデータ"));
  c.Command1 =
      new QPushButton(client->style()->standardIcon(QStyle::SP_ArrowRight), QString(), client);
  c.Command1->setObjectName(QStringLiteral("Command1"));
  c.Command1->setGeometry(Twips(11520, 3720, 1215, 615));
  c.Command1->setIconSize(QSize(24, 24));
  c.Command1->setToolTip(QStringLiteral("次のデータ"));

  form.Slider1 = new widgets::TickSlider(Qt::Horizontal, client);
  form.Slider1->setObjectName(QStringLiteral("Slider1"));
  form.Slider1->setGeometry(Twips(10320, 4320, 2415, 615));
  form.Slider1->setToolTip(QStringLiteral("表示する検査データを選ぶ"));
  form.Slider1->setFocusPolicy(Qt::StrongFocus);
  form.Slider1->setTickPosition(QSlider::TicksBelow);
  form.Slider1->setRange(0, 1);

  const RecordNumber number = RecordNumberLabels(client);
  c.Label12 = number.caption;
  form.Label14 = number.number;
  c.Frame2 = ImageFactsFrame(client, form.Label19);

  Caption(client, "(使用プリンター)", Twips(10200, 8700, 3000, 270), "Label24");
  c.Combo6 = new QComboBox(client);
  c.Combo6->setObjectName(QStringLiteral("Combo6"));
  c.Combo6->setGeometry(Twips(10200, 9000, 4815, kComboHeight));
  c.Combo6->setToolTip(QStringLiteral("印刷に使うプリンター"));

  Caption(client, "保存用画像名", Twips(10320, 9600, 2400, 270), "Label20");
  Caption(client, "(半角英数字10文字)", Twips(10320, 9900, 3000, 270), "Label21");
  form.Text2 = new QLineEdit(client);
  form.Text2->setObjectName(QStringLiteral("Text2"));
  form.Text2->setGeometry(Twips(10320, 10200, 1695, 345));
  form.Text2->setMaxLength(10);
  FitToField(form.Text2, store::ExamRecord::Def(store::ExamField::ImageName).width);
  DisableInputMethod(form.Text2);
  Caption(client, ".jpg", Twips(12090, 10245, 600, 270), "Label22");

  form.MonthView1 = new QCalendarWidget(client);
  form.MonthView1->setObjectName(QStringLiteral("MonthView1"));
  form.MonthView1->setGeometry(Twips(4920, 4080, 3840, 4020));
  form.MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  platform::MakeJapaneseCalendar(form.MonthView1);
  form.MonthView1->hide();
}

}  // namespace widgets
