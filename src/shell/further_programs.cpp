#include "shell/further_programs.h"

#include <algorithm>
#include <cctype>

#include "shell/contest_catalogue.h"

namespace korv {
namespace {

constexpr std::string_view kProgramsPage = "https://korv-dez.example.org/programme";
constexpr std::string_view kModulesPage = "https://korv-dez.example.org/contestmodule";
constexpr std::string_view kMakerMail = "info@korv-dez.example.org";

}  // namespace

ProgramsPage SuiteProgramsPage() {
  ProgramsPage page;
  page.caption = "weitere AFU-Programme";
  page.heading = "Programme f\xFCr den Amateurfunk";
  page.lines = {
      "Korv DEZ ist das Contest-Modul einer Logbuch-Reihe f\xFCr den Amateurfunk.",
      "Die Programme der Reihe teilen ihre Dateien: Stationsdaten, Profile,",
      "Call-Buch und Pr\xE4" "fixtabellen werden nur einmal gepflegt.",
      "",
      "Zur Reihe geh\xF6ren das Stations-Logbuch mit QSL- und Etikettendruck,",
      "Contest-Module f\xFCr viele deutsche Conteste und Aktivit\xE4tstage",
      "sowie Umsetzer f\xFCr Logs \xE4lterer Formate.",
  };
  page.links = {{"Webseite der Programme", std::string(kProgramsPage)},
                {"E-Mail an den Autor", std::string(kMakerMail)}};
  return page;
}

ProgramsPage ContestModulesPage() {
  ProgramsPage page;
  page.caption = "Contest-Module";
  page.heading = "Contest-Module der Reihe";
  for (const ContestCatalogueEntry& entry : ContestCatalogue()) {
    if (!entry.title.empty()) page.lines.emplace_back(entry.title);
  }
  page.links = {{"Webseite der Contest-Module", std::string(kModulesPage)}};
  return page;
}

std::string ShellAddress(std::string_view address) {
  std::string result(address);
  std::replace(result.begin(), result.end(), '\xD8', '0');
  std::string upper = result;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (result.find('@') != std::string::npos && upper.find("MAILTO") == std::string::npos) {
    result.insert(0, "mailto:");
  }
  return result;
}

void OpenWebAddress(Platform& platform, std::string_view address) {
  (void)platform.ShellOpen(ShellAddress(address));
}

}  // namespace korv
