// The output menu of the configuration window and the common procedure of
// the file outputs: the proposed file name, the notice that announces the
// save dialog, the dialog, the writer, the file and the result message.
//
// Every writer builds its file in memory from the log's QSO file
// (output_text.h), so a log that cannot be read leaves no file behind.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/catalogue.h"
#include "output/edi_file.h"
#include "output/output_context.h"
#include "platform/platform.h"

namespace korv {

// The numbers the menu passes to the procedure.
enum class OutputKind : int {
  kPaperCoverSheet = 1,
  kPaperMultiplierList = 3,
  kPaperBandList = 4,
  kPaperQsoList = 5,
  kPaperLog = 6,
  kElogCoverSheet = 7,  // ".SUM"
  kElogQsoList = 8,     // ".ALL"
  kStf = 9,             // ".STF"
  kAdif = 10,           // ".ADI"
  kCabrillo = 11,       // ".CAB"
  kElogBandList = 12,   // ".BND"
  kElogComplete = 13,   // ".TXT"
  kCsv = 14,            // ".CSV"
  kElogMultiplierList = 15,  // "-multi.txt"
  kEdi = 16,            // ".EDI"
  kCabrillo3 = 17,      // ".LOG"
};

struct OutputMenuEntry {
  std::string caption;
  OutputKind kind;
  bool allowed = false;    // the contest's outputFlags offer it
  bool available = false;  // this build has its writer
  bool enabled() const { return allowed && available; }
};

// The fifteen entries of "Drucken / E-Log" in menu order:
//   "STF-Datei (empfohlen)"            flag 3 ("STF-Datei" when not offered)
//   "EDI-Datei (empfohlen)"            flag 13 ("EDI-Datei" when not offered)
//   "E-Log Gesamtdatei"                always
//   "E-Log Deckblatt"                  flag 1
//   "E-Log QSO-Liste"                  flag 2
//   "E-Log Band-Liste"                 flag 10
//   "E-Log Multi-Checkliste"           flag 12
//   "Cabrillo-Datei"                   flag 9
//   "Cabrillo 3.0"                     flag 9
//   "ADIF- Exportdatei der QSO-Liste"  flag 4
//   "CSV- Exportdatei der QSO-Liste"   always
//   "Papierlog - Deckblatt" / "- QSO-Liste" / "- Band-Liste" /
//   "- Multi-Checkliste"               flags 5, 6, 7, 8
std::vector<OutputMenuEntry> OutputMenuEntries(const ContestRules& rules);

// The file kinds (7 to 17).
bool IsFileOutput(OutputKind kind);
// Kind 13 of the contests whose complete file is their STF file ('5', 'P').
OutputKind EffectiveOutputKind(OutputKind kind, ContestCode code);

// The proposed file name: the own call (or SWL number) with "/" turned into
// "_", then, except for the two Cabrillo kinds (named by the call alone, as
// the contest robots expect), "-" and the participation type's short name
// (":" removed; "." -> "-"; "/", "\" and "," -> "_") when it has one; then
// the extension.
std::string ProposedOutputFileName(OutputKind kind, const OutputContext& ctx);

struct FileOutputJob {
  OutputKind kind = OutputKind::kElogCoverSheet;
  ContestCode code = '3';
  // Opens and releases the log's QSO file (by the header's contest number).
  FileCatalogue* catalogue = nullptr;
  Platform* platform = nullptr;
  // Where the save dialog starts.
  std::filesystem::path directory;
  // The text display window for the files the operator reads at once
  // (cover sheet, QSO list, STF, band list); may be empty.
  std::function<void(const std::filesystem::path&)> showTextFile;
  // EDI: lets the operator complete the header values (pre-filled with
  // EdiDefaults) after the file was named. False ends the output without a
  // file. Empty: the defaults are written as they are.
  std::function<bool(EdiStationData&)> completeEdiStation;
};

// Runs one file output for the log of ctx: the notice "Geben Sie im
// folgenden Dialog an, wohin die <name> <call><ext> gespeichert werden
// soll.", the save dialog (Cancel ends the output without a file), the
// writer, the file ("Die Datei ... konnte nicht erstellt werden." when it
// cannot be written completely), "Datei ... wurde erstellt." (not for the
// cover sheet), and the text display window. A QSO file that cannot be
// opened or read ends the output without a message of its own (the storage
// layer reports). Returns the written file.
std::optional<std::filesystem::path> RunFileOutput(const FileOutputJob& job, const OutputContext& ctx);

}  // namespace korv
