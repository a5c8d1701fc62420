#include "store/shown_record.h"

#include <algorithm>
#include <cstring>

#include "platform/cp932.h"

namespace store {
namespace {

std::size_t Index(ExamField f) { return static_cast<std::size_t>(f); }

}  // namespace

void ShownRecord::Remember(const ExamRecord& record) {
  valid_ = true;
  record_ = record;
  known_.fill(false);
  for (std::string& text : shown_) text.clear();
}

void ShownRecord::Shown(ExamField f, std::string text) {
  known_[Index(f)] = true;
  shown_[Index(f)] = std::move(text);
}

void ShownRecord::Forget() {
  valid_ = false;
  known_.fill(false);
}

bool ShownRecord::Unchanged(ExamField f, std::string_view text) const {
  return valid_ && known_[Index(f)] && shown_[Index(f)] == text;
}

void ShownRecord::StoreText(ExamRecord& record, ExamField f, std::string_view text) const {
  if (Unchanged(f, text)) {
    record.CopyField(f, record_);
  } else {
    record.Set(f, text);
  }
}

void ShownRecord::StoreCommentText(ExamRecord& record, std::string_view text) const {
  if (Unchanged(ExamField::Comment, text)) {
    record.CopyField(ExamField::Comment, record_);
  } else {
    StoreComment(record, text);
  }
}

std::string CommentForScreen(std::string_view comment) {
  std::string out;
  out.reserve(comment.size());
  for (std::size_t i = 0; i < comment.size(); ++i) {
    if (comment[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < comment.size() && comment[i + 1] == '\n') ++i;
    } else {
      out.push_back(comment[i]);
    }
  }
  return out;
}

void StoreComment(ExamRecord& record, std::string_view text) {
  std::string withCrLf;
  withCrLf.reserve(text.size() + 16);
  for (char c : CommentForScreen(text)) {
    if (c == '\n') withCrLf.push_back('\r');
    withCrLf.push_back(c);
  }
  const std::string bytes = platform::ToCp932(withCrLf);
  const FieldDef& def = ExamRecord::Def(ExamField::Comment);
  std::size_t keep = platform::Cp932CutPoint(bytes, def.width);
  if (keep > 0 && keep < bytes.size() && bytes[keep - 1] == '\r' && bytes[keep] == '\n') --keep;
  char* field = record.data() + def.offset;
  std::memcpy(field, bytes.data(), keep);
  std::memset(field + keep, ' ', def.width - keep);
}

}  // namespace store
