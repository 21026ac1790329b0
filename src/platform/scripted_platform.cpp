#include "platform/scripted_platform.h"

namespace korv {

// Fixed-pitch metrics: every character is 3/5 of the point size wide, a line
// is the point size high (in device pixels at the recording resolution), so
// layouts computed from the metrics are reproducible in tests.
class ScriptedPlatform::RecordingPrintDocument : public PrintDocument {
 public:
  RecordingPrintDocument(ScriptedPlatform& owner, std::size_t job) : owner_(owner), job_(job) {}
  int Resolution() const override { return owner_.printerResolution_; }
  int PageWidth() const override { return owner_.printerWidth_; }
  int PageHeight() const override { return owner_.printerHeight_; }
  void SetFont(const PrintFont& font) override { font_ = font; }
  int TextWidth(std::string_view text) override {
    return static_cast<int>(text.size()) * PointPixels() * 3 / 5;
  }
  int TextHeight(std::string_view) override { return PointPixels(); }
  void TextOut(int x, int y, std::string_view text) override {
    Job().texts.push_back({Job().pages, x, y, font_, std::string(text)});
  }
  void NewPage() override { ++Job().pages; }
  bool End() override {
    Job().ended = true;
    return true;
  }

 private:
  PrintJob& Job() { return owner_.printJobs_[job_]; }
  int PointPixels() const { return font_.pointSize * owner_.printerResolution_ / 72; }

  ScriptedPlatform& owner_;
  std::size_t job_;
  PrintFont font_;
};

class ScriptedPlatform::RecordingProgressWindow : public ProgressWindow {
 public:
  RecordingProgressWindow(ScriptedPlatform& owner, std::string caption)
      : owner_(owner), caption_(std::move(caption)) {}
  void SetRange(int maximum) override {
    maximum_ = maximum;
    Record();
  }
  void SetPosition(int position) override {
    position_ = position;
    Record();
  }
  void SetText(std::string_view text) override {
    text_ = text;
    Record();
  }

 private:
  void Record() {
    owner_.progressEvents_.push_back({caption_, text_, maximum_, position_});
    ++owner_.pendingEventCalls_;
  }
  ScriptedPlatform& owner_;
  std::string caption_;
  std::string text_;
  int maximum_ = 0;
  int position_ = 0;
};

void ScriptedPlatform::SetPrinterGeometry(int resolution, int width, int height) {
  printerResolution_ = resolution;
  printerWidth_ = width;
  printerHeight_ = height;
}

std::vector<std::string> ScriptedPlatform::TextsOf(Kind kind) const {
  std::vector<std::string> out;
  for (const Shown& s : shown_) {
    if (s.kind == kind) out.push_back(s.text);
  }
  return out;
}

void ScriptedPlatform::ClearRecord() {
  destroyingQuestions_.clear();
  shown_.clear();
  unexpectedQuestions_ = 0;
  beeps_ = 0;
  pendingEventCalls_ = 0;
  shellOpened_.clear();
  helpRequests_.clear();
  fileDialogs_.clear();
  printJobs_.clear();
  progressEvents_.clear();
}

bool ScriptedPlatform::AskYesNo(std::string_view text) {
  shown_.push_back({Kind::kQuestion, std::string(text)});
  if (answers_.empty()) {
    ++unexpectedQuestions_;
    return false;
  }
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

bool ScriptedPlatform::AskBeforeDestroying(std::string_view text) {
  destroyingQuestions_.emplace_back(text);
  return AskYesNo(text);
}

void ScriptedPlatform::Inform(std::string_view text) {
  shown_.push_back({Kind::kInform, std::string(text)});
}
void ScriptedPlatform::Warn(std::string_view text) {
  shown_.push_back({Kind::kWarn, std::string(text)});
}
void ScriptedPlatform::ShowError(std::string_view text) {
  shown_.push_back({Kind::kError, std::string(text)});
}

bool ScriptedPlatform::ShellOpen(std::string_view target) {
  shellOpened_.emplace_back(target);
  return shellOpenResult_;
}

bool ScriptedPlatform::ShowHelp(const std::filesystem::path& helpFile, int contextNumber) {
  helpRequests_.push_back({helpFile, contextNumber});
  return helpResult_;
}

std::optional<std::filesystem::path> ScriptedPlatform::NextFileAnswer(
    const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;  // an unscripted dialog is cancelled
  auto answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

std::optional<std::filesystem::path> ScriptedPlatform::AskSaveFileName(
    const FileDialogRequest& request) {
  return NextFileAnswer(request);
}

std::optional<std::filesystem::path> ScriptedPlatform::AskOpenFileName(
    const FileDialogRequest& request) {
  return NextFileAnswer(request);
}

std::unique_ptr<PrintDocument> ScriptedPlatform::BeginPrint(const PrintRequest& request) {
  if (cancelNextPrint_) {
    cancelNextPrint_ = false;
    return nullptr;
  }
  printJobs_.push_back({request.documentTitle, request.pdfFile, request.pdfProposal, {}, 1, false});
  return std::make_unique<RecordingPrintDocument>(*this, printJobs_.size() - 1);
}

std::unique_ptr<ProgressWindow> ScriptedPlatform::OpenProgress(std::string_view caption) {
  return std::make_unique<RecordingProgressWindow>(*this, std::string(caption));
}

}  // namespace korv
