#include "sessions/vocabulary_session.h"

#include "store/change_recorder.h"

namespace sessions {

bool VocabularySession::ListOpen(store::LookupList list) const {
  switch (list) {
    case store::LookupList::Department:
      return store_.ListFileOf(store::LookupList::Department) != nullptr;
    case store::LookupList::LeadSite:
      return store_.ListFileOf(store::LookupList::LeadSite) != nullptr;
    case store::LookupList::Finding:
      return store_.ListFileOf(store::LookupList::Finding) != nullptr;
    case store::LookupList::Arrhythmia:
      break;
  }
  return store_.ListFileOf(store::LookupList::Arrhythmia) != nullptr;
}

VocabularyLoad VocabularySession::Load(store::LookupList list) {
  VocabularyLoad load;
  const platform::Status read = store_.ReadListEntries(list, load.entries);
  if (!ListOpen(list)) {
    // A list that was never made reads as empty in a run that may not write;
    // one that could not be opened was named at start-up and is said again.
    if (!store_.ReadOnlySession()) {
      load.Say("「" + std::string(store::Store::ListPath(list)) +
               "」を読み込めないため、空の一覧を表示します。");
    }
  } else if (!read.ok()) {
    load.SayError(read);
  }
  return load;
}

Outcome VocabularySession::Save(store::LookupList list, std::string_view caption,
                                const std::vector<std::string>& entries) {
  Outcome out;
  store::ChangeEntry change;
  change.kind = store::ChangeKind::VocabularySave;
  change.file = store::Store::ListPath(list);
  platform::Status status = store::RecordChange(store_, change, {change.file});
  if (status.ok()) {
    status = store_.ReplaceListFile(list, entries);
    if (!status.ok()) store::SettleChange(store_, change);
  }
  if (!status.ok()) {
    out.Say(NotSavedMessage(caption, status.error));
  } else {
    out.Say("登録終了。", platform::kOkOnly);
  }
  return out;
}

std::string VocabularySession::NotSavedMessage(std::string_view caption, int error) {
  std::string reason;
  switch (error) {
    case platform::kDiskFull:
      reason = "ディスクの空き容量が足りません。";
      break;
    case platform::kPermissionDenied:
      reason = "ファイルに書き込む権限がないか、読み取り専用です。";
      break;
    case platform::kDeviceIoError:
      reason = "ディスクの読み書きでエラーが起きました。";
      break;
    default:
      reason = "ファイルに書き込めませんでした。";
      break;
  }
  return std::string(caption) + "の一覧は保存されませんでした。\n" + reason + "（エラー番号 " +
         std::to_string(error) + "）\nファイルは登録前の内容のままです。";
}

}  // namespace sessions
