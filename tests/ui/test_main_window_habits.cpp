// The main window's desktop habits: the usual shortcuts shown in the menus,
// "Последние расчеты", the size, place and splitters kept between starts, and
// the hint with its three buttons while no calculation is open, the file given
// on the command line.
#include "store/file_commands.h"
#include "store/start_arguments.h"
#include "store/startup.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/main_window.h"
#include "ui/recent_files.h"
#include "ui/start_hint.h"
#include "ui/window_memory.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QtTest>

using volm::App;
using volm::test::DialogsFixture;
using volm::ui::TMainForm;
using volm::ui::WindowMemory;

namespace {

QStringList actionTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// n calculation files made from the template in the calculation folder.
QStringList makeCalculations(DialogsFixture& f, int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i) {
        const QString path = f.calcDir.filePath(QStringLiteral("расчет %1.mdb").arg(i));
        QFile::copy(f.calcPath(), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        out << path;
    }
    return out;
}

}  // namespace

class TestMainWindowHabits : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shortcutsInTheMenus_data();
    void shortcutsInTheMenus();
    void shortcutsStartTheirCommands();
    void recentCalculations();
    void recentMenuOpensAndGreysOut();
    void placementKeptBetweenStarts();
    void aDamagedPlacementFallsBackToTheUsualOne();
    void hintWhileNothingIsOpen();
    void commandLineFile_data();
    void commandLineFile();
    void commandLineFileWhileAnotherCopyRuns();
};

void TestMainWindowHabits::shortcutsInTheMenus_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("keys");
    QTest::newRow("new") << "miNewRas" << "Ctrl+N";
    QTest::newRow("open") << "miOpenRas" << "Ctrl+O";
    QTest::newRow("save") << "miSaveRas" << "Ctrl+S";
    QTest::newRow("save as") << "miSaveRasAs" << "Ctrl+Shift+S";
    QTest::newRow("run") << "miDataVipRas" << "F9";
    QTest::newRow("help") << "miSprVOLM" << "F1";
    QTest::newRow("report") << "miDataFormOtsh" << "Ctrl+P";
    QTest::newRow("exit") << "miExit" << "Ctrl+Q";
}

// Each shortcut belongs to its item in a menu, where the menu shows it.
void TestMainWindowHabits::shortcutsInTheMenus() {
    QFETCH(QString, action);
    QFETCH(QString, keys);
    DialogsFixture f;
    QVERIFY(f.start());
    TMainForm w(*f.app);
    auto* a = w.findChild<QAction*>(action);
    QVERIFY(a);
    QCOMPARE(a->shortcut(), QKeySequence(keys));
    bool inMenu = false;
    for (QAction* top : w.menuBar()->actions())
        if (top->menu() && top->menu()->actions().contains(a)) inMenu = true;
    QVERIFY(inMenu);
    QCOMPARE(a->toolTip(), a->text());
}

// F9 with nothing open says why the run cannot go; Ctrl+S stores a typed name;
// while the window is locked the keys do nothing; Ctrl+Q closes the window.
void TestMainWindowHabits::shortcutsStartTheirCommands() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    TMainForm w(app);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    w.edRasName->setText(QStringLiteral("Квартал 5"));
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(app.dm.atNazvRasch->value(QStringLiteral("НазвРасч")).toString(), QStringLiteral("Квартал 5"));

    volm::closeFiles(app);
    QTest::keyClick(&w, Qt::Key_F9);
    QCOMPARE(f.person.messages,
             QStringList{QStringLiteral("Расчет невозможен.\rОткройте или создайте расчет (Файл / Открыть расчет).")});

    f.person.clear();
    w.BlokirovatOkno();
    QTest::keyClick(&w, Qt::Key_F9);
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(f.person.messages.isEmpty());
    QVERIFY(f.person.dialogs.empty());
    w.RazblokirovatOkno();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.person.dialogs.size(), size_t(1));
    QCOMPARE(f.person.dialogs[0].title, QStringLiteral("Открыть расчет"));

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
}

// The latest first, each file once, at most eight.
void TestMainWindowHabits::recentCalculations() {
    QTemporaryDir dir;
    WindowMemory memory(dir.filePath(QStringLiteral("NastrOkna.ini")));
    QVERIFY(memory.recentCalculations().isEmpty());
    for (int i = 1; i <= 10; ++i) memory.noteCalculation(dir.filePath(QStringLiteral("%1.mdb").arg(i)));
    QStringList expected;
    for (int i = 10; i >= 3; --i) expected << dir.filePath(QStringLiteral("%1.mdb").arg(i));
    QCOMPARE(memory.recentCalculations(), expected);
    // Opened again: to the top, not twice; the same file under another spelling too.
    memory.noteCalculation(dir.filePath(QStringLiteral("5.mdb")));
    memory.noteCalculation(dir.path() + QStringLiteral("/./sub/../7.mdb"));
    QCOMPARE(memory.recentCalculations().mid(0, 3),
             (QStringList{dir.filePath(QStringLiteral("7.mdb")), dir.filePath(QStringLiteral("5.mdb")),
                          dir.filePath(QStringLiteral("10.mdb"))}));
    QCOMPARE(memory.recentCalculations().size(), 8);
    // Kept in the file for the next start.
    WindowMemory later(dir.filePath(QStringLiteral("NastrOkna.ini")));
    QCOMPARE(later.recentCalculations(), memory.recentCalculations());
}

// Every calculation opened goes to the list; the items open their files; a file
// that is gone is greyed out.
void TestMainWindowHabits::recentMenuOpensAndGreysOut() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    TMainForm w(app);
    const QStringList files = makeCalculations(f, 9);
    for (const QString& path : files) volm::openCalculationFile(app, path);
    QCOMPARE(app.dm.acGR.path(), files.last());

    QMenu* file = w.menuBar()->actions().value(0)->menu();
    const QStringList layout = actionTexts(file);
    QCOMPARE(layout.mid(layout.size() - 5), (QStringList{"Сжать справочники", "-", "Последние расчеты", "-", "Выход"}));
    QCOMPARE(w.miPoslRas->menuAction()->text(), QStringLiteral("Последние расчеты"));

    w.miPoslRas->refresh();
    QList<QAction*> items = w.miPoslRas->actions();
    QCOMPARE(items.size(), 8);
    QCOMPARE(items[0]->text(), QStringLiteral("&1 ") + files[8]);
    QCOMPARE(items[7]->text(), QStringLiteral("&8 ") + files[1]);
    for (QAction* a : items) QVERIFY(a->isEnabled());

    QVERIFY(QFile::remove(files[4]));
    w.miPoslRas->refresh();
    items = w.miPoslRas->actions();
    QVERIFY(!items[4]->isEnabled());
    QCOMPARE(items[4]->data().toString(), files[4]);

    items[6]->trigger();  // files[2]
    QCOMPARE(app.dm.acGR.path(), files[2]);
    QCOMPARE(w.windowTitle(), files[2] + QStringLiteral(" - ВОЛМ 1.0"));
    w.miPoslRas->refresh();
    QCOMPARE(w.miPoslRas->actions()[0]->data().toString(), files[2]);
    QCOMPARE(w.miPoslRas->actions().size(), 8);
}

void TestMainWindowHabits::placementKeptBetweenStarts() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    QList<int> top, left;
    {
        TMainForm w(app);
        w.showAtLastPlacement();  // nothing remembered yet
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.isMaximized());
        w.showNormal();
        w.setGeometry(40, 50, 900, 640);
        QTest::qWait(20);
        w.splitterTop->setSizes({120, 400});
        w.splitterLeft->setSizes({90, 700});
        top = w.splitterTop->sizes();
        left = w.splitterLeft->sizes();
        w.FormClose();
    }
    QVERIFY(volm::startUp(app));
    TMainForm again(app);
    again.showAtLastPlacement();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY(!again.isMaximized());
    QCOMPARE(again.size(), QSize(900, 640));
    QCOMPARE(again.splitterTop->sizes(), top);
    QCOMPARE(again.splitterLeft->sizes(), left);
    again.FormClose();
}

// A damaged or foreign placement in the window settings file (a splitter state
// of the other direction with a collapsed panel, bytes that are no state, a
// frame off every screen) gives the usual layout, and the sound one is what
// is kept at exit.
void TestMainWindowHabits::aDamagedPlacementFallsBackToTheUsualOne() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    QSplitter foreign(Qt::Horizontal);
    foreign.addWidget(new QWidget);
    foreign.addWidget(new QWidget);
    foreign.setChildrenCollapsible(true);
    foreign.setHandleWidth(0);
    foreign.setSizes({0, 900});
    const QByteArray collapsed = foreign.saveState();
    QWidget offScreen;
    offScreen.setGeometry(-30000, -30000, 40, 30);
    const QByteArray lost = offScreen.saveGeometry();
    const QByteArray garbage("\xff\x00\x00\x00\x01garbage");
    struct Case {
        QByteArray top, left, geometry;
    };
    const Case cases[] = {{collapsed, collapsed, lost}, {garbage, garbage, garbage}, {collapsed, garbage, QByteArray()}};
    for (const Case& c : cases) {
        {
            WindowMemory memory(app.workPath(volm::ui::kWindowMemoryFile));
            memory.setValue(QStringLiteral("window/splitterTop"), c.top);
            memory.setValue(QStringLiteral("window/splitterLeft"), c.left);
            memory.setValue(QStringLiteral("window/geometry"), c.geometry);
            memory.sync();
        }
        QVERIFY(volm::startUp(app));
        for (int start = 0; start < 2; ++start) {
            TMainForm w(app);
            w.showAtLastPlacement();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.splitterTop->orientation(), Qt::Vertical);
            QCOMPARE(w.splitterLeft->orientation(), Qt::Horizontal);
            for (QSplitter* s : {w.splitterTop, w.splitterLeft}) {
                QVERIFY(!s->childrenCollapsible());
                QVERIFY(s->handleWidth() > 0);
                for (int size : s->sizes()) QVERIFY2(size > 0, qPrintable(QString::number(size)));
            }
            QVERIFY(w.pnClient->width() > 100 && w.pnClient->height() > 100);
            QVERIFY(!w.frameGeometry().intersected(w.screen()->availableGeometry()).isEmpty());
            w.FormClose();
            QVERIFY(volm::startUp(app));
        }
    }
}

// With nothing open the window shows the hint over the empty panels; its
// buttons start "Создать новый расчет", "Открыть расчет" and open a copy of an
// example put in the documents folder.
void TestMainWindowHabits::hintWhileNothingIsOpen() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    QTemporaryDir documents;
    app.documentsDir = documents.path();
    const QString examples = f.programDir.filePath(QStringLiteral("examples"));
    QDir().mkpath(examples);
    const QString shipped = examples + QStringLiteral("/two_pipe.mdb");
    QVERIFY(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/two_pipe.mdb"), shipped));
    const QByteArray original = volm::test::fileBytes(shipped);

    TMainForm w(app);
    w.resize(1016, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.startUpDone());  // started up
    QVERIFY(!w.pnStartHint->isVisible());  // a calculation is open

    volm::closeFiles(app);
    QVERIFY(w.pnStartHint->isVisible());
    QCOMPARE(w.pnStartHint->geometry(), w.centralWidget()->geometry());
    QCOMPARE(w.pnStartHint->btnNew->text(), QStringLiteral("Создать новый расчет"));
    QCOMPARE(w.pnStartHint->btnOpen->text(), QStringLiteral("Открыть расчет"));
    QCOMPARE(w.pnStartHint->btnExample->text(), QStringLiteral("Открыть пример"));

    w.pnStartHint->btnOpen->click();
    w.pnStartHint->btnNew->click();
    QCOMPARE(f.person.dialogs.size(), size_t(2));
    QCOMPARE(f.person.dialogs[0].title, QStringLiteral("Открыть расчет"));
    QCOMPARE(f.person.dialogs[1].title, QStringLiteral("Создать новый расчет"));
    // The calculation closed last was in the calculation folder.
    QCOMPARE(f.person.dialogs[0].initialDir, f.calcDir.path() + QLatin1Char('/'));

    w.pnStartHint->btnExample->click();
    const QString copy = documents.filePath(QStringLiteral("two_pipe.mdb"));
    QCOMPARE(f.person.messages, QStringList());
    QCOMPARE(app.dm.acGR.path(), copy);
    QVERIFY(!w.pnStartHint->isVisible());
    QCOMPARE(w.memory()->recentCalculations().value(0), copy);
    QCOMPARE(volm::test::fileBytes(shipped), original);
    w.FormClose();
}

QTEST_MAIN(TestMainWindowHabits)
#include "test_main_window_habits.moc"

void TestMainWindowHabits::commandLineFile_data() {
    QTest::addColumn<QStringList>("arguments");  // "<program>" stands for the program folder
    QTest::addColumn<QString>("opened");         // in the calculation folder; empty: the one open before
    QTest::addColumn<QStringList>("messages");
    const QString usage = QStringLiteral("\rКомандная строка: VOLM [файл расчета]");
    QTest::newRow("file") << QStringList{"расчет 1.mdb"} << "расчет 1.mdb" << QStringList();
    QTest::newRow("name rule") << QStringList{"расчет 1"} << "расчет 1.mdb" << QStringList();
    QTest::newRow("missing") << QStringList{"нет.mdb"} << ""
                             << QStringList{"Файл <calc>/нет.mdb не существует."};
    QTest::newRow("two files") << QStringList{"расчет 1.mdb", "b.mdb"} << "расчет 1.mdb"
                               << QStringList{"Программа открывает один расчет. Открывается \"расчет 1.mdb\", не открыт "
                                              "\"b.mdb\"." + usage};
    QTest::newRow("option") << QStringList{"--open"} << ""
                            << QStringList{"Неизвестный параметр командной строки: \"--open\"." + usage};
    QTest::newRow("program folder")
        << QStringList{"<program>/GidrRas.mdb"} << ""
        << QStringList{"Нельзя открыть файл гидравлического расчета из папки, в которую установлена программа. "
                       "Выберите другую папку."};
}

// "VOLM FILE.mdb": once started up, the file is opened as "Открыть расчет"
// opens a chosen one, with its checks and messages; a relative name is taken
// from the folder the program was started in.
void TestMainWindowHabits::commandLineFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(QStringList, messages);
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    makeCalculations(f, 1);
    for (QString& a : arguments) a.replace(QStringLiteral("<program>"), f.programDir.path());
    for (QString& m : messages) m.replace(QStringLiteral("<calc>"), f.calcDir.path());

    TMainForm w(app);
    w.setStartArguments(volm::readStartArguments(arguments, f.calcDir.path()));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.startUpDone());  // started up
    const QString expected = opened.isEmpty() ? f.calcPath() : f.calcDir.filePath(opened);
    QTRY_COMPARE(app.dm.acGR.path(), expected);
    QCOMPARE(w.windowTitle(), expected + QStringLiteral(" - ВОЛМ 1.0"));
    QCOMPARE(f.person.messages, messages);
    QVERIFY(f.person.dialogs.empty());
    w.FormClose();
}

// A second copy started with a file while the first runs stops at the first
// copy's scratch file, says so, and opens nothing.
void TestMainWindowHabits::commandLineFileWhileAnotherCopyRuns() {
    DialogsFixture f;
    QVERIFY(f.start());  // the first copy
    const QString other = makeCalculations(f, 1).front();
    volm::test::FakePerson secondPerson;
    App second(f.programDir.path(), secondPerson);
    {
        TMainForm w(second);
        w.setStartArguments(volm::readStartArguments({other}, f.calcDir.path()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.startUpDone());  // start-up over
        QTest::qWait(50);
        QCOMPARE(secondPerson.messages.size(), 2);
        QVERIFY(secondPerson.messages[1].startsWith(QStringLiteral("Ошибка при создании временной базы данных.")));
        QVERIFY(!second.dm.acGR.isOpen());
        w.FormClose();
    }
    QCOMPARE(f.app->dm.acGR.path(), f.calcPath());
}
