// The formulas window (its close, its record commands) and the dialog that
// edits one predefined indicator.
#include "formulas/catalogue_check.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_view.h"
#include "ui/formulas_dialog.h"
#include "ui/predefined_edit_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using volm::App;
using volm::Table;
using volm::test::DialogsFixture;

namespace {

// Replaces the user indicators with header indicators of these short names,
// numbered 1, 2, ... in this order.
void setIndicators(App& app, const QStringList& names) {
    app.dm.acGR.exec(QStringLiteral("DELETE FROM Формулы"));
    int n = 0;
    for (QString name : names) {
        name.replace(QLatin1Char('\''), QStringLiteral("''"));
        app.dm.acGR.exec(QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, "
                                        "ВывВОтчТабл) VALUES (%1, 'x', '%2', False, True, Null, True)")
                             .arg(++n)
                             .arg(name));
    }
    app.dm.atFormuli->requery();
}

QStringList shortNames(Table& t) {
    QStringList out;
    const int f = t.fieldIndex(QStringLiteral("НаимПокСокр"));
    for (int r = 0; r < t.rowCount(); ++r) out << t.valueAt(r, f).toString();
    return out;
}

void selectRows(volm::ui::DataGridView* view, const QList<int>& rows) {
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

bool locatePredefined(App& app, const QString& shortName) {
    Table& t = *app.dm.atFlyPredoprPok;
    const int f = t.fieldIndex(QStringLiteral("НаимПокСокр"));
    for (int r = 0; r < t.rowCount(); ++r)
        if (t.valueAt(r, f).toString() == shortName) {
            t.setCurrentRow(r);
            return true;
        }
    return false;
}

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

class TestFormulasDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void menuLabelsAndGridTitles();
    void everyCloseChecksTheFormulas_data();
    void everyCloseChecksTheFormulas();
    void launcherRebuildsOnlyAfterAPassedCheck_data();
    void launcherRebuildsOnlyAfterAPassedCheck();
    void realCheckRefusesABadShortName();
    void deleteSelected_data();
    void deleteSelected();
    void deleteWithoutSelectionOnlyTells();
    void answeringNoChangesNothing();
    void selectAllKeepsCurrentRow();
    void predefinedEnabling_data();
    void predefinedEnabling();
    void predefinedHintFollowsTheCheckBox();
    void predefinedCancelWritesNothing();
};

void TestFormulasDialog::menuLabelsAndGridTitles() {
    DialogsFixture f;
    QVERIFY(f.start());
    TRasFormuliForm dlg(*f.app);
    QStringList top;
    for (QAction* a : dlg.menu->actions()) top << a->text();
    QCOMPARE(top, (QStringList{"Предопределенные показатели", "Показатели", "Сохранить и закрыть"}));
    const auto menus = dlg.menu->actions();
    QCOMPARE(menuLayout(menus[0]->menu()), QStringList{"Изменить текущий показатель"});
    QCOMPARE(menuLayout(menus[1]->menu()),
             (QStringList{"Выделить все записи", "Удалить записи", "Удалить все записи"}));
    QVERIFY(!menus[2]->menu());
    QCOMPARE(dlg.lbPredoprPok->text(), QStringLiteral("  Предопределенные показатели расчета:"));
    QCOMPARE(dlg.lbPok->text(), QStringLiteral("  Показатели расчета:"));
    QCOMPARE(titles(dlg.DGPredoprPok),
             (QStringList{"Наименование показателя", "Сокр. наименование показателя",
                          "Табличный (Т) или заголовочный (З)", "Вводится пользователем", "Формула",
                          "Выводить в отчет", "Используется при расчете 1-трубной сети",
                          "Используется при расчете 2-трубной сети"}));
    QCOMPARE(titles(dlg.DGPok),
             (QStringList{"№ п/п", "Наименование показателя", "Сокр. наименование показателя",
                          "Табличный (Т) или заголовочный (З)", "Вводится пользователем", "Формула",
                          "Выводить в отчет", "Вычисляется после расчета напоров"}));
    QCOMPARE(dlg.DGPredoprPok->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(dlg.DGPok->selectionMode(), QAbstractItemView::ExtendedSelection);
}

void TestFormulasDialog::everyCloseChecksTheFormulas_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Сохранить и закрыть") << 0;
    QTest::newRow("title-bar close") << 1;
    QTest::newRow("Esc") << 2;
}

void TestFormulasDialog::everyCloseChecksTheFormulas() {
    QFETCH(int, way);
    DialogsFixture f;
    QVERIFY(f.start());
    f.checkPasses = false;
    TRasFormuliForm dlg(*f.app);
    bool disabledDuringCheck = false;
    QString statusDuringCheck;
    f.catalogue.onCheck = [&](App& a) {
        ++f.checks;
        disabledDuringCheck = !dlg.DGPok->isEnabled() && !dlg.DGPredoprPok->isEnabled() && dlg.menu->isHidden();
        statusDuringCheck = dlg.statusBar->currentMessage();
        a.FormuliProvereny = false;
        return false;
    };
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Расчетные формулы"));
    if (way == 0) dlg.miSaveClose->trigger();
    else if (way == 1) dlg.close();
    else QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());  // closes also when the check fails
    QCOMPARE(f.checks, 1);
    QVERIFY(disabledDuringCheck);
    QCOMPARE(statusDuringCheck, QStringLiteral("Проверка синтаксиса показателей расчета..."));
    QCOMPARE(dlg.statusBar->currentMessage(), QString());
    QVERIFY(dlg.DGPok->isEnabled());
    QVERIFY(!dlg.menu->isHidden());
}

void TestFormulasDialog::launcherRebuildsOnlyAfterAPassedCheck_data() {
    QTest::addColumn<bool>("checkPasses");
    QTest::newRow("passes") << true;
    QTest::newRow("fails") << false;
}

void TestFormulasDialog::launcherRebuildsOnlyAfterAPassedCheck() {
    QFETCH(bool, checkPasses);
    DialogsFixture f;
    QVERIFY(f.start());
    f.checkPasses = checkPasses;
    f.app->RasVip = true;
    f.app->dm.atFormuli->last();
    bool firstRowsOnShow = false;
    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TRasFormuliForm*>(w);
        if (!dlg) return;
        firstRowsOnShow = f.app->dm.atFormuli->currentRow() == 0 && f.app->dm.atFlyPredoprPok->currentRow() == 0;
        dlg->close();
    });
    QVERIFY(TRasFormuliForm::run(*f.app));
    QVERIFY(firstRowsOnShow);
    QCOMPARE(f.checks, 1);
    QCOMPARE(f.rebuilds, checkPasses ? 1 : 0);
    QCOMPARE(f.app->FormuliProvereny, checkPasses);
    QVERIFY(!f.app->RasVip);
}

// With the real check: a short name starting with a digit is refused with one
// message when the window closes, and the main window's grids are hidden.
void TestFormulasDialog::realCheckRefusesABadShortName() {
    DialogsFixture f;
    QVERIFY(f.start());
    volm::useFormulaCheck(*f.app);
    setIndicators(*f.app, {"Т1", "1Т"});
    volm::test::whenModal([](QWidget* w) {
        if (auto* dlg = qobject_cast<TRasFormuliForm*>(w)) dlg->miSaveClose->trigger();
    });
    QVERIFY(TRasFormuliForm::run(*f.app));
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY2(f.person.messages[0].startsWith(
                 QStringLiteral("Показатели расчета:\rСокр. наименование показателя: \"1Т\":")),
             qPrintable(f.person.messages[0]));
    QVERIFY(!f.app->FormuliProvereny);
}

void TestFormulasDialog::deleteSelected_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("current");

    const QStringList six{"А", "Б", "В", "Г", "Д", "Е"};
    QTest::newRow("rows 2 and 4 of 6") << six << QList<int>{1, 3} << QStringList{"А", "В", "Д", "Е"} << "Д";
    QTest::newRow("the last row") << six << QList<int>{5} << QStringList{"А", "Б", "В", "Г", "Д"} << "Д";
    QTest::newRow("a name with an apostrophe") << QStringList{"А", "О'Брайен", "Б"} << QList<int>{1}
                                               << QStringList{"А", "Б"} << "Б";
}

void TestFormulasDialog::deleteSelected() {
    QFETCH(QStringList, names);
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, left);
    QFETCH(QString, current);
    DialogsFixture f;
    QVERIFY(f.start());
    setIndicators(*f.app, names);
    TRasFormuliForm dlg(*f.app);
    dlg.show();
    selectRows(dlg.DGPok, selected);
    f.person.answers = {true};
    dlg.miDelRec->trigger();
    QCOMPARE(f.person.questions, QStringList{QStringLiteral("Удалить выделенные записи?")});
    QCOMPARE(f.person.messages, QStringList());
    Table& t = *f.app->dm.atFormuli;
    QCOMPARE(shortNames(t), left);
    QCOMPARE(t.value(QStringLiteral("НаимПокСокр")).toString(), current);
    QCOMPARE(dlg.DGPok->currentIndex().row(), t.currentRow());
}

void TestFormulasDialog::deleteWithoutSelectionOnlyTells() {
    DialogsFixture f;
    QVERIFY(f.start());
    setIndicators(*f.app, {"А", "Б"});
    TRasFormuliForm dlg(*f.app);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The current row is no selected row: a click and an arrow key select nothing.
    QTest::mouseClick(dlg.DGPok->viewport(), Qt::LeftButton, {},
                      dlg.DGPok->visualRect(dlg.DGPok->model()->index(1, 1)).center());
    QTest::keyClick(dlg.DGPok, Qt::Key_Up);
    QCOMPARE(dlg.DGPok->currentIndex().row(), 0);
    dlg.miDelRec->trigger();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("Выделите хотя бы одну запись.")});
    QCOMPARE(f.person.questions, QStringList());
    QCOMPARE(f.app->dm.atFormuli->recordCount(), 2);
}

void TestFormulasDialog::answeringNoChangesNothing() {
    DialogsFixture f;
    QVERIFY(f.start());
    setIndicators(*f.app, {"А", "Б", "В"});
    TRasFormuliForm dlg(*f.app);
    dlg.show();
    selectRows(dlg.DGPok, {0, 2});
    dlg.miDelRec->trigger();
    dlg.miDelAllRec->trigger();
    QCOMPARE(f.person.questions,
             (QStringList{QStringLiteral("Удалить выделенные записи?"), QStringLiteral("Удалить все записи?")}));
    QCOMPARE(shortNames(*f.app->dm.atFormuli), (QStringList{"А", "Б", "В"}));
    f.person.answers = {true};
    dlg.miDelAllRec->trigger();
    QCOMPARE(f.app->dm.atFormuli->recordCount(), 0);
}

void TestFormulasDialog::selectAllKeepsCurrentRow() {
    DialogsFixture f;
    QVERIFY(f.start());
    setIndicators(*f.app, {"А", "Б", "В", "Г"});
    TRasFormuliForm dlg(*f.app);
    dlg.show();
    f.app->dm.atFormuli->setCurrentRow(2);
    dlg.miSelAll->trigger();
    QCOMPARE(dlg.DGPok->selectedRowNumbers(), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(f.app->dm.atFormuli->currentRow(), 2);
}

void TestFormulasDialog::predefinedEnabling_data() {
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<bool>("fullName");
    QTest::addColumn<bool>("userEntered");
    QTest::addColumn<bool>("formula");
    QTest::newRow("ПотНОтИКонПод") << "ПотНОтИКонПод" << false << false << true;
    QTest::newRow("РасхОбр") << "РасхОбр" << true << true << false;
    QTest::newRow("РасхПод") << "РасхПод" << true << false << false;
    QTest::newRow("ДлНаУчОбр") << "ДлНаУчОбр" << false << true << false;
    QTest::newRow("МаксТВоды") << "МаксТВоды" << false << false << false;
}

void TestFormulasDialog::predefinedEnabling() {
    QFETCH(QString, shortName);
    QFETCH(bool, fullName);
    QFETCH(bool, userEntered);
    QFETCH(bool, formula);
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY(locatePredefined(*f.app, shortName));
    TPredoprPokEditCurr dlg(*f.app, *f.app->dm.atFlyPredoprPok);
    dlg.show();
    QCOMPARE(dlg.edSokrNaimPok->text(), shortName);
    QCOMPARE(dlg.edNaimPok->isEnabled(), fullName);
    QCOMPARE(dlg.cbVvodPols->isEnabled(), userEntered);
    QCOMPARE(dlg.edFormula->isEnabled(), formula);
    QVERIFY(dlg.cbVivVOtsh->isEnabled());
    QVERIFY(!dlg.edSokrNaimPok->isEnabled());
    QVERIFY(!dlg.rgTZ->isEnabled());
    QVERIFY(!dlg.cb1trTS->isEnabled());
    QVERIFY(!dlg.cb2trTS->isEnabled());
    QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.btnOK));

    // "OK" writes only what is enabled: a changed formula of a row whose formula
    // is fixed stays as it was.
    Table& t = *f.app->dm.atFlyPredoprPok;
    const QVariant oldFormula = t.value(QStringLiteral("Формула"));
    const bool oldReport = t.value(QStringLiteral("ВывВОтчТабл")).toBool();
    dlg.edFormula->setText(QStringLiteral("<РасхПод>*2"));
    dlg.cbVivVOtsh->setChecked(!oldReport);
    dlg.btnOK->click();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(t.value(QStringLiteral("ВывВОтчТабл")).toBool(), !oldReport);
    if (formula)
        QCOMPARE(t.value(QStringLiteral("Формула")).toString(), QStringLiteral("<РасхПод>*2"));
    else
        QCOMPARE(t.value(QStringLiteral("Формула")), oldFormula);
}

void TestFormulasDialog::predefinedHintFollowsTheCheckBox() {
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY(locatePredefined(*f.app, QStringLiteral("РасхОбр")));
    Table& t = *f.app->dm.atFlyPredoprPok;
    QVERIFY(!t.value(QStringLiteral("ВводПольз")).toBool());  // as the template ships it
    TPredoprPokEditCurr dlg(*f.app, t);
    dlg.show();
    QCOMPARE(dlg.lbRashObr->text(), QStringLiteral("РасхОбр будет вычислятся по формуле:\nРасхОбр = <РасхПод>."));
    dlg.cbVvodPols->click();
    QCOMPARE(dlg.lbRashObr->text(), QString());
    dlg.edNaimPok->setText(QStringLiteral("Расход обратной воды"));
    dlg.btnOK->click();
    QCOMPARE(t.value(QStringLiteral("ВводПольз")).toBool(), true);
    QCOMPARE(t.value(QStringLiteral("НаимПок")).toString(), QStringLiteral("Расход обратной воды"));
}

void TestFormulasDialog::predefinedCancelWritesNothing() {
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY(locatePredefined(*f.app, QStringLiteral("ПотНОтИКонПод")));
    Table& t = *f.app->dm.atFlyPredoprPok;
    const QString before = t.value(QStringLiteral("Формула")).toString();
    TPredoprPokEditCurr dlg(*f.app, t);
    dlg.show();
    QCOMPARE(dlg.lbRashObr->text(), QString());
    dlg.edFormula->setText(QStringLiteral("1"));
    dlg.btnCancel->click();
    QVERIFY(!t.editing());
    t.requery();
    QVERIFY(locatePredefined(*f.app, QStringLiteral("ПотНОтИКонПод")));
    QCOMPARE(t.value(QStringLiteral("Формула")).toString(), before);
}

QTEST_MAIN(TestFormulasDialog)
#include "test_dialogs_formulas.moc"
