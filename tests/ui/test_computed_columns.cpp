// "Вид / Столбцы...": the dialog driven by keys and clicks over its checked list
// model, and the choice shown in the section grid after the entered columns,
// kept in the calculation file and each calculation keeping its own.
#include "formulas/catalogue_check.h"
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/database.h"
#include "store/file_commands.h"
#include "store/view_options.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/computed_columns_dialog.h"
#include "ui/data_grid_model.h"
#include "ui/main_window.h"
#include "ui/result_columns.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using volm::App;
using volm::ComputedColumnChoice;
using volm::test::DialogsFixture;
using volm::ui::ComputedColumnsDialog;
using volm::ui::TMainForm;

namespace {

QStringList namesOf(const ComputedColumnChoice& choice, bool shownOnly = false) {
    QStringList out;
    for (const volm::ComputedColumn& c : choice)
        if (!shownOnly || c.shown) out << c.indicator;
    return out;
}

int rowOf(const QListWidget* list, const QString& field) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toString() == field) return i;
    return -1;
}

void clickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The computed columns the section grid shows, after the entered ones.
QStringList computedShown(const TMainForm& w, int entered) {
    QStringList out;
    for (int c = entered; c < w.glavnModel->columnCount(); ++c) out << w.glavnModel->fieldNameAt(c);
    return out;
}

}  // namespace

class TestComputedColumns : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialogMovesAndTicksByKeysAndClicks();
    void choiceShownAndKeptPerCalculation();
};

void TestComputedColumns::dialogMovesAndTicksByKeysAndClicks() {
    ComputedColumnsDialog dlg({{"Двн", "Внутренний диаметр"},
                               {"ПНапНачПод", "Полный напор в начале"},
                               {"ПНапКонПод", "Полный напор в конце"},
                               {"РНапКон", "Располагаемый напор в конце"}},
                              {{"РНапКон", true}, {"Двн", false}});
    QAbstractItemModelTester tester(dlg.lwColumns->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The stored choice first, then the columns it does not name in table order.
    QCOMPARE(namesOf(dlg.choice()), (QStringList{"РНапКон", "Двн", "ПНапНачПод", "ПНапКонПод"}));
    QCOMPARE(namesOf(dlg.choice(), true), (QStringList{"РНапКон", "ПНапНачПод", "ПНапКонПод"}));
    QVERIFY(dlg.lwColumns->item(0)->text().contains(QStringLiteral("Располагаемый напор в конце")));

    // Ctrl+Down twice moves the current column two places down.
    clickRow(dlg.lwColumns, 0);
    QTest::keyClick(dlg.lwColumns, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(dlg.lwColumns, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(namesOf(dlg.choice()), (QStringList{"Двн", "ПНапНачПод", "РНапКон", "ПНапКонПод"}));
    QCOMPARE(dlg.lwColumns->currentRow(), 2);
    // Down and Space untick the next one; "Выше" moves it up.
    QTest::keyClick(dlg.lwColumns, Qt::Key_Down);
    QTest::keyClick(dlg.lwColumns, Qt::Key_Space);
    QCOMPARE(namesOf(dlg.choice(), true), (QStringList{"ПНапНачПод", "РНапКон"}));
    QTest::mouseClick(dlg.btnUp, Qt::LeftButton);
    QCOMPARE(namesOf(dlg.choice()), (QStringList{"Двн", "ПНапНачПод", "ПНапКонПод", "РНапКон"}));
    // At the top "Выше" does nothing, at the bottom Ctrl+Down neither.
    clickRow(dlg.lwColumns, 0);
    QTest::mouseClick(dlg.btnUp, Qt::LeftButton);
    clickRow(dlg.lwColumns, 3);
    QTest::keyClick(dlg.lwColumns, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(namesOf(dlg.choice()), (QStringList{"Двн", "ПНапНачПод", "ПНапКонПод", "РНапКон"}));

    QTest::mouseClick(dlg.btnNone, Qt::LeftButton);
    QCOMPARE(namesOf(dlg.choice(), true), QStringList());
    QTest::mouseClick(dlg.btnAll, Qt::LeftButton);
    QCOMPARE(namesOf(dlg.choice(), true), namesOf(dlg.choice()));
    // "Порядок таблицы": every column shown, in the order of the table.
    clickRow(dlg.lwColumns, 0);
    QTest::keyClick(dlg.lwColumns, Qt::Key_Space);
    QTest::mouseClick(dlg.btnTableOrder, Qt::LeftButton);
    QCOMPARE(namesOf(dlg.choice(), true), (QStringList{"Двн", "ПНапНачПод", "ПНапКонПод", "РНапКон"}));

    // Enter in the list closes the dialog with the choice.
    dlg.lwColumns->setFocus();
    QTest::keyClick(dlg.lwColumns, Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestComputedColumns::choiceShownAndKeptPerCalculation() {
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/two_pipe.mdb")));
    App& app = *f.app;
    volm::useFormulaCheck(app);
    QVERIFY(volm::ProveritFormuli(app));
    volm::NastroitStrukturuTablic(app);
    TMainForm w(app);
    QAbstractItemModelTester tester(w.glavnModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    w.resize(1016, 560);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int entered = w.glavnModel->columnCount();
    QVERIFY(!w.resultColumns()->shown());

    // The heads first, the rest hidden; the computed columns were not shown yet.
    QStringList offered;
    volm::test::whenModal([&](QWidget* modal) {
        auto* d = qobject_cast<ComputedColumnsDialog*>(modal);
        if (!d) return;
        offered = namesOf(d->choice());
        QTest::mouseClick(d->btnNone, Qt::LeftButton);
        for (const char* field : {"ПНапКонПод", "РНапКон"}) {
            const int row = rowOf(d->lwColumns, QString::fromUtf8(field));
            if (row < 0) break;
            clickRow(d->lwColumns, row);
            QTest::keyClick(d->lwColumns, Qt::Key_Space);
            for (int k = 0; k < row; ++k) QTest::keyClick(d->lwColumns, Qt::Key_Up, Qt::ControlModifier);
        }
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    });
    w.miVidStolbtsy->trigger();
    QVERIFY(offered.contains(QStringLiteral("ПНапКонПод")));
    QVERIFY(offered.indexOf(QStringLiteral("ПНапКонПод")) > 20);  // far to the right in the order of the table
    QVERIFY(w.resultColumns()->shown());
    QCOMPARE(computedShown(w, entered), (QStringList{"РНапКон", "ПНапКонПод"}));
    {
        volm::Database db;
        db.open(f.calcPath());
        auto st = db.prepare(QStringLiteral("SELECT count(*) FROM РасчСтолбцы WHERE Показывать"));
        QVERIFY(st->step());
        QCOMPARE(st->column(0).toInt(), 2);
    }

    // Cancel changes nothing.
    volm::test::whenModal([&](QWidget* modal) {
        auto* d = qobject_cast<ComputedColumnsDialog*>(modal);
        if (!d) return;
        QTest::mouseClick(d->btnAll, Qt::LeftButton);
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    w.miVidStolbtsy->trigger();
    QCOMPARE(computedShown(w, entered), (QStringList{"РНапКон", "ПНапКонПод"}));

    // A new calculation shows every computed column in the order of its table;
    // the first one, opened again, its own choice.
    f.person.fileNames = {f.calcDir.filePath(QStringLiteral("второй"))};
    w.newCalculation();
    QCOMPARE(f.person.messages, QStringList());
    QVERIFY(computedShown(w, w.glavnModel->columnOf(QStringLiteral("Примечание")) + 1).size() > 20);
    volm::openCalculationFile(app, f.calcPath());
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(computedShown(w, w.glavnModel->columnOf(QStringLiteral("Примечание")) + 1),
             (QStringList{"РНапКон", "ПНапКонПод"}));
}

QTEST_MAIN(TestComputedColumns)
#include "test_computed_columns.moc"
