// The auto-fill, repeated-data and reference-book windows: their controls and
// menus, what a click, a key or a menu item does to the file, their launchers.
#include "store/node_fill.h"
#include "store/reference_books.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/auto_fill_dialog.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/initial_data_dialog.h"
#include "ui/main_window.h"
#include "ui/reference_editor.h"
#include "ui/repeated_entry_dialog.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using volm::App;
using volm::Table;
using volm::test::DialogsFixture;

namespace {

QVariant fileValue(App& app, const QString& sql) {
    auto q = app.dm.acGR.query(sql);
    if (q->isEmpty()) return {};
    q->first();
    return q->value(0);
}

QVariant sprValue(App& app, const QString& sql) {
    auto q = app.dm.acSpr.query(sql);
    if (q->isEmpty()) return {};
    q->first();
    return q->value(0);
}

// Three sections 0-1, 1-2, 2-3, the second one marked.
void addSections(App& app) {
    for (int id = 1; id <= 3; ++id)
        app.dm.acGR.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, Ду) VALUES (%1, %2, %3, 100)")
                             .arg(id)
                             .arg(id - 1)
                             .arg(id));
    app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Заполн_Уч='Д' WHERE id=2"));
    app.dm.atTabl->requery();
}

QStringList marks(App& app) {
    QStringList out;
    for (int id = 1; id <= 3; ++id)
        out << fileValue(app, QStringLiteral("SELECT Заполн_Уч FROM Табл WHERE id=%1").arg(id)).toString();
    return out;
}

QStringList menuLayout(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

void leave(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &out);
}

void clickCell(volm::ui::DataGridView* view, int row, int column) {
    const QRect r = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

// Runs action on the modal window of class T once it is the active one.
template <typename T>
void whenModalOf(std::function<void(T*)> action, int attempts = 300) {
    QTimer::singleShot(10, [action, attempts] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
            action(w);
        else if (attempts > 0)
            whenModalOf<T>(action, attempts - 1);
    });
}

}  // namespace

class TestDataEntryWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void autoFillWritesKeepsTextsAndReenables();
    void autoFillOpensFromTheInitialDataMenu();
    void repeatedEntryLayoutAndLists();
    void repeatedEntryMarksByClickSpaceAndMenu();
    void repeatedEntryCombosAndApply();
    void repeatedEntryBadNumberChangesNothing();
    void repeatedEntryWithoutMarksSaysSo();
    void repeatedEntryLauncherReturnsToTheSection();
    void referenceEditorOpensReadOnly();
    void referenceEditorAllowEditDeleteAndPostOnClose();
    void referenceEditorLauncherCaptionAndSort();
    void mainWindowOpensEachWindow();
    void referenceEditorStaysOpenWhenThePostFails();
};

void TestDataEntryWindows::autoFillWritesKeepsTextsAndReenables() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->dm.acGR.exec(QStringLiteral("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (3, 1)"));
    f.app->dm.atUzliTS->requery();
    volm::NodeFillInput remembered;
    {
        TAutoZapolUzTSForm dlg(*f.app, remembered);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Автозаполнение узлов тепловой сети"));
        QCOMPARE(dlg.cbDobOtsutUz->text(), QStringLiteral("Добавить отсутствующие узлы"));
        QCOMPARE(dlg.btnSave->text(), QStringLiteral("Записать"));
        dlg.show();
        QTest::keyClicks(dlg.edNomNachUz, QStringLiteral("2"));
        dlg.edNomKonUz->setText(QStringLiteral("4"));
        dlg.edGeodVis->setText(QStringLiteral("12,5"));
        dlg.cbDobOtsutUz->setChecked(true);
        QTest::mouseClick(dlg.btnSave, Qt::LeftButton);
        QCOMPARE(f.person.messages, QStringList{"Данные записаны."});
        QVERIFY(dlg.btnSave->isEnabled() && dlg.edGeodVis->isEnabled() && dlg.btnClose->isEnabled());
        QCOMPARE(dlg.StatusBar1->currentMessage(), QString());
        QTest::mouseClick(dlg.btnClose, Qt::LeftButton);
    }
    QCOMPARE(fileValue(*f.app, "SELECT count(*) FROM УзлыТС WHERE ГеодВыс=12.5").toInt(), 3);
    QCOMPARE(f.app->dm.atUzliTS->rowCount(), 3);
    // The texts come back on the next opening.
    TAutoZapolUzTSForm again(*f.app, remembered);
    QCOMPARE(again.edNomNachUz->text(), QStringLiteral("2"));
    QCOMPARE(again.edGeodVis->text(), QStringLiteral("12,5"));
    QVERIFY(again.cbDobOtsutUz->isChecked());
    // A refused range re-enables nothing it did not disable and writes nothing.
    f.person.clear();
    again.edNomNachUz->setText(QStringLiteral("10"));
    again.edNomKonUz->setText(QStringLiteral("5"));
    again.save();
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY(f.person.messages[0].startsWith(QStringLiteral("Ошибка в параметрах")));
    QVERIFY(again.btnSave->isEnabled());
}

void TestDataEntryWindows::autoFillOpensFromTheInitialDataMenu() {
    DialogsFixture f;
    QVERIFY(f.start());
    volm::NodeFillInput remembered{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5"), true};
    TVvodNachDannForm dlg(*f.app);
    dlg.setAutoFill([&](QWidget* over) {
        volm::test::whenModal([](QWidget* w) {
            if (auto* d = qobject_cast<TAutoZapolUzTSForm*>(w)) {
                d->save();
                d->reject();
            }
        });
        TAutoZapolUzTSForm::run(*f.app, remembered, over);
    });
    dlg.load();
    dlg.miUzliTSAutoZapol->trigger();
    QCOMPARE(fileValue(*f.app, "SELECT count(*) FROM УзлыТС WHERE ГеодВыс=5").toInt(), 2);
    // The dialog's node grid shows the new rows.
    QCOMPARE(dlg.nodesModel->rowCount(), 2);
}

void TestDataEntryWindows::repeatedEntryLayoutAndLists() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    TVvPovtDForm dlg(*f.app);
    QAbstractItemModelTester tester(dlg.sectionsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    dlg.setLists(volm::repeatedEntryLists(*f.app));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Ввод повторяющихся данных"));
    QVERIFY(dlg.minimumWidth() >= 580 && dlg.minimumHeight() >= 322);
    QCOMPARE(menuLayout(dlg.miZapolU), (QStringList{"\"Да\" для всех", "\"Нет\" для всех",
                                                    "Изменить значения на противоположные", "-",
                                                    "Выделить все записи"}));
    QCOMPARE(dlg.miVvD->text(), QStringLiteral("Ввести данные"));
    QCOMPARE(dlg.miClose->text(), QStringLiteral("Закрыть"));
    QCOMPARE(dlg.sectionsModel->headerData(dlg.markColumn(), Qt::Horizontal).toString(),
             QStringLiteral("\"Д\" = Да"));
    QCOMPARE(dlg.sectionsModel->index(1, dlg.markColumn()).data().toString(), QStringLiteral("Д"));
    QVERIFY(!(dlg.sectionsModel->flags(dlg.sectionsModel->index(0, 0)) & Qt::ItemIsEditable));
    for (int k = 0; k < volm::kAssignmentRows; ++k) {
        QCOMPARE(dlg.cbPok1[size_t(k)]->count(), 5);  // ДлНаУчПод, РасхПод, Ду, КоэфМП, ТребРНап
        QCOMPARE(dlg.cbPok1[size_t(k)]->currentText(), QString());
        QVERIFY(dlg.cbPok2[size_t(k)]->count() > 4);
    }
    QCOMPARE(dlg.cbPok1[7]->objectName(), QStringLiteral("cbPok18"));
    QCOMPARE(dlg.cbPok1[0]->itemText(2), QStringLiteral("Ду"));
}

void TestDataEntryWindows::repeatedEntryMarksByClickSpaceAndMenu() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    TVvPovtDForm dlg(*f.app);
    QAbstractItemModelTester tester(dlg.sectionsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // A click in the mark column toggles that section; one elsewhere does not.
    clickCell(dlg.DGZapolU, 0, dlg.markColumn());
    QCOMPARE(marks(*f.app), (QStringList{"Д", "Д", ""}));
    clickCell(dlg.DGZapolU, 2, 0);
    QCOMPARE(marks(*f.app), (QStringList{"Д", "Д", ""}));
    // Space toggles the selected rows.
    dlg.selectAll();
    QTest::keyClick(dlg.DGZapolU, Qt::Key_Space);
    QCOMPARE(marks(*f.app), (QStringList{"", "", "Д"}));
    dlg.miZapolUYesForAll->trigger();
    QCOMPARE(marks(*f.app), (QStringList{"Д", "Д", "Д"}));
    dlg.miZapolUInvertD->trigger();
    QCOMPARE(marks(*f.app), (QStringList{"", "", ""}));
    dlg.miZapolUYesForAll->trigger();
    dlg.miZapolUNoForAll->trigger();
    QCOMPARE(marks(*f.app), (QStringList{"", "", ""}));
    QCOMPARE(dlg.sectionsModel->index(0, dlg.markColumn()).data().toString(), QString());
    QVERIFY(dlg.menu->isEnabled() && dlg.pnLeft->isEnabled() && dlg.pnRight->isEnabled());
    QCOMPARE(dlg.StatusBar1->currentMessage(), QString());
    QCOMPARE(f.person.busyDepth, 0);
    QVERIFY(f.person.messages.isEmpty());
}

void TestDataEntryWindows::repeatedEntryCombosAndApply() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    TVvPovtDForm dlg(*f.app);
    dlg.setLists(volm::repeatedEntryLists(*f.app));
    dlg.show();
    // A name in other letter case becomes the listed one; an unknown one goes.
    dlg.cbPok1[0]->setEditText(QStringLiteral("ду"));
    leave(dlg.cbPok1[0]);
    QCOMPARE(dlg.cbPok1[0]->currentText(), QStringLiteral("Ду"));
    dlg.cbPok1[1]->setEditText(QStringLiteral("Нечто"));
    leave(dlg.cbPok1[1]);
    QCOMPARE(dlg.cbPok1[1]->currentText(), QString());
    // A number and a source exclude each other.
    dlg.edDbl[0]->setText(QStringLiteral("1 234,5"));
    dlg.cbPok2[0]->setEditText(QStringLiteral("двн"));
    leave(dlg.cbPok2[0]);
    QCOMPARE(dlg.cbPok2[0]->currentText(), QStringLiteral("Двн"));
    QCOMPARE(dlg.edDbl[0]->text(), QString());
    dlg.edDbl[0]->setText(QStringLiteral("1 234,5"));
    leave(dlg.edDbl[0]);
    QCOMPARE(dlg.cbPok2[0]->currentText(), QString());
    // Row two copies the first row's result.
    dlg.cbPok1[1]->setEditText(QStringLiteral("КоэфМП"));
    dlg.cbPok2[1]->setEditText(QStringLiteral("Ду"));
    dlg.miVvD->trigger();
    QCOMPARE(f.person.messages, QStringList{"Данные введены успешно."});
    QCOMPARE(fileValue(*f.app, "SELECT Ду FROM Табл WHERE id=2").toDouble(), 1234.5);
    QCOMPARE(fileValue(*f.app, "SELECT КоэфМП FROM Табл WHERE id=2").toDouble(), 1234.5);
    QCOMPARE(fileValue(*f.app, "SELECT Ду FROM Табл WHERE id=1").toDouble(), 100.0);
    QCOMPARE(dlg.StatusBar1->currentMessage(), QString());
    QVERIFY(dlg.menu->isEnabled());
}

void TestDataEntryWindows::repeatedEntryBadNumberChangesNothing() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    TVvPovtDForm dlg(*f.app);
    dlg.setLists(volm::repeatedEntryLists(*f.app));
    dlg.cbPok1[0]->setEditText(QStringLiteral("Ду"));
    dlg.edDbl[0]->setText(QStringLiteral("65"));
    dlg.cbPok1[5]->setEditText(QStringLiteral("КоэфМП"));
    dlg.edDbl[5]->setText(QStringLiteral("0,5о"));
    dlg.apply();
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY(f.person.messages[0].contains(QStringLiteral("\"КоэфМП\"")));
    QVERIFY(f.person.messages[0].contains(QStringLiteral("\"0,5о\"")));
    QCOMPARE(fileValue(*f.app, "SELECT Ду FROM Табл WHERE id=2").toDouble(), 100.0);
}

// With every mark taken off, "Ввести данные" says that no section is marked
// and writes nothing.
void TestDataEntryWindows::repeatedEntryWithoutMarksSaysSo() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    TVvPovtDForm dlg(*f.app);
    dlg.setLists(volm::repeatedEntryLists(*f.app));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.miZapolUNoForAll->trigger();
    QCOMPARE(marks(*f.app), (QStringList{"", "", ""}));
    dlg.cbPok1[0]->setEditText(QStringLiteral("Ду"));
    QTest::keyClicks(dlg.edDbl[0], QStringLiteral("65"));
    dlg.miVvD->trigger();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("Ни один участок не отмечен \"Д\".\rДанные не введены.")});
    QCOMPARE(fileValue(*f.app, "SELECT count(*) FROM Табл WHERE Ду=65").toInt(), 0);
    QVERIFY(dlg.menu->isEnabled());
}

void TestDataEntryWindows::repeatedEntryLauncherReturnsToTheSection() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.person.clear();
    // No sections: the message, no dialog.
    QVERIFY(!TVvPovtDForm::run(*f.app));
    QCOMPARE(f.person.messages,
             QStringList{"В таблице с исходными данными о участках сети должна быть хотя бы одна запись."});
    addSections(*f.app);
    f.app->dm.atTabl->setCurrentRow(2);
    int shownRow = -1;
    QString markTitle;
    volm::test::whenModal([&](QWidget* w) {
        auto* d = qobject_cast<TVvPovtDForm*>(w);
        if (!d) return;
        shownRow = d->DGZapolU->currentIndex().row();
        markTitle = d->DGZapolU->currentIndex().column() == d->markColumn() ? QStringLiteral("mark") : QString();
        d->miClose->trigger();
    });
    QVERIFY(TVvPovtDForm::run(*f.app));
    QCOMPARE(shownRow, 0);
    QCOMPARE(markTitle, QStringLiteral("mark"));
    QCOMPARE(f.app->dm.atTabl->recNo(), 3);
}

void TestDataEntryWindows::referenceEditorOpensReadOnly() {
    DialogsFixture f;
    QVERIFY(f.start());
    TSprEditForm dlg(*f.app, volm::diameterBook());
    QAbstractItemModelTester tester(dlg.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(menuLayout(dlg.miEdit), (QStringList{"Разрешить редактирование", "-", "Выделить все записи",
                                                  "Удалить записи", "Удалить все записи"}));
    QVERIFY(dlg.miEditRazrRed->isEnabled());
    QVERIFY(dlg.miEditSelAll->isEnabled());
    QVERIFY(!dlg.miEditDelRec->isEnabled());
    QVERIFY(!dlg.miEditDelAllRec->isEnabled());
    QVERIFY(!(dlg.model->flags(dlg.model->index(0, 1)) & Qt::ItemIsEditable));
    QCOMPARE(dlg.model->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Условный диаметр трубопровода, мм."));
    QCOMPARE(dlg.model->columnCount(), 2);
    QCOMPARE(dlg.DG->columnWidth(1) >= 220, true);
    // No: still read-only.
    dlg.miEditRazrRed->trigger();
    QCOMPARE(f.person.questions.size(), 1);
    QVERIFY(!dlg.editingAllowed());
}

void TestDataEntryWindows::referenceEditorAllowEditDeleteAndPostOnClose() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->RasVip = true;
    f.app->dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET РасчетВыполнен=True"));
    f.app->dm.atNazvRasch->requery();
    const volm::ReferenceBook& book = volm::correctionBook();
    Table& t = *volm::referenceCursor(*f.app, book);
    t.setSort(book.sort);
    const int before = t.rowCount();
    QVERIFY(before > 3);
    TSprEditForm dlg(*f.app, book);
    QAbstractItemModelTester tester(dlg.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    dlg.show();
    f.person.answers = {true};
    dlg.miEditRazrRed->trigger();
    QVERIFY(dlg.editingAllowed());
    QVERIFY(!dlg.miEditRazrRed->isEnabled());
    QVERIFY(dlg.miEditDelRec->isEnabled() && dlg.miEditDelAllRec->isEnabled());
    QVERIFY(!f.app->RasVip);
    QVERIFY(!fileValue(*f.app, "SELECT РасчетВыполнен FROM НазвРасч").toBool());
    // Delete the second row: the cursor lands on the row that was third.
    const QVariant thirdDiameter = t.valueAt(2, t.fieldIndex(QStringLiteral("УслДиамТрПр")));
    const QVariant thirdRoughness = t.valueAt(2, t.fieldIndex(QStringLiteral("ЭквШер")));
    dlg.DG->selectionModel()->select(dlg.model->index(1, 0),
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    f.person.answers = {true};
    dlg.miEditDelRec->trigger();
    QCOMPARE(t.rowCount(), before - 1);
    QCOMPARE(sprValue(*f.app, "SELECT count(*) FROM ПопрКоэфКУдПот").toInt(), before - 1);
    QCOMPARE(t.value(QStringLiteral("УслДиамТрПр")), thirdDiameter);
    QCOMPARE(t.value(QStringLiteral("ЭквШер")), thirdRoughness);
    // An edit typed into the grid is posted when the editor closes.
    QVERIFY(dlg.model->setData(dlg.model->index(0, 2), QStringLiteral("1.75")));
    dlg.close();
    QCOMPARE(t.state(), Table::State::Browse);
    QCOMPARE(sprValue(*f.app, QStringLiteral("SELECT Коэф FROM ПопрКоэфКУдПот WHERE rowid=%1").arg(t.rowidAt(0)))
                 .toDouble(),
             1.75);
    QVERIFY(f.person.messages.isEmpty());
}

void TestDataEntryWindows::referenceEditorLauncherCaptionAndSort() {
    DialogsFixture f;
    QVERIFY(f.start());
    QString caption;
    QString sortWhileOpen;
    bool readOnly = false;
    volm::test::whenModal([&](QWidget* w) {
        auto* d = qobject_cast<TSprEditForm*>(w);
        if (!d) return;
        caption = d->windowTitle();
        sortWhileOpen = volm::referenceCursor(*f.app, volm::densityBook())->sort();
        readOnly = !d->editingAllowed();
        d->miClose->trigger();
    });
    QVERIFY(TSprEditForm::run(*f.app, volm::densityBook()));
    QVERIFY(caption.endsWith(QStringLiteral(" - Плотность воды при различной температуре")));
    QCOMPARE(sortWhileOpen, QStringLiteral("Т ASC"));
    QVERIFY(readOnly);
    QCOMPARE(volm::referenceCursor(*f.app, volm::densityBook())->sort(), QString());
    // Without a calculation the editor does not open.
    f.app->dm.closeCalculation();
    QVERIFY(!TSprEditForm::run(*f.app, volm::densityBook()));
}

// The menu items of the main window open the windows; the auto-fill texts
// are kept by the main window from one opening to the next.
void TestDataEntryWindows::mainWindowOpensEachWindow() {
    DialogsFixture f;
    QVERIFY(f.start());
    addSections(*f.app);
    volm::ui::TMainForm w(*f.app);

    QStringList opened;
    for (QAction* item : {w.miSprPoprKoef, w.miSprDiamTr, w.miSprPlVodi}) {
        whenModalOf<TSprEditForm>([&](TSprEditForm* d) {
            opened << d->objectName() + QLatin1Char('|') + d->windowTitle().section(QStringLiteral(" - "), -1);
            d->miClose->trigger();
        });
        item->trigger();
    }
    QCOMPARE(opened, (QStringList{"PoprKoefKUdPotForm|Поправочные коэффициенты к удельным потерям давления",
                                  "DiamTrPrForm|Диаметры трубопровода",
                                  "PlVodiOtTForm|Плотность воды при различной температуре"}));

    bool repeated = false;
    whenModalOf<TVvPovtDForm>([&](TVvPovtDForm* d) {
        repeated = d->cbPok1[0]->count() > 0;
        d->miClose->trigger();
    });
    w.miDataVvPovtD->trigger();
    QVERIFY(repeated);

    // Initial data, then its auto-fill twice: the texts typed the first time
    // are there the second time.
    QString secondFirst;
    whenModalOf<TVvodNachDannForm>([&](TVvodNachDannForm* d) {
        whenModalOf<TAutoZapolUzTSForm>([&](TAutoZapolUzTSForm* a) {
            a->edNomNachUz->setText(QStringLiteral("1"));
            a->edNomKonUz->setText(QStringLiteral("3"));
            a->edGeodVis->setText(QStringLiteral("7,5"));
            a->cbDobOtsutUz->setChecked(true);
            a->save();
            a->reject();
        });
        d->miUzliTSAutoZapol->trigger();
        whenModalOf<TAutoZapolUzTSForm>([&](TAutoZapolUzTSForm* a) {
            secondFirst = a->edNomNachUz->text() + QLatin1Char('-') + a->edNomKonUz->text();
            a->reject();
        });
        d->miUzliTSAutoZapol->trigger();
        d->close();
    });
    w.miDataVvodNachDann->trigger();
    QCOMPARE(secondFirst, QStringLiteral("1-3"));
    QCOMPARE(fileValue(*f.app, "SELECT count(*) FROM УзлыТС WHERE ГеодВыс=7.5").toInt(), 3);

    // The grids follow the check that closes the dialog.
    QVERIFY(!w.DGGlavn->isHidden());
    f.checkPasses = false;
    whenModalOf<TVvodNachDannForm>([](TVvodNachDannForm* d) { d->close(); });
    w.miDataVvodNachDann->trigger();
    QVERIFY(w.DGGlavn->isHidden());
}

// A row the file refuses (a second row of the same nominal diameter) is
// reported with the engine's message and the editor stays open.
void TestDataEntryWindows::referenceEditorStaysOpenWhenThePostFails() {
    DialogsFixture f;
    QVERIFY(f.start());
    TSprEditForm dlg(*f.app, volm::diameterBook());
    dlg.show();
    dlg.RazreshitRedaktirovanie(true);
    const QString first = dlg.model->index(0, 0).data().toString();
    QVERIFY(dlg.model->setData(dlg.model->index(1, 0), first));
    dlg.miClose->trigger();
    // The program's sentence naming the value already there, no standard report
    // and none of the engine's text.
    QCOMPARE(f.person.messages,
             QStringList{QStringLiteral("Запись не сохранена: в таблице \"ДиамТрПр\" уже есть запись со значением "
                                        "УслДиамТрПр = ") + first + QLatin1Char('.')});
    QVERIFY(dlg.isVisible());
    QCOMPARE(sprValue(*f.app, QStringLiteral("SELECT count(*) FROM ДиамТрПр WHERE УслДиамТрПр=%1").arg(first)).toInt(),
             1);
}

QTEST_MAIN(TestDataEntryWindows)
#include "test_data_entry_windows.moc"
