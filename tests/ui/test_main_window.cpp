// The main window: menus and toolbar, the lock, the caption boxes that follow
// horizontal scrolling, the record commands with their landing rows, sorting,
// the edits and the caption that follow the App, closing while locked.
#include "formulas/formula_check.h"
#include "formulas/catalogue_check.h"
#include "store/file_commands.h"
#include "store/startup.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/caption_strip.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/main_window.h"
#include "ui/result_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using volm::App;
using volm::Table;
using volm::test::DialogsFixture;
using volm::ui::TMainForm;

namespace {

struct Window {
    DialogsFixture f;
    std::unique_ptr<TMainForm> w;
    bool ok = false;

    explicit Window(int sections = 0) {
        ok = f.start();
        if (!ok) return;
        App& app = *f.app;
        if (sections > 0) {
            app.dm.acGR.begin();
            for (int i = 1; i <= sections; ++i)
                app.dm.acGR.exec(
                    QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (%1, %2, %3, %4)")
                        .arg(i)
                        .arg(i - 1)
                        .arg(i)
                        .arg(i * 10));
            app.dm.acGR.commit();
            app.dm.atTabl->requery();
        }
        w = std::make_unique<TMainForm>(app);
        w->resize(1016, 560);
    }
    ~Window() {
        w.reset();
    }
    App& app() { return *f.app; }
    Table& sections() { return *f.app->dm.atTabl; }
    QList<int> ids() {
        QList<int> out;
        const int f = sections().fieldIndex(QStringLiteral("id"));
        for (int r = 0; r < sections().rowCount(); ++r) out << sections().valueAt(r, f).toInt();
        return out;
    }
    // A click on a row of the section grid, as the person makes it.
    void clickRow(int row, Qt::KeyboardModifiers mods = {}) {
        volm::ui::DataGridView* view = w->DGGlavn;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, mods,
                          view->visualRect(w->glavnModel->index(row, 1)).center());
    }
    // Caption tables of the scratch database with one caption per column.
    void writeCaptions(const QString& table, int count, const QString& stem) {
        volm::Database& db = f.app->dm.acVremDB;
        db.exec(QStringLiteral("DROP TABLE ") + table);
        QStringList cols, values;
        for (int k = 1; k <= count; ++k) {
            cols << QStringLiteral("П%1 text").arg(k);
            values << QStringLiteral("'%1 %2'").arg(stem).arg(k);
        }
        db.exec(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) +
                QLatin1Char(')'));
        db.exec(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (") +
                values.join(QStringLiteral(", ")) + QLatin1Char(')'));
        auto t = std::make_unique<Table>(db, table);
        t->open();
        (table == QStringLiteral("ВКолЗаг") ? f.app->dm.atVKolZag : f.app->dm.atVKolTabl) = std::move(t);
    }
};

QStringList menuLayout(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void menusToolbarAndCaption();
    void lockNestsAndRestores();
    void captionsFollowHorizontalScroll();
    void captionBoxesAndWindowSizes();
    void captionsCoverEveryHeaderColumn();
    void selectAllKeepsCurrentRow();
    void deleteSelectedLandsAfterDeleted();
    void recordCommandFailuresShowTheStandardReport();
    void deleteLastRowLandsOnNewLast();
    void deleteWithoutSelectionOnlyTells();
    void deleteAllAsksFirst();
    void sortingStoresEditedRowFirst();
    void editsFollowTheApp();
    void closeRefusedWhileLocked();
    void closeShutsDown();
    void fontSizesApplied();
    void newCalculationShowsItsTables();
    void resultDialogInsideTheRun_data();
    void resultDialogInsideTheRun();
};

void TestMainWindow::menusToolbarAndCaption() {
    Window t;
    QVERIFY(t.ok);
    QStringList titles;
    const auto menus = t.w->menuBar()->actions();
    for (QAction* a : menus) titles << a->text();
    QCOMPARE(titles, (QStringList{"&Файл", "&Правка", "&Вид", "&Данные", "Сп&равочники", "&Настройки", "&Справка"}));
    QCOMPARE(menuLayout(menus[0]->menu()),
             (QStringList{"Создать новый расчет", "Открыть расчет", "Сохранить расчет", "Сохранить расчет как...", "-",
                          "Открыть справочники", "Сохранить справочники как...", "-", "Сжать расчет",
                          "Сжать справочники", "-", "Последние расчеты", "-", "Выход"}));
    QCOMPARE(menuLayout(menus[1]->menu()),
             (QStringList{"Отменить", "Повторить", "-", "Выделить все записи", "Удалить записи", "Удалить все записи"}));
    QCOMPARE(menuLayout(menus[2]->menu()), (QStringList{"Показывать рассчитанные показатели", "Столбцы..."}));
    QCOMPARE(menuLayout(menus[3]->menu()),
             (QStringList{"Расчетные формулы", "Ввод начальных данных", "Ввод повторяющихся данных",
                          "Проверки режима", "-", "Подбор диаметров...", "Выполнить расчет", "-", "Формировать отчет",
                          "Выгрузить отчет в Microsoft Excel", "Формировать график", "Схема сети", "-",
                          "Сортировать по номерам участков",
                          "Сортировать по внутреннему счетчику"}));
    QCOMPARE(menuLayout(menus[4]->menu()),
             (QStringList{"Плотность воды при различной температуре", "Диаметры трубопровода",
                          "Поправочные коэффициенты к удельным потерям давления"}));
    QCOMPARE(menuLayout(menus[5]->menu()), QStringList{"Настройки программы"});
    QCOMPARE(menuLayout(menus[6]->menu()), (QStringList{"Справка ВОЛМ 1.0", "О программе"}));

    // Toolbar: 19 buttons ("Подбор диаметров..." the last added), each with an image and the caption as its hint.
    int buttons = 0;
    for (QAction* a : t.w->ToolBar1->actions()) {
        if (a->isSeparator()) continue;
        ++buttons;
        QVERIFY(!a->icon().isNull());
        QCOMPARE(a->toolTip(), a->text());
    }
    QCOMPARE(buttons, 19);
    QVERIFY(t.w->miSortPoVnutrSc->isChecked());

    // The caption follows the open file.
    QCOMPARE(t.w->windowTitle(), t.f.calcPath() + QStringLiteral(" - ВОЛМ 1.0"));
    volm::closeFiles(t.app());
    QCOMPARE(t.w->windowTitle(), t.f.calcPath() + QStringLiteral(" - ВОЛМ 1.0"));  // closing keeps the title
    QVERIFY(t.w->DGGlavn->isHidden());
    QCOMPARE(t.w->glavnModel->rowCount(), 0);
}

void TestMainWindow::lockNestsAndRestores() {
    Window t;
    QVERIFY(t.ok);
    t.w->show();
    t.w->BlokirovatOkno();
    t.w->BlokirovatOkno();
    QVERIFY(t.w->menuBar()->isHidden());
    QVERIFY(!t.w->ToolBar1->isEnabled());
    QVERIFY(!t.w->pnTop->isEnabled() && !t.w->pnLeft->isEnabled() && !t.w->pnClient->isEnabled());
    t.w->RazblokirovatOkno();
    QVERIFY(t.w->isLocked());
    QVERIFY(t.w->menuBar()->isHidden());
    t.w->RazblokirovatOkno();
    QVERIFY(!t.w->isLocked());
    QVERIFY(t.w->menuBar()->isVisible());
    QVERIFY(t.w->ToolBar1->isEnabled() && t.w->pnClient->isEnabled());
}

// The captions name the columns under them at once, with no wait, as the person
// scrolls the grid with End, Home and Right and as columns are widened or hidden;
// not while the window is locked or the formulas are not checked.
void TestMainWindow::captionsFollowHorizontalScroll() {
    Window t(3);
    QVERIFY(t.ok);
    App& app = t.app();
    t.writeCaptions(QStringLiteral("ВКолТабл"), t.w->glavnModel->columnCount(), QStringLiteral("Столбец"));
    t.writeCaptions(QStringLiteral("ВКолЗаг"), t.w->zagModel->columnCount(), QStringLiteral("Заголовок"));
    app.FormuliProvereny = true;
    t.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
    t.w->BlokirovatOkno();
    t.w->RazblokirovatOkno();  // the captions are shown on the unlock
    volm::ui::CaptionStrip* strip = t.w->gbGlavn;
    QCOMPARE(strip->text(1), QStringLiteral("Столбец 1"));
    QCOMPARE(strip->text(2), QStringLiteral("Столбец 2"));
    QCOMPARE(t.w->gbZag->text(1), QStringLiteral("Заголовок 1"));
    // Caption box k stands over column k.
    volm::ui::DataGridView* view = t.w->DGGlavn;
    const int x0 = view->columnViewportPosition(0) + view->viewport()->x();
    QCOMPARE(strip->box(1)->x() - x0, 2);
    QCOMPARE(strip->box(2)->x() - strip->box(1)->x(), view->columnWidth(0));

    // Boxes 1 to 3 name the columns the grid shows under them, from its first
    // column in view on; beyond the last column they are empty.
    const int columns = t.w->glavnModel->columnCount();
    auto captionsFromFirstInView = [&] {
        const int first = view->columnAt(0) + 1;
        for (int k = 1; k <= 3; ++k) {
            const int c = first + k - 1;
            QCOMPARE(strip->text(k), c <= columns ? QStringLiteral("Столбец %1").arg(c) : QString());
        }
    };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(t.w->glavnModel->index(0, 0)).center());
    QTest::keyClick(view, Qt::Key_End);
    QVERIFY(view->columnAt(0) > 0);
    captionsFromFirstInView();
    const int last = columns - view->columnAt(0);  // the box over the last column
    QCOMPARE(strip->text(last), QStringLiteral("Столбец %1").arg(columns));
    QCOMPARE(strip->text(last + 1), QString());
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->columnAt(0), 0);
    captionsFromFirstInView();
    while (view->columnAt(0) == 0 && view->currentIndex().column() < columns - 1)
        QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(view->columnAt(0), 1);
    captionsFromFirstInView();
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(strip->text(1), QStringLiteral("Столбец 1"));

    // Column 1 twice as wide stands under boxes 1 and 2; column 2 hidden, box 3
    // names column 3.
    view->horizontalHeader()->resizeSection(0, 2 * view->columnWidth(0));
    QCOMPARE(strip->text(2), QStringLiteral("Столбец 1"));
    QCOMPARE(strip->text(3), QStringLiteral("Столбец 2"));
    view->setColumnHidden(1, true);
    QCOMPARE(strip->text(3), QStringLiteral("Столбец 3"));
    view->setColumnHidden(1, false);
    QCOMPARE(strip->text(3), QStringLiteral("Столбец 2"));

    // Locked, the captions stay; the unlock brings them up to date.
    t.w->BlokirovatOkno();
    view->horizontalScrollBar()->setValue(3);
    QCOMPARE(strip->text(1), QStringLiteral("Столбец 1"));
    t.w->RazblokirovatOkno();
    QCOMPARE(strip->text(1), QStringLiteral("Столбец 4"));

    // No captions while the formulas are not checked.
    app.FormuliProvereny = false;
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->columnAt(0), 0);
    QCOMPARE(strip->text(1), QStringLiteral("Столбец 4"));
}

void TestMainWindow::deleteSelectedLandsAfterDeleted() {
    Window t(10);
    QVERIFY(t.ok);
    t.w->show();
    auto* view = t.w->DGGlavn;
    view->setCurrentIndex(t.w->glavnModel->index(2, 0));
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view->selectedRowNumbers(), (QList<int>{2, 3}));
    t.f.person.answers = {true};
    t.w->deleteRecords();
    QCOMPARE(t.f.person.questions, QStringList{QStringLiteral("Удалить выделенные записи?")});
    QCOMPARE(t.ids(), (QList<int>{1, 2, 5, 6, 7, 8, 9, 10}));
    QCOMPARE(t.sections().value(QStringLiteral("id")).toInt(), 5);
    QCOMPARE(view->currentIndex().row(), 2);
    QVERIFY(view->selectedRowNumbers().isEmpty());  // the deleted rows' marks went with them
    QVERIFY(!t.app().RasVip);
}

// A failing DELETE is shown as the standard error report naming the command.
void TestMainWindow::recordCommandFailuresShowTheStandardReport() {
    Window t(3);
    QVERIFY(t.ok);
    t.w->show();
    t.app().dm.acGR.exec(QStringLiteral(
        "CREATE TRIGGER НеУдалять BEFORE DELETE ON Табл BEGIN SELECT RAISE(ABORT, 'таблица занята'); END"));
    t.clickRow(1, Qt::ControlModifier);
    QCOMPARE(t.w->DGGlavn->selectedRowNumbers(), QList<int>{1});
    t.f.person.answers = {true, true};
    t.w->deleteRecords();
    t.w->deleteAllRecords();
    QCOMPARE(t.f.person.messages.size(), 2);
    const QString head = QStringLiteral("Ошибка при удалении записей.\r\rКласс ошибки: \"EDatabaseError\"\rТекст ошибки: \"");
    for (const QString& m : t.f.person.messages) QVERIFY2(m.startsWith(head), qPrintable(m));
    QCOMPARE(t.ids(), (QList<int>{1, 2, 3}));
}

// Caption boxes 111 (header) and 104 (sections) pixels wide, one pitch apart, the
// header ones at the top 27 of the top panel and 67 high; at least 6 and 18 of
// them and as many more as reach the right edge of the window, however wide; the
// window at least 640 by 480.
void TestMainWindow::captionBoxesAndWindowSizes() {
    Window t;
    QVERIFY(t.ok);
    t.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
    auto reachesTheEdge = [](const volm::ui::CaptionStrip* s) {
        return s->box(s->count())->geometry().right() >= s->width() - 1;
    };
    QVERIFY(t.w->gbZag->count() >= 6);
    QVERIFY(t.w->gbGlavn->count() >= 18);
    QVERIFY(reachesTheEdge(t.w->gbZag));
    QVERIFY(reachesTheEdge(t.w->gbGlavn));
    QCOMPARE(t.w->gbZag->y(), 27);
    for (int k = 1; k <= 6; ++k) {
        QCOMPARE(t.w->gbZag->box(k)->width(), 111);
        QCOMPARE(t.w->gbZag->box(k)->height(), 67);
        if (k > 1) QCOMPARE(t.w->gbZag->box(k)->x() - t.w->gbZag->box(k - 1)->x(), 111);
    }
    for (int k = 1; k <= 18; ++k) {
        QCOMPARE(t.w->gbGlavn->box(k)->width(), 104);
        if (k > 1) QCOMPARE(t.w->gbGlavn->box(k)->x() - t.w->gbGlavn->box(k - 1)->x(), 104);
    }
    t.w->resize(2400, 560);
    QTRY_VERIFY(t.w->gbZag->width() > 2000);
    QVERIFY(t.w->gbZag->count() > 18);
    QVERIFY(reachesTheEdge(t.w->gbZag));
    QVERIFY(reachesTheEdge(t.w->gbGlavn));
    QCOMPARE(t.w->gbZag->box(t.w->gbZag->count())->width(), 111);
    QVERIFY(t.w->gbZag->box(t.w->gbZag->count())->isVisible());
    QCOMPARE(t.w->lbLeft->text(), QStringLiteral("Номер участка"));
    QCOMPARE(t.w->edRasName->toolTip(), QStringLiteral("Введите название гидравлического расчета"));
    QCOMPARE(t.w->minimumSize(), QSize(640, 480));
}

// With the computed indicators shown the header grid has more than six columns:
// each of them in view gets its caption.
void TestMainWindow::captionsCoverEveryHeaderColumn() {
    Window t(3);
    QVERIFY(t.ok);
    App& app = t.app();
    t.w->resize(1600, 560);
    t.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
    t.w->miVidRaschPok->setChecked(true);
    const int columns = t.w->zagModel->columnCount();
    QVERIFY(columns > 6);
    QVERIFY(t.w->DGZag->columnViewportPosition(columns - 1) + t.w->DGZag->columnWidth(columns - 1) <=
            t.w->DGZag->viewport()->width());
    t.writeCaptions(QStringLiteral("ВКолЗаг"), columns, QStringLiteral("Заголовок"));
    app.FormuliProvereny = true;
    t.w->BlokirovatOkno();
    t.w->RazblokirovatOkno();
    QTRY_COMPARE_WITH_TIMEOUT(t.w->gbZag->text(1), QStringLiteral("Заголовок 1"), 500);
    for (int k = 1; k <= columns; ++k) QCOMPARE(t.w->gbZag->text(k), QStringLiteral("Заголовок %1").arg(k));
    QCOMPARE(t.w->gbZag->text(columns + 1), QString());
}

// "Выделить все записи" marks every section and leaves the current one where it was.
void TestMainWindow::selectAllKeepsCurrentRow() {
    Window t(5);
    QVERIFY(t.ok);
    t.w->show();
    t.w->DGGlavn->setCurrentIndex(t.w->glavnModel->index(2, 1));
    t.w->miSelAll->trigger();
    QCOMPARE(t.w->DGGlavn->selectedRowNumbers(), (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(t.w->DGGlavn->currentIndex().row(), 2);
    QCOMPARE(t.sections().currentRow(), 2);
}

void TestMainWindow::deleteLastRowLandsOnNewLast() {
    Window t(4);
    QVERIFY(t.ok);
    t.w->show();
    t.clickRow(3, Qt::ControlModifier);
    t.f.person.answers = {true};
    t.w->deleteRecords();
    QCOMPARE(t.ids(), (QList<int>{1, 2, 3}));
    QCOMPARE(t.sections().currentRow(), 2);
    QCOMPARE(t.w->DGGlavn->currentIndex().row(), 2);
}

// The current row is not a selected row: right after opening, after a click and
// after an arrow key "Удалить записи" refuses and asks nothing; a Ctrl+click
// selects.
void TestMainWindow::deleteWithoutSelectionOnlyTells() {
    Window t(3);
    QVERIFY(t.ok);
    t.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
    const QString refusal = QStringLiteral("Выделите хотя бы одну запись.");
    t.w->miDelRec->trigger();
    QCOMPARE(t.f.person.messages, QStringList{refusal});
    t.clickRow(1);
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Down);
    QCOMPARE(t.sections().currentRow(), 2);
    t.w->miDelRec->trigger();
    QCOMPARE(t.f.person.messages, (QStringList{refusal, refusal}));
    QVERIFY(t.f.person.questions.isEmpty());
    QCOMPARE(t.ids().size(), 3);

    t.clickRow(0, Qt::ControlModifier);
    t.f.person.answers = {false};
    t.w->miDelRec->trigger();
    QCOMPARE(t.f.person.questions, QStringList{QStringLiteral("Удалить выделенные записи?")});
    QCOMPARE(t.ids().size(), 3);
}

void TestMainWindow::deleteAllAsksFirst() {
    Window t(3);
    QVERIFY(t.ok);
    t.f.person.answers = {false};
    t.w->deleteAllRecords();
    QCOMPARE(t.ids().size(), 3);
    t.f.person.answers = {true};
    t.w->deleteAllRecords();
    QCOMPARE(t.f.person.questions, (QStringList{"Удалить все записи?", "Удалить все записи?"}));
    QVERIFY(t.ids().isEmpty());
    // Only the blank row ready for typing is left.
    QCOMPARE(t.w->glavnModel->rowCount(), 1);
    QVERIFY(t.w->glavnModel->isBlankRow(0));
}

void TestMainWindow::sortingStoresEditedRowFirst() {
    Window t(3);
    QVERIFY(t.ok);
    // Section 2 renumbered 1 -> 5 so that it sorts last by section numbers.
    t.w->show();
    const int c = t.w->glavnModel->columnOf(QStringLiteral("НачУзел"));
    t.w->DGGlavn->setCurrentIndex(t.w->glavnModel->index(1, c));
    t.w->DGGlavn->edit(t.w->glavnModel->index(1, c));
    QVERIFY(t.w->DGGlavn->isEditingCell());
    auto* editor = t.w->DGGlavn->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("5"));
    t.w->miSortPoNU->trigger();
    QCOMPARE(t.sections().sort(), QStringLiteral("НачУзел ASC, КонУзел ASC"));
    QCOMPARE(t.ids(), (QList<int>{1, 3, 2}));
    auto q = t.app().dm.acGR.query(QStringLiteral("SELECT НачУзел FROM Табл WHERE id=2"));
    q->open();
    QCOMPARE(q->valueAt(0, 0).toInt(), 5);
    QVERIFY(t.w->miSortPoNU->isChecked() && !t.w->miSortPoVnutrSc->isChecked());
    t.w->miSortPoVnutrSc->trigger();
    QCOMPARE(t.ids(), (QList<int>{1, 2, 3}));
    QCOMPARE(t.app().sectionSort, QStringLiteral("id ASC"));

    // Without a calculation nothing is sorted and the marks stay.
    volm::closeFiles(t.app());
    t.w->miSortPoNU->trigger();
    QVERIFY(t.w->miSortPoVnutrSc->isChecked());
    QCOMPARE(t.app().sectionSort, QStringLiteral("id ASC"));
}

void TestMainWindow::editsFollowTheApp() {
    Window t;
    QVERIFY(t.ok);
    App& app = t.app();
    app.dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET NузПНапПод = 3"));
    volm::OtkritFaili(app);  // the edits show the opened calculation
    QCOMPARE(t.w->edNuzPNapPod->text(), QStringLiteral("3"));
    Q_EMIT app.tablesShaped(true);
    app.changed();
    QVERIFY(t.w->edNuzRNap->isEnabled());
    Q_EMIT app.tablesShaped(false);  // a one-pipe network
    app.changed();
    QVERIFY(!t.w->edNuzRNap->isEnabled());

    t.w->edRasName->setText(QStringLiteral("Квартал 5"));
    t.w->edNuzPNapPod->setText(QStringLiteral("7"));
    QCOMPARE(t.w->typedHeader()->calcName, QStringLiteral("Квартал 5"));
    volm::SohranitDannie(app);
    app.dm.atNazvRasch->first();
    QCOMPARE(app.dm.atNazvRasch->value(QStringLiteral("НазвРасч")).toString(), QStringLiteral("Квартал 5"));
    QCOMPARE(app.dm.atNazvRasch->value(QStringLiteral("NузПНапПод")).toInt(), 7);
}

void TestMainWindow::closeRefusedWhileLocked() {
    Window t;
    QVERIFY(t.ok);
    t.w->show();
    t.w->BlokirovatOkno();
    QVERIFY(!t.w->close());
    QVERIFY(t.w->isVisible());
    t.w->RazblokirovatOkno();
}

void TestMainWindow::closeShutsDown() {
    Window t;
    QVERIFY(t.ok);
    t.w->show();
    t.w->edRasName->setText(QStringLiteral("Перед выходом"));
    const QString scratch = t.f.programDir.filePath(QStringLiteral("~$.mdb"));
    QVERIFY(QFile::exists(scratch));
    t.w->miExit->trigger();
    QVERIFY(!t.w->isVisible());
    QVERIFY(!QFile::exists(scratch));
    volm::Database calc;
    calc.open(t.f.calcPath());
    auto q = calc.query(QStringLiteral("SELECT НазвРасч FROM НазвРасч"));
    q->open();
    QCOMPARE(q->valueAt(0, 0).toString(), QStringLiteral("Перед выходом"));
}

void TestMainWindow::fontSizesApplied() {
    Window t;
    QVERIFY(t.ok);
    volm::FontSizes sizes;
    sizes.data = 13;
    sizes.titles = 15;
    sizes.captions = 9;
    Q_EMIT t.app().fontsChanged(sizes);
    for (volm::ui::DataGridView* g : {t.w->DGZag, t.w->DGNU, t.w->DGGlavn}) {
        QCOMPARE(g->font().pointSize(), 13);
        QCOMPARE(g->horizontalHeader()->font().pointSize(), 15);
    }
    QCOMPARE(t.w->gbGlavn->label(18)->font().pointSize(), 9);
    QCOMPARE(t.w->gbZag->label(1)->font().pointSize(), 9);
    QCOMPARE(t.w->lbLeft->font().pointSize(), 9);
}

// A whole new calculation through the window, with the real formula check and
// table rebuild: the caption, the grids with their columns and captions.
void TestMainWindow::newCalculationShowsItsTables() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    volm::useFormulaCheck(app);
    volm::closeFiles(app);  // the window starts with its grids hidden
    TMainForm w(app);
    w.resize(1016, 560);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString name = f.calcDir.filePath(QStringLiteral("новый"));
    f.person.fileNames = {name};
    w.newCalculation();
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(w.windowTitle(), name + QStringLiteral(".mdb - ВОЛМ 1.0"));
    QVERIFY(app.FormuliProvereny);
    QVERIFY(w.DGGlavn->isVisible());
    QVERIFY(!w.isLocked());
    QVERIFY(w.startUpDone());
    // Shown: the entered indicators only; the computed ones are hidden.
    QCOMPARE(w.glavnModel->fieldNameAt(0), QStringLiteral("НачУзел"));
    QVERIFY(w.glavnModel->columnOf(QStringLiteral("ДлНаУчПод")) > 0);
    QCOMPARE(w.glavnModel->columnOf(QStringLiteral("ПотНаУчПод")), -1);
    QCOMPARE(w.nuModel->columnCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(w.gbGlavn->text(1), QStringLiteral("Номер начального узла участка"), 500);
    QCOMPARE(w.gbGlavn->text(2), QStringLiteral("Номер конечного узла участка"));
    QVERIFY(!w.gbZag->text(1).isEmpty());

    // The next new calculation, from the toolbar, starts without the message
    // the previous one left in the status bar.
    w.setStatusText(QStringLiteral("Отчет сохранен в файле ") + f.calcDir.filePath(QStringLiteral("отчет.xlsx")));
    f.person.fileNames = {f.calcDir.filePath(QStringLiteral("второй"))};
    QTest::mouseClick(w.ToolBar1->widgetForAction(w.miNewRas), Qt::LeftButton);
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(w.windowTitle(), f.calcDir.filePath(QStringLiteral("второй")) + QStringLiteral(".mdb - ВОЛМ 1.0"));
    QCOMPARE(w.statusText(), QString());
}

namespace {

// The main window whose follow-ups are recorded: whether the window was still
// locked when each started; each walks the sections to their end, as the report
// and the chart do.
struct RecordingWindow : TMainForm {
    using TMainForm::TMainForm;
    QStringList started;
    void record(const char* name) {
        started << QString::fromLatin1(name) + (isLocked() ? QStringLiteral(" locked") : QStringLiteral(" unlocked"));
        app().dm.atTabl->last();
    }
    void startReport() override { record("report"); }
    void startSpreadsheetExport() override { record("excel"); }
    void startChart() override { record("chart"); }
};

}  // namespace

// The result dialog and the follow-ups ticked in it come inside the run: the
// window is still locked, and only afterwards is it unlocked and the section grid
// returned to the row it showed.
void TestMainWindow::resultDialogInsideTheRun_data() {
    QTest::addColumn<bool>("report");
    QTest::addColumn<bool>("excel");
    QTest::addColumn<bool>("chart");
    QTest::addColumn<QString>("started");
    QTest::newRow("none") << false << false << false << "";
    QTest::newRow("chart") << false << false << true << "chart locked";
    QTest::newRow("all three") << true << true << true << "report locked|excel locked|chart locked";
}

void TestMainWindow::resultDialogInsideTheRun() {
    QFETCH(bool, report);
    QFETCH(bool, excel);
    QFETCH(bool, chart);
    QFETCH(QString, started);
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/two_pipe.mdb")));
    App& app = *f.app;
    volm::useFormulaCheck(app);
    QVERIFY(volm::ProveritFormuli(app));
    RecordingWindow w(app);
    w.resize(1016, 560);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    app.dm.atTabl->first();
    app.dm.atTabl->moveBy(2);

    bool lockedAtDialog = false;
    QString shown;
    volm::test::whenModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TRasVipForm*>(modal);
        if (!dlg) return;
        lockedAtDialog = w.isLocked();
        shown = dlg->mmRasVip->toPlainText();
        dlg->cbFormOtch->setChecked(report);
        dlg->cbVigrV_ME->setChecked(excel);
        dlg->cbGr->setChecked(chart);
        dlg->btnOK->click();
    });
    f.person.answers = {true};
    w.miDataVipRas->trigger();
    QVERIFY2(f.person.messages.isEmpty(), qPrintable(f.person.messages.join(QLatin1Char('|'))));
    QVERIFY(shown.startsWith(QStringLiteral("Расчет выполнен успешно.")));
    QVERIFY(lockedAtDialog);
    QCOMPARE(w.started.join(QLatin1Char('|')), started);
    QVERIFY(!w.isLocked());
    QCOMPARE(app.dm.atTabl->recNo(), 3);
    QCOMPARE(w.DGGlavn->currentIndex().row(), 2);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
