#pragma once
// A computed calculation and its workbook, for the workbook tests.
#include "output/workbook_export.h"
#include "store/startup.h"
#include "tests/calc/calc_harness.h"
#include "tests/output/workbook_reader.h"

#include <QDir>

namespace volm::test {

class WorkbookTest : public CalcHarness {
protected:
    // Runs the calculation that open() or openExample() opened.
    void compute() {
        const HeaderTexts stored = storedHeader(*app);
        const RunOutcome out = run(stored.supplyNode, stored.availNode);
        ASSERT_TRUE(out.success()) << out.text.toStdString();
        person.clear();
    }

    // Exports to a file of the data folder without asking; the written file.
    QString exportTo(const QString& name, std::optional<int> digits = std::nullopt) {
        WorkbookExportOptions o;
        o.fileName = folder.data(name);
        o.digits = digits;
        const WorkbookExportOutcome out = exportWorkbook(*app, o);
        EXPECT_TRUE(out.written) << person.messages.join(QLatin1Char('|')).toStdString();
        return out.path;
    }

    QStringList dataFiles() const {
        return QDir(folder.dataDir()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // Every cell of the block has thin lines on all four sides.
    static void expectGrid(const Workbook& w, int r1, int r2, int c1, int c2) {
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                EXPECT_EQ(w.border(r, c), QStringLiteral("LTBR")) << cellRef(r, c).toStdString();
    }
};

}  // namespace volm::test
