// "Формировать отчет" in the main window: the precondition message, a missing
// and a broken definition each shown with its cause, the preview titled
// "Гидравлический расчет тепловой сети" at 100 % with its PDF action, the
// follow-up box of the result dialog, and the window usable after every one.
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "output/report.h"
#include "output/report_data.h"
#include "store/startup.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/report_preview.h"
#include "ui/result_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolBar>
#include <QtTest>

using volm::App;
using volm::test::FakePerson;
using volm::ui::TMainForm;

namespace {

// A program folder with the shipped files and definitions, the two-pipe example
// open, the real formula check, and the main window over it.
struct Program {
    QTemporaryDir programDir;
    QTemporaryDir calcDir;
    FakePerson person;
    std::unique_ptr<App> app;
    std::unique_ptr<TMainForm> w;
    bool ok = false;

    QString calcPath() const { return calcDir.filePath(QStringLiteral("two_pipe.mdb")); }
    QString definition() const { return programDir.filePath(QStringLiteral("1.rav")); }

    Program() {
        const QDir bin(QStringLiteral(VOLM_BIN_DIR));
        for (const char* name : {"Nastr.mdb", "GidrRas.mdb", "Spr.mdb", "0.rav", "1.rav"}) {
            const QString to = programDir.filePath(QString::fromLatin1(name));
            if (!QFile::copy(bin.filePath(QString::fromLatin1(name)), to)) return;
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        }
        if (!QFile::copy(bin.filePath(QStringLiteral("examples/two_pipe.mdb")), calcPath())) return;
        QFile::setPermissions(calcPath(), QFile::ReadOwner | QFile::WriteOwner);
        {
            volm::Database settings;
            settings.open(programDir.filePath(QStringLiteral("Nastr.mdb")));
            settings.exec(QStringLiteral("UPDATE Настройки SET СохрТекстРас=False, ФайлГР='") + calcPath() +
                          QStringLiteral("'"));
        }
        app = std::make_unique<App>(programDir.path(), person);
        volm::useFormulaCheck(*app);
        if (!volm::startUp(*app) || !app->dm.acGR.isOpen()) return;
        w = std::make_unique<TMainForm>(*app);
        w->resize(1016, 560);
        person.clear();
        ok = true;
    }
    ~Program() {
        w.reset();
        if (app) volm::shutDown(*app);
    }

    bool compute() {
        volm::RunOptions options;
        options.ask = false;
        options.supplyNodeText = w->edNuzPNapPod->text();
        options.availNodeText = w->edNuzRNap->text();
        const bool done = volm::runCalculation(*app, options).success();
        w->syncFromApp();
        person.clear();
        return done;
    }

    // The window takes commands again: not locked, menu and toolbar back.
    bool usable() const { return !w->isLocked() && w->ToolBar1->isEnabled() && w->pnClient->isEnabled(); }
};

// Calls action on every modal window shown until the returned flag is cleared.
std::shared_ptr<bool> onModals(std::function<void(QWidget*)> action) {
    auto active = std::make_shared<bool>(true);
    auto handled = std::make_shared<QPointer<QWidget>>();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [active, handled, action, poll] {
        if (!*active) return;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != handled->data()) {
            *handled = modal;
            action(modal);
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(10, *poll);
    return active;
}

// Runs the command; any modal window it opens is recorded and closed.
QStringList makeReportClosingModals(Program& p) {
    auto seen = std::make_shared<QStringList>();
    const auto active = onModals([seen](QWidget* modal) {
        *seen << modal->windowTitle();
        modal->close();
    });
    p.w->makeReport();
    QTest::qWait(30);
    *active = false;
    return *seen;
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutCalculationOnlyTells();
    void missingDefinitionNamesItsPath();
    void brokenDefinitionGivesTheParserText();
    void previewAtActualSize();
    void followUpOfTheResultDialog();
    void sectionsInTheWindowsOrder();
    void pdfSavedFromThePreview();
    void helpKeyOfThePreview();
};

void TestReport::withoutCalculationOnlyTells() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(!p.app->RasVip);
    const QStringList modals = makeReportClosingModals(p);
    QCOMPARE(modals, QStringList());
    QCOMPARE(p.person.messages, QStringList{volm::report::kNotComputedMessage});
    QCOMPARE(p.person.messages.first(),
             QStringLiteral("Перед формированием отчета необходимо выполнить расчет (Команда: Данные / Выполнить расчет)."));
    QVERIFY(p.usable());
    QVERIFY(!p.app->dm.atTabl->controlsDisabled());
}

void TestReport::missingDefinitionNamesItsPath() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    QVERIFY(QFile::remove(p.definition()));
    const QStringList modals = makeReportClosingModals(p);
    QCOMPARE(modals, QStringList());
    QCOMPARE(p.person.messages.size(), 1);
    QVERIFY2(p.person.messages.first().contains(QFileInfo(p.definition()).absoluteFilePath()),
             qPrintable(p.person.messages.first()));
    QVERIFY(p.usable());
    QVERIFY(!p.app->dm.atTabl->controlsDisabled());
    QCOMPARE(p.person.busyDepth, 0);
    // The one-pipe definition is not asked for a two-pipe network.
    QVERIFY(!p.person.messages.first().contains(QStringLiteral("0.rav")));
}

void TestReport::brokenDefinitionGivesTheParserText() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    QFile f(p.definition());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("<html><body><table>{{#Участки}}<tr><td>{{Участок}}</td></tr></table></body></html>");
    f.close();
    const QStringList modals = makeReportClosingModals(p);
    QCOMPARE(modals, QStringList());
    QCOMPARE(p.person.messages.size(), 1);
    const QString m = p.person.messages.first();
    QVERIFY2(m.contains(QStringLiteral("Unclosed section \"Участки\"")), qPrintable(m));
    QVERIFY2(m.contains(QFileInfo(p.definition()).absoluteFilePath()), qPrintable(m));
    QVERIFY(p.usable());
    // A second try after mending the file works.
    QFile::remove(p.definition());
    QVERIFY(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/1.rav"), p.definition()));
    p.person.clear();
    QCOMPARE(makeReportClosingModals(p), QStringList{volm::ui::kReportPreviewTitle});
    QCOMPARE(p.person.messages, QStringList());
}

void TestReport::previewAtActualSize() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    struct Seen {
        QString title;
        qreal zoom = 0;
        int pages = 0;
        bool pdfAction = false;
        bool lockedWhileShown = true;
    };
    auto seen = std::make_shared<Seen>();
    TMainForm* w = p.w.get();
    const auto active = onModals([seen, w](QWidget* modal) {
        seen->title = modal->windowTitle();
        if (auto* preview = modal->findChild<QPrintPreviewWidget*>()) {
            QTest::qWait(50);
            seen->zoom = preview->zoomFactor();
            seen->pages = preview->pageCount();
        }
        seen->pdfAction = modal->findChild<QAction*>(QStringLiteral("actSaveAsPdf")) != nullptr;
        seen->lockedWhileShown = w->isLocked();
        modal->close();
    });
    p.w->makeReport();
    *active = false;
    QCOMPARE(seen->title, QStringLiteral("Гидравлический расчет тепловой сети"));
    QCOMPARE(seen->zoom, 1.0);
    QVERIFY(seen->pages >= 2);
    QVERIFY(seen->pdfAction);
    QVERIFY(!seen->lockedWhileShown);
    QVERIFY(p.person.statuses.contains(QStringLiteral("Формирование страницы 1")));
    QVERIFY(p.person.statuses.contains(QStringLiteral("Печать страницы 1")));
    QCOMPARE(p.person.messages, QStringList());
    QVERIFY(p.usable());
    QVERIFY(!p.app->dm.atTabl->controlsDisabled());
    QCOMPARE(p.person.busyDepth, 0);
}

void TestReport::followUpOfTheResultDialog() {
    Program p;
    QVERIFY(p.ok);
    p.person.answers.push_back(true);  // "Выполнить расчет?"
    auto titles = std::make_shared<QStringList>();
    const auto active = onModals([titles](QWidget* modal) {
        *titles << modal->windowTitle();
        if (auto* dialog = qobject_cast<TRasVipForm*>(modal)) {
            dialog->cbFormOtch->setChecked(true);
            dialog->btnOK->click();
        } else {
            modal->close();
        }
    });
    p.w->runCalculation();
    QTest::qWait(30);
    *active = false;
    QCOMPARE(*titles, (QStringList{QStringLiteral("ВОЛМ"), volm::ui::kReportPreviewTitle}));
    QVERIFY(p.usable());
}

// The report reads the sections in the order the main window shows them.
void TestReport::sectionsInTheWindowsOrder() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    auto order = [&p] {
        const volm::report::ReportData d = volm::report::gatherReportData(*p.app);
        QList<QPair<int, int>> nodes;
        QList<int> ids;
        for (int r = 0; r < int(d.tabl.rows.size()); ++r) {
            nodes << qMakePair(d.tabl.value(r, QStringLiteral("НачУзел")).toInt(),
                               d.tabl.value(r, QStringLiteral("КонУзел")).toInt());
            ids << d.tabl.value(r, QStringLiteral("id")).toInt();
        }
        return qMakePair(nodes, ids);
    };
    // The example's sections were entered out of node order: 2 - 8 comes after 3 - 7.
    const auto byCounter = order();
    QVERIFY(std::is_sorted(byCounter.second.begin(), byCounter.second.end()));
    QVERIFY(!std::is_sorted(byCounter.first.begin(), byCounter.first.end()));
    p.w->sortBySections();
    const auto byNodes = order();
    QVERIFY(std::is_sorted(byNodes.first.begin(), byNodes.first.end()));
    QCOMPARE(byNodes.first.size(), byCounter.first.size());
    p.w->sortByCounter();
    QCOMPARE(order().second, byCounter.second);
}

// "Сохранить в PDF" clicked in the preview: the dialog proposes the
// calculation's name with ".pdf"; the calculation itself is refused with the
// reason; a name gets ".pdf", an old file is replaced only when the person
// agrees, and the PDF has the title the runner's has.
void TestReport::pdfSavedFromThePreview() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    const QString chosen = p.calcDir.filePath(QStringLiteral("отчет"));
    const QString pdf = chosen + QStringLiteral(".pdf");
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QString linkToCalc = p.calcDir.filePath(QStringLiteral("ссылка.pdf"));
    QVERIFY(QFile::link(p.calcPath(), linkToCalc));
    p.person.fileNames = {linkToCalc, chosen, chosen};
    p.person.answers = {false, true};  // keep the old file, then replace it
    auto oldKept = std::make_shared<bool>(false);
    const auto active = onModals([pdf, oldKept](QWidget* modal) {
        auto* bar = modal->findChild<QToolBar*>();
        QAction* action = modal->findChild<QAction*>(QStringLiteral("actSaveAsPdf"));
        QWidget* button = bar && action ? bar->widgetForAction(action) : nullptr;
        if (button) {
            QTest::qWait(30);
            for (int i = 0; i < 3; ++i) {
                QTest::mouseClick(button, Qt::LeftButton);
                if (i == 1) *oldKept = volm::test::fileBytes(pdf) == QByteArray("old");
            }
        }
        modal->close();
    });
    p.w->makeReport();
    QTest::qWait(30);
    *active = false;
    QCOMPARE(p.person.dialogs.size(), size_t(3));
    QCOMPARE(p.person.dialogs[0].initialDir, p.calcDir.filePath(QStringLiteral("two_pipe.pdf")));
    QCOMPARE(p.person.messages.size(), 1);
    QVERIFY2(p.person.messages[0].contains(QStringLiteral("Отчет нельзя записать в файл расчета")),
             qPrintable(p.person.messages[0]));
    QVERIFY(*oldKept);
    const QByteArray written = volm::test::fileBytes(pdf);
    QVERIFY(written.startsWith("%PDF"));
    // The calculation, its link and the PDF: no scratch file stays.
    QCOMPARE(QDir(p.calcDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
    QVERIFY(QFileInfo(linkToCalc).isSymLink());
    const QString info = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!info.isEmpty()) {
        QProcess tool;
        tool.start(info, {pdf});
        QVERIFY(tool.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(tool.readAllStandardOutput())
                    .contains(QStringLiteral("Title:           ") + volm::report::kReportTitle));
    }
    QVERIFY(p.usable());
}

// F1 in the preview opens the report's help page over it.
void TestReport::helpKeyOfThePreview() {
    Program p;
    QVERIFY(p.ok);
    QVERIFY(p.compute());
    const QString help = p.programDir.filePath(QStringLiteral("help"));
    QVERIFY(QDir().mkpath(help));
    for (const char* page : {"index.html", "report.html"})
        QVERIFY(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/help/") + QString::fromLatin1(page),
                            help + QLatin1Char('/') + QString::fromLatin1(page)));
    auto page = std::make_shared<QString>();
    const auto active = onModals([page](QWidget* modal) {
        modal->activateWindow();
        (void)QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; });
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal, Qt::Key_F1);
        if (auto* form = modal->findChild<volm::ui::THelpForm*>()) *page = form->currentPage();
        modal->close();
    });
    p.w->makeReport();
    QTest::qWait(30);
    *active = false;
    QCOMPARE(*page, QStringLiteral("report.html"));
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
