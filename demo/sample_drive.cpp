#include "demo/sample_drive.h"

#include <array>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/drive.h"
#include "store/records.h"
#include "store/store.h"
#include "store/text_format.h"

namespace demo {
namespace {

using namespace store;

constexpr std::array kSurnames = {"佐藤", "鈴木", "高橋", "田中", "伊藤",   "渡辺", "山本", "中村",
                                  "小林", "加藤", "吉田", "山田", "佐々木", "山口", "松本", "井上",
                                  "木村", "林",   "斎藤", "清水", "長谷川", "髙橋", "﨑山", "ｶﾜｲ"};
constexpr std::array kGivenNames = {"太郎", "花子", "一郎", "美咲", "健太", "由美", "翔",
                                    "陽子", "大輔", "恵子", "誠",   "直子", "浩二", "さくら"};
constexpr std::array kDepartments = {"総務部",         "経理部",     "営業一課",   "営業二課",
                                     "製造部",         "品質管理部", "研究開発部", "人事部",
                                     "情報システム部", "ｿｳﾑ",        "外来",       "健診センター"};
constexpr std::array kLeadSites = {"Ⅰ",  "Ⅱ",  "Ⅲ",  "aVR", "aVL",     "aVF",    "V1",    "V2",
                                   "V3", "V4", "V5", "V6",  "Ⅱ,Ⅲ,aVF", "V1～V3", "V4～V6"};
constexpr std::array kFindings = {
    "ST上昇", "ST低下",           "陰性T波",           "異常Q波", "高電位",
    "低電位", "左軸偏位",         "右軸偏位",          "平低T",   "PR短縮",
    "QT延長", "完全右脚ブロック", "不完全右脚ブロック"};
constexpr std::array kArrhythmias = {
    "洞性頻脈",       "洞性徐脈",       "洞性不整脈",      "心房細動",  "心房粗動",
    "上室性期外収縮", "心室性期外収縮", "Ⅰ度房室ブロック", "WPW症候群", "ペースメーカー調律"};
constexpr std::array kComments = {"異常なし",
                                  "要経過観察",
                                  "前回と変化なし。",
                                  "精密検査を勧める。",
                                  "自覚症状なし、運動習慣あり。",
                                  "服薬中（降圧剤）",
                                  "再検査：３か月後",
                                  ""};

template <typename Array>
const char* Pick(std::mt19937& random, const Array& values) {
  return values[random() % values.size()];
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

template <typename Array>
std::string ListFile(const Array& values, int entries) {
  std::string bytes;
  for (int i = 0; i < entries; ++i) {
    ListEntryRecord e;
    if (i < static_cast<int>(values.size())) e.Set(ListEntryField::EntryText, values[i]);
    bytes += e.Bytes();
  }
  return bytes;
}

}  // namespace

std::string ImageNameOf(int n) { return "E" + FormatNumber(n, "0000000"); }

std::vector<std::string> GenerateDrive(const std::filesystem::path& root, const DriveSize& size) {
  std::mt19937 random(size.seed);
  const platform::DataDrive drive(root);

  struct Patient {
    int id;
    std::string name;
    char sex;
    int birthYear;
    const char* department;
  };
  std::vector<Patient> patients;
  std::string master;
  master.reserve(static_cast<std::size_t>(size.patients) * kPatientRecordLength);
  int id = 0;
  for (int p = 1; p <= size.patients; ++p) {
    id += 1 + static_cast<int>(random() % 3);
    Patient patient{id, std::string(Pick(random, kSurnames)) + "　" + Pick(random, kGivenNames),
                    random() % 2 ? 'M' : 'F', 1945 + static_cast<int>(random() % 60),
                    Pick(random, kDepartments)};
    PatientRecord r;
    r.Set(PatientField::RecordNo, FormatNumber(p, "0000000000"));
    r.Set(PatientField::PatientId, FormatNumber(patient.id % 1000000, "000000"));
    r.Set(PatientField::Name, patient.name);
    r.Set(PatientField::Reading, "ｶﾝｼﾞｬ");
    r.Set(PatientField::Sex, std::string(1, patient.sex));
    r.Set(PatientField::BirthDate,
          FormatDate(patient.birthYear, 1 + static_cast<int>(random() % 12),
                     1 + static_cast<int>(random() % 28)));
    r.Set(PatientField::Department, patient.department);
    master += r.Bytes();
    patients.push_back(std::move(patient));
  }

  std::vector<std::string> images;
  std::string exams;
  exams.reserve(static_cast<std::size_t>(size.exams) * kExamRecordLength);
  for (int n = 1; n <= size.exams; ++n) {
    ExamRecord r;
    const int day = n * 3650 / std::max(size.exams, 1);
    const int year = 2006 + day / 365;
    const int month = 1 + (day % 365) / 31 % 12;
    const int dom = 1 + (day % 365) % 28;
    r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
    r.Set(ExamField::ExamDate, FormatDate(year, month, dom));
    if (!patients.empty()) {
      const Patient& patient = patients[random() % patients.size()];
      r.Set(ExamField::PatientId, FormatNumber(patient.id % 1000000, "000000"));
      r.Set(ExamField::Name, patient.name);
      r.Set(ExamField::Sex, std::string(1, patient.sex));
      r.Set(ExamField::Age, std::to_string(year - patient.birthYear));
      r.Set(ExamField::Department, patient.department);
    }
    r.Set(ExamField::HeartRate, std::to_string(48 + random() % 70));
    r.Set(ExamField::Comment, Pick(random, kComments));
    const int sites = static_cast<int>(random() % 3);
    for (int i = 0; i < sites; ++i) r.Set(LeadSiteField(i), Pick(random, kLeadSites));
    for (int i = 0; i < sites; ++i) r.Set(FindingField(i), Pick(random, kFindings));
    if (random() % 4 == 0) r.Set(ArrhythmiaField(0), Pick(random, kArrhythmias));
    images.push_back(ImageNameOf(n));
    r.Set(ExamField::ImageName, images.back());
    exams += r.Bytes();
  }

  WriteFile(drive.ToHost(kDataFile), exams);
  WriteFile(drive.ToHost(kMasterFile), master);
  WriteFile(drive.ToHost(kDepartmentFile), ListFile(kDepartments, kDepartmentEntries));
  WriteFile(drive.ToHost(kLeadSiteFile), ListFile(kLeadSites, kLeadSiteEntries));
  WriteFile(drive.ToHost(kFindingFile), ListFile(kFindings, kFindingEntries));
  WriteFile(drive.ToHost(kArrhythmiaFile), ListFile(kArrhythmias, kArrhythmiaEntries));
  std::filesystem::create_directories(drive.ToHost(kImageDir));
  std::filesystem::create_directories(drive.ToHost(kKariDir));
  return images;
}

}  // namespace demo
