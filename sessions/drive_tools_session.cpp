#include "sessions/drive_tools_session.h"

#include <cstdio>

#include "store/long_operation.h"

namespace sessions {
namespace {

std::string LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

std::string Counts(const store::BackupManifest& m) {
  return std::to_string(m.examinations) + " 件の検査、" + std::to_string(m.pictures) +
         " 枚の画像、" + std::to_string(m.patients) + " 人の患者、" + Megabytes(m.bytes) + " MB";
}

// Why a backup or a restore did not get through, in Japanese.
std::string Failure(const store::BackupResult& r) {
  switch (r.problem) {
    case store::BackupResult::Problem::kNone:
      return {};
    case store::BackupResult::Problem::kFailed:
      return platform::ErrorText(r.status.error) + "\n" + r.file;
    case store::BackupResult::Problem::kDamaged:
      return "バックアップの内容が目録と一致しません（" + r.file + "）。";
    case store::BackupResult::Problem::kChanging:
      return "読み取りの間にデータが変わり続けました。しばらくしてからやり直してください。";
  }
  return {};
}

}  // namespace

std::filesystem::path DriveToolsSession::Root() const { return store_.Files().Drive().Root(); }

BackupOutcome DriveToolsSession::Backup(const std::filesystem::path& folder, std::time_t now,
                                        platform::Progress& progress) {
  return BackupTo(store::BackupFileName(folder, now), now, progress);
}

BackupOutcome DriveToolsSession::BackupTo(const std::filesystem::path& archive, std::time_t now,
                                          platform::Progress& progress) {
  BackupOutcome outcome;
  store::LongOperation operation(store_);
  if (!operation) return outcome;
  const store::BackupResult r = store::WriteBackup(store_.Files(), Root(), archive, now, progress);
  progress.Hide();
  if (!r.ok()) {
    outcome.Say("バックアップを作成できませんでした。\n" + Failure(r) +
                "\n\n作りかけのファイルは残していません。");
    return outcome;
  }
  store::NoteLastBackup(store_.Files(), Root(), now);
  outcome.done = true;
  outcome.archive = archive;
  outcome.manifest = r.manifest;
  outcome.Say("バックアップが完了しました（" + Counts(r.manifest) + "）\n\n" + archive.string(),
              platform::kInformation);
  return outcome;
}

RestoreQuestion DriveToolsSession::AskRestore(const std::filesystem::path& archive,
                                              platform::Progress& progress) {
  RestoreQuestion question;
  store::LongOperation operation(store_);
  if (!operation) return question;
  if (ListOnScreen()) {
    question.Say("一覧・検索の画面を閉じてから復元してください。");
    return question;
  }
  const store::BackupResult r = store::CheckBackup(store_.Files(), archive, progress);
  progress.Hide();
  if (!r.ok()) {
    question.Say("このバックアップからは復元できません。\n" + Failure(r) +
                 "\n\nデータは変更していません。");
    return question;
  }
  question.sound = true;
  question.question = "次のバックアップから復元します。\n\n" + archive.string() +
                      "\n作成日時: " + r.manifest.taken + "\n内容: " + Counts(r.manifest) +
                      "\n\n現在のデータはすべて置き換えられます（置き換える前に自動で"
                      "バックアップを作成します）。\n復元しますか？";
  return question;
}

RestoreOutcome DriveToolsSession::Restore(const std::filesystem::path& archive,
                                          const std::filesystem::path& automaticFolder,
                                          std::time_t now, platform::Progress& progress) {
  RestoreOutcome outcome;
  store::LongOperation operation(store_);
  if (!operation) return outcome;
  const std::filesystem::path automatic = store::BackupFileName(automaticFolder, now);
  store::BackupResult saved;
  if (store::DriveHasFiles(store_.Files(), Root())) {
    (void)store_.Files().CreateDirectory(automaticFolder.string());
    saved = store::WriteBackup(store_.Files(), Root(), automatic, now, progress);
  }
  if (!saved.ok()) {
    progress.Hide();
    outcome.Say("復元の前に現在のデータをバックアップできなかったため、復元しませんでした。\n" +
                Failure(saved));
    return outcome;
  }
  store::BackupResult restored;
  const platform::Status reopened = store_.CloseReplaceReopen([&] {
    restored = store::RestoreBackup(store_.Files(), Root(), archive, progress);
    return restored.status;
  });
  progress.Hide();
  if (!restored.ok()) {
    outcome.Say("復元できませんでした。\n" + Failure(restored) + "\n\nデータは変更していません。");
    return outcome;
  }
  outcome.replaced = true;
  std::string text = "バックアップから復元しました（作成日時 " + restored.manifest.taken + "）。";
  if (saved.manifest.entries.size() > 0) {
    outcome.automaticBackup = automatic;
    text += "\n復元前のデータは次のファイルに保存しました。\n" + automatic.string();
  }
  outcome.Say(text, platform::kInformation);
  if (!reopened.ok()) outcome.SayError(reopened);
  return outcome;
}

CsvOutcome DriveToolsSession::ExportCsv(store::CsvSource source,
                                        const std::filesystem::path& target,
                                        store::CsvEncoding encoding, platform::Progress& progress) {
  CsvOutcome outcome;
  store::LongOperation operation(store_);
  if (!operation) return outcome;
  const store::CsvResult r = store::ExportCsv(store_.Files(), source, target, encoding, progress);
  progress.Hide();
  if (!r.ok()) {
    outcome.Say("CSV ファイルを書き出せませんでした。\n" + platform::ErrorText(r.status.error) +
                "\n" + r.file);
    return outcome;
  }
  outcome.done = true;
  outcome.rows = r.rows;
  outcome.Say(
      "CSV ファイルを書き出しました（" + std::to_string(r.rows) + " 行）。\n" + target.string(),
      platform::kInformation);
  return outcome;
}

CheckOutcome DriveToolsSession::Check(bool workingCopyIsLeftover, platform::Progress& progress) {
  CheckOutcome outcome;
  store::LongOperation operation(store_);
  if (!operation) return outcome;
  outcome.findings = store::CheckDrive(store_.Files(), Root(), workingCopyIsLeftover, progress);
  progress.Hide();
  for (const store::Finding& f : outcome.findings) outcome.report += store::FindingLine(f) + "\n";
  if (outcome.findings.empty()) outcome.report = "問題は見つかりませんでした。\n";
  return outcome;
}

bool DriveToolsSession::ListOnScreen() { return store_.Files().Exists(store::kWorkFile); }

std::optional<std::time_t> DriveToolsSession::LastBackup() {
  return store::LastBackupNoted(store_.Files(), Root());
}

std::string DriveToolsSession::LastBackupText() {
  const std::optional<std::time_t> last = LastBackup();
  return last ? "最終バックアップ: " + LocalTime(*last) : "バックアップ未作成";
}

std::string DriveToolsSession::Reminder(std::time_t now, int days) {
  const std::optional<std::time_t> last = LastBackup();
  if (!last && store_.RecordCount() == 0) return {};
  if (last && now - *last < static_cast<std::time_t>(days) * 24 * 60 * 60) return {};
  const std::string since = last ? "最後のバックアップ（" + LocalTime(*last) + "）から " +
                                       std::to_string(days) + " 日以上たっています。"
                                 : "このデータはまだバックアップされていません。";
  return since + "\nファイル(F) → バックアップ作成… でバックアップを作成してください。";
}

}  // namespace sessions
