// The calculation text viewer on texts of any length: the lines as the file
// breaks them, the start and the end of the text by key, scrolling, search.
#include "tests/ui/dialogs_fixture.h"
#include "ui/large_text_view.h"
#include "ui/text_viewer.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStringEncoder>
#include <QtTest>

using volm::ui::LargeTextView;
using volm::ui::TextPlace;
using Found = LargeTextView::Found;

namespace {

QByteArray cp1251(const QString& s) {
    QStringEncoder e("windows-1251");
    return e(s);
}

// A text in the shape of a calculation text: per section a title and a line of
// values; the sections numbered 1 to n.
QByteArray sections(int n) {
    QString t = QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\r\n");
    for (int s = 1; s <= n; ++s)
        t += QStringLiteral("Участок %1 - %2:\r\nДлНаУчПод = %3  РасхНаУчПод = 12,5\r\n").arg(s).arg(s + 1).arg(s * 10);
    t += QStringLiteral("Конец текста");
    return cp1251(t);
}

}  // namespace

class TestTextViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAsTheFileBreaksThem_data();
    void linesAsTheFileBreaksThem();
    void startAndEndByKey();
    void pagingAndArrowsScroll();
    void searchFindsInOrderAndWraps();
    void searchIgnoresLetterCase();
    void searchBarByKeys();
    void selectionIsCopied();
    void loadsAFileAndEmptiesOnClose();
};

void TestTextViewer::linesAsTheFileBreaksThem_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\nc") << QStringList{"a", "b", "c"};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b", ""};
    QTest::newRow("CR alone") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QStringList{"", "", ""};
    QTest::newRow("empty text") << QByteArray() << QStringList{""};
    QTest::newRow("Windows-1251") << cp1251(QStringLiteral("Тип сети:\r\nДвухтрубная"))
                                  << QStringList{"Тип сети:", "Двухтрубная"};
}

void TestTextViewer::linesAsTheFileBreaksThem() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    LargeTextView view;
    view.setBytes(bytes);
    QCOMPARE(view.lineCount(), lines.size());
    for (int i = 0; i < lines.size(); ++i) QCOMPARE(view.lineText(i), lines[i]);
    QCOMPARE(view.toPlainText(), lines.join(QLatin1Char('\n')));
}

void TestTextViewer::startAndEndByKey() {
    LargeTextView view;
    view.resize(400, 300);
    view.setBytes(sections(5000));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.lineCount(), 10002);
    QCOMPARE(view.firstVisibleLine(), 0);
    QVERIFY(view.visibleLineCount() > 3);

    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view.lastVisibleLine(), view.lineCount() - 1);
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QCOMPARE(view.lineText(view.lastVisibleLine()), QStringLiteral("Конец текста"));
    // The caret is at the very end: a backward search starts there.
    QCOMPARE(view.find(QStringLiteral("Участок")), Found::Wrapped);
    QCOMPARE(view.selectionStart(), (TextPlace{1, 0}));
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view.find(QStringLiteral("Участок"), true), Found::Yes);
    QCOMPARE(view.selectedText(), QStringLiteral("Участок"));
    QCOMPARE(view.selectionStart().line, view.lineCount() - 3);

    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view.firstVisibleLine(), 0);
    QCOMPARE(view.horizontalScrollBar()->value(), 0);
    QVERIFY(!view.hasSelection());
}

void TestTextViewer::pagingAndArrowsScroll() {
    LargeTextView view;
    view.resize(200, 200);
    view.setBytes(sections(300));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int page = view.visibleLineCount();
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.firstVisibleLine(), page);
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.firstVisibleLine(), page + 1);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QCOMPARE(view.firstVisibleLine(), 1);
    // The longest line sets how far the text scrolls sideways.
    QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    QTest::keyClick(&view, Qt::Key_End);
    QCOMPARE(view.horizontalScrollBar()->value(), view.horizontalScrollBar()->maximum());
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(view.horizontalScrollBar()->value(), 0);
    // The wheel scrolls by lines.
    QWheelEvent wheel(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    QVERIFY(view.firstVisibleLine() > 1);
}

void TestTextViewer::searchFindsInOrderAndWraps() {
    LargeTextView view;
    view.resize(400, 300);
    view.setBytes(sections(2000));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // Far down the text: found, selected and scrolled to.
    QCOMPARE(view.find(QStringLiteral("Участок 1500")), Found::Yes);
    QCOMPARE(view.selectionStart(), (TextPlace{2 * 1500 - 1, 0}));
    QCOMPARE(view.selectedText(), QStringLiteral("Участок 1500"));
    QVERIFY(view.firstVisibleLine() <= 2999 && view.lastVisibleLine() >= 2999);

    // Again: the next one after the selection, then around the end to the first.
    QCOMPARE(view.find(QStringLiteral("- 1501")), Found::Yes);
    QCOMPARE(view.selectionStart(), (TextPlace{2999, 13}));
    QCOMPARE(view.find(QStringLiteral("= 20000 ")), Found::Yes);
    QCOMPARE(view.selectionStart().line, 4000);
    QCOMPARE(view.find(QStringLiteral("= 20000 ")), Found::Wrapped);
    QCOMPARE(view.selectionStart().line, 4000);  // the only one

    // Backward from the selection.
    QCOMPARE(view.find(QStringLiteral("Участок 2 -")), Found::Wrapped);
    QCOMPARE(view.find(QStringLiteral("Участок"), true), Found::Yes);
    QCOMPARE(view.selectionStart(), (TextPlace{1, 0}));
    QCOMPARE(view.find(QStringLiteral("Участок"), true), Found::Wrapped);
    QCOMPARE(view.selectionStart().line, 2 * 2000 - 1);

    // What is not there, or cannot be in a Windows-1251 text.
    const TextPlace before = view.selectionStart();
    QCOMPARE(view.find(QStringLiteral("Участок 2001 ")), Found::No);
    QCOMPARE(view.find(QStringLiteral("Участок ☃")), Found::No);
    QCOMPARE(view.find(QString()), Found::No);
    QCOMPARE(view.selectionStart(), before);
}

void TestTextViewer::searchIgnoresLetterCase() {
    LargeTextView view;
    view.resize(400, 300);
    view.setBytes(cp1251(QStringLiteral("Гидравлический РАСЧЕТ\r\nёлка Ёлка\r\nAbc")));
    QCOMPARE(view.find(QStringLiteral("расчет")), Found::Yes);
    QCOMPARE(view.selectedText(), QStringLiteral("РАСЧЕТ"));
    QCOMPARE(view.find(QStringLiteral("ЁЛКА")), Found::Yes);
    QCOMPARE(view.selectedText(), QStringLiteral("ёлка"));
    QCOMPARE(view.find(QStringLiteral("ёлка")), Found::Yes);
    QCOMPARE(view.selectedText(), QStringLiteral("Ёлка"));
    QCOMPARE(view.find(QStringLiteral("aBC")), Found::Yes);
    QCOMPARE(view.selectionStart(), (TextPlace{2, 0}));
}

// Ctrl+F opens the search line; Enter and F3 find on, Shift+F3 back; Escape
// closes the line and leaves the window open.
void TestTextViewer::searchBarByKeys() {
    TVigrV_TXTForm form;
    form.mmRasTXT->setBytes(sections(100));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.mmRasTXT->setFocus();
    QVERIFY(!form.pnFind->isVisible());
    QTest::keyClick(form.mmRasTXT, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(form.pnFind->isVisible());
    QVERIFY(form.edFind->hasFocus());
    form.edFind->setText(QStringLiteral("участок 5"));
    QTest::keyClick(form.edFind, Qt::Key_Return);
    QCOMPARE(form.mmRasTXT->selectionStart(), (TextPlace{9, 0}));
    QTest::keyClick(form.edFind, Qt::Key_F3);
    QCOMPARE(form.mmRasTXT->selectionStart(), (TextPlace{2 * 50 - 1, 0}));
    QTest::keyClick(form.edFind, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(form.mmRasTXT->selectionStart(), (TextPlace{9, 0}));
    QTest::keyClick(form.edFind, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(form.lbFound->text(), QStringLiteral("Поиск продолжен с конца текста."));
    form.edFind->setText(QStringLiteral("нет такого"));
    QTest::keyClick(form.edFind, Qt::Key_Return);
    QCOMPARE(form.lbFound->text(), QStringLiteral("Текст не найден."));
    QTest::keyClick(form.edFind, Qt::Key_Escape);
    QVERIFY(!form.pnFind->isVisible());
    QVERIFY(form.isVisible());
    QVERIFY(form.mmRasTXT->hasFocus());
}

void TestTextViewer::selectionIsCopied() {
    LargeTextView view;
    view.resize(400, 300);
    view.setBytes(cp1251(QStringLiteral("первая строка\r\nвторая строка\r\nтретья")));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.select(TextPlace{0, 7}, TextPlace{1, 6});
    QCOMPARE(view.selectedText(), QStringLiteral("строка\nвторая"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("строка\nвторая"));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view.selectedText(), view.toPlainText());
    // A click on a line puts the caret there; a Shift+click selects up to it.
    const int lh = view.fontMetrics().lineSpacing();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(2, lh / 2));
    QVERIFY(!view.hasSelection());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 2 * lh + lh / 2));
    QCOMPARE(view.selectedText(), QStringLiteral("первая строка\nвторая строка\n"));
}

void TestTextViewer::loadsAFileAndEmptiesOnClose() {
    volm::test::DialogsFixture f;
    QVERIFY(f.start());
    const QString path = f.calcDir.filePath(QStringLiteral("длинный.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sections(20000));
    }
    qint64 lines = 0, last = 0;
    volm::test::whenModal([&](QWidget* w) {
        auto* viewer = qobject_cast<TVigrV_TXTForm*>(w);
        if (!viewer) return;
        lines = viewer->mmRasTXT->lineCount();
        QTest::keyClick(viewer->mmRasTXT, Qt::Key_End, Qt::ControlModifier);
        last = viewer->mmRasTXT->lastVisibleLine();
        viewer->miClose->trigger();
    });
    TVigrV_TXTForm::showFile(*f.app, path);
    QCOMPARE(lines, 40002);
    QCOMPARE(last, 40001);
}

QTEST_MAIN(TestTextViewer)
#include "test_text_viewer.moc"
