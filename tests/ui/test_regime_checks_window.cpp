// The window "Проверки режима": both grids over the calculation file, limits
// and rules stored as typed, the calculation stays computed, a rule on an
// indicator outside the catalogue is reported when stored, an older file gets
// its tables.
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "store/table.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_model.h"
#include "ui/regime_checks_dialog.h"

#include <QAbstractItemModelTester>
#include <QPlainTextEdit>
#include <QtTest>

using volm::test::DialogsFixture;
using volm::ui::DataGridModel;

namespace {

QVariant fileValue(const QString& path, const QString& sql) {
    volm::Database db;
    db.open(path);
    auto st = db.prepare(sql);
    return st->step() ? st->column(0) : QVariant();
}

bool type(DataGridModel* m, int row, const QString& field, const QString& text) {
    return m->setData(m->index(row, m->columnOf(field)), text, Qt::EditRole);
}

}  // namespace

class TestRegimeChecksWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheShippedRulesAndLimits();
    void limitEditKeepsTheCalculationComputed();
    void ruleOnIndicator_data();
    void ruleOnIndicator();
    void olderFileGetsTheTables();
    void editedRulesShowTheirWarningsAtOnce();
};

void TestRegimeChecksWindow::showsTheShippedRulesAndLimits() {
    DialogsFixture f;
    QVERIFY(f.start());
    TProverkiRezhimaForm w(*f.app);
    QAbstractItemModelTester t1(w.limitsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester t2(w.rulesModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(w.windowTitle(), QStringLiteral("Проверки режима"));
    QCOMPARE(w.limitsModel->rowCount(), 1);
    QCOMPARE(w.limitsModel->columnCount(), 8);
    QCOMPARE(w.rulesModel->rowCount(), 2);
    QCOMPARE(w.rulesModel->displayText(0, w.rulesModel->columnOf(QStringLiteral("Показатель"))), QStringLiteral("СкорПод"));
    QCOMPARE(w.rulesModel->displayText(1, w.rulesModel->columnOf(QStringLiteral("Условие"))), QStringLiteral("больше"));
    QCOMPARE(w.limitsModel->displayText(0, w.limitsModel->columnOf(QStringLiteral("ПровТребРНап"))), QStringLiteral("Нет"));
}

void TestRegimeChecksWindow::limitEditKeepsTheCalculationComputed() {
    DialogsFixture f;
    QVERIFY(f.start());
    {
        volm::Database db;
        db.open(f.calcPath());
        db.exec(QStringLiteral("UPDATE НазвРасч SET РасчетВыполнен = 1"));
    }
    f.app->dm.atNazvRasch->requery();
    {
        TProverkiRezhimaForm w(*f.app);
        QAbstractItemModelTester tester(w.limitsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.limitsModel->beginRowEdit(0);
        QVERIFY(type(w.limitsModel, 0, QStringLiteral("МинНапор"), QStringLiteral("7")));
        QVERIFY(type(w.limitsModel, 0, QStringLiteral("ПровТребРНап"), QStringLiteral("Да")));
        QVERIFY(w.postPending());
    }
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT МинНапор FROM ПределыНапоров")).toDouble(), 7.0);
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT ПровТребРНап FROM ПределыНапоров")).toInt(), 1);
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toInt(), 1);
    QVERIFY(f.person.messages.isEmpty());
}

void TestRegimeChecksWindow::ruleOnIndicator_data() {
    QTest::addColumn<QString>("indicator");
    QTest::addColumn<bool>("reported");
    QTest::newRow("table indicator of the method") << "ПотНаУчПод" << false;
    QTest::newRow("predefined header indicator") << "МаксДлПод" << false;
    QTest::newRow("not in the catalogue") << "СкорОбр" << true;
}

void TestRegimeChecksWindow::ruleOnIndicator() {
    QFETCH(QString, indicator);
    QFETCH(bool, reported);
    DialogsFixture f;
    QVERIFY(f.start());
    TProverkiRezhimaForm w(*f.app);
    QAbstractItemModelTester tester(w.rulesModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(w.rulesModel->appendRow());
    const int row = w.rulesModel->rowCount() - 1;
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Показатель"), indicator));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Условие"), QStringLiteral("больше")));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Предел"),
                 QStringLiteral("2") + f.app->locale.decimalPoint() + QStringLiteral("5")));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Предупреждение"), QStringLiteral("Слишком много")));
    QVERIFY(w.postPending());
    QCOMPARE(f.person.messages.size(), reported ? 1 : 0);
    if (reported) QVERIFY(f.person.messages.front().contains(QStringLiteral("\"") + indicator + QStringLiteral("\"")));
    // Stored whatever the catalogue says, after the shipped rules.
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT Nпп FROM ПроверкиРежима WHERE Показатель = '%1'").arg(indicator))
                 .toInt(),
             3);
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT Предел FROM ПроверкиРежима WHERE Nпп = 3")).toDouble(), 2.5);
}

void TestRegimeChecksWindow::olderFileGetsTheTables() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->dm.acGR.exec(QStringLiteral("DROP TABLE ПроверкиРежима"));
    f.app->dm.acGR.exec(QStringLiteral("DROP TABLE ПределыНапоров"));
    TProverkiRezhimaForm w(*f.app);
    QAbstractItemModelTester tester(w.rulesModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(w.rulesModel->rowCount(), 0);
    QCOMPARE(w.limitsModel->rowCount(), 1);
    QCOMPARE(w.limitsModel->displayText(0, w.limitsModel->columnOf(QStringLiteral("МаксНапор"))), QStringLiteral("160"));
}

// The two-pipe example computed: a sound regime without a warning. A higher
// limit of the least pressure gives its warning at once, the usual one takes it
// away again, a new rule adds its own, and the calculation stays computed
// throughout.
void TestRegimeChecksWindow::editedRulesShowTheirWarningsAtOnce() {
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/two_pipe.mdb")));
    // The real formula check and table rebuild, which the fixture only counts.
    volm::FormulaCatalogueCheck formulas;
    QVERIFY(formulas.check(*f.app));
    formulas.rebuild(*f.app);
    const volm::RunOutcome run = f.run();
    QVERIFY2(run.success(), qPrintable(run.text));
    QCOMPARE(int(run.warnings.size()), 0);
    f.person.clear();

    TProverkiRezhimaForm w(*f.app);
    QAbstractItemModelTester t1(w.limitsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester t2(w.rulesModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // At first what the run gave.
    QCOMPARE(w.mmWarnings->toPlainText(), QStringLiteral("Предупреждений нет."));

    // The return pipeline keeps 28 to 40 m of pressure, the supply one more.
    w.limitsModel->beginRowEdit(0);
    QVERIFY(type(w.limitsModel, 0, QStringLiteral("МинНапор"), QStringLiteral("45")));
    QVERIFY(w.postPending());
    QTRY_VERIFY(w.mmWarnings->toPlainText().startsWith(QStringLiteral("Предупреждения (1):\nУзлы ")));
    QVERIFY(w.mmWarnings->toPlainText().contains(QStringLiteral(": Давление в обратном трубопроводе меньше 45 м (мин. ")));
    w.limitsModel->beginRowEdit(0);
    QVERIFY(type(w.limitsModel, 0, QStringLiteral("МинНапор"), QStringLiteral("5")));
    QVERIFY(w.postPending());
    QTRY_COMPARE(w.mmWarnings->toPlainText(), QStringLiteral("Предупреждений нет."));

    QVERIFY(w.rulesModel->appendRow());
    const int row = w.rulesModel->rowCount() - 1;
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Показатель"), QStringLiteral("ДлНаУчПод")));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Условие"), QStringLiteral("больше")));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Предел"), QStringLiteral("0")));
    QVERIFY(type(w.rulesModel, row, QStringLiteral("Предупреждение"), QStringLiteral("Участок есть")));
    // A row being typed changes nothing yet.
    QTest::qWait(20);
    QCOMPARE(w.mmWarnings->toPlainText(), QStringLiteral("Предупреждений нет."));
    QVERIFY(w.postPending());
    QTRY_VERIFY(w.mmWarnings->toPlainText().startsWith(QStringLiteral("Предупреждения (1):\nУчастки ")));
    QVERIFY(w.mmWarnings->toPlainText().contains(QStringLiteral(": Участок есть (макс. ")));

    QVERIFY(f.app->RasVip);
    QCOMPARE(fileValue(f.calcPath(), QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toInt(), 1);
    QVERIFY(f.person.messages.isEmpty());
}

QTEST_MAIN(TestRegimeChecksWindow)
#include "test_regime_checks_window.moc"
