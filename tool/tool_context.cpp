#include "tool/tool_context.h"

#include <cstdlib>
#include <system_error>

#include "tool/korvtool.h"

#include "common/cp1252.h"
#include "files/setup.h"
#include "platform/platform.h"
#include "shell/program_session.h"

namespace korv::tool {
namespace {

constexpr int kPageBuffers = 160;
constexpr int kFileHandles = 32;
constexpr const char* kEngineFailed = "Dateiverwaltung konnte nicht initialisiert werden";

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string upper;
  for (char c : text)
    upper.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
  return upper;
}

void ToolFatalHandler::OnFatal(const ErrorList&, const std::string& message) {
  if (!lastLine_.empty()) out_ << lastLine_ << "\n";
  err_ << Cp1252ToUtf8(message) << "\n";
  out_.flush();
  err_.flush();
  std::_Exit(kExitFailure);
}

ToolContext::ToolContext(std::filesystem::path dataDirectory, std::ostream& out, std::ostream& err)
    : dataDirectory_(std::move(dataDirectory)), out_(out), err_(err), fatal_(out, err) {}

ToolContext::~ToolContext() {
  catalogue_.reset();
  if (engine_ && engine_->Running()) (void)engine_->DoneFileManager();
  engine_.reset();
}

bool ToolContext::Start() {
  EngineOptions options;
  options.dataDirectory = dataDirectory_;
  options.fatalHandler = &fatal_;
  options.german = true;
  // No askRetry: every retry question is answered No.
  engine_ = std::make_unique<StorageEngine>(options);
  if (!engine_->InitFileManager(kPageBuffers, kFileHandles).ok()) {
    err_ << Cp1252ToUtf8(kEngineFailed) << "\n";
    return false;
  }
  catalogue_ = std::make_unique<FileCatalogue>(*engine_);
  // The QSO files' keys split calls with the setup record's suffix table, as
  // in the program; a data directory without KVSETUP keeps the default.
  const SharedFile setupFile = SharedFile::kSetup;
  if (FindDataFile(dataDirectory_, SharedFileName(setupFile)).kind ==
      DataFileOnDisk::Kind::kPresent) {
    OpenedFile setup(*catalogue_, setupFile);
    if (setup && setup->MoveFirst(1).ok()) {
      ProgramSettings settings;
      ReadSetupRecord(setup->Record(), SystemNow().date, settings);
      catalogue_->SetSuffixTable(settings.suffixes);
    }
  }
  return true;
}

std::optional<NamedFile> LookUpFileName(std::string_view typed) {
  std::string name = AsciiUpper(typed);
  if (name.size() > 4 && name.ends_with(".DAT")) name.resize(name.size() - 4);
  for (int i = 0; i < kSharedFileCount; ++i) {
    const auto file = static_cast<SharedFile>(i);
    if (file == SharedFile::kQsoLog) continue;
    if (name == SharedFileName(file)) return NamedFile{file, 0, name};
  }
  // KVLKnnnn: the number from the name; it must give the name back
  // (KVLK0007, not KVLK7), "****" any number above 9999.
  const std::string_view stem = DefinitionOf(SharedFile::kQsoLog).name;
  if (name.size() != stem.size() + 4 || !name.starts_with(stem)) return std::nullopt;
  const std::string digits = name.substr(stem.size());
  std::int32_t number = 0;
  if (digits == "****") {
    number = 10000;
  } else {
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      number = number * 10 + (c - '0');
    }
  }
  if (QsoFileName(number) != name) return std::nullopt;
  return NamedFile{SharedFile::kQsoLog, number, name};
}

DataFileOnDisk FindDataFile(const std::filesystem::path& dataDirectory, std::string_view name) {
  const std::string wanted = std::string(name) + ".DAT";
  std::error_code ec;
  if (std::filesystem::is_regular_file(dataDirectory / wanted, ec)) {
    return {DataFileOnDisk::Kind::kPresent, wanted};
  }
  for (const auto& entry : std::filesystem::directory_iterator(dataDirectory, ec)) {
    const std::string stored = entry.path().filename().string();
    // The engine opens a file stored in other letter case as it is.
    if (AsciiUpper(stored) == wanted) return {DataFileOnDisk::Kind::kPresent, stored};
  }
  return {};
}

std::string MissingFileReason(const DataFileOnDisk&, std::string_view) { return "no such file"; }

const LongExactCalls& ToolContext::LongExactCallsOfCountryFile() {
  if (!longExactCalls_) longExactCalls_ = ReadLongExactCallsFile(kDebianCountryFile);
  return *longExactCalls_;
}

}  // namespace korv::tool
