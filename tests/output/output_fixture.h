// A code '3' contest log for the writers: its header, presets, totals
// record, the own station and an open QSO file in a temporary data
// directory; plus golden-file comparison.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/files_fixture.h"
#include "logging/qso_record.h"
#include "logging/totals_record.h"
#include "output/output_context.h"
#include "shell/contest_rules.h"

namespace korv::testing {

inline constexpr std::int32_t kLogNumber = 7;

inline std::filesystem::path GoldenDir() {
  const char* env = std::getenv("KORV_TEST_DATA");
  return std::filesystem::path(env != nullptr ? env : KORV_TEST_DATA_DIR) / "output";
}

// Compares bytes with tests/data/output/<name>. With KORV_UPDATE_GOLDEN set
// the file is written instead (to be read through before it is committed).
inline void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::filesystem::path path = GoldenDir() / name;
  if (std::getenv("KORV_UPDATE_GOLDEN") != nullptr) {
    WriteAll(path, std::vector<std::uint8_t>(actual.begin(), actual.end()));
  }
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  ASSERT_FALSE(bytes.empty()) << "missing golden file " << path;
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), actual) << name;
}

// The lines of a file without their CR LF; fails on a bare LF.
inline std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    EXPECT_NE(lf, std::string::npos) << "last line without CR LF";
    if (lf == std::string::npos) break;
    EXPECT_TRUE(lf > start && bytes[lf - 1] == '\r') << "LF without CR at " << lf;
    lines.push_back(bytes.substr(start, lf - start - 1));
    start = lf + 1;
  }
  return lines;
}

// Report and field 2 of an exchange.
inline Exchange Ex(std::string report, std::string field2) {
  return Exchange{std::move(report), std::move(field2), {}, {}};
}

// One QSO as the tests describe it.
struct TestQso {
  std::string call;
  BandIndex band = 'b';
  std::string mode = "SSB";
  Exchange sent;
  Exchange rcvd;
  std::uint16_t points = 1;
  std::string dok;
  std::string multi1;
  int hour = 12;
  int minute = 0;
};

class OutputTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    header.Clear();
    header.MarkCreated();
    header.SetContestNumber(kLogNumber);
    header.SetContestCode('3');
    header.SetName("DEZ 2009");
    header.SetOwnCall("DL1ABC");
    header.SetDok("N05");
    header.SetLocator("JO62QM");
    header.SetParticipationType(1);
    FillRules();
    totals.Clear();
    totals.SetContestNumber(kLogNumber);
    own.name = "Max M\xFCller";
    own.street = "Hauptstra\xDF" "e 1";
    own.postcode = "12345";
    own.town = "Musterstadt";
    qsoFile = catalogue->OpenQsoFile(kLogNumber);
    ASSERT_NE(qsoFile, nullptr);
  }

  void FillRules() {
    bool uiGerman = true;
    rules = FillContestPresets('3', header, uiGerman);
  }

  OutputContext Context() const {
    OutputContext ctx{header, rules, ReadStoredTotals(header, &totals, rules), own, today, now};
    ctx.createdUtc = {today, now - 2 * 3600 + 15};
    return ctx;
  }

  // Inserts a record filled by `fill` into the QSO file.
  void AddRecord(const std::function<void(QsoRecord&)>& fill) {
    qsoFile->ClearRecordBuffer();
    auto qso = QsoRecord::Over(qsoFile->Record());
    ASSERT_TRUE(qso.has_value());
    fill(*qso);
    ASSERT_TRUE(qsoFile->InsertRecord().ok());
  }

  void AddQso(const TestQso& q, const std::function<void(QsoRecord&)>& more = {}) {
    ++serial_;
    AddRecord([&](QsoRecord& r) {
      r.SetCall(q.call);
      r.SetQsoDate(qsoDay);
      r.SetQsoTime(q.hour * 3600 + q.minute * 60);
      r.SetBand(q.band);
      r.SetMode(q.mode);
      r.SetSentExchange(q.sent);
      r.SetReceivedExchange(q.rcvd);
      r.SetPoints(q.points);
      r.SetDok(q.dok);
      r.SetMulti1(q.multi1);
      r.SetSerialNo(serial_);
      r.SetBandNo(serial_);
      r.SetBandNo2(serial_);
      r.SetQslSend('N');
      r.SetQslRcvd(' ');
      if (more) more(r);
    });
  }

  // A QSY marker line to `band`.
  void AddQsyMarker(BandIndex band, int hour, int minute) {
    AddRecord([&](QsoRecord& r) {
      r.SetQsoDate(qsoDay);
      r.SetQsoTime(hour * 3600 + minute * 60);
      r.SetQsyBand(band);
      r.SetBand(band);
    });
  }

  void SetSlot(int slot, int qsos, int multipliers, int points) {
    totals.SetQsoCount(slot, qsos);
    totals.SetMultiplierCount(slot, multipliers);
    totals.SetPoints(slot, points);
    totals.SetColumn1Count(slot, static_cast<std::uint16_t>(multipliers));
  }

  // The log of the golden files: five QSOs on 80 m, 40 m and 10 m with a QSY
  // marker line between the third and the fourth.
  void FillSampleLog() {
    AddQso({"DL2XYZ", 'b', "SSB", Ex("59", "N05"), Ex("59", "N01"), 1, "N01", "N01", 12, 5},
           [](QsoRecord& r) {
             r.SetPrefix("DL");
             r.SetContinent("EU");
             r.SetNameQth("Hans;Berlin");
             r.SetFrequency(3.65f);
             r.SetQslSend('J');
             r.SetQslRcvd('N');
           });
    AddQso({"DK3AB/P", 'b', "CW", Ex("599", "N05"), Ex("579", "Z41"), 5, "Z41", "Z41", 12, 7},
           [](QsoRecord& r) {
             r.SetPrefix("DL");
             r.SetFrequency(3.5255f);
           });
    AddQso({"ON4XYZ", 'b', "SSB", Ex("59", "N05"), Ex("59", ""), 10, "", "", 12, 20},
           [](QsoRecord& r) {
             r.SetPrefix("ON");
             r.SetNameQth("Brussel");
           });
    AddQsyMarker('c', 12, 30);
    AddQso({"DL/PA3ABC/P", 'c', "SSB", Ex("59", "N05"), Ex("59", "B36"), 1, "B36", "", 12, 31});
    AddQso({"DF9ZZZ", 'i', "CW", Ex("599", "N05"), Ex("599", "N13"), 1, "N13", "N13", 12, 40},
           [](QsoRecord& r) {
             r.SetRxLocator("JO40AA");
             r.SetFrequency(28.0355f);
           });
    SetSlot(1, 3, 2, 16);
    SetSlot(2, 1, 0, 1);
    SetSlot(3, 1, 1, 1);
  }

  std::array<std::uint8_t, kContestHeaderSize> headerBytes{};
  ContestHeader header{headerBytes};
  ContestRules rules;
  std::vector<std::uint8_t> totalsBytes = std::vector<std::uint8_t>(kTotalsRecordSize);
  TotalsRecord totals{TotalsRecord::Record(totalsBytes.data(), kTotalsRecordSize)};
  OwnStation own;
  FileBlock* qsoFile = nullptr;
  DayNumber qsoDay = DayNumberFromCivil({2009, 6, 15});
  DayNumber today = DayNumberFromCivil({2009, 6, 20});
  TimeOfDay now = 10 * 3600 + 30 * 60;

 private:
  std::int32_t serial_ = 0;
};

}  // namespace korv::testing
