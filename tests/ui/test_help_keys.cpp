// F1 in every window of the program opens the help page about it, over that
// window, so that the page can be read while a modal dialog is up; the pages
// the windows name are shipped.
#include "store/node_fill.h"
#include "store/reference_books.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/auto_fill_dialog.h"
#include "ui/chart_window.h"
#include "ui/formulas_dialog.h"
#include "ui/help_window.h"
#include "ui/initial_data_dialog.h"
#include "ui/main_window.h"
#include "ui/network_schematic_window.h"
#include "ui/predefined_edit_dialog.h"
#include "ui/reference_editor.h"
#include "ui/regime_checks_dialog.h"
#include "ui/repeated_entry_dialog.h"
#include "ui/result_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/sizing_dialog.h"
#include "ui/text_viewer.h"

#include <QDirIterator>
#include <QTextBrowser>
#include <QtTest>
#include <functional>

using volm::App;
using volm::test::DialogsFixture;
using volm::ui::THelpForm;
using volm::ui::TMainForm;

namespace {

struct HelpCase {
    const char* window;
    const char* page;
    std::function<QWidget*(App&, TMainForm&)> make;
};

std::vector<HelpCase> helpCases(volm::NodeFillInput& remembered) {
    return {
        {"ВОЛМ", "index.html", [](App&, TMainForm& w) { return &w; }},
        {"Расчетные формулы", "formulas.html", [](App& a, TMainForm& w) { return new TRasFormuliForm(a, &w); }},
        {"Показатель", "formulas.html",
         [](App& a, TMainForm& w) { return new TPredoprPokEditCurr(a, *a.dm.atFlyPredoprPok, &w); }},
        {"Ввод начальных данных", "calculation.html",
         [](App& a, TMainForm& w) { return new TVvodNachDannForm(a, &w); }},
        {"Автозаполнение", "calculation.html",
         [&remembered](App& a, TMainForm& w) { return new TAutoZapolUzTSForm(a, remembered, &w); }},
        {"Ввод повторяющихся данных", "calculation.html",
         [](App& a, TMainForm& w) { return new TVvPovtDForm(a, &w); }},
        {"Результат расчета", "calculation.html", [](App&, TMainForm& w) { return new TRasVipForm(&w); }},
        {"Текст расчета", "calculation.html", [](App&, TMainForm& w) { return new TVigrV_TXTForm(&w); }},
        {"Настройки", "files.html", [](App& a, TMainForm& w) { return new TNastrProgForm(a, &w); }},
        {"Диаметры трубопровода", "references.html",
         [](App& a, TMainForm& w) { return new TSprEditForm(a, volm::diameterBook(), &w); }},
        {"Подбор диаметров", "sizing.html", [](App& a, TMainForm& w) { return new TPodborDiamForm(a, &w); }},
        {"Проверки режима", "regime.html", [](App& a, TMainForm& w) { return new TProverkiRezhimaForm(a, &w); }},
        {"График", "chart.html", [](App& a, TMainForm& w) { return new volm::ui::TGrForm(a, &w); }},
        {"Схема сети", "schematic.html", [](App& a, TMainForm& w) { return new volm::ui::SchematicWindow(a, &w); }},
    };
}

}  // namespace

class TestHelpKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void f1OpensThePageOfTheWindow();
    void everyPageIsReachableFromTheIndex();
};

void TestHelpKeys::f1OpensThePageOfTheWindow() {
    DialogsFixture f;
    QVERIFY(f.start());
    App& app = *f.app;
    const QString help = f.programDir.filePath(QStringLiteral("help"));
    QVERIFY(QDir().mkpath(help));
    for (const QString& page : QDir(QStringLiteral(VOLM_BIN_DIR "/help")).entryList(QDir::Files))
        QVERIFY(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/help/") + page, help + QLatin1Char('/') + page));
    TMainForm main(app);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    volm::NodeFillInput remembered;
    for (const HelpCase& c : helpCases(remembered)) {
        QWidget* w = c.make(app, main);
        w->show();
        QVERIFY2(QTest::qWaitForWindowExposed(w), c.window);
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F1);
        auto* form = w->findChild<THelpForm*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY2(form && form->isVisible(), c.window);
        QCOMPARE(form->currentPage(), QString::fromUtf8(c.page));
        QVERIFY2(!form->browser->toPlainText().isEmpty(), c.page);
        // A second F1 reuses the window.
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F1);
        QCOMPARE(w->findChildren<THelpForm*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
        form->close();
        if (w != &main) {
            w->close();
            delete w;
        }
    }
    // Closing the dialogs may have its own words (an initial-data check); none about help.
    for (const QString& m : f.person.messages) QVERIFY2(!m.contains(QStringLiteral("help")), qPrintable(m));
}

// The index links, directly or through other pages, to every page shipped.
void TestHelpKeys::everyPageIsReachableFromTheIndex() {
    const QDir help(QStringLiteral(VOLM_BIN_DIR "/help"));
    QStringList pending{QStringLiteral("index.html")}, seen;
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)"));
    while (!pending.isEmpty()) {
        const QString page = pending.takeFirst();
        if (seen.contains(page)) continue;
        seen << page;
        QFile file(help.filePath(page));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
        const QString html = QString::fromUtf8(file.readAll());
        for (auto m = link.globalMatch(html); m.hasNext();) pending << m.next().captured(1);
    }
    QStringList shipped = help.entryList({QStringLiteral("*.html")});
    shipped.sort();
    seen.sort();
    QCOMPARE(seen, shipped);
    volm::NodeFillInput remembered;
    for (const HelpCase& c : helpCases(remembered)) QVERIFY2(shipped.contains(QString::fromUtf8(c.page)), c.page);
}

QTEST_MAIN(TestHelpKeys)
#include "test_help_keys.moc"
