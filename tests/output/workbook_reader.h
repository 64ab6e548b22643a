#pragma once
// Reads a written workbook back for the tests, through tests/output/read_workbook.py
// (python3 with python3-openpyxl): cell values and looks, merges, row heights,
// borders and column widths.
#include <gtest/gtest.h>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace volm::test {

// "A1" for row 1, column 1.
inline QString cellRef(int row, int col) {
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26) letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

struct WorkbookCell {
    bool present = false;  // the cell holds a value or a look of its own
    QVariant value;        // a number is a double; empty cells are null
    QString type;          // "n" number, "s" text, "" empty
    QString format;        // number format: "General", "@", "0", "0.00", ...
    bool bold = false;
    double size = 0;
    bool wrap = false;
    QString h, v;          // alignment: "", "center", "top"
};

class Workbook {
public:
    bool ok = false;
    QStringList sheets;
    int maxRow = 0, maxColumn = 0;
    QStringList merges;
    QJsonObject cells, heights, borders;
    QJsonArray cols;

    static Workbook read(const QString& path) {
        Workbook w;
        QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        if (python.isEmpty()) python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty()) {
            ADD_FAILURE() << "python3 is missing";
            return w;
        }
        QProcess p;
        p.start(python, {QStringLiteral(VOLM_READ_WORKBOOK), path});
        p.waitForFinished(60000);
        const QByteArray out = p.readAllStandardOutput();
        if (p.exitCode() != 0 || out.isEmpty()) {
            ADD_FAILURE() << "cannot read " << path.toStdString() << " (python3-openpyxl needed): "
                          << p.readAllStandardError().toStdString();
            return w;
        }
        const QJsonObject o = QJsonDocument::fromJson(out).object();
        for (const auto& s : o[QStringLiteral("sheets")].toArray()) w.sheets << s.toString();
        w.maxRow = o[QStringLiteral("maxRow")].toInt();
        w.maxColumn = o[QStringLiteral("maxColumn")].toInt();
        for (const auto& m : o[QStringLiteral("merges")].toArray()) w.merges << m.toString();
        w.cells = o[QStringLiteral("cells")].toObject();
        w.heights = o[QStringLiteral("heights")].toObject();
        w.borders = o[QStringLiteral("borders")].toObject();
        w.cols = o[QStringLiteral("cols")].toArray();
        w.ok = true;
        return w;
    }

    WorkbookCell cell(int row, int col) const {
        WorkbookCell c;
        const QJsonValue j = cells.value(cellRef(row, col));
        if (!j.isObject()) return c;
        const QJsonObject o = j.toObject();
        c.present = true;
        c.value = o[QStringLiteral("value")].toVariant();
        c.type = o[QStringLiteral("type")].toString();
        c.format = o[QStringLiteral("format")].toString();
        c.bold = o[QStringLiteral("bold")].toBool();
        c.size = o[QStringLiteral("size")].toDouble();
        c.wrap = o[QStringLiteral("wrap")].toBool();
        c.h = o[QStringLiteral("h")].toString();
        c.v = o[QStringLiteral("v")].toString();
        return c;
    }
    QString text(int row, int col) const { return cell(row, col).value.toString(); }
    // Custom height of a row; 0 when it has the default height.
    double height(int row) const { return heights.value(QString::number(row)).toDouble(); }
    // Thin border sides of a cell, "LTBR" for all four.
    QString border(int row, int col) const { return borders.value(cellRef(row, col)).toString(); }
    bool merged(int row, int c1, int c2) const {
        return merges.contains(cellRef(row, c1) + QLatin1Char(':') + cellRef(row, c2));
    }
};

}  // namespace volm::test
