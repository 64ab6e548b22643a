// "Выгрузить отчет в Microsoft Excel" in the main window: from the menu and
// toolbar and as the result dialog's follow-up, with the window locked while
// the workbook is written and the file handed to the desktop afterwards.
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "output/workbook_export.h"
#include "store/app.h"
#include "store/startup.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/main_window.h"
#include "ui/result_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QUrl>
#include <QtTest>

using volm::App;
using volm::ui::TMainForm;

namespace {

// Records, with each section's status text, whether the window was locked.
class WatchingPerson : public volm::test::FakePerson {
public:
    TMainForm* window = nullptr;
    int sectionsSeen = 0;
    int sectionsLocked = 0;
    void status(const QString& text) override {
        FakePerson::status(text);
        if (!window || !text.startsWith(QStringLiteral("Выгрузка в Microsoft Excel. Участок: "))) return;
        ++sectionsSeen;
        if (window->isLocked() && window->menuBar()->isHidden() && !window->ToolBar1->isEnabled()) ++sectionsLocked;
    }
};

// Receives the files the program asks the desktop to open.
class Desktop : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Desktop() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~Desktop() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// The one-pipe example opened in a program folder of its own.
struct ExampleWindow {
    volm::test::ProgramFolder folder;
    WatchingPerson person;
    std::unique_ptr<App> app;
    std::unique_ptr<TMainForm> w;
    QString calc;

    bool start() {
        calc = folder.data(QStringLiteral("one_pipe.mdb"));
        if (!QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/one_pipe.mdb"), calc)) return false;
        QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
        folder.setSetting(QStringLiteral("ФайлСпр"), folder.file(QStringLiteral("Spr.mdb")));
        folder.setSetting(QStringLiteral("СохрТекстРас"), false);
        app = std::make_unique<App>(folder.path(), person);
        volm::useFormulaCheck(*app);
        if (!volm::startUp(*app) || !app->dm.acGR.isOpen()) return false;
        w = std::make_unique<TMainForm>(*app);
        person.window = w.get();
        w->resize(1016, 560);
        w->show();
        person.clear();
        return true;
    }
    bool compute() {
        volm::RunOptions o;
        o.ask = false;
        o.supplyNodeText = w->typedHeader()->supplyNode;
        o.availNodeText = w->typedHeader()->availNode;
        return volm::runCalculation(*app, o).success();
    }
    ~ExampleWindow() {
        w.reset();
        if (app) volm::shutDown(*app);
    }
};

}  // namespace

class TestMainWindowExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theCommandSitsInTheMenuAndTheToolbar();
    void refusedBeforeACalculation();
    void writesWithTheWindowLockedAndOpensTheFile();
    void followUpOfTheResultDialog();
};

void TestMainWindowExport::theCommandSitsInTheMenuAndTheToolbar() {
    ExampleWindow e;
    QVERIFY(e.start());
    QCOMPARE(e.w->miDataVigrV_ME->text(), QStringLiteral("Выгрузить отчет в Microsoft Excel"));
    QVERIFY(e.w->ToolBar1->actions().contains(e.w->miDataVigrV_ME));
    bool inMenu = false;
    for (QAction* top : e.w->menuBar()->actions())
        if (top->menu() && top->menu()->actions().contains(e.w->miDataVigrV_ME)) inMenu = true;
    QVERIFY(inMenu);
}

void TestMainWindowExport::refusedBeforeACalculation() {
    ExampleWindow e;
    QVERIFY(e.start());
    Desktop desktop;
    // The notice of an earlier export goes as the next command starts.
    e.w->setStatusText(QStringLiteral("Отчет сохранен в файле ") + e.folder.data(QStringLiteral("old.xlsx")));
    QWidget* button = e.w->ToolBar1->widgetForAction(e.w->miDataVigrV_ME);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(e.w->statusText(), QString());
    QCOMPARE(e.person.messages, QStringList{volm::kExportNotComputed});
    QVERIFY(e.person.dialogs.empty());
    QVERIFY(desktop.opened.isEmpty());
    QVERIFY(!e.w->isLocked());
}

void TestMainWindowExport::writesWithTheWindowLockedAndOpensTheFile() {
    ExampleWindow e;
    QVERIFY(e.start());
    QVERIFY(e.compute());
    Desktop desktop;
    const QString target = e.folder.data(QStringLiteral("отчет.xlsx"));
    e.person.fileNames.push_back(target);
    e.w->miDataVigrV_ME->trigger();
    QVERIFY2(e.person.messages.isEmpty(), qPrintable(e.person.messages.join(QLatin1Char('|'))));
    QVERIFY(QFileInfo::exists(target));
    QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(target)});
    QVERIFY(e.person.sectionsSeen >= 1);
    QCOMPARE(e.person.sectionsLocked, e.person.sectionsSeen);
    QVERIFY(!e.w->isLocked());
    QVERIFY(!e.w->menuBar()->isHidden());
    QVERIFY(e.w->ToolBar1->isEnabled());
    QCOMPARE(e.person.statuses.last(), QString());
}

void TestMainWindowExport::followUpOfTheResultDialog() {
    ExampleWindow e;
    QVERIFY(e.start());
    Desktop desktop;
    const QString target = e.folder.data(QStringLiteral("после расчета.xlsx"));
    e.person.answers.push_back(true);  // "Выполнить расчет?"
    e.person.fileNames.push_back(target);
    volm::test::whenModal([](QWidget* w) {
        auto* dlg = qobject_cast<TRasVipForm*>(w);
        if (!dlg) return;
        dlg->cbVigrV_ME->setChecked(true);
        dlg->btnOK->click();
    });
    e.w->miDataVipRas->trigger();
    QVERIFY2(QFileInfo::exists(target), qPrintable(e.person.messages.join(QLatin1Char('|'))));
    QCOMPARE(desktop.opened.size(), 1);
    QVERIFY(!e.w->isLocked());
}

QTEST_MAIN(TestMainWindowExport)
#include "test_main_window_export.moc"
