// The vocabularies: a list file read whole and saved whole, and what the
// user is told when it cannot be read or written.
#include "sessions/vocabulary_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace {

using namespace store;

std::vector<std::string> Texts(const sessions::Outcome& outcome) {
  std::vector<std::string> texts;
  for (const sessions::Message& m : outcome.messages) texts.push_back(m.text);
  return texts;
}

std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> entries;
  for (int i = 1; i <= count; ++i) entries.push_back(stem + std::to_string(i));
  return entries;
}

class VocabularySessionTest : public ::testing::Test {
 protected:
  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  Store store{files};
  sessions::VocabularySession session{store};
};

TEST_F(VocabularySessionTest, AListIsSavedAndLoadedWhole) {
  ASSERT_TRUE(store.StartUp().ok());
  const sessions::VocabularyLoad fresh = session.Load(LookupList::LeadSite);
  EXPECT_TRUE(fresh.Silent());
  EXPECT_EQ(fresh.entries, std::vector<std::string>(kLeadSiteEntries));

  const std::vector<std::string> entries = Numbered("誘導", kLeadSiteEntries);
  const sessions::Outcome saved = session.Save(LookupList::LeadSite, "誘導部位登録", entries);
  EXPECT_EQ(Texts(saved), std::vector<std::string>{"登録終了。"});
  EXPECT_EQ(saved.messages[0].style, platform::kOkOnly);
  EXPECT_EQ(session.Load(LookupList::LeadSite).entries, entries);
}

// A save cut short leaves the old list and says why, whatever the failure.
TEST_F(VocabularySessionTest, AFailedSaveKeepsTheOldListAndSaysWhy) {
  ASSERT_TRUE(store.StartUp().ok());
  const std::vector<std::string> old = Numbered("旧", kArrhythmiaEntries);
  ASSERT_TRUE(session.Save(LookupList::Arrhythmia, "不整脈登録", old).messages.size() == 1);
  const struct {
    int error;
    const char* reason;
  } cases[] = {
      {platform::kDiskFull, "ディスクの空き容量が足りません。"},
      {platform::kDeviceIoError, "ディスクの読み書きでエラーが起きました。"},
      {platform::kPermissionDenied, "ファイルに書き込む権限がないか、読み取り専用です。"},
  };
  for (const auto& c : cases) {
    files.FailNthWrite(3, c.error);
    const sessions::Outcome failed =
        session.Save(LookupList::Arrhythmia, "不整脈登録", Numbered("新", kArrhythmiaEntries));
    files.Heal();
    EXPECT_EQ(Texts(failed), std::vector<std::string>{"不整脈登録の一覧は保存されませんでした。\n" +
                                                      std::string(c.reason) + "（エラー番号 " +
                                                      std::to_string(c.error) +
                                                      "）\nファイルは登録前の内容のままです。"});
    EXPECT_EQ(failed.messages[0].style, platform::kExclamation);
    EXPECT_EQ(session.Load(LookupList::Arrhythmia).entries, old);
  }
}

// A list file that cannot be opened (a folder in its place) is named when
// it is loaded, and is not replaced; a read-only run names nothing.
TEST_F(VocabularySessionTest, AnUnusableListFileIsNamedAndKept) {
  ASSERT_TRUE(memory.CreateDirectory(kFindingFile).ok());
  EXPECT_FALSE(store.StartUp().ok());
  const sessions::VocabularyLoad load = session.Load(LookupList::Finding);
  EXPECT_EQ(Texts(load), std::vector<std::string>{
                             "「C:\\VLN2\\IJYOU.DATA」を読み込めないため、空の一覧を表示します。"});
  EXPECT_EQ(load.entries, std::vector<std::string>(kFindingEntries));
  EXPECT_EQ(
      Texts(session.Save(LookupList::Finding, "異常所見登録", Numbered("所見", kFindingEntries))),
      std::vector<std::string>{
          "異常所見登録の一覧は保存されませんでした。\nファイルに書き込めませんでした。"
          "（エラー番号 75）\nファイルは登録前の内容のままです。"});
  EXPECT_TRUE(memory.IsDirectory(kFindingFile));

  testing_support::MemoryFileSystem readOnly;
  Store quiet(readOnly);
  quiet.SetReadOnlySession(true);
  (void)quiet.StartUp();
  sessions::VocabularySession unwritten(quiet);
  EXPECT_TRUE(unwritten.Load(LookupList::Department).Silent());
}

}  // namespace
