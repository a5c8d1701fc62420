#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

// Qt text from the UTF-8 strings of the Qt-free layers, and back.
inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string S(const QString& text) { return text.toStdString(); }

}  // namespace platform
