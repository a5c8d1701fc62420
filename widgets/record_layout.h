#pragma once

#include <array>

class QGroupBox;
class QLabel;
class QWidget;

namespace widgets {

// Pieces of the examination form's layout that the main window and the
// detail view share, at the form's own places.

// The caption "ファイルＮＯ" (Label12) and the record's number in red (Label14).
struct RecordNumber {
  QLabel* caption = nullptr;
  QLabel* number = nullptr;
};
RecordNumber RecordNumberLabels(QWidget* client);

// The frame 画像情報 (Frame2) with the captions of the five facts of a
// picture file and their sunken boxes (Label19(0)-(4)).
QGroupBox* ImageFactsFrame(QWidget* client, std::array<QLabel*, 5>& facts);

}  // namespace widgets
