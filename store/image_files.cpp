#include "store/image_files.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/cp932.h"
#include "platform/drive.h"
#include "store/records.h"
#include "store/text_format.h"

namespace store {
namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|";
constexpr std::string_view kFullWidthBlank = "\x81\x40";
constexpr std::string_view kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

// The ImageName field holding `typed`.
ExamRecord FieldOf(std::string_view typed) {
  ExamRecord probe;
  probe.Set(ExamField::ImageName, TrimBlanks(typed));
  return probe;
}

// Every character of the cp932 bytes may stand in a Windows file name.
bool CharactersAllowed(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (platform::IsCp932LeadByte(b)) {
      if (i + 1 >= bytes.size()) return false;
      ++i;  // a trail byte (0x5C in "ソ" too) is part of its character
      continue;
    }
    if (b < 0x20 || b == 0x7F) return false;
    if (kForbidden.find(static_cast<char>(b)) != std::string_view::npos) return false;
  }
  return true;
}

bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : kDeviceNames) {
    if (platform::EqualsIgnoringAsciiCase(base, device)) return true;
  }
  return false;
}

// The bytes the ImageName field keeps of `typed` when it is plain ASCII,
// as FieldOf would leave them (cut to the field's width, blanks trimmed);
// nullopt for any other text, whose bytes only the conversion tells.
std::optional<std::string_view> PlainFieldBytes(std::string_view typed) {
  if (!std::all_of(typed.begin(), typed.end(),
                   [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::nullopt;
  }
  const std::size_t width = kExamFields[static_cast<std::size_t>(ExamField::ImageName)].width;
  return TrimBlanks(TrimBlanks(typed).substr(0, width));
}

}  // namespace

std::string ImageFilePath(std::string_view fileName) {
  return std::string(kImageDir) + std::string(fileName);
}

std::string ImagePath(std::string_view imageName) {
  return std::string(kImageDir) + std::string(TrimBlanks(imageName)) + ".jpg";
}

std::string StoredImageName(std::string_view typed) {
  if (const std::optional<std::string_view> plain = PlainFieldBytes(typed)) {
    return std::string(*plain);
  }
  return FieldOf(typed).Get(ExamField::ImageName);
}

bool IsStorableImageName(std::string_view typed) {
  std::optional<ExamRecord> field;
  std::string_view bytes;
  if (const std::optional<std::string_view> plain = PlainFieldBytes(typed)) {
    bytes = *plain;
  } else {
    field = FieldOf(typed);
    bytes = TrimBlanks(field->Raw(ExamField::ImageName));
  }
  if (bytes.empty() || !CharactersAllowed(bytes)) return false;
  if (bytes.front() == '.' || bytes.back() == '.') return false;
  if (bytes.starts_with(kFullWidthBlank)) return false;
  // A trailing full-width blank: its two bytes end the name on a character
  // boundary (the walk above has checked the boundaries).
  if (bytes.size() >= 2 && bytes.ends_with(kFullWidthBlank) &&
      platform::Cp932CutPoint(bytes, bytes.size() - 2) == bytes.size() - 2) {
    return false;
  }
  return !IsDeviceName(bytes);
}

std::string FindImageFile(platform::FileSystem& fs, std::string_view imageName) {
  if (!IsStorableImageName(imageName)) return {};
  const std::string stored = StoredImageName(imageName);
  const std::string found = fs.Dir(ImagePath(stored));
  return platform::EqualsIgnoringAsciiCase(found, stored + ".jpg") ? found : std::string();
}

platform::Status DeleteImageFile(platform::FileSystem& fs, std::string_view imageName,
                                 bool& deleted) {
  deleted = false;
  const std::string found = FindImageFile(fs, imageName);
  if (found.empty()) return platform::Status::Ok();
  if (platform::Status s = fs.Delete(ImageFilePath(found)); !s.ok()) return s;
  deleted = true;
  return platform::Status::Ok();
}

bool InImageDirectory(platform::FileSystem& fs, std::string_view path) {
  // The names from the drive root down, ".." taken back.
  std::vector<std::string> parts;
  auto add = [&parts](std::string_view part) {
    if (part.empty() || part == ".") return;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      return;
    }
    parts.emplace_back(part);
  };
  if (platform::DataDrive::IsDrivePath(path)) {
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
      const std::size_t cut = rest.find_first_of("\\/");
      add(rest.substr(0, cut));
      rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
  } else {
    std::error_code ec;
    const std::filesystem::path host = std::filesystem::weakly_canonical(std::string(path), ec);
    if (ec) return false;
    const std::filesystem::path root = std::filesystem::weakly_canonical(fs.Drive().Root(), ec);
    if (ec) return false;
    const std::filesystem::path relative = host.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") return false;
    for (const std::filesystem::path& part : relative) add(part.string());
  }
  return parts.size() == 3 && platform::EqualsIgnoringAsciiCase(parts[0], "VLN2") &&
         platform::EqualsIgnoringAsciiCase(parts[1], "GAZOU");
}

platform::Status ExaminationsNamingImage(Store& store, std::string_view imageName,
                                         std::vector<std::int32_t>& numbers) {
  numbers.clear();
  if (!store.DataFile()) return platform::Status::Error(platform::kBadFileNameOrNumber);
  const ExamRecord target = FieldOf(StoredImageName(imageName));
  const std::string_view targetBytes = TrimBlanks(target.Raw(ExamField::ImageName));
  if (targetBytes.empty()) return platform::Status::Ok();
  const std::string targetName = target.Get(ExamField::ImageName);
  ExamRecord r;
  for (std::int32_t n = 1; n <= store.RecordCount(); ++n) {
    if (platform::Status s = store.DataFile()->Read(n, r); !s.ok()) return s;
    // Names of another length in bytes cannot be equal ignoring ASCII case.
    if (TrimBlanks(r.Raw(ExamField::ImageName)).size() != targetBytes.size()) continue;
    if (platform::EqualsIgnoringAsciiCase(r.Get(ExamField::ImageName), targetName)) {
      numbers.push_back(n);
    }
  }
  return platform::Status::Ok();
}

platform::Status DeleteUnsharedImage(Store& store, std::string_view imageName,
                                     std::int32_t exceptRecord, bool& deleted) {
  deleted = false;
  std::vector<std::int32_t> naming;
  if (platform::Status s = ExaminationsNamingImage(store, imageName, naming); !s.ok()) return s;
  for (std::int32_t n : naming) {
    if (n != exceptRecord) return platform::Status::Ok();
  }
  return DeleteImageFile(store.Files(), imageName, deleted);
}

}  // namespace store
