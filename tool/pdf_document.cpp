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

}  // namespace

std::unique_ptr<PdfDocument> PdfDocument::Create(const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return nullptr;
  return std::unique_ptr<PdfDocument>(new PdfDocument(std::move(out)));
}

int PdfDocument::PageWidth() const { return static_cast<int>(kPageWidthPt * kResolution / 72); }
int PdfDocument::PageHeight() const { return static_cast<int>(kPageHeightPt * kResolution / 72); }

int PdfDocument::TextWidth(std::string_view text) {
  return static_cast<int>(static_cast<double>(text.size()) * kGlyphWidth * PointSize() * kResolution / 72);
}

int PdfDocument::TextHeight(std::string_view) {
  return static_cast<int>((kAscent + kDescent) * PointSize() * kResolution / 72);
}

void PdfDocument::TextOut(int x, int y, std::string_view text) {
  if (text.empty()) return;
  const double scale = 72.0 / kResolution;
  const double baseline = kPageHeightPt - y * scale - kAscent * PointSize();
  pages_.back() += "BT /" + std::string(font_.bold ? "F2 " : "F1 ") + Number(PointSize()) + " Tf " +
                   Number(x * scale) + " " + Number(baseline) + " Td " + PdfString(text) + " Tj ET\n";
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
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(kPageWidthPt) + " " +
                      Number(kPageHeightPt) + "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                      std::to_string(6 + 2 * i) + " 0 R >>");
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
