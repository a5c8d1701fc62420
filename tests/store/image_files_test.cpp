#include "store/image_files.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "store/store.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"

namespace {

using namespace store;
using testing_support::Exam;
using testing_support::MemoryFileSystem;

TEST(ImageName, PathAndStoredForm) {
  EXPECT_EQ(ImagePath("000045"), "C:\\VLN2\\GAZOU\\000045.jpg");
  EXPECT_EQ(ImagePath("  ab "), "C:\\VLN2\\GAZOU\\ab.jpg");
  EXPECT_EQ(StoredImageName(" ab "), "ab");
  EXPECT_EQ(StoredImageName("ABCDEFGHIJKL"), "ABCDEFGHIJ");
  // Six double-byte characters are twelve bytes: five fit the field.
  EXPECT_EQ(StoredImageName("あいうえおか"), "あいうえお");
  EXPECT_EQ(StoredImageName("ｱｲｳｴｵｶｷｸｹｺｻ"), "ｱｲｳｴｵｶｷｸｹｺ");
  EXPECT_EQ(StoredImageName("é"), "?");
}

TEST(ImageName, StorableNames) {
  for (const char* name : {"000045", "ab-c_d", "a.b", "ソ", "表示", "ｿ", "x~y", "CONX", "COM0",
                           "LPT10", "CONSOLE", "nul1", "ab c",
                           "ab\xE3\x80\x80"
                           "c"}) {
    EXPECT_TRUE(IsStorableImageName(name)) << name;
  }
}

TEST(ImageName, NamesAWindowsFileCannotHave) {
  for (const char* name : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
    EXPECT_FALSE(IsStorableImageName(name)) << name;
  }
  for (const char* name : {"", "   ", ".", "..", ".abc", "abc.", "a\tb",
                           "a\x7F"
                           "b",
                           "\xE3\x80\x80"
                           "ab",
                           "ab\xE3\x80\x80"}) {
    EXPECT_FALSE(IsStorableImageName(name)) << name;
  }
  for (const char* name : {"CON", "con", "Prn", "AUX", "NUL", "COM1", "com9", "LPT1", "lpt9",
                           "CON.x", "nul.jpg", "COM1.a.b", "AUX ", "CON .x"}) {
    EXPECT_FALSE(IsStorableImageName(name)) << name;
  }
}

// The name is judged as the 10-byte field will hold it.
TEST(ImageName, JudgedAsStored) {
  EXPECT_FALSE(IsStorableImageName("😀"));              // cp932 has no emoji: "?"
  EXPECT_FALSE(IsStorableImageName("café"));           // "caf?"
  EXPECT_FALSE(IsStorableImageName("¥100"));           // the yen sign is byte 0x5C
  EXPECT_FALSE(IsStorableImageName("ABCDEFGHI.jpg"));  // cut to "ABCDEFGHI."
  EXPECT_FALSE(IsStorableImageName("CON.abcdefghij"));
  EXPECT_TRUE(IsStorableImageName("abcdefghij?"));  // the "?" is cut off
  EXPECT_EQ(platform::ToCp932("ソ"), "\x83\x5C");   // a 0x5C trail byte is no backslash
}

class ImageFilesTest : public ::testing::Test {
 protected:
  void WriteExams(const std::vector<ExamRecord>& records) {
    fs.WriteBytes(kDataFile, testing_support::FileBytes(records));
    ASSERT_TRUE(s.StartUp().ok());
  }

  MemoryFileSystem fs;
  Store s{fs};
};

TEST_F(ImageFilesTest, FindIgnoresCaseAndAnswersTheStoredName) {
  fs.WriteBytes("C:\\VLN2\\GAZOU\\Abc.JPG", "x");
  EXPECT_EQ(FindImageFile(fs, "ABC"), "Abc.JPG");
  EXPECT_EQ(FindImageFile(fs, "abc"), "Abc.JPG");
  EXPECT_EQ(FindImageFile(fs, " abc "), "Abc.JPG");
  EXPECT_EQ(FindImageFile(fs, "abd"), "");
  // A name that cannot be stored finds nothing, even where a file would match.
  fs.WriteBytes("C:\\VLN2\\GAZOU\\CON.jpg", "x");
  EXPECT_EQ(FindImageFile(fs, "CON"), "");
  fs.WriteBytes("C:\\VLN2\\secret.jpg", "x");
  EXPECT_EQ(FindImageFile(fs, "..\\secret"), "");
}

TEST_F(ImageFilesTest, DeleteRemovesOnlyTheNamedFile) {
  fs.WriteBytes("C:\\VLN2\\GAZOU\\Abc.JPG", "x");
  fs.WriteBytes("C:\\VLN2\\GAZOU\\abcd.jpg", "y");
  bool deleted = false;
  ASSERT_TRUE(DeleteImageFile(fs, "ABC", deleted).ok());
  EXPECT_TRUE(deleted);
  EXPECT_EQ(fs.AllFiles(), std::vector<std::string>{"C:\\VLN2\\GAZOU\\abcd.jpg"});
  ASSERT_TRUE(DeleteImageFile(fs, "ABC", deleted).ok());
  EXPECT_FALSE(deleted);
}

TEST_F(ImageFilesTest, InsideTheImageDirectory) {
  EXPECT_TRUE(InImageDirectory(fs, "C:\\VLN2\\GAZOU\\a.jpg"));
  EXPECT_TRUE(InImageDirectory(fs, "c:/vln2/gazou/a.jpg"));
  EXPECT_FALSE(InImageDirectory(fs, "C:\\VLN2\\a.jpg"));
  EXPECT_FALSE(InImageDirectory(fs, "C:\\VLN2\\GAZOU\\sub\\a.jpg"));
  EXPECT_FALSE(InImageDirectory(fs, "C:\\VLN2\\GAZOU\\..\\a.jpg"));
  EXPECT_FALSE(InImageDirectory(fs, "/tmp/a.jpg"));
}

TEST_F(ImageFilesTest, ExaminationsNamingAnImageIgnoreCase) {
  WriteExams({Exam(1).With(ExamField::ImageName, "abc"), Exam(2).With(ExamField::ImageName, "X"),
              Exam(3).With(ExamField::ImageName, "ABC"), Exam(4).With(ExamField::ImageName, "abcd"),
              Exam(5).With(ExamField::ImageName, "")});
  std::vector<std::int32_t> naming;
  ASSERT_TRUE(ExaminationsNamingImage(s, "Abc", naming).ok());
  EXPECT_EQ(naming, (std::vector<std::int32_t>{1, 3}));
  ASSERT_TRUE(ExaminationsNamingImage(s, "nobody", naming).ok());
  EXPECT_TRUE(naming.empty());
  ASSERT_TRUE(ExaminationsNamingImage(s, "", naming).ok());
  EXPECT_TRUE(naming.empty());
  // The name as the field would hold it.
  ASSERT_TRUE(ExaminationsNamingImage(s, "abcdXXXXXXXX", naming).ok());
  EXPECT_TRUE(naming.empty());
  ASSERT_TRUE(ExaminationsNamingImage(s, "  x ", naming).ok());
  EXPECT_EQ(naming, std::vector<std::int32_t>{2});
}

TEST_F(ImageFilesTest, APictureAnotherExaminationNamesIsKept) {
  WriteExams({Exam(1).With(ExamField::ImageName, "shared"),
              Exam(2).With(ExamField::ImageName, "SHARED"),
              Exam(3).With(ExamField::ImageName, "own")});
  fs.WriteBytes("C:\\VLN2\\GAZOU\\shared.jpg", "s");
  fs.WriteBytes("C:\\VLN2\\GAZOU\\own.jpg", "o");
  bool deleted = true;
  ASSERT_TRUE(DeleteUnsharedImage(s, "shared", 1, deleted).ok());
  EXPECT_FALSE(deleted);
  EXPECT_EQ(fs.ReadBytes("C:\\VLN2\\GAZOU\\shared.jpg"), "s");
  ASSERT_TRUE(DeleteUnsharedImage(s, "own", 3, deleted).ok());
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(fs.Exists("C:\\VLN2\\GAZOU\\own.jpg"));
  // Named by nobody (the record already gone): deleted.
  ASSERT_TRUE(DeleteUnsharedImage(s, "gone", 0, deleted).ok());
  EXPECT_FALSE(deleted);
}

}  // namespace
