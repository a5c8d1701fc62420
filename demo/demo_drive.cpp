#include "demo/demo_drive.h"

#include <unistd.h>

#include <QString>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <random>
#include <span>
#include <string_view>
#include <vector>

#include "demo/ecg_picture.h"
#include "lookups/builtin_vocabularies.h"
#include "platform/drive.h"
#include "store/records.h"
#include "store/store.h"
#include "store/text_format.h"

namespace demo {
namespace {

using namespace store;

constexpr const char* kMark = ".velunor2-demo";
constexpr const char* kScanDir = "C:\\SCAN\\";

struct Name {
  std::string_view written;
  std::string_view reading;  // half-width katakana, as readings are kept
};

constexpr std::array<Name, 30> kSurnames = {{
    {"佐藤", "ｻﾄｳ"},   {"鈴木", "ｽｽﾞｷ"}, {"高橋", "ﾀｶﾊｼ"},  {"田中", "ﾀﾅｶ"},   {"伊藤", "ｲﾄｳ"},
    {"渡辺", "ﾜﾀﾅﾍﾞ"}, {"山本", "ﾔﾏﾓﾄ"}, {"中村", "ﾅｶﾑﾗ"},  {"小林", "ｺﾊﾞﾔｼ"}, {"加藤", "ｶﾄｳ"},
    {"吉田", "ﾖｼﾀﾞ"},  {"山田", "ﾔﾏﾀﾞ"}, {"佐々木", "ｻｻｷ"}, {"山口", "ﾔﾏｸﾞﾁ"}, {"松本", "ﾏﾂﾓﾄ"},
    {"井上", "ｲﾉｳｴ"},  {"木村", "ｷﾑﾗ"},  {"林", "ﾊﾔｼ"},     {"斎藤", "ｻｲﾄｳ"},  {"清水", "ｼﾐｽﾞ"},
    {"山崎", "ﾔﾏｻﾞｷ"}, {"森", "ﾓﾘ"},     {"池田", "ｲｹﾀﾞ"},  {"橋本", "ﾊｼﾓﾄ"},  {"阿部", "ｱﾍﾞ"},
    {"石川", "ｲｼｶﾜ"},  {"前田", "ﾏｴﾀﾞ"}, {"藤田", "ﾌｼﾞﾀ"},  {"小川", "ｵｶﾞﾜ"},  {"岡田", "ｵｶﾀﾞ"},
}};
constexpr std::array<Name, 12> kMaleNames = {{
    {"太郎", "ﾀﾛｳ"},
    {"一郎", "ｲﾁﾛｳ"},
    {"健太", "ｹﾝﾀ"},
    {"翔", "ｼｮｳ"},
    {"大輔", "ﾀﾞｲｽｹ"},
    {"誠", "ﾏｺﾄ"},
    {"浩二", "ｺｳｼﾞ"},
    {"隆", "ﾀｶｼ"},
    {"直樹", "ﾅｵｷ"},
    {"修", "ｵｻﾑ"},
    {"勇気", "ﾕｳｷ"},
    {"拓也", "ﾀｸﾔ"},
}};
constexpr std::array<Name, 12> kFemaleNames = {{
    {"花子", "ﾊﾅｺ"},
    {"美咲", "ﾐｻｷ"},
    {"由美", "ﾕﾐ"},
    {"陽子", "ﾖｳｺ"},
    {"恵子", "ｹｲｺ"},
    {"直子", "ﾅｵｺ"},
    {"さくら", "ｻｸﾗ"},
    {"久美子", "ｸﾐｺ"},
    {"真由美", "ﾏﾕﾐ"},
    {"愛", "ｱｲ"},
    {"明美", "ｱｹﾐ"},
    {"優子", "ﾕｳｺ"},
}};

// Fits the patient master's 10-byte department field as well.
constexpr std::array<std::string_view, 14> kDepartments = {
    "総務部",     "人事部",     "経理部", "営業一課", "営業二課", "製造一課",   "製造二課",
    "品質管理部", "研究開発部", "物流課", "設計課",   "購買課",   "施設管理課", "健康管理室",
};

constexpr std::array<std::string_view, 8> kRemarks = {
    "高血圧で通院中",     "ペースメーカー装着", "糖尿病（内服中）", "喫煙１日２０本",
    "健診で心雑音を指摘", "脂質異常症",         "狭心症の既往",     "",
};

constexpr std::array<std::string_view, 6> kNormalComments = {
    "異常なし", "異常なし", "前回と変化なし。", "自覚症状なし。", "定期健診", "",
};
constexpr std::array<std::string_view, 7> kFindingComments = {
    "要経過観察",
    "精密検査を勧める。",
    "再検査：３か月後",
    "服薬中（降圧剤）",
    "動悸の訴えあり。ホルター心電図を予定。",
    "胸痛の訴えあり、循環器内科へ紹介。",
    "前回と比べ変化なし。経過観察。",
};

template <typename T, std::size_t N>
const T& Pick(std::mt19937& random, const std::array<T, N>& values) {
  return values[random() % N];
}
template <std::size_t N>
std::string_view PickView(std::mt19937& random, const std::array<std::string_view, N>& values) {
  return values[random() % N];
}

template <std::size_t N>
std::string ListFile(std::span<const std::string_view, N> values, int entries) {
  std::string bytes;
  for (int i = 0; i < entries; ++i) {
    ListEntryRecord e;
    if (i < static_cast<int>(values.size()))
      e.Set(ListEntryField::EntryText, values[static_cast<std::size_t>(i)]);
    bytes += e.Bytes();
  }
  return bytes;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string DateText(const QDate& d) { return FormatDate(d.year(), d.month(), d.day()); }

struct Patient {
  std::string id;
  std::string name;
  std::string sex;
  QDate birth;
  std::string department;
  int exams = 0;
};

}  // namespace

std::filesystem::path DemoDriveRoot() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    base = "/tmp";
  }
  return base / "velunor2" / "demo";
}

std::string WriteDemoDrive(const std::filesystem::path& root, const QDate& today,
                           const DemoContents& contents,
                           const std::function<void(int, int)>& progress) {
  std::mt19937 random(contents.seed);
  const platform::DataDrive drive(root);

  std::vector<Patient> patients;
  std::string master;
  int id = 1000;
  for (int p = 1; p <= contents.patients; ++p) {
    id += 1 + static_cast<int>(random() % 37);
    const bool male = random() % 2 == 0;
    const Name& surname = Pick(random, kSurnames);
    const Name& given = male ? Pick(random, kMaleNames) : Pick(random, kFemaleNames);
    Patient patient;
    patient.id = FormatNumber(id, "000000");
    patient.name = std::string(surname.written) + "　" + std::string(given.written);
    patient.sex = male ? "M" : "F";
    patient.birth = today.addYears(-(20 + static_cast<int>(random() % 56)))
                        .addDays(-static_cast<int>(random() % 365));
    patient.department = std::string(PickView(random, kDepartments));
    PatientRecord r;
    r.Set(PatientField::RecordNo, FormatNumber(p, "0000000000"));
    r.Set(PatientField::PatientId, patient.id);
    r.Set(PatientField::Name, patient.name);
    r.Set(PatientField::Reading, std::string(surname.reading) + " " + std::string(given.reading));
    r.Set(PatientField::Sex, patient.sex);
    r.Set(PatientField::BirthDate, DateText(patient.birth));
    r.Set(PatientField::Department, patient.department);
    if (random() % 4 == 0) r.Set(PatientField::Remarks, PickView(random, kRemarks));
    master += r.Bytes();
    patients.push_back(std::move(patient));
  }

  // Weekdays over the years up to today, in order.
  const QDate first = today.addYears(-contents.years).addDays(1);
  const auto span = static_cast<std::uint32_t>(first.daysTo(today) + 1);
  std::vector<QDate> dates;
  while (static_cast<int>(dates.size()) < contents.exams) {
    const QDate d = first.addDays(random() % span);
    if (d.dayOfWeek() <= 5) dates.push_back(d);
  }
  std::sort(dates.begin(), dates.end());

  struct Picture {
    std::string imageName;
    int heartRate;
  };
  std::vector<Picture> pictures;
  std::string exams;
  for (int n = 1; n <= contents.exams; ++n) {
    const QDate date = dates[static_cast<std::size_t>(n - 1)];
    Patient& patient = patients[random() % patients.size()];
    ExamRecord r;
    r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
    r.Set(ExamField::ExamDate, DateText(date));
    r.Set(ExamField::PatientId, patient.id);
    r.Set(ExamField::Name, patient.name);
    r.Set(ExamField::Sex, patient.sex);
    r.Set(ExamField::Age, std::to_string(date.year() - patient.birth.year()));
    r.Set(ExamField::Department, patient.department);

    const bool abnormal = random() % 10 < 3;
    int heartRate = 58 + static_cast<int>(random() % 32);
    if (abnormal && random() % 3 == 0)
      heartRate = random() % 2 ? 102 + static_cast<int>(random() % 16)
                               : 46 + static_cast<int>(random() % 8);
    r.Set(ExamField::HeartRate, std::to_string(heartRate));
    int finding = 0;
    if (heartRate >= 100) r.Set(FindingField(finding++), "洞頻脈");
    if (heartRate <= 54) r.Set(FindingField(finding++), "洞徐脈");
    if (abnormal) {
      const int pairs = 1 + static_cast<int>(random() % 2);
      for (int i = 0; i < pairs && finding < 5; ++i, ++finding) {
        r.Set(LeadSiteField(finding), Pick(random, lookups::kBuiltinLeadSites));
        r.Set(FindingField(finding), Pick(random, lookups::kBuiltinFindings));
      }
      if (random() % 2 == 0) r.Set(ArrhythmiaField(0), Pick(random, lookups::kBuiltinArrhythmias));
      r.Set(ExamField::Comment, PickView(random, kFindingComments));
    } else {
      r.Set(ExamField::Comment, PickView(random, kNormalComments));
    }
    const std::string imageName = patient.id + "-" + FormatNumber(++patient.exams, "00");
    r.Set(ExamField::ImageName, imageName);
    exams += r.Bytes();
    pictures.push_back({imageName, heartRate});
  }

  const std::filesystem::path imageDir = drive.ToHost(kImageDir);
  std::error_code ec;
  std::filesystem::create_directories(imageDir, ec);
  std::filesystem::create_directories(drive.ToHost(kKariDir), ec);
  if (ec) return "cannot create " + imageDir.string() + ": " + ec.message();

  const std::pair<const char*, std::string> files[] = {
      {kDataFile, exams},
      {kMasterFile, master},
      {kDepartmentFile, ListFile(std::span(kDepartments), kDepartmentEntries)},
      {kLeadSiteFile, ListFile(std::span(lookups::kBuiltinLeadSites), kLeadSiteEntries)},
      {kFindingFile, ListFile(std::span(lookups::kBuiltinFindings), kFindingEntries)},
      {kArrhythmiaFile, ListFile(std::span(lookups::kBuiltinArrhythmias), kArrhythmiaEntries)},
  };
  for (const auto& [path, bytes] : files) {
    if (!WriteFile(drive.ToHost(path), bytes)) return "cannot write " + drive.ToHost(path).string();
  }

  const int total = static_cast<int>(pictures.size());
  for (int i = 0; i < total; ++i) {
    const Picture& p = pictures[static_cast<std::size_t>(i)];
    const QString name = QString::fromStdString(p.imageName);
    const QString path = QString::fromStdString((imageDir / (p.imageName + ".jpg")).string());
    if (!WriteEcgJpeg(path, contents.seed + static_cast<std::uint32_t>(i), name, p.heartRate)) {
      return "cannot write " + path.toStdString();
    }
    if (progress) progress(i + 1, total);
  }
  // New recordings waiting to be registered, for trying the image-load dialog.
  const std::filesystem::path scans = drive.ToHost(kScanDir);
  std::filesystem::create_directories(scans, ec);
  for (int k = 1; k <= 3; ++k) {
    const QString name = QStringLiteral("scan%1").arg(k, 2, 10, QLatin1Char('0'));
    const QString path =
        QString::fromStdString(scans.string()) + QLatin1Char('/') + name + QStringLiteral(".jpg");
    if (!WriteEcgJpeg(path, contents.seed + 1000 + static_cast<std::uint32_t>(k), name)) {
      return "cannot write " + path.toStdString();
    }
  }
  return {};
}

std::string PrepareDemoDrive(const std::filesystem::path& root, const QDate& today,
                             const std::function<void(int, int)>& progress,
                             const DemoContents& contents) {
  std::error_code ec;
  if (std::filesystem::exists(root / kMark, ec)) return {};
  std::filesystem::path fresh = root;
  fresh += ".new-" + std::to_string(::getpid());
  std::filesystem::remove_all(fresh, ec);
  std::filesystem::create_directories(fresh, ec);
  if (ec) return "cannot create " + fresh.string() + ": " + ec.message();
  if (std::string failure = WriteDemoDrive(fresh, today, contents, progress); !failure.empty()) {
    std::filesystem::remove_all(fresh, ec);
    return failure;
  }
  if (!WriteFile(fresh / kMark, "Velunor2.0 demonstration drive\n")) {
    std::filesystem::remove_all(fresh, ec);
    return "cannot write " + (fresh / kMark).string();
  }
  // An unfinished drive from an interrupted start goes; a finished one that
  // another start made meanwhile stays.
  if (!std::filesystem::exists(root / kMark, ec)) {
    std::filesystem::remove_all(root, ec);
    std::filesystem::rename(fresh, root, ec);
    if (ec && !std::filesystem::exists(root / kMark)) {
      const std::string failure = "cannot create " + root.string() + ": " + ec.message();
      std::filesystem::remove_all(fresh, ec);
      return failure;
    }
  }
  std::filesystem::remove_all(fresh, ec);
  return {};
}

}  // namespace demo
