// The settings of this program's own features (operator aids, rig control),
// kept in a small text file of ours in the data folder, "korv-dez.conf",
// never in the record files the other programs of the suite share.
//
// Format (UTF-8, LF or CR LF): one "key = value" a line; blanks around key
// and value are dropped; "#" starts a comment line; a line without "=" and a
// repeated key are ignored (the first stands). Keys are ASCII words with
// dots ("callhistory.file"); values run to the end of the line.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace korv {

inline constexpr const char* kOwnSettingsFileName = "korv-dez.conf";

class OwnSettings {
 public:
  // Reads the file; a missing or unreadable file gives empty settings.
  static OwnSettings Load(const std::filesystem::path& file);
  static OwnSettings Parse(std::string_view text);

  // The value of `key`, else `fallback`.
  std::string Get(std::string_view key, std::string_view fallback = {}) const;
  // "on"/"off" (also "1"/"0", "ja"/"nein", "yes"/"no", "true"/"false"),
  // else `fallback`.
  bool GetBool(std::string_view key, bool fallback) const;
  void Set(std::string_view key, std::string_view value);
  void SetBool(std::string_view key, bool value) { Set(key, value ? "on" : "off"); }

  // The text Save writes: a comment header, then the keys in order.
  std::string Text() const;
  // Writes the file through a temporary file and a rename, so that a crash
  // leaves the old or the new settings, never half of them. False when the
  // file cannot be written.
  bool Save(const std::filesystem::path& file) const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace korv
