// The settings dialog: what "ОК" stores, which texts it refuses, and "Отмена".
#include "store/command.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using volm::App;
using volm::test::DialogsFixture;

namespace {

const QString kFontRange = QStringLiteral(
    "Каждый из параметров: \"Размер шрифта в таблицах данных\", \"Размер шрифта в заголовках колонок таблиц "
    "данных\", \"Размер шрифта наименований показателей\" должен быть целым числом в диапазоне [8...20].");
const QString kPrecisionRange =
    QStringLiteral("Параметр \"Точность показателей в отчетах\" должен быть целым числом в диапазоне [0...7].");

// The settings row as stored: the four numbers and the keep-text flag.
QString storedRow(App& app) {
    volm::Table& t = *app.dm.atNastr;
    t.requery();
    t.first();
    QStringList parts;
    for (const char* f : {"РШрифтаВТД", "РШрифтаВЗагКолТД", "РШрифтаНаимПок", "ТочностьЧиселВОтч"})
        parts << t.value(QString::fromUtf8(f)).toString();
    parts << (t.value(QStringLiteral("СохрТекстРас")).toBool() ? QStringLiteral("да") : QStringLiteral("нет"));
    return parts.join(QLatin1Char(' '));
}

}  // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheStoredSettings();
    void ok_data();
    void ok();
    void cancelStoresNothing();
    void runAppliesFontsHoweverItCloses();
};

void TestSettingsDialog::showsTheStoredSettings() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->dm.acNastr.exec(QStringLiteral("UPDATE Настройки SET ТочностьЧиселВОтч=Null, РШрифтаВТД=12"));
    f.app->dm.atNastr->requery();
    TNastrProgForm dlg(*f.app);
    dlg.load();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Настройки программы"));
    QCOMPARE(dlg.edFSizeTD->text(), QStringLiteral("12"));
    QCOMPARE(dlg.edFSizeZagColTD->text(), QStringLiteral("10"));
    QCOMPARE(dlg.edTPok->text(), QString());  // Null shows as an empty edit
    QVERIFY(dlg.cbSaveTXTRas->isChecked());
    QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.edFSizeTD));
}

void TestSettingsDialog::ok_data() {
    QTest::addColumn<QStringList>("texts");  // data, titles, captions, precision
    QTest::addColumn<bool>("keepText");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("message");    // the message, or the start of the error report
    QTest::addColumn<QString>("stored");     // the row after "ОК" (start: 10 10 10 2 да)

    QTest::newRow("lowest values") << QStringList{"8", "8", "8", "0"} << false << true << QString() << "8 8 8 0 нет";
    QTest::newRow("highest values") << QStringList{"20", "20", "20", "7"} << true << true << QString()
                                    << "20 20 20 7 да";
    QTest::newRow("font 7") << QStringList{"7", "12", "12", "3"} << false << false << kFontRange << "10 10 10 3 нет";
    QTest::newRow("font 21") << QStringList{"12", "12", "21", "3"} << true << false << kFontRange << "10 10 10 3 да";
    QTest::newRow("precision 8") << QStringList{"12", "14", "16", "8"} << false << false << kPrecisionRange
                                 << "12 14 16 2 нет";
    QTest::newRow("empty precision")
        << QStringList{"12", "12", "12", ""} << false << false
        << "Ошибка при преобразовании параметра \"Точность показателей в отчетах\" в число.\r\rКласс ошибки: "
        << "10 10 10 2 да";
    QTest::newRow("letters in a font size")
        << QStringList{"12", "1x", "12", "3"} << false << false
        << "Ошибка при преобразовании параметра \"Размер шрифта в заголовках колонок таблиц данных\" в "
           "число.\r\rКласс ошибки: "
        << "10 10 10 2 да";
}

void TestSettingsDialog::ok() {
    QFETCH(QStringList, texts);
    QFETCH(bool, keepText);
    QFETCH(bool, closes);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    DialogsFixture f;
    QVERIFY(f.start());
    TNastrProgForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.edFSizeTD->setText(texts[0]);
    dlg.edFSizeZagColTD->setText(texts[1]);
    dlg.edFSizeNaimPok->setText(texts[2]);
    dlg.edTPok->setText(texts[3]);
    dlg.cbSaveTXTRas->setChecked(keepText);
    dlg.btnOK->click();
    QCOMPARE(dlg.isVisible(), !closes);
    if (message.isEmpty()) {
        QCOMPARE(f.person.messages, QStringList());
    } else {
        QCOMPARE(f.person.messages.size(), 1);
        QVERIFY2(f.person.messages[0].startsWith(message), qPrintable(f.person.messages[0]));
    }
    QVERIFY(!f.app->dm.atNastr->editing());
    QCOMPARE(storedRow(*f.app), stored);
}

void TestSettingsDialog::cancelStoresNothing() {
    DialogsFixture f;
    QVERIFY(f.start());
    TNastrProgForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.edFSizeTD->setText(QStringLiteral("16"));
    dlg.edTPok->setText(QStringLiteral("5"));
    dlg.cbSaveTXTRas->setChecked(false);
    dlg.btnCancel->click();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(storedRow(*f.app), QStringLiteral("10 10 10 2 да"));
}

void TestSettingsDialog::runAppliesFontsHoweverItCloses() {
    DialogsFixture f;
    QVERIFY(f.start());
    QList<volm::FontSizes> applied;
    QObject::connect(f.app.get(), &App::fontsChanged, [&](volm::FontSizes s) { applied << s; });
    volm::test::whenModal([](QWidget* w) {
        auto* dlg = qobject_cast<TNastrProgForm*>(w);
        if (!dlg) return;
        dlg->edFSizeTD->setText(QStringLiteral("14"));
        dlg->edFSizeNaimPok->setText(QStringLiteral("9"));
        dlg->btnOK->click();
    });
    QVERIFY(TNastrProgForm::run(*f.app));
    QCOMPARE(applied.size(), 1);
    QCOMPARE(applied[0].data, 14);
    QCOMPARE(applied[0].titles, 10);
    QCOMPARE(applied[0].captions, 9);

    volm::test::whenModal([](QWidget* w) {
        if (auto* dlg = qobject_cast<TNastrProgForm*>(w)) dlg->btnCancel->click();
    });
    QVERIFY(TNastrProgForm::run(*f.app));
    QCOMPARE(applied.size(), 2);
}

QTEST_MAIN(TestSettingsDialog)
#include "test_dialogs_settings.moc"
