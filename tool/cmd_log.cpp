// The commands that work on contest logs the way the windows do:
//   logs                       the logs of the active contest
//   new --name ... [options]   a new log, checked and saved as the
//                              configuration window saves it
//   add LOG CALL [EXCH...]     one QSO through the logging window's entry path
//   delete LOG SERIAL          one QSO deleted as the logging window deletes
//   score LOG                  the log recounted; the totals panel's figures
#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "common/cp1252.h"
#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "files/setup.h"
#include "logging/entry_session.h"
#include "logging/log_configuration.h"
#include "logging/totals.h"
#include "output/claimed_score.h"
#include "refdata/bands.h"
#include "refdata/cty_import.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_rules.h"
#include "shell/program_session.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/tool_context.h"
#include "tool/tool_platform.h"
#include "tool/log_tool.h"

namespace korv::tool {
namespace {

constexpr int kDirectoryIndexByNumber = 3;
constexpr int kDirectoryIndexByCodeAndDate = 2;

std::string Out(std::string_view cp1252) { return Cp1252ToUtf8(cp1252); }
std::string In(std::string_view utf8) { return Utf8ToCp1252(utf8); }

DayNumber Today() { return SystemNow().date; }

// Options of the form --name VALUE and flags; the rest are positional.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::vector<std::string> flags;
  std::string error;
  bool Flag(std::string_view f) const { return std::find(flags.begin(), flags.end(), f) != flags.end(); }
  std::optional<std::string> Value(const std::string& k) const {
    auto it = values.find(k);
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

ParsedArgs Parse(CommandArgs args, const std::vector<std::string>& valueOptions,
                 const std::vector<std::string>& flagOptions) {
  ParsedArgs p;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.starts_with("--")) {
      const std::string name = a.substr(2);
      if (std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end()) {
        if (i + 1 >= args.size()) {
          p.error = "--" + name + " needs a value";
          return p;
        }
        p.values[name] = args[++i];
      } else if (std::find(flagOptions.begin(), flagOptions.end(), name) != flagOptions.end()) {
        p.flags.push_back(name);
      } else {
        p.error = "unknown option " + a;
        return p;
      }
    } else {
      p.positional.push_back(a);
    }
  }
  return p;
}

std::string QsoLine(const QsoRecord& r) {
  std::ostringstream s;
  s << "QSO " << r.serialNo() << "  " << r.call() << "  " << BandName(r.band()) << "  " << r.mode() << "  "
    << DateToText(r.qsoDate()) << " " << TimeToText(r.qsoTime()) << "  sent " << r.sentExch() << "  rcvd "
    << r.rcvdExch() << "  points " << r.points();
  const std::string multis = TrimBlanksTabs(r.multi1() + " " + r.multi2() + " " + r.multi3());
  s << "  multi " << (multis.empty() ? "-" : multis);
  return s.str();
}

}  // namespace

int RunLogs(const CommandEnv& env, CommandArgs args) {
  if (!args.empty()) return LogUsage(env, "logs", "takes no arguments");
  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  FileBlock& dir = *tool.directory();
  std::string code(1, kActiveContestCode);
  Status st = dir.FindAtLeast(kDirectoryIndexByCodeAndDate, KeyString(code));
  int count = 0;
  while (st.ok()) {
    std::vector<std::uint8_t> bytes(dir.Record().begin(), dir.Record().end());
    ContestHeader h(ContestHeader::Record(bytes.data(), kContestHeaderSize));
    if (h.contestCode() != kActiveContestCode) break;
    const ContestRules rules = tool.RulesFor(bytes);
    const Bookmark here = dir.SavePosition(kDirectoryIndexByCodeAndDate);
    const StoredTotals stored = tool.StoredTotalsOf(h, rules);
    env.out << h.contestNumber() << "  " << Out(h.name()) << "  "
            << (h.startDate() > 0 ? DateToText(h.startDate()) : std::string("-")) << "  "
            << (h.endDate() > 0 ? DateToText(h.endDate()) : std::string("-")) << "  " << stored.qsos << " QSO  "
            << ClaimedScore(stored, rules) << " Pkt.\n";
    ++count;
    st = dir.RestorePosition(here, 0);
    if (!st.ok()) break;
    st = dir.MoveNext(kDirectoryIndexByCodeAndDate);
  }
  if (count == 0) env.out << "no contest logs\n";
  return kExitOk;
}

int RunNew(const CommandEnv& env, CommandArgs args) {
  const ParsedArgs p = Parse(args,
                             {"name", "call", "swl", "dok", "locator", "start", "end", "from", "to", "type", "clock",
                              "address"},
                             {"rst-free", "manual-time", "yes"});
  if (!p.error.empty()) return LogUsage(env, "new", p.error);
  if (!p.positional.empty()) return LogUsage(env, "new", "unexpected argument " + p.positional[0]);
  LogTool tool(env, p.Flag("yes"));
  if (!tool.Start()) return kExitFailure;

  std::vector<std::uint8_t> header(kContestHeaderSize, 0);
  ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  h.MarkCreated();
  h.SetContestCode(kActiveContestCode);
  ContestRules rules = tool.RulesFor(header);
  LogConfiguration c = NewLogConfiguration(tool.settings(), rules);
  auto take = [&](const char* option, std::string& field) {
    if (auto v = p.Value(option)) field = In(*v);
  };
  take("name", c.name);
  take("call", c.call);
  take("swl", c.swlNumber);
  take("dok", c.dok);
  take("locator", c.locator);
  take("start", c.startDate);
  take("end", c.endDate);
  take("from", c.startTime);
  take("to", c.endTime);
  if (auto v = p.Value("type")) {
    auto n = ParseLogNumber(*v);
    if (!n || *n < 1 || *n > 20 || rules.participationTypes[*n].description.empty()) {
      return LogUsage(env, "new", "no participation type " + *v);
    }
    c.participationType = *n;
    h.SetParticipationType(static_cast<std::uint8_t>(*n));
    rules = tool.RulesFor(header);
  }
  if (auto v = p.Value("clock")) {
    if (*v == "utc") {
      c.clock = ComputerClock::kUtc;
    } else if (*v == "local") {
      c.clock = ComputerClock::kLocal;
    } else {
      return LogUsage(env, "new", "--clock is utc or local");
    }
  }
  if (auto v = p.Value("address")) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(In(*v));
    while (std::getline(in, part, ';')) parts.push_back(part);
    parts.resize(4);
    c.operatorName = parts[0];
    c.street = parts[1];
    // "POSTCODE TOWN": split at the first blank, so that a town without a
    // postcode (" Musterstadt") leaves the postcode empty.
    const std::size_t blank = parts[2].find(' ');
    c.postcode = parts[2].substr(0, blank);
    c.town = blank == std::string::npos ? std::string() : parts[2].substr(blank + 1);
    c.country = parts[3];
  }
  if (p.Flag("rst-free")) c.rstSentFixed = c.rstReceivedFixed = false;
  if (p.Flag("manual-time")) c.dateAutomatic = c.timeAutomatic = false;

  const std::size_t before = tool.platform().Messages().size();
  if (CheckConfiguration(c, rules, kActiveContestCode, false, tool.platform(), Today()) != ConfigurationField::kNone) {
    return tool.Refused(before, "refused");
  }
  SaveTarget target{&tool.context().catalogue(), tool.directory(), tool.totals(), &tool.settings()};
  if (!SaveConfiguration(c, rules, kActiveContestCode, false, false, h, target, tool.platform(), Today())) {
    return kExitFailure;
  }
  (void)SaveSettings(tool.context().catalogue(), tool.settings(), Today());
  env.out << h.contestNumber() << "\n";
  return kExitOk;
}

int RunAdd(const CommandEnv& env, CommandArgs args) {
  const ParsedArgs p = Parse(
      args, {"band", "mode", "date", "time", "rst-sent", "rst-rcvd", "sent", "call2", "freq", "name", "qth"}, {});
  if (!p.error.empty()) return LogUsage(env, "add", p.error);
  if (p.positional.size() < 2) return LogUsage(env, "add", "needs LOG and CALL");
  const auto number = ParseLogNumber(p.positional[0]);
  if (!number) return LogUsage(env, "add", "no log number: " + p.positional[0]);
  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "add", "no log " + p.positional[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  ContestRules rules = tool.RulesFor(header);
  LoggingContext lc = tool.Logging();
  EntrySession s(lc, header, rules);
  if (!s.Open()) return kExitFailure;

  if (auto b = p.Value("band")) {
    const BandIndex band = BandFromText(*b);
    const auto bands = s.Bands();
    if (!IsBand(band) || std::find(bands.begin(), bands.end(), band) == bands.end()) {
      return LogUsage(env, "add", "band " + *b + " is not a band of this contest");
    }
    s.ChangeBand(band);
  }
  if (auto m = p.Value("mode")) {
    const std::string mode = AsciiUpper(*m);
    const auto modes = s.Modes();
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) {
      return LogUsage(env, "add", "mode " + *m + " is not a mode of this contest");
    }
    s.ChangeMode(mode);
  }
  const ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  if (h.dateAutomatic() == 0 || h.timeAutomatic() == 0) s.UsePreviousQsoDateTime();
  if (p.Value("freq") || p.Value("name") || p.Value("qth")) s.ToggleExtraFields();

  // What the operator types into each field.
  std::map<EntryField, std::string> typed;
  typed[EntryField::kCall] = In(p.positional[1]);
  const std::vector<EntryField> received{EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4};
  std::size_t next = 2;
  const EntryView view = s.View();
  for (EntryField f : received) {
    if (next < p.positional.size() && view.visible[FieldSlot(f)]) typed[f] = In(p.positional[next++]);
  }
  if (next < p.positional.size()) return LogUsage(env, "add", "more exchange values than exchange fields");
  const std::pair<const char*, EntryField> options[] = {
      {"date", EntryField::kDate},  {"time", EntryField::kTime},  {"rst-sent", EntryField::kRstSent1},
      {"rst-rcvd", EntryField::kRstRcvd1}, {"call2", EntryField::kCall2}, {"freq", EntryField::kFreq},
      {"name", EntryField::kName},  {"qth", EntryField::kQth}};
  for (const auto& [option, field] : options) {
    if (auto v = p.Value(option)) {
      if (!view.visible[FieldSlot(field)]) {
        return LogUsage(env, "add", std::string("--") + option + " is not an entry field of this log");
      }
      typed[field] = In(*v);
    }
  }
  if (auto v = p.Value("sent")) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(In(*v));
    while (std::getline(in, part, '/')) parts.push_back(part);
    const EntryField sentFields[] = {EntryField::kSent2, EntryField::kSent3, EntryField::kSent4};
    std::size_t k = 0;
    for (EntryField f : sentFields) {
      if (view.visible[FieldSlot(f)] && k < parts.size()) typed[f] = parts[k++];
    }
    if (k == 0) return LogUsage(env, "add", "--sent: the sent exchange is not editable in this log");
  }

  // Enter from field to field, as the window moves the focus.
  const std::size_t before = tool.platform().Messages().size();
  for (const auto& [field, text] : typed) {
    if (field != EntryField::kCall) s.SetFieldText(field, text);
  }
  bool saved = false;
  EntryField field = EntryField::kCall;
  for (int step = 0; step < kEntryFieldCount && !saved; ++step) {
    s.FieldEntered(field);
    if (field == EntryField::kCall) {
      s.CallTextChanged(typed[field]);
    } else if (auto it = typed.find(field); it != typed.end()) {
      s.ExchangeTextChanged(field, it->second);
    }
    saved = s.LeaveField(field, true);
    if (saved || s.entry().call().empty() || s.FieldErrorShown()) break;
    field = s.NextFieldOnEnter(field);
    if (field == EntryField::kCall) break;
  }
  if (!saved) {
    s.Close();
    return tool.Refused(before, "QSO nicht gespeichert: Datum, Zeit oder Rufzeichen ung\xFCltig");
  }
  const std::uint32_t recordNo = s.lastSavedRecordNo();
  KeyString key;
  key.AppendLong(static_cast<std::int32_t>(recordNo));
  if (s.qsoFile()->FindExact(4, key).ok()) {
    const QsoRecord r(QsoRecord::Record(s.qsoFile()->Record().data(), kQsoRecordSize));
    env.out << Out(QsoLine(r)) << "\n";
  }
  s.Close();
  return kExitOk;
}

int RunDelete(const CommandEnv& env, CommandArgs args) {
  if (args.size() != 2) return LogUsage(env, "delete", "needs LOG and SERIAL");
  const auto number = ParseLogNumber(args[0]);
  const auto serial = ParseLogNumber(args[1]);
  if (!number || !serial) return LogUsage(env, "delete", "LOG and SERIAL are numbers");
  LogTool tool(env, true);  // the command is the operator's confirmation
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "delete", "no log " + args[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  ContestRules rules = tool.RulesFor(header);
  EntrySession s(tool.Logging(), header, rules);
  if (!s.Open()) return kExitFailure;
  KeyString key;
  key.AppendLong(*serial);
  std::uint32_t recordNo = 0;
  std::string call;
  if (s.qsoFile()->FindExact(13, key).ok()) {
    const QsoRecord r(QsoRecord::Record(s.qsoFile()->Record().data(), kQsoRecordSize));
    recordNo = r.recordNo();
    call = r.call();
  }
  if (recordNo == 0) {
    s.Close();
    return LogUsage(env, "delete", "no QSO with serial number " + args[1]);
  }
  const bool deleted = s.DeleteQso(recordNo);
  s.Close();
  if (!deleted) return kExitRefused;
  env.out << "deleted QSO " << *serial << "  " << Out(call) << "\n";
  return kExitOk;
}

int RunScore(const CommandEnv& env, CommandArgs args) {
  if (args.size() != 1) return LogUsage(env, "score", "needs LOG");
  const auto number = ParseLogNumber(args[0]);
  if (!number) return LogUsage(env, "score", "no log number: " + args[0]);
  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "score", "no log " + args[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  const ContestRules rules = tool.RulesFor(header);
  const ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  OpenedFile qsos(tool.context().catalogue(), SharedFile::kQsoLog, *number);
  if (!qsos) return kExitFailure;
  const ScoringContext ctx{&rules, h.contestCode(), &tool.settings().suffixes};
  MultiplierTables tables(ctx);
  LogTotals totals;
  FullRecount(*qsos.get(), ctx, h, rules.bandSlots[1], tables, totals);
  const TotalsPanel panel = BuildTotalsPanel(totals, rules, h.contestCode());
  for (const TotalsPanel::Column& col : panel.columns) {
    if (col.label.empty()) continue;
    env.out << Out(col.label) << "  QSO " << col.qsos << "  Multi " << col.multipliers << "  Punkte " << col.points
            << "\n";
  }
  for (const std::string& line : panel.lines) {
    if (!line.empty()) env.out << Out(TrimBlanksTabs(line)) << "\n";
  }
  return kExitOk;
}

}  // namespace korv::tool
