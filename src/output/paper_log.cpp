#include "output/paper_log.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/cover_sheet.h"
#include "output/elog_lists.h"
#include "output/qso_list_writer.h"

namespace korv {
namespace {

constexpr int kSummaryAdvances = 4;
constexpr std::size_t kPageNumberWidth = 4;
constexpr int kListenerTypeEntry = 4;  // the participation type with the small list font

// The pen of one print job: the layout values, the current height and the
// page count.
class PaperPen {
 public:
  PaperPen(PrintDocument& doc, const PrintFont& font) : doc_(doc), font_(font) {
    doc_.SetFont(font_);
    const int r = doc_.Resolution();
    left_ = r * 140 / 254;
    top_ = r * 100 / 254;
    advance_ = doc_.TextHeight("XygW") * 11 / 10;
    y_ = top_;
  }

  int page() const { return page_; }

  void Line(std::string_view text, bool bold = false) {
    SetBold(bold);
    doc_.TextOut(left_, y_, text);
    y_ += advance_;
  }

  // True when `lines` more lines fit below the current height.
  bool Fits(int lines) const { return doc_.PageHeight() >= y_ + lines * advance_; }

  void NewPage() {
    doc_.NewPage();
    ++page_;
    y_ = top_;
  }

  // The start of a list: a new page unless its first `lines` lines (title,
  // heading and a first row) fit below what stands on the page already.
  void StartList(int lines) {
    if (y_ > top_ && !Fits(lines)) NewPage();
  }

  // A list line: a new page and its header first when the line would not fit.
  void ListLine(std::string_view text, const std::function<void()>& pageHeader, bool bold = false) {
    if (!Fits(1)) {
      NewPage();
      if (pageHeader) pageHeader();
    }
    Line(text, bold);
  }

  void Finish() { SetBold(false); }

 private:
  void SetBold(bool bold) {
    if (font_.bold == bold) return;
    font_.bold = bold;
    doc_.SetFont(font_);
  }

  PrintDocument& doc_;
  PrintFont font_;
  int left_ = 0;
  int top_ = 0;
  int advance_ = 1;
  int y_ = 0;
  int page_ = 1;
};

std::string WithPageNumber(const std::string& title, int page) {
  return title + "Page :" + RightAligned(page, kPageNumberWidth);
}

void PrintCoverSheet(PaperPen& pen, const OutputContext& ctx) {
  for (const CoverLine& line : CoverSheetLines(ctx, CoverMedium::kPrinter)) pen.Line(line.text, line.bold);
}

Status PrintQsoList(PaperPen& pen, const OutputContext& ctx, FileBlock& qsoFile) {
  ListBody body;
  const Status st = QsoListBody(ctx, qsoFile, body);
  if (!st.ok()) return st;
  const std::string title = QsoListTitle(ctx);
  const auto header = [&] {
    pen.Line(WithPageNumber(title, pen.page()), true);
    pen.Line({});
    pen.Line(body.heading);
  };
  pen.StartList(5);  // the header, a blank line, a first row
  header();
  pen.Line({});
  for (const std::string& line : body.lines) pen.ListLine(line, header);
  if (!pen.Fits(kSummaryAdvances)) {
    pen.NewPage();
    header();
  }
  for (const std::string& line : body.summary) pen.ListLine(line, header);
  return Status::Ok();
}

Status PrintBandList(PaperPen& pen, const OutputContext& ctx, FileBlock& qsoFile) {
  std::string heading;
  std::vector<BandSection> sections;
  const Status st = BandListBody(ctx, qsoFile, heading, sections);
  if (!st.ok()) return st;
  for (const BandSection& section : sections) {
    const std::string title = BandListTitle(ctx, section.band);
    const auto header = [&] {
      pen.Line(title, true);
      pen.Line({});
      pen.Line(heading);
    };
    // Before its heading a section has nothing to repeat on a new page.
    pen.StartList(6);  // blank lines, title, heading and a first row together
    pen.ListLine({}, {});
    pen.ListLine({}, {});
    pen.ListLine(title, {}, true);
    pen.ListLine({}, {});
    pen.ListLine(heading, {});
    for (const std::string& line : section.lines) pen.ListLine(line, header);
  }
  return Status::Ok();
}

Status PrintMultiplierCheckList(PaperPen& pen, const OutputContext& ctx, FileBlock& qsoFile) {
  std::vector<std::string> rows;
  const Status st = MultiplierCheckRows(ctx, qsoFile, rows);
  if (!st.ok()) return st;
  const std::string title = MultiplierCheckTitle(ctx);
  const std::string heading = MultiplierCheckHeading(ctx.rules);
  const auto header = [&] {
    pen.Line(WithPageNumber(title, pen.page()), true);
    pen.Line({});
    pen.Line({});
    pen.Line(heading);
  };
  pen.StartList(5);
  header();
  for (const std::string& row : rows) pen.ListLine(row, header);
  return Status::Ok();
}

const char* DocumentTitle(OutputKind kind) {
  switch (kind) {
    case OutputKind::kPaperCoverSheet:
      return "Papierlog - Deckblatt";
    case OutputKind::kPaperMultiplierList:
      return "Papierlog - Multi-Checkliste";
    case OutputKind::kPaperBandList:
      return "Papierlog - Band-Liste";
    case OutputKind::kPaperQsoList:
      return "Papierlog - QSO-Liste";
    default:
      return "Papierlog";
  }
}

}  // namespace

bool IsPaperOutput(OutputKind kind) {
  switch (kind) {
    case OutputKind::kPaperCoverSheet:
    case OutputKind::kPaperMultiplierList:
    case OutputKind::kPaperBandList:
    case OutputKind::kPaperQsoList:
    case OutputKind::kPaperLog:
      return true;
    default:
      return false;
  }
}

PrintFont PaperLogFont(OutputKind kind, const OutputContext& ctx) {
  PrintFont font{"Courier New", 9, false};
  if (kind == OutputKind::kPaperMultiplierList) font.pointSize = 10;
  if ((kind == OutputKind::kPaperBandList || kind == OutputKind::kPaperQsoList) &&
      ctx.header.participationType() == kListenerTypeEntry) {
    font.pointSize = 8;
  }
  return font;
}

Status PrintPaperLog(PrintDocument& doc, OutputKind kind, const OutputContext& ctx, FileBlock& qsoFile) {
  PaperPen pen(doc, PaperLogFont(kind, ctx));
  Status st = Status::Ok();
  switch (kind) {
    case OutputKind::kPaperCoverSheet:
      PrintCoverSheet(pen, ctx);
      break;
    case OutputKind::kPaperMultiplierList:
      st = PrintMultiplierCheckList(pen, ctx, qsoFile);
      break;
    case OutputKind::kPaperBandList:
      st = PrintBandList(pen, ctx, qsoFile);
      break;
    case OutputKind::kPaperQsoList:
      st = PrintQsoList(pen, ctx, qsoFile);
      break;
    case OutputKind::kPaperLog:
      PrintCoverSheet(pen, ctx);
      pen.NewPage();
      st = PrintMultiplierCheckList(pen, ctx, qsoFile);
      if (st.ok()) st = PrintBandList(pen, ctx, qsoFile);
      if (st.ok()) st = PrintQsoList(pen, ctx, qsoFile);
      break;
    default:
      break;
  }
  pen.Finish();
  return st;
}

bool RunPaperOutput(const PaperOutputJob& job, const OutputContext& ctx) {
  if (!IsPaperOutput(job.kind) || job.catalogue == nullptr || job.platform == nullptr) return false;
  PrintRequest request;
  request.documentTitle = DocumentTitle(job.kind);
  request.pdfFile = job.pdfFile;
  std::string pdfName = OwnCallOrSwl(ctx);
  for (char& c : pdfName) {
    if (c == '/') c = '_';
  }
  if (!pdfName.empty()) pdfName += " ";
  request.pdfProposal = job.directory / (pdfName + request.documentTitle + ".pdf");
  std::unique_ptr<PrintDocument> doc = job.platform->BeginPrint(request);
  if (!doc) return false;
  const std::int32_t number = ctx.header.contestNumber();
  FileBlock* qsoFile = job.catalogue->OpenQsoFile(number);
  if (qsoFile == nullptr) {
    (void)doc->End();
    return false;
  }
  const Status st = PrintPaperLog(*doc, job.kind, ctx, *qsoFile);
  job.catalogue->ReleaseQsoFile(number);
  const bool ended = doc->End();
  return st.ok() && ended;
}

}  // namespace korv
