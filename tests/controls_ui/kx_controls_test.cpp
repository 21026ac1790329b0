// The edit field and the glyph button, offscreen; typing goes through real
// key presses.
#include <QDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include "controls/ui/kx_bit_btn.h"
#include "controls/ui/kx_edit.h"
#include "platform/ui/qt_text.h"

using namespace korv;

namespace {

// Types `keys` into a fresh field of `type`, as the user would.
void Type(TkxEdit& edit, const char* keys) {
  edit.setFocus();
  QTest::keyClicks(&edit, QString::fromLatin1(keys));
}

}  // namespace

class KxControlsTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- TkxEdit ----

  void typedNumbers_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<double>("expected");
    QTest::newRow("double with comma") << int(dtDouble) << "14,2" << 14.2;
    QTest::newRow("double with point") << int(dtDouble) << "14.2" << 14.2;
    QTest::newRow("single") << int(dtSingle) << "3,5" << 3.5;
    QTest::newRow("extended leading comma") << int(dtExtended) << ",5" << 0.5;
    QTest::newRow("real negative") << int(dtReal) << "-3,25" << -3.25;
    QTest::newRow("real not a number") << int(dtReal) << "1,2,3" << 0.0;
    QTest::newRow("real letters") << int(dtReal) << "abc" << 0.0;
    QTest::newRow("integer with letter") << int(dtInteger) << "12a" << 0.0;
    QTest::newRow("integer negative") << int(dtInteger) << "-42" << -42.0;
    QTest::newRow("integer with blanks") << int(dtInteger) << " 17 " << 17.0;
    QTest::newRow("integer empty") << int(dtInteger) << "" << 0.0;
    QTest::newRow("integer decimal") << int(dtInteger) << "1,5" << 0.0;
    QTest::newRow("longint large") << int(dtLongint) << "2000000000" << 2000000000.0;
    QTest::newRow("word max") << int(dtWord) << "65535" << 65535.0;
    QTest::newRow("word over range") << int(dtWord) << "70000" << 0.0;
    QTest::newRow("word negative") << int(dtWord) << "-1" << 0.0;
    QTest::newRow("byte max") << int(dtByte) << "255" << 255.0;
    QTest::newRow("byte over range") << int(dtByte) << "256" << 0.0;
  }
  void typedNumbers() {
    QFETCH(int, type);
    QFETCH(QString, keys);
    QFETCH(double, expected);
    TkxEdit edit;
    edit.SetDataType(static_cast<TkxDataType>(type));
    edit.show();
    Type(edit, keys.toLatin1().constData());
    QCOMPARE(edit.text(), keys);
    QCOMPARE(static_cast<double>(edit.AsReal()), expected);
  }

  void valueAlternativeFollowsType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("index");
    QTest::newRow("string") << int(dtString) << 0;
    QTest::newRow("integer") << int(dtInteger) << 1;
    QTest::newRow("longint") << int(dtLongint) << 1;
    QTest::newRow("word") << int(dtWord) << 2;
    QTest::newRow("byte") << int(dtByte) << 3;
    QTest::newRow("char") << int(dtChar) << 4;
    QTest::newRow("real") << int(dtReal) << 5;
    QTest::newRow("double") << int(dtDouble) << 5;
    QTest::newRow("single") << int(dtSingle) << 6;
    QTest::newRow("extended") << int(dtExtended) << 7;
  }
  void valueAlternativeFollowsType() {
    QFETCH(int, type);
    QFETCH(int, index);
    TkxEdit edit;
    edit.SetDataType(static_cast<TkxDataType>(type));
    edit.SetText("7");
    QCOMPARE(static_cast<int>(edit.GetValue().index()), index);
  }

  void singleValueIsFloat() {
    TkxEdit edit;
    edit.SetDataType(dtSingle);
    edit.SetText("3,5");
    QCOMPARE(std::get<float>(edit.GetValue()), 3.5f);
  }

  void setValueShowsText_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer blanks removed") << int(dtInteger) << "####" << 42.0 << "42";
    QTest::newRow("integer zero fill") << int(dtInteger) << "@@@@" << 7.0 << "0007";
    QTest::newRow("integer 9 as digit") << int(dtInteger) << "9999" << 123.0 << "123";
    QTest::newRow("integer too wide") << int(dtInteger) << "@@" << 123.0 << "**";
    QTest::newRow("integer negative") << int(dtInteger) << "####" << -7.0 << "-7";
    QTest::newRow("integer no mask") << int(dtInteger) << "" << 815.0 << "815";
    QTest::newRow("word") << int(dtWord) << "#####" << 65535.0 << "65535";
    QTest::newRow("real keeps blanks") << int(dtReal) << "#####,###" << 14.2 << "   14,200";
    QTest::newRow("real 9 mask") << int(dtReal) << "999,9" << 3.25 << "  3,3";
    QTest::newRow("single") << int(dtSingle) << "##,#" << 3.5 << " 3,5";
    QTest::newRow("double no mask") << int(dtDouble) << "" << 14.2 << "14,2";
    QTest::newRow("double too wide") << int(dtDouble) << "#,#" << 12.0 << "***";
  }
  void setValueShowsText() {
    QFETCH(int, type);
    QFETCH(QString, mask);
    QFETCH(double, value);
    QFETCH(QString, expected);
    TkxEdit edit;
    edit.SetDataType(static_cast<TkxDataType>(type));
    edit.SetMask(mask.toStdString());
    edit.SetValue(value);
    QCOMPARE(edit.text(), expected);
  }

  void maskStoresNineAsHash() {
    TkxEdit edit;
    edit.SetMask("99,99-9@");
    QCOMPARE(QString::fromStdString(edit.Mask()), QStringLiteral("##,##-#@"));
  }

  void charField() {
    TkxEdit edit;
    edit.SetDataType(dtChar);
    edit.SetValue('A');
    QCOMPARE(edit.text(), QStringLiteral("A"));
    edit.SetValue('\0');
    QCOMPARE(edit.text(), QString());
    QCOMPARE(std::get<char>(edit.GetValue()), '\0');
    edit.show();
    Type(edit, "xy");
    QCOMPARE(std::get<char>(edit.GetValue()), 'x');
  }

  void stringFieldAndSlashedZero_data() {
    QTest::addColumn<bool>("slashed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("off") << false << QStringLiteral("DL0AB0");
    QTest::newRow("on") << true << QStringLiteral("DL\u00D8AB\u00D8");
  }
  void stringFieldAndSlashedZero() {
    QFETCH(bool, slashed);
    QFETCH(QString, shown);
    TkxEdit edit;
    QCOMPARE(edit.DataType(), dtString);
    QVERIFY(!edit.SlashedZero());
    edit.SetSlashedZero(slashed);
    edit.SetValue(std::string("DL0AB0"));
    QCOMPARE(edit.text(), shown);
    QCOMPARE(QString::fromStdString(edit.AsString()), QStringLiteral("DL0AB0"));
  }

  void slashedZeroReadsTypedGlyph() {
    TkxEdit edit;
    edit.SetSlashedZero(true);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("9A\u00D8X"));
    QCOMPARE(QString::fromStdString(edit.AsString()), QStringLiteral("9A0X"));
  }

  void stringFieldKeepsWindows1252() {
    TkxEdit edit;
    edit.SetValue(std::string("M\xFC" "nchen"));
    QCOMPARE(edit.text(), QStringLiteral("M\u00FCnchen"));
    QCOMPARE(std::get<std::string>(edit.GetValue()), std::string("M\xFC" "nchen"));
  }

  // dtDouble / dtExtended keep the user's spelling when the value is
  // unchanged; the other real types always rewrite the text.
  void userSpellingStays_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("afterSameValue");
    QTest::newRow("double") << int(dtDouble) << "14,20";
    QTest::newRow("extended") << int(dtExtended) << "14,20";
    QTest::newRow("real") << int(dtReal) << "14,2";
    QTest::newRow("single") << int(dtSingle) << "14,2";
  }
  void userSpellingStays() {
    QFETCH(int, type);
    QFETCH(QString, afterSameValue);
    TkxEdit edit;
    edit.SetDataType(static_cast<TkxDataType>(type));
    edit.show();
    Type(edit, "14,20");
    const long double read = edit.AsReal();
    edit.SetValue(read);
    QCOMPARE(edit.text(), afterSameValue);
    edit.SetValue(3.0);
    QCOMPARE(edit.text(), QStringLiteral("3"));
  }

  void doubleSetTwiceKeepsEditedText() {
    TkxEdit edit;
    edit.SetDataType(dtDouble);
    edit.SetMask("###,##");
    edit.SetValue(2.5);
    QCOMPARE(edit.text(), QStringLiteral("  2,50"));
    edit.SetText("2,5");
    edit.SetValue(2.5);  // same value as last set: text stays
    QCOMPARE(edit.text(), QStringLiteral("2,5"));
  }

  void charCaseUpper() {
    TkxEdit edit;
    edit.SetCharCase(ecUpperCase);
    edit.show();
    Type(edit, "dl1abc");
    QCOMPARE(edit.text(), QStringLiteral("DL1ABC"));
  }

  // ---- TkxBitBtn ----

  void kinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<bool>("isCancel");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << int(bkOK) << "OK" << true << false << int(mrOk);
    QTest::newRow("Cancel") << int(bkCancel) << "Abbrechen" << false << true << int(mrCancel);
    QTest::newRow("Help") << int(bkHelp) << "&Hilfe" << false << false << int(mrNone);
    QTest::newRow("Yes") << int(bkYes) << "&Ja" << true << false << int(mrYes);
    QTest::newRow("No") << int(bkNo) << "&Nein" << false << true << int(mrNo);
    QTest::newRow("Close") << int(bkClose) << "&Schlie\u00DFen" << false << false << int(mrNone);
    QTest::newRow("Abort") << int(bkAbort) << "Abbruch" << false << false << int(mrAbort);
    QTest::newRow("Retry") << int(bkRetry) << "&Wiederholen" << false << false << int(mrRetry);
    QTest::newRow("Ignore") << int(bkIgnore) << "&Ignorieren" << false << false << int(mrIgnore);
    QTest::newRow("All") << int(bkAll) << "&Alles" << false << false << int(mrAll);
    QTest::newRow("Weiter") << int(bkWeiter) << "&Weiter" << false << false << 11;
    QTest::newRow("Zurueck") << int(bkZurueck) << "&Zur\u00FCck" << false << false << 12;
    QTest::newRow("Edit") << int(bkEdit) << "&Eigenschaften" << false << false << 13;
    QTest::newRow("Uebernahme") << int(bkUebernahme) << "&\u00DCbernehmen" << false << false << 14;
    QTest::newRow("GHelp") << int(bkGHelp) << "&Hilfe" << false << false << int(mrNone);
    QTest::newRow("GNeu") << int(bkGNeu) << "&Neu" << false << false << int(mrNone);
    QTest::newRow("GClose") << int(bkGClose) << "&Schlie\u00DFen" << false << false << int(mrNone);
    QTest::newRow("GExport") << int(bkGExport) << "&Export" << false << false << int(mrNone);
    QTest::newRow("GLoeschen") << int(bkGLoeschen) << "&L\u00F6schen" << false << false << int(mrNone);
    QTest::newRow("Aendern") << int(bkAendern) << "&\u00C4ndern" << false << false << int(mrNone);
    QTest::newRow("GSuche") << int(bkGSuche) << "&erweiterte Suche" << false << false << int(mrNone);
    QTest::newRow("GAmpelgelb") << int(bkGAmpelgelb) << "Warte" << false << false << int(mrNone);
    QTest::newRow("GAmpelgruen") << int(bkGAmpelgruen) << "&QSO auflisten" << false << false << int(mrNone);
    QTest::newRow("GLabel") << int(bkGLabel) << "&QSL-Label" << false << false << int(mrNone);
    QTest::newRow("HTML") << int(bkHTML) << "&HTML" << false << false << int(mrNone);
  }
  void kinds() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(bool, isDefault);
    QFETCH(bool, isCancel);
    QFETCH(int, result);
    TkxBitBtn button;
    // Start from the opposite roles so that the kind must set them.
    button.SetDefault(!isDefault);
    button.SetCancel(!isCancel);
    button.SetModalResult(99);
    button.SetkxKind(static_cast<TkxKind>(kind));
    QCOMPARE(int(button.kxKind()), kind);
    QCOMPARE(ToQString(button.Caption()), caption);
    QCOMPARE(button.text(), caption);
    QCOMPARE(button.Default(), isDefault);
    QCOMPARE(button.isDefault(), isDefault);
    QCOMPARE(button.Cancel(), isCancel);
    QCOMPARE(button.ModalResult(), result);
    QVERIFY(button.Glyph().isNull());
  }

  void lineBreakInCaption_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Zusatz") << int(bkZusatz) << "&Zusatz-|funktionen" << "&Zusatz-\nfunktionen";
    QTest::newRow("Suche") << int(bkSuche) << "&erweiterte|Suche" << "&erweiterte\nSuche";
  }
  void lineBreakInCaption() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    TkxBitBtn button;
    button.SetkxKind(static_cast<TkxKind>(kind));
    QCOMPARE(ToQString(button.Caption()), caption);
    QCOMPARE(button.text(), shown);
  }

  void glyphResourceNames_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("GNeu") << int(bkGNeu) << "KXBBGNEU";
    QTest::newRow("OK") << int(bkOK) << "KXBBOK";
    QTest::newRow("GAmpelgruen") << int(bkGAmpelgruen) << "KXBBGAMPELGRUEN";
    QTest::newRow("Custom") << int(bkCustom) << "";
  }
  void glyphResourceNames() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(TkxBitBtn::GlyphResourceName(static_cast<TkxKind>(kind))),
             name);
  }

  void handChangesTurnKindToCustom_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("expectedKind");
    QTest::newRow("default") << 0 << int(bkCustom);
    QTest::newRow("cancel") << 1 << int(bkCustom);
    QTest::newRow("dialog result OK") << 2 << int(bkCustom);
    QTest::newRow("glyph") << 3 << int(bkCustom);
    QTest::newRow("caption") << 4 << int(bkYes);
  }
  void handChangesTurnKindToCustom() {
    QFETCH(int, change);
    QFETCH(int, expectedKind);
    TkxBitBtn button;
    button.SetkxKind(bkYes);
    QVERIFY(button.isDefault());
    QCOMPARE(button.ModalResult(), int(mrYes));
    QPixmap glyph(16, 16);
    glyph.fill(Qt::green);
    switch (change) {
      case 0: button.SetDefault(false); break;
      case 1: button.SetCancel(true); break;
      case 2: button.SetModalResult(mrOk); break;
      case 3: button.SetGlyph(glyph); break;
      default: button.SetCaption("&Gern"); break;
    }
    QCOMPARE(int(button.kxKind()), expectedKind);
  }

  void customKindKeepsCaption() {
    TkxBitBtn button;
    button.SetkxKind(bkOK);
    button.SetkxKind(bkCustom);
    QCOMPARE(QString::fromStdString(button.Caption()), QStringLiteral("OK"));
    QCOMPARE(button.ModalResult(), int(mrOk));
  }

  void kindWhileLoadingFillsOnlyEmptyCaption() {
    TkxBitBtn button;
    button.SetLoading(true);
    button.SetCaption("Mein");
    button.SetkxKind(bkOK);
    QCOMPARE(QString::fromStdString(button.Caption()), QStringLiteral("Mein"));
    QCOMPARE(button.ModalResult(), int(mrOk));
    TkxBitBtn empty;
    empty.SetLoading(true);
    empty.SetkxKind(bkOK);
    QCOMPARE(QString::fromStdString(empty.Caption()), QStringLiteral("OK"));
  }

  void defaults() {
    TkxBitBtn button;
    QCOMPARE(button.height(), 35);
    QCOMPARE(button.Spacing(), 4);
    QCOMPARE(int(button.kxKind()), int(bkCustom));
    QCOMPARE(button.ModalResult(), int(mrNone));
  }

  // A click ends the dialog with the button's result, then the owner's
  // handler runs; Escape presses the cancel button.
  void dialogResults_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("escape");
    QTest::addColumn<int>("result");
    QTest::newRow("Yes clicked") << int(bkYes) << false << int(mrYes);
    QTest::newRow("Weiter clicked") << int(bkWeiter) << false << 11;
    QTest::newRow("No by Escape") << int(bkNo) << true << int(mrNo);
    QTest::newRow("Cancel by Escape") << int(bkCancel) << true << int(mrCancel);
  }
  void dialogResults() {
    QFETCH(int, kind);
    QFETCH(bool, escape);
    QFETCH(int, result);
    QDialog dialog;
    auto* button = new TkxBitBtn(&dialog);
    button->SetkxKind(static_cast<TkxKind>(kind));
    int handlerSawResult = -1;
    connect(button, &QPushButton::clicked, &dialog,
            [&] { handlerSawResult = dialog.result(); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (escape) {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(dialog.result(), result);
    QCOMPARE(handlerSawResult, result);
    QVERIFY(!dialog.isVisible());
  }

  void closeKindClosesForm() {
    QWidget form;
    auto* button = new TkxBitBtn(&form);
    button->SetkxKind(bkClose);
    bool handlerRan = false;
    bool formVisibleInHandler = true;
    connect(button, &QPushButton::clicked, &form, [&] {
      handlerRan = true;
      formVisibleInHandler = form.isVisible();
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(handlerRan);
    QVERIFY(!formVisibleInHandler);
    QVERIFY(!form.isVisible());
  }

  void autoWidth() {
    TkxBitBtn button;
    button.SetkxKind(bkWeiter);
    button.SetkxautoWidth(10);
    const QFontMetrics metrics(button.font());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("Weiter"));
    QCOMPARE(button.width(), 10 + textWidth);
    QPixmap glyph(20, 20);
    glyph.fill(Qt::blue);
    button.SetGlyph(glyph);
    QCOMPARE(button.width(), 10 + 20 + 4 + textWidth);
    button.SetkxKind(bkZusatz);  // the wider of the two lines counts
    const int wide = std::max(metrics.horizontalAdvance(QStringLiteral("Zusatz-")),
                              metrics.horizontalAdvance(QStringLiteral("funktionen")));
    QCOMPARE(button.width(), 10 + 20 + 4 + wide);
  }

  // The help context comes from the button or its nearest parent with one;
  // the owner's handler runs afterwards.
  void helpKindRequestsNearestContext_data() {
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("own");
    QTest::addColumn<int>("expected");
    QTest::newRow("own") << 1 << 2 << 3 << 3;
    QTest::newRow("parent") << 1 << 2 << 0 << 2;
    QTest::newRow("grandparent") << 1 << 0 << 0 << 1;
    QTest::newRow("none") << 0 << 0 << 0 << -1;
  }
  void helpKindRequestsNearestContext() {
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(int, own);
    QFETCH(int, expected);
    QWidget form;
    auto* panel = new QWidget(&form);
    auto* button = new TkxBitBtn(panel);
    form.setProperty(TkxBitBtn::kHelpContextProperty, outer);
    panel->setProperty(TkxBitBtn::kHelpContextProperty, inner);
    button->setProperty(TkxBitBtn::kHelpContextProperty, own);
    button->SetkxKind(bkHelp);
    int requested = -1;
    bool handlerAfterHelp = false;
    connect(button, &TkxBitBtn::helpRequested, &form, [&](int context) { requested = context; });
    connect(button, &QPushButton::clicked, &form,
            [&] { handlerAfterHelp = requested == expected; });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(requested, expected);
    QVERIFY(handlerAfterHelp);
  }

  // Where a press opens the popup menu instead of clicking.
  void menuZone_data() {
    QTest::addColumn<bool>("withHandler");
    QTest::addColumn<int>("fromRight");
    QTest::addColumn<bool>("menuOpens");
    QTest::newRow("handler, left part") << true << 40 << false;
    QTest::newRow("handler, just outside zone") << true << 14 << false;
    QTest::newRow("handler, zone edge") << true << 13 << true;
    QTest::newRow("handler, rightmost pixel") << true << 1 << true;
    QTest::newRow("no handler, left part") << false << 40 << true;
  }
  void menuZone() {
    QFETCH(bool, withHandler);
    QFETCH(int, fromRight);
    QFETCH(bool, menuOpens);
    QWidget form;
    auto* button = new TkxBitBtn(&form);
    button->setGeometry(10, 10, 100, 35);
    QMenu menu;
    menu.addAction(QStringLiteral("Eintrag"));
    button->SetkxMenue(&menu);
    int clicks = 0;
    if (withHandler) connect(button, &QPushButton::clicked, &form, [&] { ++clicks; });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - fromRight, 17));
    QCOMPARE(menu.isVisible(), menuOpens);
    if (withHandler) QCOMPARE(clicks, menuOpens ? 0 : 1);
    if (menuOpens) {
      QCOMPARE(menu.geometry().topLeft(), button->mapToGlobal(QPoint(0, button->height())));
    }
    menu.hide();
  }

  void deaktiviertGreysPictureButStaysEnabled() {
    QPixmap glyph(8, 8);
    glyph.fill(Qt::red);
    TkxBitBtn button;
    button.SetGlyph(glyph);
    const QImage normal = button.icon().pixmap(8, 8).toImage();
    button.SetkxDeaktiviert(true);
    const QImage greyed = button.icon().pixmap(8, 8).toImage();
    QVERIFY(button.isEnabled());
    QCOMPARE(normal.pixelColor(4, 4), QColor(Qt::red));
    QVERIFY(greyed.pixelColor(4, 4) != QColor(Qt::red));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, &button, [&] { ++clicks; });
    button.click();
    QCOMPARE(clicks, 1);
  }

  void twoGlyphsSplitNormalAndDisabled() {
    QPixmap glyph(16, 8);
    glyph.fill(Qt::red);
    {
      QPainter painter(&glyph);
      painter.fillRect(8, 0, 8, 8, Qt::blue);
    }
    TkxBitBtn button;
    button.SetNumGlyphs(2);
    button.SetGlyph(glyph);
    QCOMPARE(button.iconSize(), QSize(8, 8));
    QCOMPARE(button.icon().pixmap(8, 8, QIcon::Normal).toImage().pixelColor(4, 4),
             QColor(Qt::red));
    QCOMPARE(button.icon().pixmap(8, 8, QIcon::Disabled).toImage().pixelColor(4, 4),
             QColor(Qt::blue));
  }

  void faceColours() {
    QWidget form;
    QPalette p = form.palette();
    p.setColor(QPalette::Window, QColor(10, 20, 30));
    form.setPalette(p);
    auto* button = new TkxBitBtn(&form);
    QCOMPARE(button->palette().color(QPalette::Button), QColor(10, 20, 30));
    button->SetkxnichtTransparent(true);
    QCOMPARE(button->palette().color(QPalette::Button),
             QApplication::palette().color(QPalette::Button));
    button->SetkxFlatround(true);
    QCOMPARE(button->palette().color(QPalette::Button), QColor(255, 223, 170));
  }
};

QTEST_MAIN(KxControlsTest)
#include "kx_controls_test.moc"
