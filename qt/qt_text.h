#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vantor {

// The window's behaviour speaks UTF-8, Qt QString: the views convert here
// and nowhere else.
inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQString(const QString& text) { return text.toStdString(); }

}  // namespace vantor
