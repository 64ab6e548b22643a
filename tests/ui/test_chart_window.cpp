// The chart window: its lists and their refills, the drawing on the plot (points,
// node labels, value marks, colours, ranges), copying and saving, and the
// main window's launcher.
#include "store/database.h"
#include "store/output_file.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/chart_plot.h"
#include "ui/chart_window.h"
#include "ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtTest>
#include <cerrno>

using volm::test::DialogsFixture;
using volm::ui::ChartPlot;
using volm::ui::TGrForm;

namespace {

// A computed two-pipe calculation: main 1 is 1-2, 2-3, 3-4 (100 m each), main 2
// is 1-2, 2-5. Ground 100+n at node n; supply heads fall 5 along a section and
// 5 more at each node (180 at node 1), return heads rise likewise (120 at node 1).
void fillComputed(DialogsFixture& f, int chainLength = 3) {
    volm::Database& db = f.app->dm.acGR;
    db.exec(QStringLiteral("UPDATE НазвРасч SET ТипСети=1, РасчетВыполнен=True"));
    db.begin();
    auto section = [&](int a, int b, double lenStart, int step) {
        const double sup = 180 - 10 * step, ret = 120 + 10 * step;
        db.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНачПод, ДлНаУчПод, ГеодВысНач, ГеодВысКон, "
                               "ПНапНачПод, ПНапКонПод, ПНапНачОбр, ПНапКонОбр, ТВодыНачПод, ТВодыКонПод, "
                               "ТВодыНачОбр, ТВодыКонОбр) VALUES (%1, %2, %3, %4, 100, %5, %6, %7, %8, %9, %10, "
                               "%11, %12, %13, %14)")
                    .arg(a * 1000 + b)
                    .arg(a)
                    .arg(b)
                    .arg(lenStart)
                    .arg(100 + a)
                    .arg(100 + b)
                    .arg(sup)
                    .arg(sup - 5)
                    .arg(ret)
                    .arg(ret + 5)
                    .arg(95 - step)
                    .arg(94.5 - step)
                    .arg(60 + step)
                    .arg(60.5 + step));
    };
    for (int i = 1; i <= chainLength; ++i) {
        section(i, i + 1, 100.0 * (i - 1), i - 1);
        db.exec(QStringLiteral("INSERT INTO МагистралиТС (id_m, NппУчВМ, НачУзел, КонУзел) VALUES (1, %1, %2, %3)")
                    .arg(chainLength + 1 - i)
                    .arg(i)
                    .arg(i + 1));
    }
    const int branch = chainLength + 2;
    section(2, branch, 100, 1);
    db.exec(QStringLiteral("INSERT INTO МагистралиТС (id_m, NппУчВМ, НачУзел, КонУзел) VALUES (2, 2, 1, 2)"));
    db.exec(QStringLiteral("INSERT INTO МагистралиТС (id_m, NппУчВМ, НачУзел, КонУзел) VALUES (2, 1, 2, %1)").arg(branch));
    db.exec(QStringLiteral("INSERT INTO КонМаг (id_m, КонУзел, ПНапПод, ПНапОбр) VALUES (1, %1, 111, 177)")
                .arg(chainLength + 1));
    db.exec(QStringLiteral("INSERT INTO КонМаг (id_m, КонУзел, ПНапПод, ПНапОбр) VALUES (2, %1, 150, 150)").arg(branch));
    db.commit();
    f.app->dm.atTabl->requery();
    f.app->RasVip = true;
    f.app->SistRazdelitel = QLatin1Char(',');  // the decimal separator of Russian settings
}

QString xy(const ChartPlot& plot, const QCPCurve* c) {
    QStringList parts;
    for (auto it = c->data()->constBegin(); it != c->data()->constEnd(); ++it)
        parts << QString::number(it->key) + QLatin1Char(':') + QString::number(it->value);
    Q_UNUSED(plot);
    return parts.join(QLatin1Char(' '));
}

void choose(QComboBox* box, const QString& text) {
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
}

}  // namespace

class TestChartWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launcherWantsACalculationFirst();
    void launcherReturnsToTheRememberedSection();
    void mainWindowCommandOpensTheWindow();
    void listsAndTheirRefills();
    void drawsThePiezometricChart();
    void drawsTheTemperatureChartInBlackAndWhite();
    void walkStopsWithAMessage();
    void longMainThinsLabelsAndMarks();
    void copiesAndSaves();
};

void TestChartWindow::launcherWantsACalculationFirst() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->RasVip = false;
    TGrForm::launch(*f.app, nullptr);
    QCOMPARE(f.person.messages,
             QStringList{QStringLiteral("Перед формированием графика необходимо выполнить расчет "
                                        "(Команда: Данные / Выполнить расчет).")});
    QVERIFY(!f.app->dm.atTabl->controlsDisabled());
}

void TestChartWindow::launcherReturnsToTheRememberedSection() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    volm::Table& t = *f.app->dm.atTabl;
    t.first();
    t.moveBy(2);
    const qint64 id = t.rowid();
    bool shown = false;
    volm::test::whenModal([&](QWidget* w) {
        auto* form = qobject_cast<TGrForm*>(w);
        if (!form) return;
        shown = form->cbMag->count() == 2;
        QVERIFY(form->crt->supplyCurve()->data()->isEmpty());
        form->miClose->trigger();
    });
    TGrForm::launch(*f.app, nullptr);
    QVERIFY(shown);
    QCOMPARE(t.recNo(), 3);
    QCOMPARE(t.rowid(), id);
    QVERIFY(!t.controlsDisabled());
    QVERIFY(f.person.messages.isEmpty());
}

void TestChartWindow::mainWindowCommandOpensTheWindow() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    volm::ui::TMainForm w(*f.app);
    w.resize(1016, 560);
    QString shown;
    volm::test::whenModal([&](QWidget* d) {
        if (auto* form = qobject_cast<TGrForm*>(d)) {
            shown = form->windowTitle() + QLatin1Char('|') + form->cbMag->currentText();
            form->close();
        }
    });
    w.miDataGr->trigger();
    QCOMPARE(shown, QStringLiteral("Формировать график|1.   1 - 4"));
    QVERIFY(f.person.messages.isEmpty());
    f.app->RasVip = false;
    w.miDataGr->trigger();
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY(f.person.messages[0].startsWith(QStringLiteral("Перед формированием графика")));
}

void TestChartWindow::listsAndTheirRefills() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    TGrForm form(*f.app);
    form.Show();
    QCOMPARE(form.cbMag->count(), 2);
    QCOMPARE(form.cbMag->itemText(0), QStringLiteral("1.   1 - 4"));
    QCOMPARE(form.cbMag->itemText(1), QStringLiteral("2.   1 - 5"));
    QCOMPARE(form.cbTipGr->currentText(), QStringLiteral("Пьезометрический"));
    QVERIFY(form.cbUDPT->isChecked());
    QVERIFY(!form.cbBW->isChecked());
    QCOMPARE(form.cbNachUz->count(), 3);
    QCOMPARE(form.cbNachUz->currentText(), QStringLiteral("1"));
    QCOMPARE(form.cbKonUz->currentText(), QStringLiteral("4"));

    choose(form.cbKonUz, QStringLiteral("3"));
    choose(form.cbNachUz, QStringLiteral("2"));  // 3 still reachable: kept
    QCOMPARE(form.cbKonUz->currentText(), QStringLiteral("3"));
    QCOMPARE(form.cbKonUz->count(), 2);
    choose(form.cbNachUz, QStringLiteral("3"));  // 3 no longer an end: the main's end
    QCOMPARE(form.cbKonUz->currentText(), QStringLiteral("4"));
    choose(form.cbMag, QStringLiteral("2.   1 - 5"));  // start 3 not on main 2: first; end: last
    QCOMPARE(form.cbNachUz->currentText(), QStringLiteral("1"));
    QCOMPARE(form.cbKonUz->currentText(), QStringLiteral("5"));
    choose(form.cbNachUz, QStringLiteral("2"));
    choose(form.cbMag, QStringLiteral("1.   1 - 4"));  // start 2 on main 1 too: kept
    QCOMPARE(form.cbNachUz->currentText(), QStringLiteral("2"));
    QCOMPARE(form.cbKonUz->currentText(), QStringLiteral("4"));
}

void TestChartWindow::drawsThePiezometricChart() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    TGrForm form(*f.app);
    form.resize(1200, 700);
    form.show();
    form.Show();
    choose(form.cbKonUz, QStringLiteral("3"));
    form.miGenerate->trigger();
    form.crt->settle();
    ChartPlot& plot = *form.crt;
    QVERIFY(f.person.messages.isEmpty());
    QCOMPARE(plot.titleElement()->text(), QStringLiteral("1.   1 - 4"));
    QCOMPARE(plot.yAxis->label(), QStringLiteral("Высота, напор, м."));
    QCOMPARE(plot.xAxis->label(), QStringLiteral("Узлы теплосети"));
    // Steps at node 2 and, closing, the start heads of 3-4 at node 3.
    QCOMPARE(xy(plot, plot.supplyCurve()), QStringLiteral("0:180 100:175 100:170 200:165 200:160"));
    QCOMPARE(xy(plot, plot.returnCurve()), QStringLiteral("0:120 100:125 100:130 200:135 200:140"));
    QCOMPARE(plot.groundGraph()->data()->size(), 3);
    QCOMPARE(plot.groundGraph()->data()->at(2)->value, 103.0);
    QCOMPARE(plot.supplyCurve()->pen().color(), QColor(Qt::red));
    QCOMPARE(plot.returnCurve()->pen().color(), QColor(Qt::blue));
    QCOMPARE(plot.supplyCurve()->pen().width(), 2);
    QCOMPARE(plot.shownNodeLabels(), (QMap<double, QString>{{0, "1"}, {100, "2"}, {200, "3"}}));
    QCOMPARE(plot.xAxis->range().lower, -1.0);
    QCOMPARE(plot.xAxis->range().upper, 201.0);
    QCOMPARE(plot.yAxis->range().lower, 101 - 7.9);
    QCOMPARE(plot.yAxis->range().upper, 180 + 7.9);
    QCOMPARE(plot.legend->visible(), false);
    QCOMPARE(int(plot.interactions()), 0);
    // Every value shows as a mark in the report precision.
    QStringList marks;
    for (const auto& m : plot.shownMarks()) marks << m.text;
    QVERIFY2(marks.contains(QStringLiteral("175,00")) && marks.contains(QStringLiteral("101,00")) &&
                 marks.contains(QStringLiteral("160,00")),
             qPrintable(marks.join(QLatin1Char(' '))));

    // Without lengths: one unit per section, from 0.
    form.cbUDPT->setChecked(false);
    choose(form.cbNachUz, QStringLiteral("2"));
    choose(form.cbKonUz, QStringLiteral("4"));
    form.miGenerate->trigger();
    form.crt->settle();
    QCOMPARE(xy(plot, plot.supplyCurve()), QStringLiteral("0:170 1:165 1:160 2:155 2:111"));
    QCOMPARE(plot.shownNodeLabels(), (QMap<double, QString>{{0, "2"}, {1, "3"}, {2, "4"}}));
}

void TestChartWindow::drawsTheTemperatureChartInBlackAndWhite() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    f.app->dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET ТипСети=2"));
    TGrForm form(*f.app);
    form.resize(1000, 600);
    form.show();
    form.Show();
    form.cbTipGr->setCurrentIndex(1);
    form.cbBW->setChecked(true);
    form.miGenerate->trigger();
    form.crt->settle();
    ChartPlot& plot = *form.crt;
    QCOMPARE(plot.yAxis->label(), QStringLiteral("Температура воды в трубопроводе, град. С"));
    QVERIFY(plot.groundGraph()->data()->isEmpty());
    QVERIFY(plot.returnCurve()->data()->isEmpty());  // one-pipe
    QCOMPARE(xy(plot, plot.supplyCurve()), QStringLiteral("0:95 100:94 200:93 300:92.5"));
    QCOMPARE(plot.supplyCurve()->pen().color(), QColor(Qt::black));
    QCOMPARE(plot.shownNodeLabels().size(), 4);
}

void TestChartWindow::walkStopsWithAMessage() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    f.app->dm.acGR.exec(QStringLiteral("DELETE FROM Табл WHERE НачУзел=3"));
    TGrForm form(*f.app);
    form.Show();
    form.miGenerate->trigger();
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY2(f.person.messages[0].contains(QStringLiteral("Участок 3 - 4")), qPrintable(f.person.messages[0]));
    QCOMPARE(form.crt->supplyCurve()->data()->size(), 4);  // what was drawn stays
}

void TestChartWindow::longMainThinsLabelsAndMarks() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f, 300);
    TGrForm form(*f.app);
    form.resize(700, 500);
    form.show();
    form.Show();
    form.miGenerate->trigger();
    form.crt->settle();
    ChartPlot& plot = *form.crt;
    QCOMPARE(plot.supplyCurve()->data()->size(), 601);
    const QMap<double, QString> labels = plot.shownNodeLabels();
    QVERIFY2(labels.size() > 5 && labels.size() < 100, qPrintable(QString::number(labels.size())));
    QCOMPARE(labels.value(0), QStringLiteral("1"));
    QCOMPARE(labels.value(30000), QStringLiteral("301"));
    const auto& marks = plot.shownMarks();
    QVERIFY2(marks.size() > 5 && marks.size() < 300, qPrintable(QString::number(marks.size())));
    bool lastSupply = false;
    for (const auto& m : marks) lastSupply = lastSupply || (m.x == 30000 && m.text == QStringLiteral("111,00"));
    QVERIFY(lastSupply);
    // A wider plot shows more of them.
    form.resize(1400, 500);
    QCoreApplication::processEvents();
    form.crt->settle();
    QVERIFY(plot.shownNodeLabels().size() > labels.size());
}

void TestChartWindow::copiesAndSaves() {
    DialogsFixture f;
    QVERIFY(f.start());
    fillComputed(f);
    TGrForm form(*f.app);
    form.resize(900, 600);
    form.Show();
    form.miGenerate->trigger();
    form.miCopy->trigger();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("График скопирован в буфер обмена.")});
    QVERIFY(!QGuiApplication::clipboard()->image().isNull());

    const QString png = f.calcDir.filePath(QStringLiteral("chart"));
    const QString pdf = f.calcDir.filePath(QStringLiteral("chart.PDF"));
    f.person.fileNames = {png, pdf};
    form.miSaveAs->trigger();
    form.miSaveAs->trigger();
    QCOMPARE(f.person.dialogs.size(), size_t(2));
    QCOMPARE(f.person.dialogs[0].initialDir, f.calcDir.filePath(QStringLiteral("calc.png")));
    QVERIFY(!QImage(png + QStringLiteral(".png")).isNull());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    file.close();

    // An existing file is replaced only when the person agrees.
    auto firstBytes = [&] {
        QFile in(pdf);
        return in.open(QIODevice::ReadOnly) ? in.read(5) : QByteArray();
    };
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("older");
    file.close();
    f.person.fileNames = {pdf, pdf};
    f.person.answers = {false, true};
    form.miSaveAs->trigger();
    QCOMPARE(firstBytes(), QByteArray("older"));
    form.miSaveAs->trigger();
    QCOMPARE(firstBytes(), QByteArray("%PDF-"));
    QCOMPARE(f.person.questions.size(), 2);
    QCOMPARE(f.person.questions[0], QStringLiteral("Файл \"") + pdf + QStringLiteral("\" уже существует. Заменить его?"));

    // The calculation, here through a link, is refused with the reason.
    const QString link = f.calcDir.filePath(QStringLiteral("ссылка.png"));
    QVERIFY(QFile::link(f.calcPath(), link));
    const QByteArray calcBefore = volm::test::fileBytes(f.calcPath());
    f.person.messages.clear();
    f.person.fileNames = {link};
    form.miSaveAs->trigger();
    QCOMPARE(volm::test::fileBytes(f.calcPath()), calcBefore);
    QCOMPARE(f.person.messages.size(), 1);
    QVERIFY2(f.person.messages[0].startsWith(QStringLiteral("График нельзя записать в файл расчета")),
             qPrintable(f.person.messages[0]));
    // A disk that fills up while the picture is written keeps the old one and says why.
    for (const QString& target : {pdf, png + QStringLiteral(".png")}) {
        QFile older(target);
        QVERIFY(older.open(QIODevice::WriteOnly | QIODevice::Truncate));
        older.write("older");
        older.close();
        f.person.messages.clear();
        f.person.fileNames = {target};
        f.person.answers = {true};
        volm::limitOutputSpaceForTests(1000, ENOSPC);
        form.miSaveAs->trigger();
        volm::limitOutputSpaceForTests(-1, 0);
        QCOMPARE(volm::test::fileBytes(target), QByteArray("older"));
        QCOMPARE(f.person.messages.size(), 1);
        QVERIFY2(f.person.messages[0].endsWith(QStringLiteral("Недостаточно места на диске.")),
                 qPrintable(f.person.messages[0]));
    }
    QCOMPARE(QDir(f.calcDir.path()).entryList({QStringLiteral("~$*")}, QDir::Files | QDir::Hidden | QDir::System),
             QStringList());
}

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"
