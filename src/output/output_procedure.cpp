#include "output/output_procedure.h"

#include "common/cp1252.h"
#include "output/adif_export.h"
#include "output/cover_sheet.h"
#include "output/cabrillo3_file.h"
#include "output/cabrillo_file.h"
#include "output/csv_file.h"
#include "output/elog_lists.h"
#include "output/paper_log.h"
#include "output/stf_file.h"

namespace korv {
namespace {

struct FileOutputInfo {
  OutputKind kind;
  const char* outputName;     // in the notice before the dialog
  const char* filterCaption;  // the dialog adds " (<pattern>)"
  const char* pattern;
  const char* extension;
  bool announceResult;  // "Datei ... wurde erstellt."
  bool showFile;        // opened in the text display window
};

constexpr FileOutputInfo kFileOutputs[] = {
    {OutputKind::kElogCoverSheet, "E-Log - Deckblattdatei", "E-Log Deckblatt", "*.SUM", ".SUM", false, true},
    {OutputKind::kElogQsoList, "E-Log - Listendatei", "E-Log Liste", "*.ALL", ".ALL", true, true},
    {OutputKind::kStf, "STF - Listendatei", "STF-Liste", "*.STF", ".STF", true, true},
    {OutputKind::kAdif, "ADIF - Listendatei", "ADIF-Liste", "*.ADI", ".ADI", true, false},
    {OutputKind::kCabrillo, "Cabrillo - Datei", "Cabrillo-Datei", "*.CAB", ".CAB", true, false},
    {OutputKind::kElogBandList, "E-Log - Bandlistendatei", "E-Log Bandliste", "*.BND", ".BND", true, true},
    {OutputKind::kElogComplete, "E-Log - Gesamtdatei", "E-Log Gesamtdatei", "*.TXT", ".TXT", true, false},
    {OutputKind::kCsv, "CSV - Listendatei", "CSV-Liste", "*.CSV", ".CSV", true, false},
    {OutputKind::kElogMultiplierList, "E-Log - Multi-Checkliste", "E-Log Multicheckliste", "*.txt",
     "-multi.txt", true, false},
    {OutputKind::kEdi, "EDI - Datei", "EDI-Datei", "*.EDI", ".EDI", true, false},
    // ".LOG": the robots ask for "<call>.log".
    {OutputKind::kCabrillo3, "Cabrillo 3.0 - Datei", "Cabrillo 3.0", "*.LOG", ".LOG", true, false},
};

const FileOutputInfo* InfoOf(OutputKind kind) {
  for (const FileOutputInfo& info : kFileOutputs) {
    if (info.kind == kind) return &info;
  }
  return nullptr;
}

// Every file output and every printout has its writer.
bool HasWriter(OutputKind kind) { return InfoOf(kind) != nullptr || IsPaperOutput(kind); }

std::string BaseName(const OutputContext& ctx) {
  std::string base = OwnCallOrSwl(ctx);
  for (char& c : base) {
    if (c == '/') c = '_';
  }
  return base;
}

std::string ShortNamePart(const OutputContext& ctx) {
  const int type = ctx.header.participationType();
  if (type < 1 || type > 20) return {};
  std::string part;
  for (char c : ctx.rules.participationTypes[type].shortName) {
    if (c == ':') continue;
    if (c == '.') c = '-';
    if (c == '/' || c == '\\' || c == ',') c = '_';
    part += c;
  }
  return part;
}

std::string MessageName(const std::filesystem::path& path) { return Utf8ToCp1252(path.string()); }

OutputResult Write(OutputKind kind, const OutputContext& ctx, FileBlock& qsoFile, Platform& platform,
                   ContestCode code, const EdiStationData& edi) {
  switch (kind) {
    case OutputKind::kElogCoverSheet:
      return {Status{}, CoverSheetFile(ctx)};
    case OutputKind::kElogQsoList:
      return ElogQsoList(ctx, qsoFile);
    case OutputKind::kStf:
      return StfFile(ctx, qsoFile);
    case OutputKind::kAdif: {
      const bool rstOnly =
          code == 'A' || platform.AskYesNo("Von der Kontrollnummer nur RS(T) exportieren?");
      return AdifExport(ctx, qsoFile, rstOnly);
    }
    case OutputKind::kElogBandList:
      return ElogBandList(ctx, qsoFile);
    case OutputKind::kElogComplete:
      return ElogCompleteFile(ctx, qsoFile);
    case OutputKind::kCsv:
      return CsvFile(ctx, qsoFile);
    case OutputKind::kElogMultiplierList:
      return ElogMultiplierCheckList(ctx, qsoFile);
    case OutputKind::kCabrillo:
      return CabrilloFile(ctx, qsoFile);
    case OutputKind::kCabrillo3:
      return Cabrillo3File(ctx, qsoFile);
    case OutputKind::kEdi:
      return EdiFile(ctx, edi, qsoFile);
    default:
      return OutputResult::Failed(Status{});
  }
}

}  // namespace

std::vector<OutputMenuEntry> OutputMenuEntries(const ContestRules& rules) {
  const auto flag = [&rules](int n) { return n == 0 || rules.outputFlags.test(static_cast<std::size_t>(n)); };
  struct Row {
    const char* caption;
    const char* plainCaption;  // when not offered; null: the same
    OutputKind kind;
    int flag;  // 0: always
  };
  static constexpr Row kRows[] = {
      {"STF-Datei (empfohlen)", "STF-Datei", OutputKind::kStf, 3},
      {"EDI-Datei (empfohlen)", "EDI-Datei", OutputKind::kEdi, 13},
      {"E-Log Gesamtdatei", nullptr, OutputKind::kElogComplete, 0},
      {"E-Log Deckblatt", nullptr, OutputKind::kElogCoverSheet, 1},
      {"E-Log QSO-Liste", nullptr, OutputKind::kElogQsoList, 2},
      {"E-Log Band-Liste", nullptr, OutputKind::kElogBandList, 10},
      {"E-Log Multi-Checkliste", nullptr, OutputKind::kElogMultiplierList, 12},
      {"Cabrillo-Datei", nullptr, OutputKind::kCabrillo, 9},
      {"Cabrillo 3.0", nullptr, OutputKind::kCabrillo3, 9},
      {"ADIF- Exportdatei der QSO-Liste", nullptr, OutputKind::kAdif, 4},
      {"CSV- Exportdatei der QSO-Liste", nullptr, OutputKind::kCsv, 0},
      {"Papierlog - Deckblatt", nullptr, OutputKind::kPaperCoverSheet, 5},
      {"Papierlog - QSO-Liste", nullptr, OutputKind::kPaperQsoList, 6},
      {"Papierlog - Band-Liste", nullptr, OutputKind::kPaperBandList, 7},
      {"Papierlog - Multi-Checkliste", nullptr, OutputKind::kPaperMultiplierList, 8},
  };
  std::vector<OutputMenuEntry> entries;
  for (const Row& row : kRows) {
    OutputMenuEntry e;
    e.kind = row.kind;
    e.allowed = flag(row.flag);
    e.available = HasWriter(row.kind);
    e.caption = (!e.allowed && row.plainCaption != nullptr) ? row.plainCaption : row.caption;
    entries.push_back(std::move(e));
  }
  return entries;
}

bool IsFileOutput(OutputKind kind) { return InfoOf(kind) != nullptr; }

OutputKind EffectiveOutputKind(OutputKind kind, ContestCode code) {
  if (kind == OutputKind::kElogComplete && (code == '5' || code == 'P')) return OutputKind::kStf;
  return kind;
}

std::string ProposedOutputFileName(OutputKind kind, const OutputContext& ctx) {
  const FileOutputInfo* info = InfoOf(kind);
  if (info == nullptr) return {};
  std::string name = BaseName(ctx);
  if (kind != OutputKind::kCabrillo && kind != OutputKind::kCabrillo3) {
    const std::string shortName = ShortNamePart(ctx);
    if (!shortName.empty()) name += "-" + shortName;
  }
  return name + info->extension;
}

std::optional<std::filesystem::path> RunFileOutput(const FileOutputJob& job, const OutputContext& ctx) {
  const OutputKind kind = EffectiveOutputKind(job.kind, job.code);
  const FileOutputInfo* info = InfoOf(kind);
  if (info == nullptr || !HasWriter(kind) || job.catalogue == nullptr || job.platform == nullptr) {
    return std::nullopt;
  }
  Platform& platform = *job.platform;
  platform.Inform(std::string("Geben Sie im folgenden Dialog an, wohin die ") + info->outputName + " " +
                  BaseName(ctx) + info->extension + " gespeichert werden soll.");
  FileDialogRequest request;
  request.caption = "Speichern unter";
  request.filterCaption = info->filterCaption;
  request.filterPattern = info->pattern;
  request.directory = job.directory;
  request.proposedName = ProposedOutputFileName(kind, ctx);
  std::optional<std::filesystem::path> chosen = platform.AskSaveFileName(request);
  // Cancel writes nothing: the operator did not name a file.
  if (!chosen || chosen->empty()) return std::nullopt;
  std::filesystem::path path = *chosen;
  if (!path.has_extension()) path += std::string(info->pattern).substr(1);

  EdiStationData edi;
  if (kind == OutputKind::kEdi) {
    edi = EdiDefaults(ctx);
    if (job.completeEdiStation && !job.completeEdiStation(edi)) return std::nullopt;
  }

  const std::int32_t number = ctx.header.contestNumber();
  FileBlock* qsoFile = job.catalogue->OpenQsoFile(number);
  if (qsoFile == nullptr) return std::nullopt;
  OutputResult result = Write(kind, ctx, *qsoFile, platform, job.code, edi);
  job.catalogue->ReleaseQsoFile(number);
  if (!result.ok()) return std::nullopt;

  if (!WriteOutputFile(path, result.bytes).ok()) {
    platform.Inform(CannotCreateMessage(MessageName(path)));
    return std::nullopt;
  }
  if (info->announceResult) platform.Inform(FileCreatedMessage(MessageName(path)));
  if (info->showFile && job.showTextFile) job.showTextFile(path);
  return path;
}

}  // namespace korv
