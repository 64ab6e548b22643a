// The result dialog after a run and the viewer of a saved calculation text.
#include "store/errors.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/result_dialog.h"
#include "ui/text_viewer.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QtTest>

using volm::test::DialogsFixture;

class TestResultDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followUps_data();
    void followUps();
    void showsTheOutcomeWithClearedChoices();
    void viewerShowsTheSavedText();
    void viewerRefusesAMissingFile();
};

void TestResultDialogs::followUps_data() {
    QTest::addColumn<bool>("report");
    QTest::addColumn<bool>("excel");
    QTest::addColumn<bool>("chart");
    QTest::addColumn<bool>("okButton");
    QTest::addColumn<QString>("started");

    QTest::newRow("all three, OK") << true << true << true << true << "report excel chart";
    QTest::newRow("chart only, OK") << false << false << true << true << "chart";
    QTest::newRow("all three, window closed") << true << true << true << false << "";
    QTest::newRow("none, OK") << false << false << false << true << "";
}

void TestResultDialogs::followUps() {
    QFETCH(bool, report);
    QFETCH(bool, excel);
    QFETCH(bool, chart);
    QFETCH(bool, okButton);
    QFETCH(QString, started);
    DialogsFixture f;
    QVERIFY(f.start());
    QStringList calls;
    struct Recorder : volm::ui::ResultFollowUps {
        QStringList& calls;
        explicit Recorder(QStringList& c) : calls(c) {}
        void startReport() override { calls << "report"; }
        void startSpreadsheetExport() override { calls << "excel"; }
        void startChart() override { calls << "chart"; }
    } followUps(calls);
    volm::test::whenModal([=](QWidget* w) {
        auto* dlg = qobject_cast<TRasVipForm*>(w);
        if (!dlg) return;
        dlg->cbFormOtch->setChecked(report);
        dlg->cbVigrV_ME->setChecked(excel);
        dlg->cbGr->setChecked(chart);
        if (okButton) dlg->btnOK->click();
        else dlg->close();
    });
    TRasVipForm::run(*f.app, QStringLiteral("Расчет выполнен успешно."), followUps);
    QCOMPARE(calls.join(QLatin1Char(' ')), started);
}

void TestResultDialogs::showsTheOutcomeWithClearedChoices() {
    TRasVipForm dlg;
    dlg.cbGr->setChecked(true);
    dlg.setOutcome(QStringLiteral("Расчет выполнен успешно.\r\n\r\nУзлы теплосети, в которых\r\n"
                                  "располагаемый напор меньше 0,1 м.:\r\n7, 12."));
    QCOMPARE(dlg.mmRasVip->toPlainText(), QStringLiteral("Расчет выполнен успешно.\n\nУзлы теплосети, в которых\n"
                                                         "располагаемый напор меньше 0,1 м.:\n7, 12."));
    QVERIFY(!dlg.cbFormOtch->isChecked() && !dlg.cbVigrV_ME->isChecked() && !dlg.cbGr->isChecked());
    QVERIFY(dlg.mmRasVip->isReadOnly());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("ВОЛМ"));
    QVERIFY(dlg.width() >= 340 && dlg.height() >= 262);
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());  // a fixed size
}

void TestResultDialogs::viewerShowsTheSavedText() {
    DialogsFixture f;
    QVERIFY(f.start());
    const QString path = f.calcDir.filePath(QStringLiteral("расчет.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringEncoder cp1251("windows-1251");
        file.write(cp1251(QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\r\n\r\nТип сети: Двухтрубная")));
    }
    QString caption, text;
    volm::test::whenModal([&](QWidget* w) {
        auto* viewer = qobject_cast<TVigrV_TXTForm*>(w);
        if (!viewer) return;
        caption = viewer->windowTitle();
        text = viewer->mmRasTXT->toPlainText();
        viewer->miClose->trigger();
    });
    TVigrV_TXTForm::showFile(*f.app, path);
    QCOMPARE(caption, path);
    QCOMPARE(text, QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\n\nТип сети: Двухтрубная"));
    QCOMPARE(f.person.statuses, (QStringList{QStringLiteral("Подготовка экранной формы с текстом расчета."), QString()}));
}

void TestResultDialogs::viewerRefusesAMissingFile() {
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY_THROWS_EXCEPTION(volm::FileError,
                             TVigrV_TXTForm::showFile(*f.app, f.calcDir.filePath(QStringLiteral("нет.txt"))));
    QCOMPARE(f.person.statuses.last(), QString());
}

QTEST_MAIN(TestResultDialogs)
#include "test_dialogs_results.moc"
