#include "files/own_settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/text.h"

namespace korv {

OwnSettings OwnSettings::Parse(std::string_view text) {
  OwnSettings settings;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    std::string_view line = text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    start = lf == std::string_view::npos ? text.size() : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanksTabsView(line);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = TrimBlanksTabsView(line.substr(0, eq));
    if (key.empty()) continue;
    settings.values_.try_emplace(std::string(key), std::string(TrimBlanksTabsView(line.substr(eq + 1))));
  }
  return settings;
}

OwnSettings OwnSettings::Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return Parse(text);
}

std::string OwnSettings::Get(std::string_view key, std::string_view fallback) const {
  const auto it = values_.find(key);
  return it == values_.end() ? std::string(fallback) : it->second;
}

bool OwnSettings::GetBool(std::string_view key, bool fallback) const {
  std::string value = Get(key);
  for (char& c : value) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (value == "on" || value == "1" || value == "ja" || value == "yes" || value == "true") return true;
  if (value == "off" || value == "0" || value == "nein" || value == "no" || value == "false") return false;
  return fallback;
}

void OwnSettings::Set(std::string_view key, std::string_view value) {
  values_.insert_or_assign(std::string(TrimBlanksTabsView(key)), std::string(TrimBlanksTabsView(value)));
}

std::string OwnSettings::Text() const {
  std::string text = "# Korv DEZ: settings of the operator aids and the rig control.\n";
  for (const auto& [key, value] : values_) text += key + " = " + value + "\n";
  return text;
}

bool OwnSettings::Save(const std::filesystem::path& file) const {
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  const std::string text = Text();
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool complete = written == text.size() && ::fsync(fd) == 0;
  ::close(fd);
  std::error_code ec;
  if (!complete) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace korv
