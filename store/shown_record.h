#pragma once

#include <array>
#include <string>
#include <string_view>

#include "store/records.h"

namespace store {

// What a form showed of one examination: the text each control held right
// after the record was put on screen, and the record's bytes as they stand in
// the file. Storing the form back writes those bytes for every field whose
// text is still the one shown, so that what the user never touched keeps its
// bytes: a byte cp932 cannot decode, CRLF line breaks, blanks around a value.
// A field whose text differs is encoded from the text.
class ShownRecord {
 public:
  // Starts remembering `record`; no field counts as shown until Shown().
  void Remember(const ExamRecord& record);
  // The text field `f` holds on screen now that the record is shown.
  void Shown(ExamField f, std::string text);
  // Forgets the record (the form was emptied).
  void Forget();

  // True when field `f` of the remembered record was shown as `text`.
  bool Unchanged(ExamField f, std::string_view text) const;

  // Stores `text` in field `f` of `record`: the remembered bytes when the
  // text is unchanged, else the text encoded and cut or padded to the width.
  void StoreText(ExamRecord& record, ExamField f, std::string_view text) const;
  // The same for the comment, whose line breaks are stored as CRLF.
  void StoreCommentText(ExamRecord& record, std::string_view text) const;

 private:
  static constexpr std::size_t kFields = ExamRecord::FieldCountValue;
  bool valid_ = false;
  ExamRecord record_;
  std::array<bool, kFields> known_{};
  std::array<std::string, kFields> shown_{};
};

// A stored comment as the screen shows it: CRLF, a lone CR and a lone LF each
// become one line break ("\n").
std::string CommentForScreen(std::string_view comment);

// Stores a comment typed on screen: each line break is stored as CRLF, as the
// Windows program stores it. Cut to the field without splitting a double-byte
// character or a CRLF pair; blanks pad the rest.
void StoreComment(ExamRecord& record, std::string_view text);

}  // namespace store
