// A print job into a PDF file, for printing without a printer or a window:
// A4 pages, 600 pixels per inch, the whole sheet printable. Texts are
// Windows-1252 and use the PDF standard fonts Courier and Courier-Bold
// (WinAnsiEncoding, which is Windows-1252), so nothing is embedded.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace korv::tool {

class PdfDocument : public PrintDocument {
 public:
  // Creates the file; nullptr when it cannot be created.
  static std::unique_ptr<PdfDocument> Create(const std::filesystem::path& file);

  int Resolution() const override { return kResolution; }
  int PageWidth() const override;
  int PageHeight() const override;
  void SetFont(const PrintFont& font) override { font_ = font; }
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void TextOut(int x, int y, std::string_view text) override;
  void NewPage() override { pages_.emplace_back(); }
  // Writes the pages; false when the file could not be written completely.
  bool End() override;

 private:
  static constexpr int kResolution = 600;
  explicit PdfDocument(std::ofstream out) : out_(std::move(out)) { pages_.emplace_back(); }
  double PointSize() const { return font_.pointSize > 0 ? font_.pointSize : 10; }

  std::ofstream out_;
  PrintFont font_;
  std::vector<std::string> pages_;  // content streams
  bool ended_ = false;
};

}  // namespace korv::tool
