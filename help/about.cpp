#include "help/about.h"

#include <system_error>

#include "platform/component.h"
#include "sortlib/zuvasortmem.h"

namespace help {

namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

SortComponentPlace FindSortComponent() {
  SortComponentPlace place;
  if (const auto entry = platform::LookUpComponent(zuvasort::kZuvaSortMemClassId)) {
    place.registered = entry->library;
    if (IsFile(place.registered)) {
      place.kind = SortComponentPlace::kRegistered;
      place.library = place.registered;
      return place;
    }
  }
  for (const std::filesystem::path& folder : platform::ComponentFallbackDirectories()) {
    const std::filesystem::path library = folder / zuvasort::kLibraryFileName;
    if (IsFile(library)) {
      place.kind = SortComponentPlace::kBesideProgram;
      place.library = library;
      return place;
    }
  }
  return place;
}

std::string ProgramVersion() { return VELUNOR_VERSION; }

std::string AboutText(const std::filesystem::path& driveRoot, const SortComponentPlace& sort) {
  std::string text = "Velunor2.0  バージョン " + ProgramVersion() + "\n\n";
  text += "データドライブ（C:）: " + driveRoot.string() + "\n\n";
  text += "並べ替え部品 " + std::string(zuvasort::kProgId) + ":\n";
  // The component is built and installed with the program: the one beside
  // it has the program's version; another registered copy has its own.
  bool bundled = false;
  for (const std::filesystem::path& folder : platform::ComponentFallbackDirectories()) {
    bundled = bundled || SameFile(sort.library, folder / zuvasort::kLibraryFileName);
  }
  switch (sort.kind) {
    case SortComponentPlace::kRegistered:
      text += "  " + sort.library.string() + "（登録されている部品）\n";
      break;
    case SortComponentPlace::kBesideProgram:
      text += "  " + sort.library.string() + "（プログラムに同梱、登録なしで使用）\n";
      if (!sort.registered.empty()) {
        text += "  登録先 " + sort.registered.string() + " はありません。\n";
      }
      break;
    case SortComponentPlace::kMissing:
      text += "  登録されておらず、プログラムのそばにもありません。\n";
      break;
  }
  if (sort.kind != SortComponentPlace::kMissing) {
    text += bundled ? "  バージョン " + ProgramVersion() + "（プログラムと同じ）\n"
                    : std::string("  バージョン: 不明（プログラムとは別の部品）\n");
  }
  text += "\nライセンス: 同梱の copyright ファイルを参照してください。\n";
  return text;
}

}  // namespace help
