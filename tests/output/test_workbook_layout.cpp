// The workbook of a computed calculation, read back cell by cell.
#include "output/consumers.h"
#include "output/output_lookup.h"
#include "output/result_workbook.h"
#include "store/startup.h"
#include "store/table.h"
#include "tests/output/workbook_fixture.h"

namespace volm::test {
namespace {

// The path of a main as the file describes it: the start nodes of its sections
// from the source on ("НачУзел КонУзел" rows by NппУчВМ descending), then the
// end node of its end section.
QString pathOf(const QStringList& mainRows) {
    QStringList nodes;
    for (const QString& r : mainRows) nodes << r.section(QLatin1Char(' '), 0, 0);
    if (!mainRows.isEmpty()) nodes << mainRows.last().section(QLatin1Char(' '), 1, 1);
    return nodes.join(QStringLiteral(" - "));
}

void expectNumber(const WorkbookCell& c, const QVariant& fileValue, const QString& format, const std::string& where) {
    EXPECT_EQ(c.format, format) << where;
    EXPECT_EQ(c.h, QStringLiteral("center")) << where;
    EXPECT_EQ(c.v, QStringLiteral("center")) << where;
    if (fileValue.isNull()) {
        EXPECT_TRUE(c.value.isNull()) << where;
    } else {
        EXPECT_EQ(c.type, QStringLiteral("n")) << where;
        EXPECT_DOUBLE_EQ(c.value.toDouble(), fileValue.toDouble()) << where;
    }
}

struct ExampleCase {
    const char* file;
    bool twoPipe;
    int digits;
    const char* format;
    friend void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.file << " " << c.digits; }
};

class ExampleWorkbook : public WorkbookTest, public ::testing::WithParamInterface<ExampleCase> {};

TEST_P(ExampleWorkbook, LaysOutEveryBlock) {
    const ExampleCase& ex = GetParam();
    openExample(QString::fromUtf8(ex.file));
    // The examples compute without a warning: a rule every section breaks gives
    // the workbook its block of warnings.
    app->dm.acGR.exec(QStringLiteral(
        "INSERT INTO ПроверкиРежима VALUES (1, 'ДлНаУчПод', 'больше', 100, 'Участок длиннее 100 м')"));
    writeSetting(*app, QStringLiteral("ТочностьЧиселВОтч"), ex.digits);
    compute();
    const QString path = exportTo(QStringLiteral("out.xlsx"));
    const Workbook w = Workbook::read(path);
    ASSERT_TRUE(w.ok);
    const QString fmt = QString::fromUtf8(ex.format);

    EXPECT_EQ(w.sheets, QStringList{QStringLiteral("ВОЛМ")});
    ASSERT_EQ(w.cols.size(), 1);
    EXPECT_EQ(w.cols[0].toObject()[QStringLiteral("min")].toInt(), 1);
    EXPECT_EQ(w.cols[0].toObject()[QStringLiteral("max")].toInt(), 16384);
    // Width 16 characters, as a spreadsheet stores it with its cell padding.
    EXPECT_NEAR(w.cols[0].toObject()[QStringLiteral("width")].toDouble(), 16.71, 0.01);

    // Title.
    const WorkbookCell a1 = w.cell(1, 1);
    EXPECT_EQ(a1.value.toString(), ex.twoPipe ? QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ДВУХТРУБНОЙ ТЕПЛОВОЙ СЕТИ")
                                              : QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ОДНОТРУБНОЙ ТЕПЛОВОЙ СЕТИ"));
    EXPECT_TRUE(a1.bold);
    EXPECT_EQ(a1.format, QStringLiteral("@"));
    const WorkbookCell a2 = w.cell(2, 1);
    EXPECT_EQ(a2.value, fileValue(QStringLiteral("SELECT НазвРасч FROM НазвРасч")));
    EXPECT_EQ(a2.format, QStringLiteral("@"));
    EXPECT_EQ(a2.v, QStringLiteral("top"));
    EXPECT_DOUBLE_EQ(w.height(2), 24);
    EXPECT_EQ(w.border(1, 1), QString());
    EXPECT_EQ(w.border(2, 1), QString());

    // Header indicators in rows 3 and 4.
    const OutputColumns cols = outputColumns(app->dm.acGR);
    const int c = int(cols.header.size());
    ASSERT_GT(c, 1);
    for (int k = 1; k <= c; ++k) {
        const OutputColumn& col = cols.header[size_t(k - 1)];
        const WorkbookCell t = w.cell(3, k);
        EXPECT_EQ(t.value.toString(), col.title);
        EXPECT_EQ(t.format, QStringLiteral("@"));
        EXPECT_EQ(t.size, 8);
        EXPECT_TRUE(t.wrap);
        EXPECT_EQ(t.v, QStringLiteral("top"));
        expectNumber(w.cell(4, k), fileValue(QStringLiteral("SELECT \"%1\" FROM Заг").arg(col.shortName)), fmt,
                     col.shortName.toStdString());
    }
    EXPECT_FALSE(w.cell(3, c + 1).present);
    expectGrid(w, 3, 4, 1, c);
    EXPECT_EQ(w.border(3, c + 1), QString());
    const QString node = fileValue(QStringLiteral("SELECT NузПНапПод FROM НазвРасч")).toString();
    EXPECT_EQ(w.text(3, 2), QStringLiteral("Полный напор на узле ") + node +
                                QStringLiteral(" в подающем трубопроводе, м. (ПНапНаУзПод)"));

    // Section table from row 7.
    EXPECT_DOUBLE_EQ(w.height(5), 24);
    EXPECT_EQ(w.text(5, 1), QStringLiteral("Участки тепловой сети:"));
    const WorkbookCell head = w.cell(6, 1);
    EXPECT_EQ(head.value.toString(), QStringLiteral("Участок"));
    EXPECT_EQ(head.h, QStringLiteral("center"));
    EXPECT_EQ(head.size, 8);
    EXPECT_EQ(w.text(6, 2), QStringLiteral("Начальный узел участка (НачУзел)"));
    EXPECT_EQ(w.text(6, 3), QStringLiteral("Конечный узел участка (КонУзел)"));
    const int r = 3 + int(cols.sections.size());
    for (int k = 4; k <= r; ++k) {
        const WorkbookCell t = w.cell(6, k);
        EXPECT_EQ(t.value.toString(), cols.sections[size_t(k - 4)].title);
        EXPECT_EQ(t.size, 8);
        EXPECT_TRUE(t.wrap);
        EXPECT_EQ(t.format, QStringLiteral("@"));
    }
    const QStringList ids = rows(QStringLiteral("SELECT id FROM Табл ORDER BY id"));
    const int last = 7 + int(ids.size()) - 1;
    for (int i = 0; i < ids.size(); ++i) {
        const int row = 7 + i;
        const QString where = QStringLiteral("id=") + ids[i];
        const QVariant a = fileValue(QStringLiteral("SELECT НачУзел FROM Табл WHERE ") + where);
        const QVariant b = fileValue(QStringLiteral("SELECT КонУзел FROM Табл WHERE ") + where);
        const WorkbookCell label = w.cell(row, 1);
        EXPECT_EQ(label.value.toString(), a.toString() + QStringLiteral(" - ") + b.toString());
        EXPECT_EQ(label.format, QStringLiteral("@"));
        EXPECT_TRUE(label.wrap);
        const WorkbookCell start = w.cell(row, 2);
        EXPECT_EQ(start.format, QStringLiteral("0"));
        EXPECT_EQ(start.type, QStringLiteral("n"));
        EXPECT_EQ(start.value.toInt(), a.toInt());
        EXPECT_EQ(w.cell(row, 3).value.toInt(), b.toInt());
        for (int k = 4; k <= r; ++k) {
            const QString name = cols.sections[size_t(k - 4)].shortName;
            expectNumber(w.cell(row, k), fileValue(QStringLiteral("SELECT \"%1\" FROM Табл WHERE ").arg(name) + where),
                         fmt, (where + QLatin1Char(' ') + name).toStdString());
        }
        // The note column, three wide on every row.
        EXPECT_TRUE(w.merged(row, r + 1, r + 3)) << row;
        const QVariant note = fileValue(QStringLiteral("SELECT Примечание FROM Табл WHERE ") + where);
        const WorkbookCell n = w.cell(row, r + 1);
        EXPECT_EQ(n.value.isNull(), note.isNull()) << row;
        EXPECT_EQ(n.value.toString(), note.toString()) << row;
        EXPECT_EQ(n.format, QStringLiteral("@"));
        EXPECT_EQ(n.size, 8);
        EXPECT_EQ(n.v, QStringLiteral("center"));
    }
    EXPECT_TRUE(w.merged(6, r + 1, r + 3));
    EXPECT_EQ(w.text(6, r + 1), QStringLiteral("Примечание"));
    expectGrid(w, 6, last, 1, r + 3);
    EXPECT_EQ(w.border(6, r + 4), QString());
    EXPECT_EQ(w.border(last + 1, 1), QString());

    // Mains.
    const int t = ex.twoPipe ? 13 : 8;
    EXPECT_DOUBLE_EQ(w.height(last + 1), 24);
    EXPECT_EQ(w.text(last + 1, 1), QStringLiteral("Магистрали тепловой сети:"));
    const int mh = last + 2;
    EXPECT_EQ(w.text(mh, 1), QStringLiteral("№ п/п"));
    EXPECT_EQ(w.cell(mh, 1).h, QStringLiteral("center"));
    EXPECT_EQ(w.text(mh, 2), QStringLiteral("Магистраль"));
    EXPECT_TRUE(w.merged(mh, 2, 5));
    EXPECT_EQ(w.text(mh, 6), QStringLiteral("Длина подающего трубопровода магистрали, м. (ДлМагПод)"));
    EXPECT_EQ(w.text(mh, t), ex.twoPipe
                                 ? QStringLiteral("Располагаемый напор на конечном узле магистрали, м. (РНап)")
                                 : QStringLiteral("Полный напор в подающем трубопроводе на конечном узле магистрали, м. (ПНапПод)"));
    for (int k = 6; k <= t; ++k) EXPECT_EQ(w.cell(mh, k).size, 8) << k;
    EXPECT_FALSE(w.cell(mh, t + 1).present);
    // The rows of wrapped titles are tall enough for their longest title (more
    // than three lines of the small font each), as a spreadsheet program would
    // fit them.
    for (int row : {3, 6, mh}) EXPECT_GT(w.height(row), 3 * 11.25 + 2) << row;
    const QStringList fields =
        ex.twoPipe ? QStringList{"ДлМагПод", "ДлМагОбр", "ДлМагСум", "ПотНОтИПод", "ПотНОтИОбр", "ПНапПод", "ПНапОбр", "РНап"}
                   : QStringList{"ДлМагПод", "ПотНОтИПод", "ПНапПод"};
    const QStringList mains = rows(QStringLiteral("SELECT id_m FROM КонМаг ORDER BY id_m"));
    ASSERT_GT(mains.size(), 1);
    for (int i = 0; i < mains.size(); ++i) {
        const int row = mh + 1 + i;
        EXPECT_DOUBLE_EQ(w.height(row), 24);
        const WorkbookCell no = w.cell(row, 1);
        EXPECT_EQ(no.type, QStringLiteral("s"));
        EXPECT_EQ(no.value.toString(), mains[i]);
        const QStringList pathRows = rows(
            QStringLiteral("SELECT НачУзел, КонУзел FROM МагистралиТС WHERE id_m=%1 ORDER BY NппУчВМ DESC").arg(mains[i]));
        EXPECT_EQ(w.text(row, 2), pathOf(pathRows));
        EXPECT_TRUE(w.merged(row, 2, 5));
        EXPECT_EQ(w.cell(row, 2).size, 8);
        for (int k = 0; k < fields.size(); ++k)
            expectNumber(w.cell(row, 6 + k),
                         fileValue(QStringLiteral("SELECT \"%1\" FROM КонМаг WHERE id_m=%2").arg(fields[k], mains[i])), fmt,
                         (fields[k] + QLatin1Char(' ') + mains[i]).toStdString());
    }
    const int lastMain = mh + int(mains.size());
    expectGrid(w, mh, lastMain, 1, t);
    EXPECT_EQ(w.border(mh, t + 1), QString());
    // The consumers of the two-pipe network under the mains: the title, the
    // titles, then a consumer a row, in the section order. A one-pipe network
    // has no available head, so no consumers' table.
    int next = lastMain + 2;
    const QStringList consumers =
        ex.twoPipe ? rows(QStringLiteral("SELECT id, КонУзел FROM Табл WHERE КонУч = 1 ORDER BY id")) : QStringList();
    EXPECT_EQ(consumers.size(), ex.twoPipe ? 6 : 0);
    if (!consumers.isEmpty()) {
        EXPECT_EQ(w.text(next, 1), QStringLiteral("Потребители и дроссельные шайбы:"));
        for (int c = 0; c < consumerTitles().size(); ++c) EXPECT_EQ(w.text(next + 1, c + 1), consumerTitles()[c]);
        for (int i = 0; i < consumers.size(); ++i) {
            const QStringList idNode = consumers[i].split(QLatin1Char(' '));
            const int row = next + 2 + i;
            EXPECT_EQ(w.cell(row, 1).value.toInt(), idNode[1].toInt());
            for (int k = 0; k < consumerColumns().size(); ++k)
                expectNumber(w.cell(row, 2 + k),
                             fileValue(QStringLiteral("SELECT \"%1\" FROM Табл WHERE id=%2").arg(consumerColumns()[k], idNode[0])),
                             fmt, (consumerColumns()[k] + QLatin1Char(' ') + idNode[1]).toStdString());
        }
        next += 3 + int(consumers.size());
    }
    // The warnings of the run at the end: the title, then a line a row.
    ASSERT_FALSE(runWarnings.empty());  // the rule added above
    EXPECT_EQ(w.text(next, 1), QStringLiteral("Предупреждения (%1):").arg(runWarnings.size()));
    EXPECT_TRUE(w.cell(next, 1).bold);
    for (size_t i = 0; i < runWarnings.size(); ++i)
        EXPECT_EQ(w.text(next + 1 + int(i), 1), runWarnings[i]) << i;
    EXPECT_EQ(w.maxRow, next + int(runWarnings.size()));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleWorkbook,
                         ::testing::Values(ExampleCase{"one_pipe.mdb", false, 3, "0.000"},
                                           ExampleCase{"two_pipe.mdb", true, 0, "0"}),
                         [](const auto& info) { return std::string(info.param.twoPipe ? "TwoPipe" : "OnePipe"); });

TEST(WorkbookFormat, ValueFormatIsInvariant) {
    const std::pair<int, const char*> cases[] = {{-1, "0"}, {0, "0"}, {1, "0.0"}, {2, "0.00"}, {3, "0.000"}, {7, "0.0000000"}};
    for (const auto& [digits, format] : cases) EXPECT_EQ(valueNumberFormat(digits), QString::fromUtf8(format)) << digits;
}

// A small network from node 7: sections 7-3, 3-5 and 3-9, entered in the order
// 3-9, 7-3, 3-5 (so the internal counter and the section numbers differ).
Net smallNet() {
    Net net;
    net.type = 0;
    net.start = 7;
    net.sections = {{3, 9}, {7, 3}, {3, 5}};
    net.headSup = 12.3456;
    return net;
}

struct HeaderCase {
    const char* what;
    QStringList statements;  // marks changed before opening
    int headerColumns;       // header columns written
    const char* firstTitle;  // title of A3 when any
    friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.what; }
};

class HeaderBlock : public WorkbookTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderBlock, StartsTheSectionsBelowIt) {
    const HeaderCase& hc = GetParam();
    open(smallNet(), hc.statements);
    compute();
    const Workbook w = Workbook::read(exportTo(QStringLiteral("h.xlsx"), 2));
    ASSERT_TRUE(w.ok);
    const int s = hc.headerColumns > 0 ? 7 : 5;
    EXPECT_EQ(w.text(s - 2, 1), QStringLiteral("Участки тепловой сети:"));
    EXPECT_EQ(w.text(s - 1, 1), QStringLiteral("Участок"));
    EXPECT_EQ(w.text(s, 1), QStringLiteral("3 - 9"));
    if (hc.headerColumns == 0) {
        EXPECT_EQ(w.height(5), 0);
        EXPECT_EQ(w.border(3, 1), QString());
        return;
    }
    EXPECT_DOUBLE_EQ(w.height(5), 24);
    EXPECT_EQ(w.text(3, 1), QString::fromUtf8(hc.firstTitle));
    expectGrid(w, 3, 4, 1, hc.headerColumns);
    EXPECT_FALSE(w.cell(3, hc.headerColumns + 1).present);
    EXPECT_FALSE(w.cell(4, hc.headerColumns + 1).present);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, HeaderBlock,
    ::testing::Values(
        HeaderCase{"none",
                   {"UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE Табл = False",
                    "UPDATE Формулы SET ВывВОтчТабл = False WHERE Табл = False"},
                   0, ""},
        HeaderCase{"one",
                   {"UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE Табл = False AND НаимПокСокр <> 'ПНапНаУзПод'",
                    "UPDATE Формулы SET ВывВОтчТабл = False WHERE Табл = False"},
                   1, "Полный напор на узле 7 в подающем трубопроводе, м. (ПНапНаУзПод)"},
        HeaderCase{"all", {}, 6, "Полный напор на узле 7 в подающем трубопроводе, м. (ПНапНаУзПод)"}),
    [](const auto& info) { return std::string(info.param.what); });

// The value written is the stored number; the format only decides how it shows.
TEST_F(WorkbookTest, ValuesStayFullNumbersUnderAnInvariantFormat) {
    open(smallNet(), {"UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE Табл = False AND НаимПокСокр <> 'ПНапНаУзПод'",
                      "UPDATE Формулы SET ВывВОтчТабл = False WHERE Табл = False"});
    compute();
    const Workbook w = Workbook::read(exportTo(QStringLiteral("v.xlsx"), 2));
    ASSERT_TRUE(w.ok);
    const WorkbookCell v = w.cell(4, 1);
    EXPECT_EQ(v.type, QStringLiteral("n"));
    EXPECT_DOUBLE_EQ(v.value.toDouble(), 12.3456);
    // "0,00" would be read as a thousands grouping and show 12.3456 as "12".
    EXPECT_EQ(v.format, QStringLiteral("0.00"));
}

TEST_F(WorkbookTest, SectionsFollowTheChosenOrderAndPathsReadFromTheSource) {
    open(smallNet());
    compute();
    struct OrderCase {
        QString sort;
        QStringList labels;
    };
    const OrderCase orders[] = {
        {QStringLiteral("id ASC"), {"3 - 9", "7 - 3", "3 - 5"}},
        {QStringLiteral("НачУзел ASC, КонУзел ASC"), {"3 - 5", "3 - 9", "7 - 3"}},
    };
    for (const OrderCase& o : orders) {
        SCOPED_TRACE(o.sort.toStdString());
        app->dm.atTabl->setSort(o.sort);
        const Workbook w = Workbook::read(exportTo(QStringLiteral("o.xlsx")));
        ASSERT_TRUE(w.ok);
        for (int i = 0; i < o.labels.size(); ++i) EXPECT_EQ(w.text(7 + i, 1), o.labels[i]);
        // No note anywhere: no note column and no merge in the section table.
        const int mh = 7 + 3 + 1;
        for (const QString& m : w.merges) EXPECT_GE(m.mid(1).section(QLatin1Char(':'), 0, 0).toInt(), mh) << m.toStdString();
        // Mains in the order of their end nodes: 5, then 9.
        EXPECT_EQ(w.text(mh + 1, 1), QStringLiteral("1"));
        EXPECT_EQ(w.text(mh + 1, 2), QStringLiteral("7 - 3 - 5"));
        EXPECT_EQ(w.text(mh + 2, 2), QStringLiteral("7 - 3 - 9"));
        expectGrid(w, mh, mh + 2, 1, 8);
    }
}

}  // namespace
}  // namespace volm::test
