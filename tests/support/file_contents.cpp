#include "tests/support/file_contents.h"

#include "store/change_record.h"
#include "store/database.h"
#include "store/sql_names.h"

#include <QStringList>

namespace volm::test {

QString fileContents(Database& db) {
    QString out = schemaText(db);
    auto tables = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    QStringList names;
    while (tables->step()) names << tables->column(0).toString();
    for (const QString& t : names) {
        QStringList columns, values;
        for (const auto& c : db.columns(t))
            if (c.name != QStringLiteral("РасчетВыполнен")) {
                columns << c.name;
                values << QStringLiteral("quote(%1)").arg(quoteIdentifier(c.name));
            }
        out += t + QStringLiteral(": ") + columns.join(QLatin1Char('|')) + QLatin1Char('\n');
        auto rows = db.prepare(
            QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(values.join(QLatin1Char(',')), quoteIdentifier(t)));
        while (rows->step()) {
            for (int i = 0; i < rows->columnCount(); ++i) out += rows->column(i).toString() + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
    }
    return out;
}

}  // namespace volm::test
