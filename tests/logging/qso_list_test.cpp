// The QSO lists' texts and orders over a real QSO file, and the edit
// dialog's changes through the entry session.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "controls/browser.h"
#include "logging/qso_list.h"
#include "log_fixture.h"

namespace korv::testing {
namespace {

using Kind = ScriptedPlatform::Kind;

std::size_t Cells(const std::string& text) { return TKBrowser::SplitColumns(text).size(); }

class QsoListTest : public LogTest {
 protected:
  // The calls a browser shows for an order, top to bottom.
  std::vector<std::string> Listed(const QsoListOrder& order) {
    TKBrowser b(platform);
    b.Events().OnBuildRow = [](TKBrowser& br, std::string& row) {
      row = QsoRecord(QsoRecord::Record(br.BoundFileBlock()->Record().data(), kQsoRecordSize)).call();
    };
    EXPECT_TRUE(b.Browse(session->qsoFile(), order.index, order.lower, order.upper).ok);
    b.Resize(50);
    std::vector<std::string> calls;
    for (const BrowserRow& r : b.Rows()) calls.push_back(r.text);
    return calls;
  }

  // Inserts a record as an older program left it (no renumbering runs).
  void InsertRaw(const std::string& call, BandIndex band, int minute, BandIndex qsyBand = 0) {
    FileBlock* f = session->qsoFile();
    f->ClearRecordBuffer();
    QsoRecord r(QsoRecord::Record(f->Record().data(), kQsoRecordSize));
    r.SetCall(call);
    r.SetBand(band);
    r.SetQsyBand(qsyBand);
    r.SetMode("CW");
    r.SetQsoDate(DayNumberFromCivil({2026, 11, 14}));
    r.SetQsoTime(9 * 3600 + minute * 60);
    ASSERT_TRUE(f->InsertRecord().ok());
  }
};

TEST_F(QsoListTest, RowAndHeaderTexts) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DK0VZ", "n01"));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  QsoRecord r = View(qsos[0]);
  const QsoListFormat format;
  EXPECT_EQ(QsoRowText(r, s.rules(), format),
            "     1; 14.11.26; 08:01; DK0VZ; 80 m; CW; 599 N01; 599 N01; N01;10; N  ; ; ;     0,000");
  EXPECT_EQ(QsoHeaderText(s.rules(), format),
            "Nr ; Datum  ; UTC ; Call    ;Band ;Mod; RSTsent      ; RSTrcvd      ;DOK   ;Pkt;sQr;"
            "Name      ;QTH       ;Freq.          ");
  EXPECT_EQ(Cells(QsoRowText(r, s.rules(), format)), Cells(QsoHeaderText(s.rules(), format)));

  // Name, QTH, frequency, the received QSL flag and the marked flag.
  r.SetNameQth("Hans;Kassel");
  r.SetFrequency(3.55f);
  r.SetQslRcvd('Y');
  r.SetMarked(1);
  const std::string row = QsoRowText(r, s.rules(), format);
  EXPECT_EQ(row.front(), kMarkedRowPrefix);
  EXPECT_NE(row.find("; N Y; Hans; Kassel;     3,550"), std::string::npos) << row;

  // A QSY marker line: number, date, time and the new band only.
  r.SetMarked(0);
  r.SetQsyBand('c');
  EXPECT_EQ(QsoRowText(r, s.rules(), format).substr(0, 41), "; 14.11.26; 08:01; *** QSY 40 m ***; ; ; ");

  // The English header and a listener log: the header follows the rows.
  ContestRules listener = s.rules();
  listener.listenerLog = 1;
  const QsoListFormat english{"dd.mm.yy", "hh:mm", false};
  const std::string header = QsoHeaderText(listener, english);
  EXPECT_EQ(header.substr(0, 12), "No ;  Date  ");
  r.SetQsyBand(0);
  r.SetCall2("DL2XYZ");
  EXPECT_EQ(Cells(QsoRowText(r, listener, english)), Cells(header));
  EXPECT_EQ(TKBrowser::SplitColumns(QsoRowText(r, listener, english))[7], " DL2XYZ");
  EXPECT_EQ(TKBrowser::SplitColumns(header)[7], "Call2  ");
}

TEST_F(QsoListTest, OrdersAndRanges) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL2BBB", "N02"));
  ASSERT_TRUE(LogAt(2, "OE1ABC", ""));
  ASSERT_TRUE(LogAt(3, "DL1AAA", "N01"));
  s.ChangeBand('c');
  ASSERT_TRUE(LogAt(4, "DL1ABC/P", "N05"));
  InsertRaw("", 'c', 5);  // a QSO without call is not listed by call

  const struct {
    int position;
    std::vector<std::string> calls;
  } cases[] = {
      {0, {"", "DL1ABC/P"}},                                   // 40 m by band number (none: 0)
      {1, {"", "DL1ABC/P"}},                                   // 40 m by base call
      {3, {"DL2BBB", "OE1ABC", "DL1AAA", "DL1ABC/P", ""}},     // all by record number
      {4, {"DL1AAA", "DL1ABC/P", "DL2BBB", "OE1ABC"}},         // all by base call
      {6, {"N01", "N02", "N05"}},                              // all by DOK (calls below)
  };
  for (const auto& c : cases) {
    const auto order = LogListOrder(c.position, s.band());
    ASSERT_TRUE(order.has_value());
    std::vector<std::string> expected = c.calls;
    if (c.position == 6) expected = {"DL1AAA", "DL2BBB", "DL1ABC/P"};
    EXPECT_EQ(Listed(*order), expected) << "order " << c.position;
  }
  EXPECT_FALSE(LogListOrder(kLogListOrders, s.band()).has_value());

  // The list window: corrections by running number, the band log, the call search.
  EXPECT_EQ(Listed(KorrekturOrder(KorrekturKind::kBandLog, 'b')),
            (std::vector<std::string>{"DL2BBB", "OE1ABC", "DL1AAA"}));
  EXPECT_EQ(Listed(KorrekturOrder(KorrekturKind::kCallSearch, 'b')).size(), 4u);
  const auto search = CallSearchOrder(" dl1a", settings.suffixes);
  ASSERT_TRUE(search.has_value());
  EXPECT_EQ(Listed(*search), (std::vector<std::string>{"DL1AAA", "DL1ABC/P"}));
  EXPECT_FALSE(CallSearchOrder("  ", settings.suffixes).has_value());

  // The last QSO of a band.
  ASSERT_TRUE(FindLastQsoOfBand(*s.qsoFile(), 'b'));
  EXPECT_EQ(QsoRecord(QsoRecord::Record(s.qsoFile()->Record().data(), kQsoRecordSize)).call(), "DL1AAA");
  EXPECT_FALSE(FindLastQsoOfBand(*s.qsoFile(), 'i'));
}

TEST_F(QsoListTest, EditMovesTheQsoToAnotherBandAndRecounts) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1AAA", "N01"));
  ASSERT_TRUE(LogAt(2, "DL2BBB", "N02"));
  ASSERT_TRUE(LogAt(3, "DL3CCC", "N03"));
  const std::uint32_t second = View(Qsos()[1]).recordNo();
  auto form = s.EditFormOf(second);
  ASSERT_TRUE(form.has_value());
  EXPECT_EQ(form->fields.call, "DL2BBB");
  EXPECT_EQ(form->fields.lower[0], "599");
  EXPECT_EQ(form->fields.lower[1], "N02");
  EXPECT_EQ(form->fields.upper[1], "N01");
  EXPECT_FALSE(form->upperEnabled[0]);  // the sent exchange is locked
  EXPECT_TRUE(form->lowerEnabled[0]);
  EXPECT_EQ(form->fields.band, 'b');
  EXPECT_EQ(form->numberLabel, "Nummer:   2");
  EXPECT_EQ(form->prefixCaption, "DXCC");

  // Another band and a time before the first QSO: it becomes the first.
  form->fields.band = 'c';
  form->fields.time = "07:59:00";
  const auto changed = s.ChangeQso(second, form->fields);
  ASSERT_TRUE(changed.has_value());
  EXPECT_NE(*changed, second);  // renumbering gave it a new record number
  ASSERT_TRUE(FindQsoByRecordNo(*s.qsoFile(), *changed));
  EXPECT_EQ(QsoRecord(QsoRecord::Record(s.qsoFile()->Record().data(), kQsoRecordSize)).call(), "DL2BBB");
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 3u);
  std::vector<std::tuple<std::string, std::int32_t, std::int32_t>> numbers;
  for (auto& q : qsos) numbers.emplace_back(View(q).call(), View(q).serialNo(), View(q).bandNo());
  EXPECT_EQ(numbers, (std::vector<std::tuple<std::string, std::int32_t, std::int32_t>>{
                         {"DL2BBB", 1, 1}, {"DL1AAA", 2, 1}, {"DL3CCC", 3, 2}}));
  EXPECT_EQ(View(qsos[0]).band(), 'c');
  EXPECT_EQ(View(qsos[0]).multi1(), "N02");
  EXPECT_EQ(s.totals().currentQsos, 2);  // still on 80 m
  EXPECT_EQ(s.totals().currentMultipliers, 2);
  EXPECT_EQ(s.totals().qsosPerBand[LogTotals::Slot('c')], 1);
  EXPECT_EQ(s.entry().bandNo(), 3);
}

TEST_F(QsoListTest, EditKeepsTheRecordAndLeavesOutAFaultyDok) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1AAA", "N01"));
  const std::uint32_t no = View(Qsos()[0]).recordNo();
  auto form = s.EditFormOf(no);
  ASSERT_TRUE(form.has_value());
  form->fields.lower[1] = "J12";
  form->fields.name = "hans";
  form->fields.qth = "kassel";
  form->fields.time = "0815";
  form->fields.qslSend = "Y";
  ASSERT_TRUE(s.ChangeQso(no, form->fields));
  EXPECT_EQ(platform.TextsOf(Kind::kInform), std::vector<std::string>{"Fehler bei DOK-Angabe"});
  auto qsos = Qsos();
  QsoRecord r = View(qsos[0]);
  EXPECT_EQ(r.dok(), "");
  EXPECT_EQ(r.rcvdExch(), "599J12");
  EXPECT_EQ(r.nameQth(), "Hans;Kassel");
  EXPECT_EQ(r.qsoTime(), 8 * 3600 + 15 * 60);
  EXPECT_EQ(r.qslSend(), 'Y');
  EXPECT_EQ(s.totals().currentMultipliers, 0);  // the DOK no longer counts

  // The prefix field wins; emptied, the lookup fills it again.
  form = s.EditFormOf(no);
  form->fields.call = "ea8abc";
  form->fields.prefix = "";
  ASSERT_TRUE(s.ChangeQso(no, form->fields));
  EXPECT_EQ(View(Qsos()[0]).prefix(), "EA8");
  EXPECT_EQ(View(Qsos()[0]).continent(), "AF");
  EXPECT_FALSE(s.EditFormOf(no + 100).has_value());
}

TEST_F(QsoListTest, ColumnWidthsReachTheDirectory) {
  const std::int32_t log = CreateLog();
  EntrySession& s = OpenSession();
  s.SetListColumnWidths({40, 0, 77});
  EXPECT_EQ(s.ListColumnWidth(1), 40);
  EXPECT_EQ(s.ListColumnWidth(3), 77);
  s.Close();
  KeyString key;
  key.AppendLong(log);
  ASSERT_TRUE(directory->FindExact(3, key).ok());
  ContestHeader h(ContestHeader::Record(directory->Record().data(), kContestHeaderSize));
  EXPECT_EQ(h.listColumnWidth(1), 40);
  EXPECT_EQ(h.listColumnWidth(3), 77);
}

}  // namespace
}  // namespace korv::testing
