// The window "Схема сети" over a small calculation: its items, colouring
// choices before and after a run, double-click to the section grid, saving.
#include "store/startup.h"
#include "store/output_file.h"
#include "tests/support/program_folder.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/main_window.h"
#include "ui/network_schematic_scene.h"
#include "ui/network_schematic_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QtTest>
#include <cerrno>

using volm::App;
using volm::test::DialogsFixture;
using volm::ui::SchematicScene;
using volm::ui::SchematicWindow;
using volm::ui::TMainForm;

namespace {

// Network closed into a loop by 5 - 3, the water running 3 to 5 on it; no
// water on 2 - 3 and none on the part apart.
void runWaterRoundTheLoop(App& app) {
    app.dm.acGR.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, Ду) VALUES (6, 5, 3, 50)"));
    const std::pair<int, double> flows[] = {{1, 10}, {2, 0}, {3, 10}, {5, 10}, {6, -4.5}};
    for (auto [id, flow] : flows)
        app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET РасхПод = %1 WHERE id = %2").arg(flow).arg(id));
}

// Source 1; 1-2, 2-3, 2-4, 4-5 (listed after a part apart: 8-9); with water
// round a loop, closed as above.
struct Network {
    DialogsFixture f;
    std::unique_ptr<TMainForm> w;
    bool ok = false;

    explicit Network(bool computed, bool waterRoundTheLoop = false) {
        ok = f.start();
        if (!ok) return;
        App& app = *f.app;
        app.dm.acGR.begin();
        const char* rows[] = {"(1,1,2,200,1.2,40,30)", "(2,2,3,100,0.9,30,20)", "(3,2,4,100,0.8,30,0.05)",
                              "(4,8,9,50,0.5,10,5)", "(5,4,5,50,0.6,0.05,0.02)"};
        for (const char* r : rows)
            app.dm.acGR.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, Ду, СкорПод, РНапНач, РНапКон) VALUES ") +
                             QString::fromLatin1(r));
        app.dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET NНачУз = 1, РасчетВыполнен = %1").arg(computed ? 1 : 0));
        if (waterRoundTheLoop) runWaterRoundTheLoop(app);
        app.dm.acGR.commit();
        app.dm.atTabl->requery();
        w = std::make_unique<TMainForm>(app);
        w->resize(1016, 560);
    }
    SchematicWindow* open() {
        w->miDataSkhema->trigger();
        return w->findChild<SchematicWindow*>();
    }
};

QStringList offered(const SchematicWindow* s) {
    QStringList names;
    for (int i = 0; i < s->colourCombo->count(); ++i) names << s->colourCombo->itemData(i).toString();
    return names;
}

}  // namespace

class TestSchematicWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneItemPerNodeAndSectionAtTheirPlaces();
    void doubleClickSelectsTheSectionRow();
    void computedIndicatorsOnlyWhileResultsAreCurrent();
    void savesPngPdfAndSvg();
    void arrowsPointTheWayTheWaterRuns();
    void theBoxHidesTheArrows();
    void numbersInTheReportPrecision_data();
    void numbersInTheReportPrecision();
};

void TestSchematicWindow::oneItemPerNodeAndSectionAtTheirPlaces() {
    Network n(true);
    QVERIFY(n.ok);
    // The water runs 4 to 2 on 2 - 4: its flow is negative.
    n.f.app->dm.acGR.exec(QStringLiteral("UPDATE Табл SET РасхПод = -5 WHERE id = 3"));
    SchematicWindow* s = n.open();
    QVERIFY(s);
    SchematicScene* scene = s->scene();
    int nodes = 0, sections = 0;
    for (QGraphicsItem* item : scene->items()) {
        nodes += SchematicScene::kindOf(item) == 1;
        sections += SchematicScene::kindOf(item) == 2;
    }
    QCOMPARE(nodes, 7);
    QCOMPARE(sections, 5);
    const auto& layout = scene->data().layout;
    QHash<int, QPointF> at;
    for (int v = 0; v < scene->nodeItemCount(); ++v) at[layout.nodes[size_t(v)].number] = scene->nodeItem(v)->pos();
    const int ends[][2] = {{1, 2}, {2, 3}, {2, 4}, {8, 9}, {4, 5}};
    for (int i = 0; i < 5; ++i) {
        const QLineF line = static_cast<QGraphicsLineItem*>(scene->sectionItem(i))->line();
        QCOMPARE(line.p1(), at[ends[i][0]]);
        QCOMPARE(line.p2(), at[ends[i][1]]);
    }
    // The part apart is on its own, to the right, with its caption.
    QVERIFY(at[8].x() > at[3].x() && at[8].x() > at[5].x());
    bool captioned = false;
    for (QGraphicsItem* item : scene->items())
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            captioned = captioned || t->text() == QStringLiteral("Не связано с начальным узлом");
    QVERIFY(captioned);
    // Hover texts name the section and the node with their values.
    QVERIFY(scene->sectionText(2).startsWith(QStringLiteral("Участок 2 - 4\nВода течет от узла 4 к узлу 2.\n")));
    QVERIFY(!scene->sectionText(1).contains(QStringLiteral("Вода течет")));
    QVERIFY(scene->nodeText(0).startsWith(QStringLiteral("Узел 1")));
}

void TestSchematicWindow::doubleClickSelectsTheSectionRow() {
    Network n(true);
    QVERIFY(n.ok);
    n.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(n.w.get()));
    SchematicWindow* s = n.open();
    QVERIFY(s);
    QVERIFY(QTest::qWaitForWindowExposed(s));
    s->fitAll();
    for (int section : {2, 4, 0}) {
        const QLineF line = static_cast<QGraphicsLineItem*>(s->scene()->sectionItem(section))->line();
        const QPoint pos = s->view()->mapFromScene(line.center());
        QTest::mouseDClick(s->view()->viewport(), Qt::LeftButton, {}, pos);
        const qint64 id = s->scene()->data().sectionIds[size_t(section)];
        QCOMPARE(n.f.app->dm.atTabl->rowid(), id);
        const QList<int> rows = n.w->DGGlavn->selectedRowNumbers();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(n.f.app->dm.atTabl->rowidAt(rows.front()), id);
    }
}

void TestSchematicWindow::computedIndicatorsOnlyWhileResultsAreCurrent() {
    Network n(false);
    QVERIFY(n.ok);
    SchematicWindow* s = n.open();
    QVERIFY(s);
    QVERIFY(!s->staleLabel->isHidden());
    QStringList names = offered(s);
    QVERIFY(names.contains(QStringLiteral("Ду")));
    QVERIFY(!names.contains(QStringLiteral("СкорПод")));
    QVERIFY(!names.contains(volm::output::kNodeAvailableHead));
    for (const auto& low : s->scene()->data().lowHead) QVERIFY(!low);

    n.f.app->dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET РасчетВыполнен = 1"));
    n.w->miDataSkhema->trigger();  // reopening reads the file again
    QCOMPARE(n.w->findChildren<SchematicWindow*>().size(), 1);
    QVERIFY(s->staleLabel->isHidden());
    names = offered(s);
    QVERIFY(names.contains(QStringLiteral("СкорПод")));
    QCOMPARE(s->colourCombo->currentData().toString(), volm::output::kNodeAvailableHead);
    // Nodes 4 and 5 are short of head.
    const auto& data = s->scene()->data();
    QStringList low;
    for (size_t v = 0; v < data.lowHead.size(); ++v)
        if (data.lowHead[v]) low << QString::number(data.layout.nodes[v].number);
    QCOMPARE(low.join(QLatin1Char(',')), QStringLiteral("4,5"));
    // The scale spans the chosen values: available heads 0.02 … 40.
    QCOMPARE(s->scene()->low(), 0.02);
    QCOMPARE(s->scene()->high(), 40.0);
    s->colourCombo->setCurrentIndex(int(names.indexOf(QStringLiteral("Ду"))));
    QCOMPARE(s->scene()->low(), 50.0);
    QCOMPARE(s->scene()->high(), 200.0);
}

void TestSchematicWindow::savesPngPdfAndSvg() {
    Network n(true);
    QVERIFY(n.ok);
    SchematicWindow* s = n.open();
    QVERIFY(s);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("s.png")), pdf = dir.filePath(QStringLiteral("s.pdf")),
                  svg = dir.filePath(QStringLiteral("s.svg"));
    QVERIFY(s->saveTo(png));
    QVERIFY(s->saveTo(pdf));
    QVERIFY(s->saveTo(svg));
    QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100);
    QFile pdfFile(pdf);
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QVERIFY(pdfFile.read(5) == "%PDF-");
    QFile svgFile(svg);
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(svgFile.readAll());
    QCOMPARE(text.count(QStringLiteral("<circle")), 7);
    QCOMPARE(text.count(QStringLiteral("<line")), 5);
    QVERIFY(text.contains(QStringLiteral("Не связано с начальным узлом")));
    QVERIFY(!s->saveTo(dir.filePath(QStringLiteral("missing/s.svg"))));
    // A disk that fills up while the drawing is written keeps the old file
    // and says why; nothing is left beside it.
    for (const QString& target : {png, pdf, svg}) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("older");
        old.close();
        QString why;
        volm::limitOutputSpaceForTests(100, ENOSPC);
        const bool saved = s->saveTo(target, &why);
        volm::limitOutputSpaceForTests(-1, 0);
        QVERIFY(!saved);
        QVERIFY2(why.endsWith(QStringLiteral("Недостаточно места на диске.")), qPrintable(why));
        QCOMPARE(volm::test::fileBytes(target), QByteArray("older"));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}

// Each section with water gets one arrow at its middle, its tip towards the
// node the water runs to, wider than the line; a loop section against its
// entry points back; no water, no arrow.
void TestSchematicWindow::arrowsPointTheWayTheWaterRuns() {
    Network n(true, true);
    QVERIFY(n.ok);
    SchematicWindow* s = n.open();
    QVERIFY(s);
    SchematicScene* scene = s->scene();
    const auto& layout = scene->data().layout;
    QCOMPARE(scene->sectionItemCount(), 6);
    const int waterTo[] = {2, 0, 4, 0, 5, 5};  // node the water runs to, 0 for none
    for (int i = 0; i < 6; ++i) {
        const auto* item = static_cast<QGraphicsLineItem*>(scene->sectionItem(i));
        const QPolygonF arrow = scene->flowArrow(i);
        if (!waterTo[i]) {
            QVERIFY2(arrow.isEmpty(), qPrintable(QString::number(i)));
            continue;
        }
        QCOMPARE(arrow.size(), 3);
        const QLineF line = item->line();
        const auto& e = layout.edges[size_t(i)];
        const QPointF to = layout.nodes[size_t(e.to)].number == waterTo[i] ? line.p2() : line.p1();
        const QPointF back = (arrow[1] + arrow[2]) / 2;
        const QLineF shaft(back, arrow[0]);
        QVERIFY(QLineF(arrow[0], to).length() < QLineF(back, to).length());
        QVERIFY(QLineF((back + arrow[0]) / 2, line.center()).length() < 1e-9);
        const QPointF a = shaft.p2() - shaft.p1(), b = to - line.center();
        QVERIFY(std::abs(a.x() * b.y() - a.y() * b.x()) < 1e-6 * QLineF({}, b).length());  // along the line
        QVERIFY(QLineF(arrow[1], arrow[2]).length() > item->pen().widthF());
        QVERIFY(shaft.length() < line.length() / 2);
    }
    QCOMPARE(std::count_if(layout.edges.begin(), layout.edges.end(), [](const auto& e) { return !e.tree; }), 1);
}

// A click on "Показывать направление течения" hides the arrows on the view and
// in the saved drawing, also in the window opened again; another brings them back.
void TestSchematicWindow::theBoxHidesTheArrows() {
    Network n(true, true);
    QVERIFY(n.ok);
    SchematicWindow* s = n.open();
    QVERIFY(s);
    QVERIFY(QTest::qWaitForWindowExposed(s));
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("s.svg"));
    auto savedArrows = [&] {
        if (!s->saveTo(svg)) return -1;
        QFile f(svg);
        return f.open(QIODevice::ReadOnly) ? int(QString::fromUtf8(f.readAll()).count(QStringLiteral("<polygon"))) : -1;
    };
    auto shownArrows = [&] {
        int shown = 0;
        for (int i = 0; i < s->scene()->sectionItemCount(); ++i) shown += !s->scene()->flowArrow(i).isEmpty();
        return shown;
    };
    QVERIFY(s->flowArrowsBox->isChecked());
    QCOMPARE(shownArrows(), 4);
    QCOMPARE(savedArrows(), 4);
    QTest::mouseClick(s->flowArrowsBox, Qt::LeftButton, {}, s->flowArrowsBox->rect().center());
    QVERIFY(!s->flowArrowsBox->isChecked());
    QCOMPARE(shownArrows(), 0);
    QCOMPARE(savedArrows(), 0);
    s->refresh();  // the choice outlives reading the file again
    QCOMPARE(shownArrows(), 0);
    s->close();  // and the window's closing
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(n.w->findChildren<SchematicWindow*>().isEmpty());
    s = n.open();
    QVERIFY(s);
    QVERIFY(!s->flowArrowsBox->isChecked());
    QCOMPARE(shownArrows(), 0);
    QVERIFY(QTest::qWaitForWindowExposed(s));
    QTest::mouseClick(s->flowArrowsBox, Qt::LeftButton, {}, s->flowArrowsBox->rect().center());
    QCOMPARE(shownArrows(), 4);
}

void TestSchematicWindow::numbersInTheReportPrecision_data() {
    QTest::addColumn<int>("precision");
    QTest::addColumn<QString>("high");  // with "." for the locale's separator
    QTest::newRow("2") << 2 << "46.87";
    QTest::newRow("0") << 0 << "47";
    QTest::newRow("4") << 4 << "46.8735";
}

// The legend's scale and the hover texts write numbers as the report does.
void TestSchematicWindow::numbersInTheReportPrecision() {
    QFETCH(int, precision);
    QFETCH(QString, high);
    Network n(true);
    QVERIFY(n.ok);
    App& app = *n.f.app;
    volm::writeSetting(app, QStringLiteral("ТочностьЧиселВОтч"), precision);
    app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET РНапНач = 46.8735 WHERE id = 1"));
    SchematicWindow* s = n.open();
    QVERIFY(s);
    QCOMPARE(s->colourCombo->currentData().toString(), volm::output::kNodeAvailableHead);
    const QString separator = app.locale.decimalPoint();
    high.replace(QLatin1Char('.'), separator);
    QCOMPARE(s->legend->highText(), high);
    QCOMPARE(s->legend->lowText(), app.locale.toString(0.02, 'f', precision));
    QVERIFY2(s->scene()->nodeText(0).contains(high), qPrintable(s->scene()->nodeText(0)));
}

QTEST_MAIN(TestSchematicWindow)
#include "test_schematic_window.moc"
