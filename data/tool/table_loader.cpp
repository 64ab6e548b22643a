#include "data/tool/table_loader.h"

#include "data/tool/csv_table.h"
#include "store/database.h"
#include "store/errors.h"

#include <QLocale>
#include <algorithm>
#include <stdexcept>

namespace volm::mkdata {

namespace {

enum class Kind { Whole, Real, Text };

Kind kindOf(const QString& declType)
{
    const QString t = declType.trimmed().toLower();
    if (t.startsWith(u"smallint") || t.startsWith(u"integer") || t == u"int"
        || t.startsWith(u"byte") || t == u"bit" || t == u"yesno")
        return Kind::Whole;
    if (t.startsWith(u"float") || t.startsWith(u"double") || t.startsWith(u"real"))
        return Kind::Real;
    return Kind::Text;
}

}  // namespace

int loadCsvIntoTable(Database& db, const QString& table, const QString& csvPath)
{
    const CsvTable csv = readCsv(csvPath);
    const auto columns = db.columns(table);
    if (columns.empty())
        throw std::runtime_error(QStringLiteral("%1: no table %2 in the database")
                                     .arg(csvPath, table).toStdString());

    std::vector<Kind> kinds;
    QStringList names;
    for (const QString& h : csv.header) {
        auto it = std::find_if(columns.begin(), columns.end(),
                               [&](const Database::ColumnInfo& c) { return c.name == h; });
        if (it == columns.end())
            throw std::runtime_error(QStringLiteral("%1: table %2 has no column %3")
                                         .arg(csvPath, table, h).toStdString());
        kinds.push_back(kindOf(it->declType));
        names << QLatin1Char('"') + h + QLatin1Char('"');
    }

    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?%1").arg(i + 1);
    auto insert = db.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                 .arg(table, names.join(u", "), marks.join(u", ")));

    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    for (size_t r = 0; r < csv.rows.size(); ++r) {
        const QStringList& row = csv.rows[r];
        for (int i = 0; i < row.size(); ++i) {
            const QString v = row[i].trimmed();
            if (v.isEmpty()) {
                insert->bindNull(i + 1);
                continue;
            }
            bool ok = true;
            switch (kinds[size_t(i)]) {
            case Kind::Whole: {
                const qint64 x = c.toLongLong(v, &ok);
                if (ok)
                    insert->bind(i + 1, x);
                break;
            }
            case Kind::Real: {
                const double x = c.toDouble(v, &ok);
                if (ok)
                    insert->bind(i + 1, x);
                break;
            }
            case Kind::Text:
                insert->bind(i + 1, v);
                break;
            }
            if (!ok)
                throw std::runtime_error(QStringLiteral("%1:%2: \"%3\" is not a number for column %4")
                                             .arg(csvPath).arg(csv.rowLines[r]).arg(v, csv.header[i])
                                             .toStdString());
        }
        try {
            insert->run();
        } catch (const Error& e) {
            throw std::runtime_error(QStringLiteral("%1:%2: %3")
                                         .arg(csvPath).arg(csv.rowLines[r]).arg(e.message())
                                         .toStdString());
        }
    }
    return int(csv.rows.size());
}

}  // namespace volm::mkdata
