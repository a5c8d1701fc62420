#include "widgets/record_layout.h"

#include <QGroupBox>
#include <QLabel>

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
  frame->setGeometry(Twips(10080, 5400, 5175, 3015));
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
