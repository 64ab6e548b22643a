#pragma once
// Names in statements the program builds. Every table and column name that goes
// into a built statement passes through quoteIdentifier, so that a name which is
// also an SQL word (Order, Select, Group, Table) or holds a quote character is
// read as a name. The result is in SQLite's own dialect: such statements are run
// through Database::prepare / Statement, never through Database::exec, whose
// dialect reads double-quoted text as a string literal. Values are never written
// into the text; they are bound to parameters.
#include <QString>

namespace volm {

// The name in double quotes, every double quote inside it doubled.
inline QString quoteIdentifier(const QString& name) {
    QString out;
    out.reserve(name.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : name) {
        out += c;
        if (c == QLatin1Char('"')) out += QLatin1Char('"');
    }
    out += QLatin1Char('"');
    return out;
}

}  // namespace volm
