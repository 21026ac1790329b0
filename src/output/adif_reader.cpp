#include "output/adif_reader.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/text.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr std::string_view kEndOfHeader = "<EOH>";
constexpr std::string_view kEndOfRecord = "<EOR>";

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

}  // namespace

AdifContents ReadAdifText(std::string_view fileBytes) {
  AdifContents contents;
  std::string pending;  // text of the record being collected
  for (std::string_view raw : SplitLines(fileBytes)) {
    std::string line = UpperCaseCp1252(raw);
    if (line.starts_with('#')) continue;
    const std::size_t eoh = line.find(kEndOfHeader);
    if (eoh != std::string::npos) {
      contents.records.clear();
      pending.clear();
      line.erase(0, eoh + kEndOfHeader.size());
    }
    if (TrimBlanksTabsView(line).empty()) continue;
    pending += line;
    std::size_t eor;
    while ((eor = pending.find(kEndOfRecord)) != std::string::npos) {
      contents.records.push_back(pending.substr(0, eor + kEndOfRecord.size()));
      pending.erase(0, eor + kEndOfRecord.size());
    }
  }
  contents.fieldNames = AdifFieldNames(contents.records);
  return contents;
}

std::vector<std::string> AdifFieldNames(const std::vector<std::string>& records) {
  std::vector<std::string> names;
  for (const std::string& record : records) {
    std::size_t open = record.find('<');
    while (open != std::string::npos) {
      const std::size_t close = record.find('>', open + 1);
      if (close == std::string::npos) break;
      const std::size_t nextOpen = record.find('<', open + 1);
      if (nextOpen < close) {  // "<" before its ">": not a tag
        open = nextOpen;
        continue;
      }
      std::string tag = record.substr(open + 1, close - open - 1);
      const std::size_t colon = tag.find(':');
      if (colon != std::string::npos) tag.erase(colon);
      if (tag != "EOR" && std::find(names.begin(), names.end(), tag) == names.end()) {
        names.push_back(tag);
      }
      open = record.find('<', close + 1);
    }
  }
  return names;
}

std::string AdifFieldValue(std::string_view record, std::string_view name) {
  if (name.empty()) return {};
  const std::string tag = "<" + std::string(name);
  std::size_t at = record.find(tag);
  // The whole name: "<CALL" must not find "<CALL_WKD:".
  while (at != std::string_view::npos) {
    const std::size_t after = at + tag.size();
    if (after < record.size() && (record[after] == ':' || record[after] == '>')) break;
    at = record.find(tag, at + 1);
  }
  if (at == std::string_view::npos) return {};
  const std::size_t close = record.find('>', at);
  if (close == std::string_view::npos) return {};
  const std::size_t next = record.find('<', close + 1);
  return TrimBlanksTabs(record.substr(close + 1, next == std::string_view::npos
                                                     ? std::string_view::npos
                                                     : next - close - 1));
}

std::string AdifMappedName(const std::vector<std::string>& rightList, std::string_view logField) {
  const std::string* last = nullptr;
  for (const std::string& entry : rightList) {
    // The entry of this log field itself, not of a longer name that begins
    // with it ("DOK2" is no entry of "DOK").
    if (!entry.starts_with(logField)) continue;
    const std::string_view rest = std::string_view(entry).substr(logField.size());
    if (rest.empty() || rest.starts_with(" (")) last = &entry;
  }
  if (last == nullptr) return std::string(logField);
  const std::size_t open = last->find('(');
  const std::size_t close = last->find(')', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return last->substr(open + 1, close - open - 1);
}

std::string AdifEntryText(std::string_view adifName, std::string_view value) {
  if (adifName == "QSO_DATE") {
    if (value.size() == 8) {
      return std::string(value.substr(6, 2)) + "." + std::string(value.substr(4, 2)) + "." +
             std::string(value.substr(0, 4));
    }
    if (value.size() == 6) {
      return std::string(value.substr(4, 2)) + "." + std::string(value.substr(2, 2)) + "." +
             std::string(value.substr(0, 2));
    }
  } else if (adifName == "TIME_ON" && (value.size() == 6 || value.size() == 4)) {
    return std::string(value.substr(0, 2)) + ":" + std::string(value.substr(2, 2));
  }
  return std::string(value);
}

bool AdifModeAccepted(const ContestRules& rules, std::string_view mode, bool noCheck) {
  if (noCheck) return true;
  bool digital = false;
  for (const std::string& m : rules.modes) {
    if (m.empty()) continue;
    if (m == mode) return true;
    if (m == "DIGITAL") digital = true;
  }
  return digital && mode != "CW" && mode != "SSB" && mode != "FM";
}

BandIndex AdifQsoBand(const ContestRules& rules, std::string_view frequency, std::string_view band,
                      bool noCheck, BandIndex current) {
  std::string freq(TrimBlanksTabsView(frequency));
  std::replace(freq.begin(), freq.end(), '.', ',');
  const DecimalResult mhz = ParseDecimal(freq);
  const BandIndex fromFrequency = mhz.ok() && !freq.empty() ? BandFromFrequency(mhz.value) : kNoBandFrequency;
  BandIndex fromText = BandFromText(band);
  const auto isSlot = [&rules](BandIndex b) {
    return IsBand(b) && std::find(rules.bandSlots.begin(), rules.bandSlots.end(), b) != rules.bandSlots.end();
  };
  for (char slot : rules.bandSlots) {
    if (IsBand(slot) && (band == BandName(slot) || band == BandName(slot, true))) fromText = slot;
  }
  if (isSlot(fromFrequency)) return fromFrequency;
  // A frequency outside the contest's bands does not outweigh the band.
  if (isSlot(fromText)) return fromText;
  if (!noCheck) return kNoBandText;
  if (IsBand(fromFrequency)) return fromFrequency;
  if (IsBand(fromText)) return fromText;
  return current;
}

bool AdifBandAccepted(const ContestRules& rules, std::string_view frequency, std::string_view band,
                      bool noCheck) {
  return noCheck || IsBand(AdifQsoBand(rules, frequency, band, false, kNoBandText));
}

std::string AdifImportMessage(int imported, int duplicates, int bandErrors, int modeErrors) {
  std::string text = std::to_string(imported) + " Datens\xE4tze importiert";
  if (duplicates > 0) text += "\r\n" + std::to_string(duplicates) + " Calls doppelt";
  if (bandErrors > 0) {
    text += "\r\n" + std::to_string(bandErrors) + " fehlende oder falsche Bandangaben";
  }
  if (modeErrors > 0) {
    text += "\r\n" + std::to_string(modeErrors) + " fehlende oder falsche Modeangaben";
  }
  return text;
}

}  // namespace korv
