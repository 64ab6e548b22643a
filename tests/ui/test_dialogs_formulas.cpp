// The formulas window (its close, its record commands) and the dialog that
// edits one predefined indicator.
#include "formulas/catalogue_check.h"
#include "formulas/formula_check.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_view.h"
#include "ui/formulas_dialog.h"
#include "ui/predefined_edit_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <map>

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

// The row of the user grid showing the indicator of this short name; -1 when none.
int indicatorRow(const volm::ui::DataGridModel* m, const QString& shortName) {
    const int c = m->columnOf(QStringLiteral("НаимПокСокр"));
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, c).data().toString() == shortName) return r;
    return -1;
}

// A click on the cell of the user grid, then F2, the text typed over what the
// cell holds, and Enter: as a person changes a cell.
void retype(TRasFormuliForm& dlg, int row, const char* field, const QString& text) {
    const QModelIndex i = dlg.indicatorsModel->index(row, dlg.indicatorsModel->columnOf(QString::fromUtf8(field)));
    dlg.DGPok->scrollTo(i);
    QTest::mouseClick(dlg.DGPok->viewport(), Qt::LeftButton, {}, dlg.DGPok->visualRect(i).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// ДШайбы of every section of the file, by key.
std::map<qint64, double> orifices(App& app) {
    auto q = app.dm.acGR.query(QStringLiteral("SELECT id, ДШайбы FROM Табл"));
    q->open();
    std::map<qint64, double> out;
    for (int r = 0; r < q->rowCount(); ++r) out[q->valueAt(r, 0).toLongLong()] = q->valueAt(r, 1).toDouble();
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
    void orificeFormulaChangedThroughTheWindow_data();
    void orificeFormulaChangedThroughTheWindow();
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

void TestFormulasDialog::orificeFormulaChangedThroughTheWindow_data() {
    QTest::addColumn<bool>("afterHeads");
    QTest::newRow("marked after the heads") << true;
    QTest::newRow("left ordinary") << false;
}

// On the two-pipe example, with the real check: the orifice formula's factor
// changed from 10 to 11 and its mark typed in the Да/Нет cell of the window.
// Marked, the next run gives every consumer an orifice 1.1 times as wide;
// ordinary, it references an indicator computed after the heads, the check
// refuses it with one message naming both, the calculation cannot be run and
// the stored results stay as they were.
void TestFormulasDialog::orificeFormulaChangedThroughTheWindow() {
    QFETCH(bool, afterHeads);
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/two_pipe.mdb")));
    App& app = *f.app;
    volm::useFormulaCheck(app);
    QVERIFY(volm::ProveritFormuli(app));
    volm::RunOutcome run = f.run();
    QVERIFY2(run.success(), qPrintable(run.text));
    const std::map<qint64, double> before = orifices(app);
    int consumers = 0;
    for (const auto& [id, d] : before) consumers += d > 0;
    QVERIFY(consumers >= 3);
    // The mark typed is the opposite of the stored one.
    app.dm.acGR.exec(QStringLiteral("UPDATE Формулы SET ПослеНапоров = %1 WHERE НаимПокСокр = 'ДШайбы'")
                         .arg(afterHeads ? QStringLiteral("False") : QStringLiteral("True")));
    app.dm.atFormuli->requery();
    f.person.clear();

    const int indicators = app.dm.atFormuli->recordCount();
    QString formula;
    bool escapesClosed = false;
    volm::test::whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<TRasFormuliForm*>(w);
        if (!dlg) return;
        dlg->activateWindow();
        const int row = indicatorRow(dlg->indicatorsModel, QStringLiteral("ДШайбы"));
        const QString shown =
            dlg->indicatorsModel->index(row, dlg->indicatorsModel->columnOf(QStringLiteral("Формула"))).data().toString();
        if (QTest::qWaitForWindowActive(dlg) && row >= 0 && shown.contains(QStringLiteral(";10*"))) {
            formula = shown;
            formula.replace(QStringLiteral(";10*"), QStringLiteral(";11*"));
            retype(*dlg, row, "ПослеНапоров", afterHeads ? QStringLiteral("Да") : QStringLiteral("Нет"));
            retype(*dlg, row, "Формула", formula);
        }
        // Enter on the last row opened a new one: the first Esc drops it, the
        // second closes the window.
        for (int k = 0; k < 2 && dlg->isVisible(); ++k) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        escapesClosed = !dlg->isVisible();
        if (!escapesClosed) dlg->close();
    });
    QVERIFY(TRasFormuliForm::run(app));
    QVERIFY(!formula.isEmpty());
    QVERIFY(escapesClosed);
    QCOMPARE(app.dm.atFormuli->recordCount(), indicators);
    // The window stores what was typed, whatever the check says.
    auto stored = app.dm.acGR.query(
        QStringLiteral("SELECT Формула, ПослеНапоров FROM Формулы WHERE НаимПокСокр = 'ДШайбы'"));
    stored->open();
    QCOMPARE(stored->valueAt(0, 0).toString(), formula);
    QCOMPARE(stored->valueAt(0, 1).toBool(), afterHeads);

    if (afterHeads) {
        QCOMPARE(f.person.messages, QStringList());
        QVERIFY(app.FormuliProvereny);
        run = f.run();
        QVERIFY2(run.success(), qPrintable(run.text));
        const std::map<qint64, double> after = orifices(app);
        for (const auto& [id, d] : before)
            QVERIFY2(qAbs(after.at(id) - 1.1 * d) < 1e-9 * (1 + d), qPrintable(QString::number(id)));
        return;
    }
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY2(f.person.messages[0].contains(QStringLiteral(
                 "Показатель \"ДШайбы\" вычисляется до расчета напоров и не может ссылаться на показатель "
                 "\"ИзбНап\", который вычисляется после расчета напоров.")),
             qPrintable(f.person.messages[0]));
    QVERIFY(!app.FormuliProvereny);
    f.person.clear();
    run = f.run();
    QCOMPARE(run.status, volm::RunOutcome::Status::Refused);
    QVERIFY(orifices(app) == before);
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
