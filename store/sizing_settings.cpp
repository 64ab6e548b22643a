#include "store/sizing_settings.h"

#include "store/database.h"
#include "store/errors.h"

namespace volm {

namespace {

const QString kTable = QStringLiteral("ПодборДиаметров");

std::optional<double> number(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

QVariant stored(const std::optional<double>& v) { return v ? QVariant(*v) : QVariant(); }

}  // namespace

SizingChoices readSizingChoices(Database& settings) {
    SizingChoices c;
    try {
        if (!settings.isOpen() || !settings.hasTable(kTable)) return c;
        auto st = settings.prepare(QStringLiteral(
            "SELECT \"Показатель\", \"Критерий1\", \"Предел1\", \"Критерий2\", \"Предел2\", \"ТолькоОтмеченные\" "
            "FROM \"ПодборДиаметров\" LIMIT 1"));
        if (!st->step()) return c;
        if (const QString s = st->column(0).toString().trimmed(); !s.isEmpty()) c.diameter = s;
        if (const QString s = st->column(1).toString().trimmed(); !s.isEmpty()) c.criterion = s;
        c.limit = number(st->column(2));
        c.criterion2 = st->column(3).toString().trimmed();
        c.limit2 = number(st->column(4));
        if (!st->column(5).isNull()) c.markedOnly = st->column(5).toBool();
    } catch (const DatabaseError&) {
        return SizingChoices{};
    }
    return c;
}

bool storeSizingChoices(Database& settings, const SizingChoices& c) {
    try {
        Transaction tx(settings);
        if (!settings.hasTable(kTable))
            settings.exec(QStringLiteral("CREATE TABLE [ПодборДиаметров] ([Показатель] text(50), [Критерий1] text(50), "
                                         "[Предел1] float, [Критерий2] text(50), [Предел2] float, "
                                         "[ТолькоОтмеченные] bit)"));
        settings.exec(QStringLiteral("DELETE FROM [ПодборДиаметров]"));
        auto st = settings.prepare(QStringLiteral("INSERT INTO \"ПодборДиаметров\" VALUES (?, ?, ?, ?, ?, ?)"));
        st->bind(1, c.diameter);
        st->bind(2, c.criterion);
        st->bind(3, stored(c.limit));
        st->bind(4, c.criterion2.isEmpty() ? QVariant() : QVariant(c.criterion2));
        st->bind(5, stored(c.limit2));
        st->bind(6, qint64(c.markedOnly ? 1 : 0));
        st->run();
        tx.commit();
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

}  // namespace volm
