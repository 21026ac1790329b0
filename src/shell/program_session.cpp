#include "shell/program_session.h"

#include <cstdlib>
#include <system_error>

#include "files/own_settings.h"
#include "refdata/cty_import.h"

namespace korv {

namespace {

constexpr int kPageBuffers = 160;
constexpr int kFileHandles = 32;
constexpr std::size_t kSetupProfileNumber = 786;

const char* const kEngineFailed = "Dateiverwaltung konnte nicht initialisiert werden";
const char* const kPrefixWarning =
    "Achtung: Die Pr\xE4" "fixdatei konnte nicht gefunden werden bzw. ist leer. Ohne diese Datei "
    "kann das Programm nicht korrekt arbeiten!";
const char* const kPrefixHint =
    " Bitte installieren Sie das Debian-Paket hamradio-files (sudo apt-get install "
    "hamradio-files) und starten Sie das Programm neu: die L\xE4nderdatei cty.csv wird dann "
    "automatisch eingelesen.";

// Inserts an empty record when the file holds none; the first record is
// then in the record buffer.
void EnsureFirstRecord(FileBlock& file) {
  if (file.MoveFirst(1).ok()) return;
  file.ClearRecordBuffer();
  (void)file.InsertRecord();
}

}  // namespace

PlatformFatalHandler::PlatformFatalHandler(Platform& platform, std::function<void(int)> terminate)
    : platform_(platform), terminate_(std::move(terminate)) {
  if (!terminate_) terminate_ = [](int code) { std::exit(code); };
}

void PlatformFatalHandler::OnFatal(const ErrorList&, const std::string& message) {
  platform_.Inform(message);
  terminate_(1);
}

ProgramSession::ProgramSession(Platform& platform, ProgramState& state, SessionOptions options)
    : platform_(platform), state_(state), options_(std::move(options)) {}

ProgramSession::~ProgramSession() {
  if (started_) Stop();
}

DayNumber ProgramSession::Today() { return platform_.Now().date; }

ContestHeader ProgramSession::header() {
  return *ContestHeader::Over(contestDirectory_->Record());
}

void ProgramSession::FillPresets() {
  ContestHeader current = header();
  rules_ = FillContestPresets(state_.activeContestCode, current, state_.uiGerman);
}

void ProgramSession::ApplySettingsToState() {
  state_.ownCall = settings_.own.call;
  state_.swlNumber = settings_.own.swlNumber;
  const SetupColours& c = settings_.colours;
  state_.colours.window = RgbFromStoredColour(c[kWindowColour]);
  state_.colours.panel = RgbFromStoredColour(c[kPanelColour]);
  state_.colours.header = RgbFromStoredColour(c[kHeaderColour]);
  state_.colours.headerFont = RgbFromStoredColour(c[kHeaderFontColour]);
  state_.colours.strip = RgbFromStoredColour(c[kStripColour]);
  state_.colours.labelFont = RgbFromStoredColour(c[kLabelColour]);
  state_.colours.secondLabelFont = RgbFromStoredColour(c[kSecondLabelColour]);
}

ProgramSession::StartResult ProgramSession::Start() {
  EngineOptions engineOptions;
  engineOptions.dataDirectory = options_.dataDirectory;
  engineOptions.fatalHandler = options_.fatalHandler;
  engineOptions.german = state_.uiGerman;
  engineOptions.askRetry = [this](std::string_view text) { return platform_.AskYesNo(text); };
  engine_ = std::make_unique<StorageEngine>(engineOptions);
  if (!engine_->InitFileManager(kPageBuffers, kFileHandles).ok()) {
    platform_.Inform(kEngineFailed);
    engine_.reset();
    return StartResult::kEngineFailed;
  }
  catalogue_ = std::make_unique<FileCatalogue>(*engine_);
  started_ = true;
  state_.ownCall.clear();

  // The setup record: created when missing; it names the station profile.
  if (FileBlock* setup = catalogue_->OpenSetup()) {
    if (setup->MoveFirst(1).ok()) {
      const std::int32_t profile = GetI32(setup->Record(), kSetupProfileNumber);
      if (profile > 0) state_.activeProfileNumber = profile;
    } else {
      setup->ClearRecordBuffer();
      (void)setup->InsertRecord();
    }
    catalogue_->ReleaseSetup();
  }
  profiles_ = catalogue_->OpenProfiles();
  if (profiles_ == nullptr) return StartResult::kProfilesFailed;
  state_.activeProfileNumber = SelectProfile(*profiles_, state_.activeProfileNumber);

  (void)LoadSettings(*catalogue_, settings_, Today());
  catalogue_->SetSuffixTable(settings_.suffixes);
  ApplySettingsToState();

  setup2_ = catalogue_->OpenSetup2();
  if (setup2_ != nullptr) EnsureFirstRecord(*setup2_);

  OpenPrefixFiles();
  if (!options_.countryFile.empty()) longExactCalls_ = ReadLongExactCallsFile(options_.countryFile);
  LoadOperatorAids();

  contestDirectory_ = catalogue_->OpenContestDirectory();
  totals_ = catalogue_->OpenTotals();
  if (contestDirectory_ != nullptr) FillPresets();
  return StartResult::kOk;
}

void ProgramSession::LoadOperatorAids() {
  const OwnSettings own = OwnSettings::Load(options_.dataDirectory / kOwnSettingsFileName);
  auto inDataDirectory = [this](std::filesystem::path file) {
    return file.is_relative() ? options_.dataDirectory / file : file;
  };
  callHistoryOn_ = own.GetBool("callhistory", true);
  if (callHistoryOn_) {
    // Missing files are no error: the history is then what the others hold.
    if (!options_.callHistoryFile.empty()) (void)callHistory_.LoadFile(options_.callHistoryFile, false);
    (void)callHistory_.LoadFile(inDataDirectory(own.Get("callhistory.file", kUserCallHistory)), true);
  }
  partialCallsOn_ = own.GetBool("scp", true);
  if (!partialCallsOn_) return;
  const std::string scpFile = own.Get("scp.file");
  (void)BuildReferenceCalls(scpFile.empty() ? options_.scpFile : inDataDirectory(scpFile),
                            callHistoryOn_ ? &callHistory_ : nullptr, referenceCalls_);
}

void ProgramSession::OpenPrefixFiles() {
  prefixes_ = catalogue_->OpenPrefixes();
  prefixExceptions_ = catalogue_->OpenPrefixExceptions();
  prefixSpecials_ = catalogue_->OpenPrefixSpecials();
  if (prefixes_ == nullptr || prefixes_->RecordCount() > 0) return;
  std::error_code ec;
  const bool haveCountryFile = !options_.countryFile.empty() &&
                               std::filesystem::is_regular_file(options_.countryFile, ec);
  if (haveCountryFile && prefixSpecials_ != nullptr) {
    // A logger without prefixes refuses every QSO: fill the table at once.
    auto progress = platform_.OpenProgress("L\xE4nderdatei wird eingelesen ...");
    CtyImportOptions importOptions;
    importOptions.progress = [&progress](int done, int total) {
      progress->SetRange(total);
      progress->SetPosition(done);
    };
    (void)ImportCtyFile(options_.countryFile, *prefixes_, *prefixSpecials_, importOptions);
    progress.reset();
    if (prefixes_->RecordCount() > 0) return;
  }
  platform_.Warn(std::string(kPrefixWarning) + kPrefixHint);
}

void ProgramSession::Stop() {
  if (!started_) return;
  started_ = false;
  state_.uiGerman = true;
  if (totals_ != nullptr) catalogue_->ReleaseTotals();
  if (contestDirectory_ != nullptr) catalogue_->ReleaseContestDirectory();
  if (prefixes_ != nullptr) catalogue_->ReleasePrefixes();
  if (prefixSpecials_ != nullptr) catalogue_->ReleasePrefixSpecials();
  if (prefixExceptions_ != nullptr) catalogue_->ReleasePrefixExceptions();
  if (setup2_ != nullptr) catalogue_->ReleaseSetup2();
  totals_ = contestDirectory_ = prefixes_ = prefixSpecials_ = prefixExceptions_ = setup2_ = nullptr;
  (void)SaveSettings(*catalogue_, settings_, Today());
  if (profiles_ != nullptr) catalogue_->ReleaseProfiles();
  profiles_ = nullptr;
  catalogue_.reset();
  (void)engine_->DoneFileManager();
  engine_.reset();
}

}  // namespace korv
