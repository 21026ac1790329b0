#include "shell/contest_directory.h"

#include <algorithm>

#include "common/coding.h"
#include "common/dates.h"
#include "common/text.h"
#include "storage/errors.h"
#include "storage/key.h"

namespace korv {
namespace {

constexpr std::size_t kNameColumnWidth = 26;
constexpr std::size_t kDateColumnMax = 20;
constexpr std::size_t kDateColumnGap = 3;
constexpr std::size_t kHeaderTrailingBlanks = 200;
constexpr std::size_t kHeaderLineMax = 255;

std::string Cut(std::string text, std::size_t width) {
  if (text.size() > width) text.resize(width);
  return text;
}

// Blanks at the end up to `width`; a longer text stays as it is.
std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string DateColumn(DayNumber day, std::string_view picture) {
  if (day <= 0) return Cut(std::string(picture.size() + kDateColumnGap, ' '), kDateColumnMax);
  return Cut(DateToText(day, picture) + std::string(kDateColumnGap, ' '), kDateColumnMax);
}

std::string JoinColumns(int sortOrder, const std::string& name, const std::string& start,
                        const std::string& end) {
  if (sortOrder == kContestSortByDate) return start + ";" + name + ";" + end;
  return name + ";" + start + ";" + end;
}

}  // namespace

std::string ContestListRow(const ContestHeader& header, int sortOrder,
                           std::string_view datePicture) {
  // A ";" would end the name's column: shown as ",".
  std::string name = Cut(header.name() + " ", kNameColumnWidth);
  std::replace(name.begin(), name.end(), ';', ',');
  std::string row(1, ' ');
  row += JoinColumns(sortOrder, name, DateColumn(header.startDate(), datePicture),
                     DateColumn(header.endDate(), datePicture));
  return row;
}

std::string ContestListHeaderLine(int sortOrder, std::string_view datePicture, bool uiGerman) {
  const std::size_t dateWidth = datePicture.size() + kDateColumnGap;
  const std::string name = PadText(" Name", kNameColumnWidth);
  const std::string start = PadRight(PickText(uiGerman, "Datum (von)", "Date (from)"), dateWidth);
  const std::string end = PadRight(PickText(uiGerman, "Datum (bis)", " Date (to) "), dateWidth);
  std::string line(1, ' ');
  line += JoinColumns(sortOrder, name, start, end);
  line.append(kHeaderTrailingBlanks, ' ');
  return Cut(std::move(line), kHeaderLineMax);
}

std::string SortCaption(int sortOrder, bool uiGerman) {
  if (sortOrder == kContestSortByDate) return PickText(uiGerman, "Datum", "Date");
  return "Name";
}

int SortOrderIndex(int sortOrder) { return sortOrder + 1; }

ContestListKeyBounds ContestListBounds(ContestCode activeCode) {
  const std::string code(1, activeCode);
  return {code, code};
}

Status EnsureTotalsRecord(FileBlock& totals, std::int32_t contestNumber) {
  KeyString key;
  key.AppendLong(contestNumber);
  const Status found = totals.FindExact(1, key);
  if (found.ok()) return found;
  if (found.code != err::kKeyNotFound) return found;
  totals.ClearRecordBuffer();
  PutI32(totals.Record(), kTotalsNumberOffset, contestNumber);
  return totals.InsertRecord();
}

bool DeleteContestLog(FileCatalogue& catalogue, FileBlock& directory, FileBlock& totals) {
  const auto header = ContestHeader::Over(directory.Record());
  if (!header) return false;
  const std::int32_t number = header->contestNumber();

  FileBlock* qsoFile = catalogue.OpenQsoFile(number);
  if (qsoFile == nullptr) return false;
  // Failures are reported by the storage layer; the log is removed anyway.
  (void)qsoFile->DeleteFileBlockFiles();
  catalogue.ReleaseQsoFile(number);

  KeyString key;
  key.AppendLong(number);
  if (totals.FindExact(1, key).ok()) {
    (void)totals.RemoveRecord(RemoveMode::kNext);
  }
  return directory.RemoveRecord(RemoveMode::kNext).ok();
}

}  // namespace korv
