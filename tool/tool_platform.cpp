#include "tool/tool_platform.h"

#include "common/cp1252.h"
#include "tool/pdf_document.h"

namespace korv::tool {
namespace {

class SilentProgress : public ProgressWindow {
 public:
  void SetRange(int) override {}
  void SetPosition(int) override {}
  void SetText(std::string_view) override {}
};

}  // namespace

bool ToolPlatform::AskYesNo(std::string_view text) {
  messages_.emplace_back(text);
  err_ << Cp1252ToUtf8(text) << (answerYes_ ? " -> Ja\n" : " -> Nein\n");
  return answerYes_;
}

void ToolPlatform::Inform(std::string_view text) {
  messages_.emplace_back(text);
  err_ << Cp1252ToUtf8(text) << "\n";
}

std::unique_ptr<ProgressWindow> ToolPlatform::OpenProgress(std::string_view) {
  return std::make_unique<SilentProgress>();
}

std::unique_ptr<PrintDocument> ToolPlatform::BeginPrint(const PrintRequest& request) {
  if (request.pdfFile.empty()) return nullptr;
  return PdfDocument::Create(request.pdfFile);
}

}  // namespace korv::tool
