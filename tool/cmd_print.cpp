// print LOG KIND --pdf OUTFILE [--force]: the paper log of the configuration
// window's output menu, printed into a PDF file; KIND rate: the rate chart
// of cmd_rate.cpp.
#include <algorithm>
#include <iterator>

#include "common/cp1252.h"
#include "output/claimed_score.h"
#include "output/output_context.h"
#include "output/output_text.h"
#include "output/paper_log.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/log_tool.h"

namespace korv::tool {
namespace {

struct PaperKind {
  const char* name;
  OutputKind kind;
  int flag;  // element of outputFlags that offers it in the menu; 0 = always
};
constexpr PaperKind kKinds[] = {{"cover", OutputKind::kPaperCoverSheet, 5},
                                {"qso-list", OutputKind::kPaperQsoList, 6},
                                {"band-list", OutputKind::kPaperBandList, 7},
                                {"multi-list", OutputKind::kPaperMultiplierList, 8},
                                {"all", OutputKind::kPaperLog, 0}};

}  // namespace

int RunPrint(const CommandEnv& env, CommandArgs args) {
  std::vector<std::string> positional;
  std::filesystem::path pdf;
  bool force = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--pdf") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return LogUsage(env, "print", "--pdf needs a file");
      pdf = args[++i];
    } else if (a == "--force") {
      force = true;
    } else if (a.starts_with("--")) {
      return LogUsage(env, "print", "unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return LogUsage(env, "print", "needs LOG KIND --pdf OUTFILE");
  if (pdf.empty()) return LogUsage(env, "print", "there is no printer here: --pdf OUTFILE");
  if (positional[1] == "rate") return PrintRateChart(env, positional[0], pdf);
  const auto number = ParseLogNumber(positional[0]);
  if (!number) return LogUsage(env, "print", "no log number: " + positional[0]);
  const auto* kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                  [&](const PaperKind& k) { return positional[1] == k.name; });
  if (kind == std::end(kKinds)) {
    return LogUsage(env, "print", "KIND is cover, qso-list, band-list, multi-list, all or rate");
  }

  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "print", "no log " + positional[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  const ContestRules rules = tool.RulesFor(header);
  if (kind->flag != 0 && !rules.outputFlags.test(static_cast<std::size_t>(kind->flag)) && !force) {
    return LogUsage(env, "print", std::string(kind->name) + " is not an output of this contest (--force prints it)");
  }
  ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  const OutputContext ctx = MakeOutputContext(h, rules, tool.StoredTotalsOf(h, rules), tool.settings().own,
                                              SystemNow(), tool.settings().utcOffsetHours, nullptr);
  PaperOutputJob job;
  job.kind = kind->kind;
  job.catalogue = &tool.context().catalogue();
  job.platform = &tool.platform();
  job.pdfFile = pdf;
  if (!RunPaperOutput(job, ctx)) {
    env.err << Cp1252ToUtf8(CannotCreateMessage(pdf.string())) << "\n";
    return kExitFailure;
  }
  env.out << Cp1252ToUtf8(FileCreatedMessage(pdf.string())) << "\n";
  return kExitOk;
}

}  // namespace korv::tool
