// The message after a PDF is saved, and the two buttons that open its folder
// or the file itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/printer.h"
#include "tests/support/fake_ui.h"

namespace {

using testing_support::FakeUi;

TEST(PdfMessage, OffersToOpenTheFolderOrTheFile) {
  struct Case {
    const char* pressed;
    int answer;
    std::vector<std::string> opened;
  };
  const Case cases[] = {
      {"OK", platform::kAnswerOk, {}},
      {"フォルダーを開く", FakeUi::kButton + 0, {"/home/u/ドキュメント"}},
      {"PDFを開く", FakeUi::kButton + 1, {"/home/u/ドキュメント/Velunor2.0-1.pdf"}},
  };
  platform::JobResult result;
  result.outputFile = "/home/u/ドキュメント/Velunor2.0-1.pdf";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pressed);
    FakeUi ui;
    ui.Expect(
        "PDFファイルに保存しました。\nフォルダ: /home/u/ドキュメント\nファイル: Velunor2.0-1.pdf",
        c.answer);
    platform::ShowPdfFile(ui, result);
    EXPECT_TRUE(ui.Unexpected().empty());
    ASSERT_EQ(ui.extraButtons.size(), 1U);
    EXPECT_EQ(ui.extraButtons[0], (std::vector<std::string>{"フォルダーを開く", "PDFを開く"}));
    EXPECT_EQ(ui.opened, c.opened);
  }
}

}  // namespace
