// "Правка / Отменить" and "Правка / Повторить" in the main window, driven with
// real keys on the real grid: a typed cell, a pasted block, deleted records and
// a session of the formulas window taken back and made again, the file holding
// at every step what it should, the grid's current row staying on its section.
#include "tests/ui/grid_typing_fixture.h"
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/records.h"
#include "tests/support/file_contents.h"
#include "ui/data_grid_model.h"
#include "ui/auto_fill_dialog.h"
#include "ui/formulas_dialog.h"
#include "ui/initial_data_dialog.h"
#include "ui/undo_steps.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>
#include <QtTest>

using volm::App;
using volm::test::Typing;

class TestUndo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedCellUndoneAndRedoneWithKeys_data();
    void typedCellUndoneAndRedoneWithKeys();
    void pasteIsOneStepNamedInTheMenu();
    void deletedRecordsComeBackWithTheirKeys();
    void aRunIsNoStepAndUndoClearsTheDoneFlag();
    void deleteAllRecordsTakenBack();
    void formulasSessionTakenBackWithTheColumnAndItsValues();
    void initialDataSessionIsStepsAroundItsAutoFill();
};

namespace {

QAction* undoAction(Typing& t) { return t.w->undoSteps()->undoAction(); }

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// The formulas checked and the tables shaped by the program's own formula
// layer, as on opening, instead of the counted stand-ins.
void useRealCheck(volm::test::Typing& t) {
    t.f.catalogue.onCheck = [](App& a) { return volm::ProveritFormuli(a); };
    t.f.catalogue.onRebuild = [](App& a) { volm::NastroitStrukturuTablic(a); };
    volm::RecordingPause pause(t.app().changes);
    QVERIFY(volm::ProveritFormuli(t.app()));
    volm::NastroitStrukturuTablic(t.app());
}

QVariant fileValue(App& app, const QString& sql) {
    auto st = app.dm.acGR.prepare(sql);
    return st->step() ? st->column(0) : QVariant();
}

}  // namespace

void TestUndo::typedCellUndoneAndRedoneWithKeys_data() {
    QTest::addColumn<int>("redoKey");
    QTest::addColumn<int>("redoModifiers");
    QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier);
}

void TestUndo::typedCellUndoneAndRedoneWithKeys() {
    QFETCH(int, redoKey);
    QFETCH(int, redoModifiers);
    Typing t(3);
    QVERIFY(t.ok);
    t.app().RasVip = true;
    t.click(1, "ДлНаУчПод");
    t.type("55");
    t.press(Qt::Key_Up);  // leaves the row: it is stored
    QCOMPARE(t.stored(2, "ДлНаУчПод").toDouble(), 55.0);
    settle();
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: ввод значения"));
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t.stored(2, "ДлНаУчПод").toDouble(), 20.0);
    QCOMPARE(t.w->glavnModel->displayText(1, t.column("ДлНаУчПод")), QStringLiteral("20"));
    QVERIFY(!t.app().RasVip);
    QCOMPARE(t.sections().rowid(), 1);  // the current row stays on its section
    t.press(redoKey, Qt::KeyboardModifiers(redoModifiers));
    QCOMPARE(t.stored(2, "ДлНаУчПод").toDouble(), 55.0);
    QCOMPARE(t.w->glavnModel->displayText(1, t.column("ДлНаУчПод")), QStringLiteral("55"));
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
}

void TestUndo::pasteIsOneStepNamedInTheMenu() {
    Typing t(3);
    QVERIFY(t.ok);
    t.click(1, "РасхПод");
    QApplication::clipboard()->setText(QStringLiteral("5,5\n7\n9\n"));
    t.press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(t.storedCount(), 4);
    settle();
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: вставка 3 участков"));
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t.storedKeys(), QList<int>({1, 2, 3}));
    QCOMPARE(t.stored(2, "РасхПод").toDouble(), 2.25);
    QCOMPARE(t.stored(3, "РасхПод").toDouble(), 3.25);
    QCOMPARE(t.w->glavnModel->rowCount(), 3);
    QCOMPARE(t.w->undoSteps()->redoAction()->text(), QStringLiteral("Повторить: вставка 3 участков"));
    t.press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(t.storedKeys(), QList<int>({1, 2, 3, 4}));
    QCOMPARE(t.stored(4, "РасхПод").toDouble(), 9.0);
    QCOMPARE(t.w->glavnModel->rowCount(), 4);
}

void TestUndo::deletedRecordsComeBackWithTheirKeys() {
    Typing t(4);
    QVERIFY(t.ok);
    t.click(1, "РасхПод");
    t.click(2, "РасхПод", Qt::ShiftModifier);
    t.grid()->selectRow(1);
    t.grid()->selectionModel()->select(t.w->glavnModel->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    t.f.person.answers.push_back(true);
    t.clickTool(t.w->miDelRec);
    QCOMPARE(t.storedKeys(), QList<int>({1, 4}));
    settle();
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: удаление 2 записей"));
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t.storedKeys(), QList<int>({1, 2, 3, 4}));
    QCOMPARE(t.stored(3, "ДлНаУчПод").toDouble(), 30.0);
    QCOMPARE(t.w->glavnModel->rowCount(), 4);
    t.press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(t.storedKeys(), QList<int>({1, 4}));
}

void TestUndo::aRunIsNoStepAndUndoClearsTheDoneFlag() {
    Typing t(2);
    QVERIFY(t.ok);
    t.click(0, "ДлНаУчПод");
    t.type("12");
    t.press(Qt::Key_Down);
    settle();
    // What a run writes (results, the done flag) is recorded by nobody.
    {
        volm::RecordingPause pause(t.app().changes);
        t.app().dm.acGR.exec(QStringLiteral("UPDATE Табл SET ПотНОтИНачПод = 1"));
        volm::UstanovitRasVip(t.app(), true);
    }
    settle();
    QCOMPARE(t.w->undoSteps()->stack()->count(), 1);
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t.stored(1, "ДлНаУчПод").toDouble(), 10.0);
    QVERIFY(!t.app().RasVip);
    auto q = t.app().dm.acGR.query(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч"));
    q->open();
    QCOMPARE(q->valueAt(0, 0).toInt(), 0);
}

void TestUndo::deleteAllRecordsTakenBack() {
    Typing t(3);
    QVERIFY(t.ok);
    t.click(1, "РасхПод");
    t.f.person.answers.push_back(true);
    t.clickTool(t.w->miDelAllRec);
    QCOMPARE(t.storedCount(), 0);
    settle();
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: удаление всех записей"));
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t.storedKeys(), QList<int>({1, 2, 3}));
    QCOMPARE(t.w->glavnModel->rowCount(), 3);
}

// A table indicator with values deleted in the formulas window opened from the
// menu: the session is one step; Ctrl+Z brings back the indicator, the column
// and its values, Ctrl+Y takes them away again.
void TestUndo::formulasSessionTakenBackWithTheColumnAndItsValues() {
    Typing t(3);
    QVERIFY(t.ok);
    App& app = t.app();
    {
        volm::RecordingPause pause(app.changes);
        app.dm.acGR.exec(QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, "
                                        "ВывВОтчТабл) VALUES (1, 'Коэффициент', 'Кш', True, True, Null, True)"));
        app.dm.atFormuli->requery();
        useRealCheck(t);
        app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Кш = id + 0.5"));
        app.dm.atTabl->requery();
    }
    settle();
    t.w->undoSteps()->clear();
    const QStringList before = {"1.5", "2.5", "3.5"};
    // The column's values in the file, none when it is gone.
    auto values = [&] {
        QStringList out;
        if (!app.dm.acGR.prepare(QStringLiteral("SELECT 1 FROM pragma_table_info('Табл') WHERE name = 'Кш'"))->step())
            return out;
        auto st = app.dm.acGR.prepare(QStringLiteral("SELECT Кш FROM Табл ORDER BY id"));
        while (st->step()) out << st->column(0).toString();
        return out;
    };
    QCOMPARE(values(), before);

    // Данные / Расчетные формулы, clicked in the menu bar.
    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TRasFormuliForm*>(w);
        if (!dlg) return;
        auto* m = dlg->indicatorsModel;
        const int name = m->columnOf(QStringLiteral("НаимПокСокр"));
        int row = 0;
        while (row < m->rowCount() && m->displayText(row, name) != QStringLiteral("Кш")) ++row;
        const QModelIndex i = m->index(row, name);
        dlg->DGPok->scrollTo(i);
        QTest::mouseClick(dlg->DGPok->viewport(), Qt::LeftButton, Qt::ControlModifier, dlg->DGPok->visualRect(i).center());
        t.f.person.answers = {true};
        dlg->miDelRec->trigger();
        dlg->miSaveClose->trigger();
    });
    QMenuBar* bar = t.w->menuBar();
    QAction* data = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == QStringLiteral("&Данные")) data = a;
    QVERIFY(data && data->menu());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(data).center());
    QMenu* menu = data->menu();
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(t.w->miDataRasFormuli).center());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(values().isEmpty());
    QCOMPARE(t.w->glavnModel->columnOf(QStringLiteral("Кш")), -1);
    settle();
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: изменение расчетных формул"));

    t.w->activateWindow();
    t.click(0, "РасхПод");
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(values(), before);
    QVERIFY(app.FormuliProvereny);
    QVERIFY(app.dm.acGR.prepare(QStringLiteral("SELECT 1 FROM Формулы WHERE НаимПокСокр = 'Кш'"))->step());
    QVERIFY(t.w->glavnModel->columnOf(QStringLiteral("Кш")) >= 0);
    QCOMPARE(t.w->glavnModel->displayText(1, t.column("Кш")), QStringLiteral("2,5"));
    t.press(Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(values().isEmpty());
    QCOMPARE(t.w->glavnModel->columnOf(QStringLiteral("Кш")), -1);
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(values(), before);
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
}

// The initial-data window opened from the toolbar: a node deleted, the node
// heights auto-filled, the network made one-pipe (the tables rebuilt when the
// window closes). Ctrl+Z takes back first the network type with the return
// columns and their values, then the auto-fill, then the deleted node; the
// file is then as it was, and Ctrl+Y three times makes it as the window left it.
void TestUndo::initialDataSessionIsStepsAroundItsAutoFill() {
    Typing t(3);
    QVERIFY(t.ok);
    App& app = t.app();
    {
        volm::RecordingPause pause(app.changes);
        useRealCheck(t);
        app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET РасхОбр = id + 0.75"));
        app.dm.atTabl->requery();
    }
    settle();
    t.w->undoSteps()->clear();
    const QString first = volm::test::fileContents(app.dm.acGR);

    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TVvodNachDannForm*>(w);
        if (!dlg) return;
        auto* nodes = dlg->DGUzliTS;
        const QModelIndex last = dlg->nodesModel->index(dlg->nodesModel->rowCount() - 1, 0);
        nodes->scrollTo(last);
        QTest::mouseClick(nodes->viewport(), Qt::LeftButton, Qt::ControlModifier, nodes->visualRect(last).center());
        t.f.person.answers = {true};
        dlg->miUzliTSDelRec->trigger();
        volm::test::whenModal([](QWidget* w) {
            auto* fill = qobject_cast<TAutoZapolUzTSForm*>(w);
            if (!fill) return;
            for (auto [edit, text] : {std::pair{fill->edNomNachUz, "0"}, {fill->edNomKonUz, "5"}, {fill->edGeodVis, "7"}}) {
                edit->clear();
                QTest::keyClicks(edit, QString::fromLatin1(text));
            }
            QTest::mouseClick(fill->btnSave, Qt::LeftButton);
            QTest::mouseClick(fill->btnClose, Qt::LeftButton);
        });
        dlg->miUzliTSAutoZapol->trigger();
        QTest::mouseClick(dlg->rbOneTube, Qt::LeftButton, {}, QPoint(6, dlg->rbOneTube->height() / 2));
        dlg->close();
    });
    t.clickTool(t.w->miDataVvodNachDann);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    settle();
    QCOMPARE(fileValue(app, QStringLiteral("SELECT ТипСети FROM НазвРасч")).toInt(), 0);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT count(*) FROM pragma_table_info('Табл') WHERE name = 'РасхОбр'")).toInt(), 0);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT count(*) FROM УзлыТС WHERE ГеодВыс = 7")).toInt(), 6);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT max(Nуз) FROM УзлыТС")).toInt(), 9);
    QCOMPARE(t.w->undoSteps()->stack()->count(), 3);
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: ввод начальных данных"));
    QCOMPARE(t.f.person.messages, QStringList{QStringLiteral("Данные записаны.")});  // told by auto-fill
    t.f.person.clear();
    const QString last = volm::test::fileContents(app.dm.acGR);

    t.w->activateWindow();
    t.click(0, "РасхПод");
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT ТипСети FROM НазвРасч")).toInt(), 1);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT РасхОбр FROM Табл WHERE id = 2")).toDouble(), 2.75);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT count(*) FROM УзлыТС WHERE ГеодВыс = 7")).toInt(), 6);
    QCOMPARE(undoAction(t)->text(), QStringLiteral("Отменить: автозаполнение узлов тепловой сети"));
    QVERIFY(app.dm.atTabl->fieldIndex(QStringLiteral("РасхОбр")) >= 0);  // the cursor reads the restored column
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT count(*) FROM УзлыТС WHERE ГеодВыс = 7")).toInt(), 0);
    QCOMPARE(fileValue(app, QStringLiteral("SELECT max(Nуз) FROM УзлыТС")).toInt(), 9);
    t.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(volm::test::fileContents(app.dm.acGR).toStdString(), first.toStdString());
    QVERIFY(!t.w->undoSteps()->stack()->canUndo());
    for (int i = 0; i < 3; ++i) t.press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(volm::test::fileContents(app.dm.acGR).toStdString(), last.toStdString());
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
}

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
