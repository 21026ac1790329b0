#include "tool/pdf_document.h"

#include <cstdio>

namespace korv::tool {
namespace {

// A4 in PDF points (1/72 inch).
constexpr double kPageWidthPt = 595.276;
constexpr double kPageHeightPt = 841.890;
// Courier: every glyph 600/1000 em wide; the font box reaches from 250/1000
// em below the baseline to 805/1000 em above it.
constexpr double kGlyphWidth = 0.6;
constexpr double kAscent = 0.805;
constexpr double kDescent = 0.250;

std::string Number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", value);
  return buf;
}

// A PDF string literal of Windows-1252 text.
std::string PdfString(std::string_view text) {
  std::string s = "(";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      s += '\\';
      s += c;
    } else if (u < 0x20 || u >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", u);
      s += buf;
    } else {
      s += c;
    }
  }
  return s + ")";
}

std::string ColorOperands(const PdfDocument::Color& c) {
  return Number(c.red) + " " + Number(c.green) + " " + Number(c.blue);
}

}  // namespace

std::unique_ptr<PdfDocument> PdfDocument::Create(const std::filesystem::path& file, Orientation orientation) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return nullptr;
  return std::unique_ptr<PdfDocument>(new PdfDocument(std::move(out), orientation == Orientation::kLandscape));
}

double PdfDocument::TopPt() const { return landscape_ ? kPageWidthPt : kPageHeightPt; }

int PdfDocument::PageWidth() const {
  return static_cast<int>((landscape_ ? kPageHeightPt : kPageWidthPt) * kResolution / 72);
}
int PdfDocument::PageHeight() const {
  return static_cast<int>((landscape_ ? kPageWidthPt : kPageHeightPt) * kResolution / 72);
}

int PdfDocument::TextWidth(std::string_view text) {
  return static_cast<int>(static_cast<double>(text.size()) * kGlyphWidth * PointSize() * kResolution / 72);
}

int PdfDocument::TextHeight(std::string_view) {
  return static_cast<int>((kAscent + kDescent) * PointSize() * kResolution / 72);
}

void PdfDocument::TextOut(int x, int y, std::string_view text) {
  if (text.empty()) return;
  const double scale = 72.0 / kResolution;
  const double baseline = TopPt() - y * scale - kAscent * PointSize();
  pages_.back() += "BT /" + std::string(font_.bold ? "F2 " : "F1 ") + Number(PointSize()) + " Tf " +
                   Number(x * scale) + " " + Number(baseline) + " Td " + PdfString(text) + " Tj ET\n";
}

// Device pixels from the top left to PDF points from the bottom left; each
// drawing saves and restores the graphics state, so its colour and width
// stay its own.
void PdfDocument::Line(Point from, Point to, int width, Color color) { Polyline({from, to}, width, color); }

void PdfDocument::Polyline(const std::vector<Point>& points, int width, Color color) {
  if (points.size() < 2) return;
  const double scale = 72.0 / kResolution;
  const double top = TopPt();
  std::string path = "q " + ColorOperands(color) + " RG " + Number(width * scale) + " w 1 j 1 J";
  for (std::size_t i = 0; i < points.size(); ++i) {
    path += " " + Number(points[i].first * scale) + " " + Number(top - points[i].second * scale) +
            (i == 0 ? " m" : " l");
  }
  pages_.back() += path + " S Q\n";
}

void PdfDocument::FillRect(int x, int y, int width, int height, Color color) {
  if (width <= 0 || height <= 0) return;
  const double scale = 72.0 / kResolution;
  const double top = TopPt();
  pages_.back() += "q " + ColorOperands(color) + " rg " + Number(x * scale) + " " +
                   Number(top - (y + height) * scale) + " " + Number(width * scale) + " " +
                   Number(height * scale) + " re f Q\n";
}

void PdfDocument::FrameRect(int x, int y, int width, int height, int lineWidth, Color color) {
  if (width <= 0 || height <= 0) return;
  const double scale = 72.0 / kResolution;
  const double top = TopPt();
  pages_.back() += "q " + ColorOperands(color) + " RG " + Number(lineWidth * scale) + " w " + Number(x * scale) +
                   " " + Number(top - (y + height) * scale) + " " + Number(width * scale) + " " +
                   Number(height * scale) + " re S Q\n";
}

bool PdfDocument::End() {
  if (ended_) return true;
  ended_ = true;
  // Objects: 1 catalogue, 2 page tree, 3 and 4 the fonts, then per page its
  // page object and its content stream.
  std::vector<std::string> objects;
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (std::size_t i = 0; i < pages_.size(); ++i) kids += std::to_string(5 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + " >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Bold /Encoding /WinAnsiEncoding >>");
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " +
                      Number(landscape_ ? kPageHeightPt : kPageWidthPt) + " " + Number(TopPt()) +
                      "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " + std::to_string(6 + 2 * i) +
                      " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(pages_[i].size()) + " >>\nstream\n" + pages_[i] +
                      "endstream");
  }
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010zu 00000 n \n", offset);
    pdf += buf;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  out_.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  out_.close();
  return !out_.fail();
}

}  // namespace korv::tool
