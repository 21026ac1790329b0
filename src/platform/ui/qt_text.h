// Texts cross between the core (Windows-1252 bytes) and Qt (QString) here only.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korv {

QString ToQString(std::string_view cp1252);
// Characters Windows-1252 cannot hold become "?".
std::string FromQString(const QString& text);

}  // namespace korv
