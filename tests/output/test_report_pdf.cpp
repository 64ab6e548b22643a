// The printed report as PDF, read back with pdftotext: through the headless
// runner for both example networks (title, calculation name, every indicator
// marked for output, the sections in the main window's order, the mains with
// their results in the report precision and the locale's separator, page
// numbers), and the page layout of long tables (every row exactly once, the
// header on every page).
#include "calc/calc_text.h"
#include "output/output_lookup.h"
#include "output/report.h"
#include "store/database.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace volm::test {
namespace {

// The text of a PDF file, every run of white space made one space.
QString pdfText(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftotext (poppler-utils) is needed";
    QProcess p;
    p.start(tool, {pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    return text.simplified();
}

struct RunResult {
    int status = -1;
    QString err;
    QString out;
};

RunResult volmRun(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLM_RUN_EXE), args);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError()),
            QString::fromUtf8(p.readAllStandardOutput())};
}

// The next occurrence of each text after the previous one; the index of the one missing.
int missingInOrder(const QString& text, const QStringList& parts) {
    qsizetype at = 0;
    for (int i = 0; i < parts.size(); ++i) {
        const qsizetype found = text.indexOf(parts[i], at);
        if (found < 0) return i;
        at = found + parts[i].size();
    }
    return -1;
}

struct Example {
    const char* file;
    const char* type;
    std::vector<const char*> mainColumns;
    const char* lastMain;  // the last main with its path, as the README shows it
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.file; }

class RunnerReport : public ::testing::TestWithParam<Example> {};

// A copy of the example at calc, computed by the runner with its report written to pdf.
RunResult runExample(const Example& ex, const QString& calc, const QString& pdf) {
    if (!QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + QString::fromLatin1(ex.file), calc)) return {};
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    db.open(calc);
    // The examples compute without a warning: a rule every section breaks gives
    // the report its warnings.
    db.exec(QStringLiteral("INSERT INTO ПроверкиРежима VALUES (1, 'ДлНаУчПод', 'больше', 100, 'Участок длиннее 100 м')"));
    db.close();
    return volmRun({QStringLiteral("--report"), pdf, calc});
}

TEST_P(RunnerReport, ReadsBackFromThePdf) {
    const Example& ex = GetParam();
    QTemporaryDir dir;
    const QString calc = dir.filePath(QString::fromLatin1(ex.file)), pdf = dir.filePath(QStringLiteral("report.pdf"));
    const RunResult r = runExample(ex, calc, pdf);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString text = pdfText(pdf);

    Database db;
    db.open(calc);
    auto one = [&](const QString& sql) {
        auto st = db.prepare(sql);
        return st->step() ? st->column(0) : QVariant();
    };
    EXPECT_TRUE(text.startsWith(QStringLiteral("Гидравлический расчет тепловой сети ") +
                                one(QStringLiteral("SELECT НазвРасч FROM НазвРасч")).toString()))
        << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Тип сети: ") + QString::fromUtf8(ex.type)));

    // Every indicator marked for output, header ones with their values' titles,
    // section ones in the legend.
    const OutputColumns marked = outputColumns(db);
    ASSERT_FALSE(marked.header.empty());
    ASSERT_FALSE(marked.sections.empty());
    for (const OutputColumn& c : marked.header) EXPECT_TRUE(text.contains(c.title)) << c.title.toStdString();
    for (const OutputColumn& c : marked.sections)
        EXPECT_TRUE(text.contains(c.shortName + QLatin1Char(' ')) && text.contains(c.caption)) << c.title.toStdString();

    // Sections in the order of the main window (by the internal counter), each
    // with its start node and end node.
    QStringList rows;
    auto sections = db.prepare(QStringLiteral("SELECT НачУзел, КонУзел FROM Табл ORDER BY id"));
    while (sections->step())
        rows << QStringLiteral("%1-%2 %1 %2").arg(sections->column(0).toInt()).arg(sections->column(1).toInt());
    ASSERT_GT(rows.size(), 5);
    QString compact = text;
    compact.replace(QStringLiteral(" - "), QStringLiteral("-"));
    EXPECT_EQ(missingInOrder(compact, rows), -1);

    // Mains: number, path, results with two decimals and a comma.
    QStringList mains;
    QString sql = QStringLiteral("SELECT id_m");
    for (const char* c : ex.mainColumns) sql += QStringLiteral(", ") + QString::fromUtf8(c);
    auto km = db.prepare(sql + QStringLiteral(" FROM КонМаг ORDER BY id_m"));
    while (km->step()) {
        QString row = QString::number(km->column(0).toInt());
        for (int i = 1; i < km->columnCount(); ++i)
            row += QLatin1Char(' ') + calc::fixedNumber(km->column(i).toDouble(), 2, QLatin1Char(','));
        mains << row;
    }
    ASSERT_FALSE(mains.isEmpty());
    EXPECT_TRUE(compact.contains(QString::fromUtf8(ex.lastMain))) << ex.lastMain;
    // The path stands between the number and the values.
    QString noPaths = compact;
    noPaths.replace(QRegularExpression(QStringLiteral("(^| )(\\d+) \\d+(-\\d+)+ ")), QStringLiteral("\\1\\2 "));
    const int at = int(text.indexOf(QStringLiteral("Магистрали тепловой сети")));
    ASSERT_GE(at, 0);
    EXPECT_EQ(missingInOrder(noPaths.mid(noPaths.indexOf(QStringLiteral("Магистрали тепловой сети"))), mains), -1)
        << noPaths.mid(noPaths.indexOf(QStringLiteral("Магистрали тепловой сети"))).toStdString();

    // The warnings the runner printed, after the mains.
    const qsizetype block = r.out.indexOf(QStringLiteral("Предупреждения ("));
    ASSERT_GE(block, 0) << r.out.toStdString();  // the rule added above
    const QStringList warnings = r.out.mid(block).split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    ASSERT_GT(warnings.size(), 1);
    QStringList simplified;
    for (const QString& w : warnings) simplified << w.simplified();
    EXPECT_EQ(missingInOrder(text.mid(at), simplified), -1) << text.mid(at).toStdString();

    // Every page numbered.
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Страница 1 из (\\d+)")).match(text);
    ASSERT_TRUE(m.hasMatch());
    const int pages = m.captured(1).toInt();
    for (int p = 1; p <= pages; ++p)
        EXPECT_EQ(text.count(QStringLiteral("Страница %1 из %2").arg(p).arg(pages)), 1) << p;
}

// The words of a PDF with their right edges, and the width of the page they are on (points).
struct PdfWord {
    QString text;
    double right = 0, pageWidth = 0;
};

std::vector<PdfWord> pdfWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression item(
        QStringLiteral("<page width=\"([0-9.]+)\"|<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    std::vector<PdfWord> words;
    double width = 0;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1)) width = m.captured(1).toDouble();
        else words.push_back({m.captured(3), m.captured(2).toDouble(), width});
    }
    return words;
}

// The section table is cut into parts that fit the page, and a column title,
// a short name, is never broken: each stands whole in the legend and again at
// the head of its column.
TEST_P(RunnerReport, SectionTitlesWholeWithinThePage) {
    QTemporaryDir dir;
    const QString calc = dir.filePath(QStringLiteral("calc.mdb")), pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_EQ(runExample(GetParam(), calc, pdf).status, 0);
    const std::vector<PdfWord> words = pdfWords(pdf);
    ASSERT_FALSE(words.empty());
    const double rightMargin = 10 / 25.4 * 72;
    for (const PdfWord& w : words)
        EXPECT_LE(w.right, w.pageWidth - rightMargin + 0.5) << w.text.toStdString() << " beyond the margin";

    Database db;
    db.open(calc);
    QStringList titles{QStringLiteral("НачУзел"), QStringLiteral("КонУзел"), QStringLiteral("Примечание")};
    for (const OutputColumn& c : outputColumns(db).sections) titles << c.shortName;
    for (const QString& title : titles) {
        const auto count = std::count_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == title; });
        EXPECT_GE(count, title == QStringLiteral("Примечание") ? 1 : 2) << title.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, RunnerReport,
    ::testing::Values(Example{"one_pipe.mdb", "однотрубная", {"ДлМагПод", "ПотНОтИПод", "ПНапПод"}, "5 1-2-3-11-12 950,00"},
                      Example{"two_pipe.mdb",
                              "двухтрубная",
                              {"ДлМагПод", "ДлМагОбр", "ДлМагСум", "ПотНОтИПод", "ПотНОтИОбр", "ПНапПод", "ПНапОбр",
                               "РНап"},
                              "6 1-2-8-12-13 970,00"}),
    [](const auto& info) { return std::string(info.param.file).substr(0, 8); });

// A writable copy of an example in dir.
QString exampleCopy(const QTemporaryDir& dir, const QString& example) {
    const QString calc = dir.filePath(example);
    EXPECT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + example, calc));
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
    return calc;
}

TEST(RunnerReportFile, UnwritableFileIsAnErrorWithStatus2) {
    QTemporaryDir dir;
    const QString calc = exampleCopy(dir, QStringLiteral("one_pipe.mdb"));
    const QString pdf = dir.filePath(QStringLiteral("no-such-folder/report.pdf"));
    const RunResult r = volmRun({QStringLiteral("--report"), pdf, calc});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(pdf)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// --precision sets the report's digits as it sets the workbook's.
TEST(RunnerReportFile, PrecisionGivesTheDigits) {
    QTemporaryDir dir;
    const QString calc = exampleCopy(dir, QStringLiteral("two_pipe.mdb"));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const RunResult r = volmRun({QStringLiteral("--precision"), QStringLiteral("4"), QStringLiteral("--report"), pdf, calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString text = pdfText(pdf);
    // The last main's length, 970 m, with four decimals.
    EXPECT_TRUE(text.contains(QStringLiteral(" 970,0000 "))) << text.toStdString();
}

// Long tables laid out in pieces: a heading, a table of 700 rows, a paragraph
// and a second table of 300 rows come out with every row exactly once and in
// order, the header on every page of each table, and every page numbered.
TEST(ReportPagesLayout, LongTablesLoseAndRepeatNoRow) {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;

    std::string html = "<html><head><meta name=\"orientation\" content=\"portrait\"></head><body><h1>Начало</h1>"
                       "<table border=\"1\" cellspacing=\"0\" width=\"100%\"><thead><tr><th>Шапка А</th><th>б</th></tr></thead>";
    for (int i = 0; i < 700; ++i)
        html += "<tr><td>a" + std::to_string(i) + "</td><td>" + (i % 97 == 0 ? "много<br>строк<br>в ячейке" : "x") +
                "</td></tr>\n";
    html += "</table><h2>Вторая</h2><p>Абзац между таблицами.</p>"
            "<table border=\"1\" cellspacing=\"0\"><thead><tr><th>Шапка Б</th></tr></thead>";
    for (int i = 0; i < 300; ++i) html += "<tr><td>b" + std::to_string(i) + "</td></tr>";
    html += "</table><p>Конец</p></body></html>";

    int told = 0;
    const report::ReportPages pages = report::ReportPages::layOut(html, [&](int n) { told = n; });
    ASSERT_GT(pages.count(), 5);
    EXPECT_EQ(told, pages.count());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("pages.pdf"));
    report::writePdf(pages, pdf);
    const QString text = pdfText(pdf);

    const QRegularExpression cell(QStringLiteral("\\b([ab])(\\d+)\\b"));
    QString seen, expected;
    for (auto it = cell.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        seen += m.captured(0) + QLatin1Char(' ');
    }
    for (int i = 0; i < 700; ++i) expected += QStringLiteral("a%1 ").arg(i);
    for (int i = 0; i < 300; ++i) expected += QStringLiteral("b%1 ").arg(i);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(missingInOrder(text, {QStringLiteral("Начало"), QStringLiteral("a699"), QStringLiteral("Вторая"),
                                    QStringLiteral("Абзац между таблицами."), QStringLiteral("b0"),
                                    QStringLiteral("b299"), QStringLiteral("Конец")}),
              -1);

    // Each page: the header of the table whose rows it holds, then its number.
    const QStringList pageTexts = text.split(QRegularExpression(QStringLiteral("Страница \\d+ из \\d+")));
    ASSERT_EQ(pageTexts.size(), pages.count() + 1);
    for (int p = 0; p < pages.count(); ++p) {
        const QString& page = pageTexts[p];
        EXPECT_TRUE(text.contains(QStringLiteral("Страница %1 из %2").arg(p + 1).arg(pages.count())));
        if (page.contains(QRegularExpression(QStringLiteral("\\ba\\d+\\b"))))
            EXPECT_TRUE(page.contains(QStringLiteral("Шапка А"))) << p;
        if (page.contains(QRegularExpression(QStringLiteral("\\bb\\d+\\b"))))
            EXPECT_TRUE(page.contains(QStringLiteral("Шапка Б"))) << p;
    }
}

// A table the row painter cannot reproduce (a cell over two columns) is laid
// out as rich text and cut between its rows; a painted table wraps long
// notes within their column. Every row comes out once, in order.
TEST(ReportPagesLayout, RichTablesAndWrappedNotesLoseNoRow) {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;

    std::string html = "<html><body><table border=\"1\" cellspacing=\"0\" width=\"100%\">"
                       "<thead><tr><th>Номер</th><th>Примечание</th></tr></thead>";
    for (int i = 0; i < 150; ++i)
        html += "<tr><td>n" + std::to_string(i) + "</td><td>" +
                (i % 10 == 0 ? std::string(40, 'x') + " длинное примечание к участку, которое не помещается в одну "
                                                      "строку столбца и переносится по словам"
                             : std::string("коротко")) +
                "</td></tr>";
    html += "</table><p>Между</p><table border=\"1\"><thead><tr><th>Шапка</th><th>В</th></tr></thead>"
            "<tr><td colspan=\"2\">объединенная</td></tr>";
    for (int i = 0; i < 200; ++i) html += "<tr><td>c" + std::to_string(i) + "</td><td>y</td></tr>";
    html += "</table></body></html>";

    const report::ReportPages pages = report::ReportPages::layOut(html);
    ASSERT_GT(pages.count(), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("rich.pdf"));
    report::writePdf(pages, pdf);
    const QString text = pdfText(pdf);

    const QRegularExpression cell(QStringLiteral("\\b([nc])(\\d+)\\b"));
    QString seen, expected;
    for (auto it = cell.globalMatch(text); it.hasNext();) seen += it.next().captured(0) + QLatin1Char(' ');
    for (int i = 0; i < 150; ++i) expected += QStringLiteral("n%1 ").arg(i);
    for (int i = 0; i < 200; ++i) expected += QStringLiteral("c%1 ").arg(i);
    EXPECT_EQ(seen.toStdString(), expected.toStdString());
    EXPECT_EQ(text.count(QStringLiteral("переносится по словам")), 15);
    EXPECT_EQ(text.count(QStringLiteral("объединенная")), 1);
    for (int p = 1; p <= pages.count(); ++p)
        EXPECT_EQ(text.count(QStringLiteral("Страница %1 из %2").arg(p).arg(pages.count())), 1) << p;
}

}  // namespace
}  // namespace volm::test
