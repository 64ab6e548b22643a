// The person in Qt: filters for the file dialogs, line breaks, the boxes of
// messages and questions, the nested hourglass and the status text; and the help
// pages shipped in the program folder.
#include "tests/ui/dialogs_fixture.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qt_person.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

using volm::ui::QtPerson;

namespace {

// Answers the next modal message box by the button with this text and records it.
struct BoxAnswer {
    QString title, text, buttons;
};

void answerBox(const QString& button, BoxAnswer* seen) {
    volm::test::whenModal([button, seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        QStringList names;
        for (QAbstractButton* b : box->buttons()) names << b->text();
        names.sort();
        seen->buttons = names.join(QLatin1Char('|'));
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button) b->click();
    });
}

}  // namespace

class TestQtPerson : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filters_data();
    void filters();
    void lineBreaks();
    void questionBoxes();
    void messageBox();
    void hourglassNestsAndStatus();
    void helpPagesShippedAndLinked();
    void helpMissingIsTold();
};

void TestQtPerson::filters_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("qt");
    QTest::newRow("database") << QStringLiteral("База данных (*.mdb)|*.mdb") << QStringLiteral("База данных (*.mdb)");
    QTest::newRow("text") << QStringLiteral("Текстовый документ (*.txt)|*.txt")
                          << QStringLiteral("Текстовый документ (*.txt)");
    QTest::newRow("masks added") << QStringLiteral("Все файлы|*.*") << QStringLiteral("Все файлы (*.*)");
    QTest::newRow("two pairs") << QStringLiteral("Базы (*.mdb)|*.mdb|Все файлы|*.*")
                               << QStringLiteral("Базы (*.mdb);;Все файлы (*.*)");
    QTest::newRow("several masks") << QStringLiteral("Таблицы|*.xls;*.xlsx") << QStringLiteral("Таблицы (*.xls *.xlsx)");
}

void TestQtPerson::filters() {
    QFETCH(QString, given);
    QFETCH(QString, qt);
    QCOMPARE(QtPerson::qtFilter(given), qt);
}

void TestQtPerson::lineBreaks() {
    const QChar cr(13);
    QCOMPARE(QtPerson::displayText(QStringLiteral("а") + cr + cr + QStringLiteral("б")), QStringLiteral("а\n\nб"));
    QCOMPARE(QtPerson::displayText(QStringLiteral("а\r\nб\nв")), QStringLiteral("а\nб\nв"));
}

void TestQtPerson::questionBoxes() {
    QtPerson person;
    BoxAnswer seen;
    answerBox(QStringLiteral("Да"), &seen);
    QVERIFY(person.ask(QStringLiteral("Удалить все записи?")));
    QCOMPARE(seen.title, QStringLiteral("ВОЛМ"));
    QCOMPARE(seen.text, QStringLiteral("Удалить все записи?"));
    QCOMPARE(seen.buttons, QStringLiteral("Да|Нет"));
    answerBox(QStringLiteral("Нет"), &seen);
    QVERIFY(!person.ask(QStringLiteral("Выполнить сжатие?")));
    answerBox(QStringLiteral("Да"), &seen);
    QVERIFY(person.askTitled(QStringLiteral("Выполнить расчет"), QStringLiteral("Выполнить расчет?")));
    QCOMPARE(seen.title, QStringLiteral("Выполнить расчет"));
}

void TestQtPerson::messageBox() {
    QtPerson person;
    BoxAnswer seen;
    answerBox(QStringLiteral("OK"), &seen);
    person.message(QStringLiteral("Ошибка.") + QChar(13) + QChar(13) + QStringLiteral("Класс ошибки: \"E\""));
    QCOMPARE(seen.title, QStringLiteral("ВОЛМ"));
    QCOMPARE(seen.text, QStringLiteral("Ошибка.\n\nКласс ошибки: \"E\""));
    QCOMPARE(seen.buttons, QStringLiteral("OK"));
}

void TestQtPerson::hourglassNestsAndStatus() {
    QtPerson person;
    QString status;
    person.showStatus = [&status](const QString& s) { status = s; };
    person.busy(true);
    person.busy(true);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    person.busy(false);
    QVERIFY(QApplication::overrideCursor());
    person.busy(false);
    QVERIFY(!QApplication::overrideCursor());
    person.busy(false);  // one too many changes nothing
    QVERIFY(!QApplication::overrideCursor());
    person.status(QStringLiteral("Подготовка к расчету."));
    person.processEvents();
    QCOMPARE(status, QStringLiteral("Подготовка к расчету."));
}

// Every page of the help links only to pages that are shipped with it, and the
// program shows the index.
void TestQtPerson::helpPagesShippedAndLinked() {
    const QDir help(QStringLiteral(VOLM_BIN_DIR "/help"));
    const QStringList pages = help.entryList({QStringLiteral("*.html")});
    for (const char* wanted : {"index.html", "calculation.html", "formulas.html", "method.html"})
        QVERIFY2(pages.contains(QString::fromLatin1(wanted)), wanted);
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
    for (const QString& page : pages) {
        QFile f(help.filePath(page));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            QVERIFY2(pages.contains(target), qPrintable(page + QStringLiteral(" -> ") + target));
        }
    }
    volm::ui::THelpForm form(help.path());
    QCOMPARE(form.currentPage(), QStringLiteral("index.html"));
    QVERIFY(form.browser->toPlainText().contains(QStringLiteral("ВОЛМ")));
    form.showPage(QStringLiteral("formulas.html"));
    QVERIFY(form.browser->toPlainText().contains(QStringLiteral("ПлВодыПоТ")));
}

void TestQtPerson::helpMissingIsTold() {
    volm::test::DialogsFixture f;
    QVERIFY(f.start());
    volm::ui::TMainForm w(*f.app);
    w.showHelp();
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY(f.person.messages[0].endsWith(QStringLiteral("help/index.html не найден.")));
}

QTEST_MAIN(TestQtPerson)
#include "test_qt_person.moc"
