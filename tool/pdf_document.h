// A print job into a PDF file, for printing without a printer or a window:
// A4 pages, 600 pixels per inch, the whole sheet printable. Texts are
// Windows-1252 and use the PDF standard fonts Courier and Courier-Bold
// (WinAnsiEncoding, which is Windows-1252), so nothing is embedded.
// Beyond the texts of a PrintDocument it draws lines and rectangles (for
// charts), in the same device pixels.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace korv::tool {

class PdfDocument : public PrintDocument {
 public:
  enum class Orientation { kPortrait, kLandscape };
  // Creates the file; nullptr when it cannot be created.
  static std::unique_ptr<PdfDocument> Create(const std::filesystem::path& file,
                                             Orientation orientation = Orientation::kPortrait);

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

  // Red, green and blue from 0 to 1. Lines and rectangles take their own
  // colour; texts stay black.
  struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
  };
  using Point = std::pair<int, int>;  // x, y
  void Line(Point from, Point to, int width, Color color);
  void Polyline(const std::vector<Point>& points, int width, Color color);
  void FillRect(int x, int y, int width, int height, Color color);
  void FrameRect(int x, int y, int width, int height, int lineWidth, Color color);

 private:
  static constexpr int kResolution = 600;
  PdfDocument(std::ofstream out, bool landscape) : out_(std::move(out)), landscape_(landscape) {
    pages_.emplace_back();
  }
  double PointSize() const { return font_.pointSize > 0 ? font_.pointSize : 10; }
  double TopPt() const;  // the page height in points

  std::ofstream out_;
  bool landscape_ = false;
  PrintFont font_;
  std::vector<std::string> pages_;  // content streams
  bool ended_ = false;
};

}  // namespace korv::tool
