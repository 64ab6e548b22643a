#include "data/tool/csv_table.h"

#include <QFile>
#include <stdexcept>

namespace volm::mkdata {

namespace {

[[noreturn]] void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

}  // namespace

CsvTable parseCsv(const QString& text)
{
    CsvTable t;
    QStringList fields;
    QString field;
    bool quoted = false;      // inside a quoted field
    bool any = false;         // the current line has content
    int line = 1;
    int rowLine = 1;

    auto endRow = [&] {
        if (any) {
            fields << field;
            if (t.header.isEmpty()) {
                t.header = fields;
            } else {
                if (fields.size() != t.header.size())
                    fail(QStringLiteral("line %1: %2 fields, the header has %3")
                             .arg(rowLine).arg(fields.size()).arg(t.header.size()));
                t.rows.push_back(fields);
                t.rowLines.push_back(rowLine);
            }
        }
        fields.clear();
        field.clear();
        any = false;
    };

    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"')
                    field += text[++i];
                else
                    quoted = false;
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'\r')
            continue;
        if (c == u'\n') {
            endRow();
            ++line;
            rowLine = line;
            continue;
        }
        any = true;
        if (c == u'"')
            quoted = true;
        else if (c == u',') {
            fields << field;
            field.clear();
        } else
            field += c;
    }
    if (quoted)
        fail(QStringLiteral("line %1: a quoted field is not closed").arg(rowLine));
    endRow();
    if (t.header.isEmpty())
        fail(QStringLiteral("no header row"));
    for (QString& h : t.header)
        h = h.trimmed();
    if (!t.header.isEmpty() && t.header[0].startsWith(QChar(0xFEFF)))
        t.header[0].remove(0, 1);
    return t;
}

CsvTable readCsv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
    try {
        return parseCsv(QString::fromUtf8(f.readAll()));
    } catch (const std::runtime_error& e) {
        fail(path + QStringLiteral(": ") + QString::fromUtf8(e.what()));
    }
}

}  // namespace volm::mkdata
