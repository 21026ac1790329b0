// The help viewer: a window that shows the program's HTML help and jumps to
// the topic of a context number (anchor "ctx<number>").
#pragma once

#include <QDialog>
#include <filesystem>

class QTextBrowser;

namespace korv {

class HelpViewer : public QDialog {
  Q_OBJECT
 public:
  explicit HelpViewer(QWidget* parent = nullptr);
  // False when the file cannot be read.
  bool ShowTopic(const std::filesystem::path& helpFile, int contextNumber);
  QString CurrentAnchor() const { return m_anchor; }

 private:
  QTextBrowser* m_browser;
  QString m_anchor;
};

}  // namespace korv
