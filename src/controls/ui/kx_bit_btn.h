// TkxBitBtn: a push button whose kind selects caption, picture, the
// default/cancel role and the dialog result. Captions are Windows-1252 bytes;
// "&" marks the mnemonic, "|" breaks the line.
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <string>
#include <string_view>

class QMenu;
class QShortcut;

namespace korv {

enum TkxKind {
  bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll,
  bkWeiter, bkZurueck, bkEdit, bkUebernahme,
  bkDruck, bkGDruck, bkNeu, bkGNeu, bkAendern, bkGAendern, bkLoeschen, bkGLoeschen, bkZusatz,
  bkSuche, bkGSuche, bkStat, bkGStatistik, bkGHelp, bkGClose, bkGEinlesen, bkOption, bkGOption,
  bkGHistory, bkGAuswahlblau, bkGZF, bkGExport, bkExport, bkGMoveLR, bkGCopyLR, bkGKopie,
  bkGAmpelgelb, bkGAmpelrot, bkGAmpelgruen, bkGListe, bkGTabelle, bkGMatrix, bkGStart,
  bkGDiagramm, bkGHTML, bkHTML, bkGKarte, bkGLabel
};

// Dialog results; a dialog the button is on ends with the button's result.
enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
  mrNo = 7, mrAll = 8
};

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TkxBitBtn : public QPushButton {
  Q_OBJECT
 public:
  static constexpr int kDefaultHeight = 35;

  explicit TkxBitBtn(QWidget* parent = nullptr);

  TkxKind kxKind() const { return m_kind; }
  // Sets caption, Default (bkOK, bkYes), Cancel (bkCancel, bkNo) and the
  // dialog result of the kind. While loading, the caption is only set when
  // it is still empty. The kind's picture resource is not shipped: the glyph
  // is left as it is.
  void SetkxKind(TkxKind kind);
  // The resource name of the kind's picture ("KXBB" + name without "bk" in
  // capitals); empty for bkCustom.
  static std::string GlyphResourceName(TkxKind kind);
  // The fixed caption of a kind; empty for bkCustom.
  static std::string KindCaption(TkxKind kind);
  static int KindModalResult(TkxKind kind);

  // The caption as set (with "&" and "|"); changing it keeps the kind.
  const std::string& Caption() const { return m_caption; }
  void SetCaption(std::string_view cp1252);

  // Changing these by hand turns the kind back to bkCustom.
  bool Default() const { return m_default; }
  void SetDefault(bool on);
  bool Cancel() const { return m_cancel; }
  void SetCancel(bool on);
  int ModalResult() const { return m_modalResult; }
  void SetModalResult(int result);
  const QPixmap& Glyph() const { return m_glyph; }
  void SetGlyph(const QPixmap& glyph);

  // Form loading: captions of kinds only fill an empty caption.
  void SetLoading(bool loading) { m_loading = loading; }

  // n > 0: the width is n plus the width of the picture-and-caption block.
  int kxautoWidth() const { return m_autoWidth; }
  void SetkxautoWidth(int n);

  TButtonLayout Layout() const { return m_layout; }
  void SetLayout(TButtonLayout layout) { m_layout = layout; }
  int Margin() const { return m_margin; }
  void SetMargin(int margin) { m_margin = margin; }
  int Spacing() const { return m_spacing; }
  void SetSpacing(int spacing);
  int NumGlyphs() const { return m_numGlyphs; }
  // With 2 or more glyphs the picture holds them side by side: normal,
  // then disabled.
  void SetNumGlyphs(int n);

  // The picture is drawn greyed while the button stays enabled.
  bool kxDeaktiviert() const { return m_deaktiviert; }
  void SetkxDeaktiviert(bool on);
  // Background in the parent's colour (off) or the button-face colour (on).
  bool kxnichtTransparent() const { return m_nichtTransparent; }
  void SetkxnichtTransparent(bool on);
  // The face is filled with kFlatroundColour.
  bool kxFlatround() const { return m_flatround; }
  void SetkxFlatround(bool on);
  static constexpr QRgb kFlatroundColour = 0xFFFFDFAA;  // RGB 255, 223, 170

  // A popup menu: an arrow is drawn at the right edge; a press in the
  // rightmost kMenuZone pixels (anywhere without a click handler) opens the
  // menu below the button instead of clicking.
  QMenu* kxMenue() const { return m_menu; }
  void SetkxMenue(QMenu* menu);
  static constexpr int kMenuZone = 13;

  // Dynamic int property carrying a widget's help context.
  static constexpr const char* kHelpContextProperty = "helpContext";

 signals:
  // A bkHelp click: the help context of the button or its nearest parent
  // that has one (> 0). Emitted before the owner's click handler runs.
  void helpRequested(int helpContext);

 protected:
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyDefault(bool on);
  void ApplyCancel(bool on);
  void ApplyGlyph(const QPixmap& glyph);
  void OwnClick();
  void UpdateAutoWidth();
  void UpdateIcon();
  void UpdateColours();

  TkxKind m_kind = bkCustom;
  std::string m_caption;
  bool m_default = false;
  bool m_cancel = false;
  int m_modalResult = mrNone;
  QPixmap m_glyph;
  bool m_loading = false;
  int m_autoWidth = 0;
  TButtonLayout m_layout = blGlyphLeft;
  int m_margin = -1;
  int m_spacing = 4;
  int m_numGlyphs = 1;
  bool m_deaktiviert = false;
  bool m_nichtTransparent = false;
  bool m_flatround = false;
  QMenu* m_menu = nullptr;
  QShortcut* m_escape = nullptr;
};

}  // namespace korv
