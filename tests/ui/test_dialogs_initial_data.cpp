// The initial-data dialog: what its close stores and checks, the start-node
// check, its record commands and its launcher.
#include "formulas/catalogue_check.h"
#include "store/command.h"
#include "store/initial_data_check.h"
#include "store/looped_network.h"
#include "store/record_list.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_view.h"
#include "ui/initial_data_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QtTest>

using volm::App;
using volm::Table;
using volm::test::DialogsFixture;

namespace {

const QString kNotFound =
    QStringLiteral("Номер начального узла тепловой сети не найден в таблице \"Узлы тепловой сети\".");
const QString kInHeadChanges = QStringLiteral(
    "Номер начального узла тепловой сети не должен присутствовать в таблице \"Изменение полного напора в узлах "
    "теплосети\".");
const QString kNodeRefused =
    QStringLiteral("Параметр \"Номер узла\" должен быть целым числом из диапазона [0...32767].");

void addNodes(App& app, const QList<int>& nodes) {
    for (int n : nodes)
        app.dm.acGR.exec(QStringLiteral("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (%1, %2)").arg(n).arg(100 + n));
    app.dm.atUzliTS->requery();
}

void addHeadChange(App& app, int node, bool returnPipe, double change) {
    app.dm.acGR.exec(QStringLiteral("INSERT INTO ИзмПНапВУзлахТС (Nуз, ТрПр, ИзмПНап) VALUES (%1, %2, %3)")
                         .arg(node)
                         .arg(returnPipe ? QStringLiteral("True") : QStringLiteral("False"))
                         .arg(change));
    app.dm.atIzmPNapVUzlahTS->requery();
}

QVariant nazv(App& app, const char* field) {
    app.dm.atNazvRasch->first();
    return app.dm.atNazvRasch->value(QString::fromUtf8(field));
}

QList<int> column(Table& t, const char* field) {
    QList<int> out;
    const int f = t.fieldIndex(QString::fromUtf8(field));
    for (int r = 0; r < t.rowCount(); ++r) out << t.valueAt(r, f).toInt();
    return out;
}

// A menu's items, "-" for a separator.
QStringList menuLayout(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QStringList titles(const volm::ui::DataGridView* view) {
    QStringList out;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        out << view->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

}  // namespace

class TestInitialDataDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void menuAndGridTitles();
    void freshCalculationOpensWithEmptyStartNode();
    void loopedNetworkTickIsStoredAndShown();
    void emptyStartNodeIsStoredAsZero();
    void closeStoresValuesAndChecksStartNode_data();
    void closeStoresValuesAndChecksStartNode();
    void startNodeThatIsNotANumberKeepsDialogOpen();
    void refusedNodeRowClosesWithoutStoring();
    void deleteStatements();
    void deleteSelectedHeadChangesOfOneNode();
    void deleteSelectedNodesLandsAfterLastDeleted();
    void deleteWithoutSelectionOnlyTells();
    void deleteAllAsksFirst();
    void launcherChecksFormulasAndRebuilds_data();
    void launcherChecksFormulasAndRebuilds();
    void oneTubeNetworkRebuildsTheSectionTable();
};

// The menu lists its items in order with no separators; the grids carry their
// titles and show the pipeline flag as "Под."/"Обр.".
void TestInitialDataDialog::menuAndGridTitles() {
    DialogsFixture f;
    QVERIFY(f.start());
    addHeadChange(*f.app, 3, true, 1.5);
    addHeadChange(*f.app, 4, false, 2);
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    auto* bar = dlg.findChild<QMenuBar*>();
    QVERIFY(bar);
    QStringList top;
    for (QAction* a : bar->actions()) top << a->text();
    QCOMPARE(top, (QStringList{"Узлы ТС", "Изменение полного напора в узлах ТС", "Сохранить и закрыть"}));
    QCOMPARE(menuLayout(dlg.miUzliTS), (QStringList{"Выделить все записи", "Удалить записи", "Удалить все записи",
                                                    "Автозаполнение узлов тепловой сети"}));
    QCOMPARE(menuLayout(dlg.miIsmPNap),
             (QStringList{"Выделить все записи", "Удалить записи", "Удалить все записи"}));
    QCOMPARE(titles(dlg.DGUzliTS), (QStringList{"Номер узла", "Геодезическая высота узла, м."}));
    QCOMPARE(titles(dlg.DGIsmPNap),
             (QStringList{"Узел (кроме нач. узла)", "Трубопровод (Под. или Обр.)", "Изменение напора, м."}));
    const QAbstractItemModel* m = dlg.DGIsmPNap->model();
    QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("Обр."));
    QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("Под."));
    QCOMPARE(dlg.rgTipSeti->title(), QStringLiteral("Тип сети"));
    QVERIFY(dlg.minimumWidth() >= 480 && dlg.minimumHeight() >= 370);
}

void TestInitialDataDialog::freshCalculationOpensWithEmptyStartNode() {
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY(nazv(*f.app, "NНачУз").isNull());
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    QCOMPARE(dlg.edNomNachUz->text(), QString());
    QCOMPARE(dlg.networkTypeIndex(), 1);  // the template is a two-pipe network
    QVERIFY(dlg.cbRasRash->isChecked());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Ввод начальных данных"));
}

// "Сеть с кольцами": a file without the column shows it off and is not
// changed by opening; a click ticks it, the close adds the column and stores
// it, and the dialog shows it ticked the next time.
void TestInitialDataDialog::loopedNetworkTickIsStoredAndShown() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {1});
    QCOMPARE(f.app->dm.atNazvRasch->fieldIndex(volm::kLoopedColumn), -1);
    {
        TVvodNachDannForm dlg(*f.app);
        dlg.load();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.cbLooped->text(), QStringLiteral("Сеть с кольцами"));
        QVERIFY(!dlg.cbLooped->isChecked());
        QTest::mouseClick(dlg.cbLooped, Qt::LeftButton, {}, QPoint(5, dlg.cbLooped->height() / 2));
        QVERIFY(dlg.cbLooped->isChecked());
        dlg.edNomNachUz->setText(QStringLiteral("1"));
        QVERIFY(dlg.close());
    }
    QCOMPARE(nazv(*f.app, "КольцСеть").toBool(), true);
    TVvodNachDannForm again(*f.app);
    again.load();
    QVERIFY(again.cbLooped->isChecked());
}

void TestInitialDataDialog::emptyStartNodeIsStoredAsZero() {
    DialogsFixture f;
    QVERIFY(f.start());
    {
        TVvodNachDannForm dlg(*f.app);
        dlg.load();
        dlg.show();
        dlg.miSaveClose->trigger();
        QVERIFY(!dlg.isVisible());
    }
    QCOMPARE(nazv(*f.app, "NНачУз").toInt(), 0);
    QCOMPARE(f.person.messages, QStringList{kNotFound});  // no node carries 0
    TVvodNachDannForm again(*f.app);
    again.load();
    QCOMPARE(again.edNomNachUz->text(), QStringLiteral("0"));
}

void TestInitialDataDialog::closeStoresValuesAndChecksStartNode_data() {
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QList<int>>("nodes");
    QTest::addColumn<int>("headChangeNode");  // -1: none
    QTest::addColumn<QString>("message");     // empty: none

    QTest::newRow("start node listed") << "1" << QList<int>{1, 2, 3} << 3 << QString();
    QTest::newRow("start node missing") << "7" << QList<int>{1, 2, 3} << -1 << kNotFound;
    QTest::newRow("no nodes at all") << "1" << QList<int>{} << -1 << kNotFound;
    QTest::newRow("start node with a head change") << "2" << QList<int>{1, 2, 3} << 2 << kInHeadChanges;
    QTest::newRow("blanks around the number") << " 3 " << QList<int>{3} << -1 << QString();
}

void TestInitialDataDialog::closeStoresValuesAndChecksStartNode() {
    QFETCH(QString, startText);
    QFETCH(QList<int>, nodes);
    QFETCH(int, headChangeNode);
    QFETCH(QString, message);

    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, nodes);
    if (headChangeNode >= 0) addHeadChange(*f.app, headChangeNode, false, 5);

    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.rbOneTube->setChecked(true);
    dlg.cbRasRash->setChecked(false);
    dlg.edNomNachUz->setText(startText);
    QVERIFY(dlg.close());

    QVERIFY(!dlg.isVisible());  // a failed check only tells; the dialog closes
    QCOMPARE(f.person.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(nazv(*f.app, "ТипСети").toInt(), 0);
    QCOMPARE(nazv(*f.app, "РасчРасх").toBool(), false);
    QCOMPARE(nazv(*f.app, "NНачУз").toInt(), startText.trimmed().toInt());
    QCOMPARE(volm::ProveritNachDann(*f.app), message.isEmpty());
}

void TestInitialDataDialog::startNodeThatIsNotANumberKeepsDialogOpen() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {5});
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.edNomNachUz->setText(QStringLiteral("12a"));
    QVERIFY(!dlg.close());
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY(f.person.messages[0].startsWith(
        QStringLiteral("Ошибка при записи параметра \"Номер начального узла тепловой сети\".\r\rКласс ошибки: ")));
    QVERIFY(nazv(*f.app, "NНачУз").isNull());

    f.person.clear();
    dlg.edNomNachUz->setText(QStringLiteral("5"));
    QVERIFY(dlg.close());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(nazv(*f.app, "NНачУз").toInt(), 5);
}

void TestInitialDataDialog::refusedNodeRowClosesWithoutStoring() {
    DialogsFixture f;
    QVERIFY(f.start());
    Table& nodes = *f.app->dm.atUzliTS;
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.rbOneTube->setChecked(true);
    dlg.edNomNachUz->setText(QStringLiteral("4"));
    nodes.append();
    nodes.setValue(QStringLiteral("Nуз"), -3);

    QVERIFY(dlg.close());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(f.person.messages, QStringList{kNodeRefused});  // once, and nothing else
    QVERIFY(!nodes.editing());
    QCOMPARE(nodes.recordCount(), 0);
    QCOMPARE(nazv(*f.app, "ТипСети").toInt(), 1);
    QVERIFY(nazv(*f.app, "NНачУз").isNull());
}

void TestInitialDataDialog::deleteStatements() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {12});
    addHeadChange(*f.app, 5, false, 1);
    addHeadChange(*f.app, 5, true, 2);
    Table& changes = *f.app->dm.atIzmPNapVUzlahTS;
    QCOMPARE(volm::deleteNodeStatement(*f.app->dm.atUzliTS, 0), QStringLiteral("DELETE FROM УзлыТС WHERE Nуз=12"));
    QCOMPARE(volm::deleteHeadChangeStatement(changes, 0),
             QStringLiteral("DELETE FROM ИзмПНапВУзлахТС WHERE (Nуз=5) and (ТрПр=False)"));
    QCOMPARE(volm::deleteHeadChangeStatement(changes, 1),
             QStringLiteral("DELETE FROM ИзмПНапВУзлахТС WHERE (Nуз=5) and (ТрПр=True)"));
}

void TestInitialDataDialog::deleteSelectedHeadChangesOfOneNode() {
    DialogsFixture f;
    QVERIFY(f.start());
    addHeadChange(*f.app, 5, false, 1);
    addHeadChange(*f.app, 5, true, 2);
    addHeadChange(*f.app, 6, false, 3);
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    dlg.DGIsmPNap->selectionModel()->select(dlg.DGIsmPNap->model()->index(0, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dlg.DGIsmPNap->selectionModel()->select(dlg.DGIsmPNap->model()->index(1, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(dlg.DGIsmPNap->selectedRowNumbers(), (QList<int>{0, 1}));
    f.person.answers = {true};
    dlg.miIsmPNapDelRec->trigger();
    QCOMPARE(f.person.questions, QStringList{QStringLiteral("Удалить выделенные записи?")});
    QCOMPARE(column(*f.app->dm.atIzmPNapVUzlahTS, "Nуз"), QList<int>{6});
}

void TestInitialDataDialog::deleteSelectedNodesLandsAfterLastDeleted() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {1, 2, 3, 4, 5, 6});
    Table& nodes = *f.app->dm.atUzliTS;
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    auto select = [&](const QList<int>& rows) {
        dlg.DGUzliTS->clearSelection();
        for (int r : rows)
            dlg.DGUzliTS->selectionModel()->select(dlg.DGUzliTS->model()->index(r, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    select({1, 3});
    f.person.answers = {true};
    dlg.miUzliTSDelRec->trigger();
    QCOMPARE(column(nodes, "Nуз"), (QList<int>{1, 3, 5, 6}));
    QCOMPARE(nodes.value(QStringLiteral("Nуз")).toInt(), 5);  // the row after the last deleted one

    select({3});
    f.person.answers = {true};
    dlg.miUzliTSDelRec->trigger();
    QCOMPARE(column(nodes, "Nуз"), (QList<int>{1, 3, 5}));
    QCOMPARE(nodes.value(QStringLiteral("Nуз")).toInt(), 5);  // the new last row

    dlg.miUzliTSSelAll->trigger();
    QCOMPARE(dlg.DGUzliTS->selectedRowNumbers(), (QList<int>{0, 1, 2}));
    QCOMPARE(nodes.value(QStringLiteral("Nуз")).toInt(), 5);  // select all keeps the current row
}

void TestInitialDataDialog::deleteWithoutSelectionOnlyTells() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {1, 2});
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The current row is no selected row: a click and an arrow key select nothing.
    QTest::mouseClick(dlg.DGUzliTS->viewport(), Qt::LeftButton, {},
                      dlg.DGUzliTS->visualRect(dlg.DGUzliTS->model()->index(1, 1)).center());
    QTest::keyClick(dlg.DGUzliTS, Qt::Key_Up);
    QCOMPARE(dlg.DGUzliTS->currentIndex().row(), 0);
    dlg.miUzliTSDelRec->trigger();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("Выделите хотя бы одну запись.")});
    QCOMPARE(f.person.questions, QStringList());
    QCOMPARE(f.app->dm.atUzliTS->recordCount(), 2);
}

void TestInitialDataDialog::deleteAllAsksFirst() {
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {1, 2});
    addHeadChange(*f.app, 2, true, 1);
    TVvodNachDannForm dlg(*f.app);
    dlg.load();
    dlg.show();
    f.person.answers = {false};
    dlg.miUzliTSDelAllRec->trigger();
    QCOMPARE(f.app->dm.atUzliTS->recordCount(), 2);
    f.person.answers = {true, true};
    dlg.miUzliTSDelAllRec->trigger();
    dlg.miIsmPNapDelAllRec->trigger();
    QCOMPARE(f.person.questions, QStringList(3, QStringLiteral("Удалить все записи?")));
    QCOMPARE(f.app->dm.atUzliTS->recordCount(), 0);
    QCOMPARE(f.app->dm.atIzmPNapVUzlahTS->recordCount(), 0);
}

void TestInitialDataDialog::launcherChecksFormulasAndRebuilds_data() {
    QTest::addColumn<bool>("checkPasses");
    QTest::newRow("check passes") << true;
    QTest::newRow("check fails") << false;
}

void TestInitialDataDialog::launcherChecksFormulasAndRebuilds() {
    QFETCH(bool, checkPasses);
    DialogsFixture f;
    QVERIFY(f.start());
    addNodes(*f.app, {1});
    f.app->RasVip = true;
    f.checkPasses = checkPasses;
    bool shown = false;
    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TVvodNachDannForm*>(w);
        if (!dlg) return;
        shown = true;
        dlg->rbTwoTube->setChecked(true);
        dlg->edNomNachUz->setText(QStringLiteral("1"));
        dlg->close();
    });
    QVERIFY(TVvodNachDannForm::run(*f.app));
    QVERIFY(shown);
    QCOMPARE(f.checks, 1);
    QCOMPARE(f.rebuilds, checkPasses ? 1 : 0);
    QCOMPARE(f.app->FormuliProvereny, checkPasses);
    QVERIFY(!f.app->RasVip);
    QCOMPARE(nazv(*f.app, "РасчетВыполнен").toBool(), false);
    QCOMPARE(nazv(*f.app, "ТипСети").toInt(), 1);
    QCOMPARE(f.person.statuses,
             (QStringList{QStringLiteral("Проверка синтаксиса показателей расчета..."), QString()}));
}

// With the real check and rebuild: a one-pipe network loses the return-pipeline
// columns of Табл and the grids stay shown.
void TestInitialDataDialog::oneTubeNetworkRebuildsTheSectionTable() {
    DialogsFixture f;
    QVERIFY(f.start());
    volm::useFormulaCheck(*f.app);
    addNodes(*f.app, {1, 2});
    QVERIFY(f.app->dm.atTabl->fieldIndex(QStringLiteral("РасхОбр")) >= 0);
    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TVvodNachDannForm*>(w);
        if (!dlg) return;
        dlg->rbOneTube->setChecked(true);
        dlg->edNomNachUz->setText(QStringLiteral("1"));
        dlg->close();
    });
    QVERIFY(TVvodNachDannForm::run(*f.app));
    QCOMPARE(f.person.messages, QStringList());
    QVERIFY(f.app->FormuliProvereny);
    QVERIFY(f.app->dm.atTabl);
    QCOMPARE(f.app->dm.atTabl->fieldIndex(QStringLiteral("РасхОбр")), -1);
    QCOMPARE(f.app->dm.atTabl->fieldIndex(QStringLiteral("РНапКон")), -1);
    QVERIFY(f.app->dm.atTabl->fieldIndex(QStringLiteral("РасхПод")) >= 0);
}

QTEST_MAIN(TestInitialDataDialog)
#include "test_dialogs_initial_data.moc"
