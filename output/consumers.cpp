#include "output/consumers.h"

#include "output/flow_direction.h"

#include <QSet>

namespace volm {

namespace {

int fieldIndex(const std::vector<Field>& fields, const QString& name) {
    for (size_t f = 0; f < fields.size(); ++f)
        if (fields[f].name.compare(name, Qt::CaseInsensitive) == 0) return int(f);
    return -1;
}

}  // namespace

const QStringList& consumerColumns() {
    static const QStringList columns{QStringLiteral("РасхПод"), QStringLiteral("РНапКон"), QStringLiteral("ТребРНап"),
                                     QStringLiteral("ИзбНап"), QStringLiteral("ДШайбы")};
    return columns;
}

const QStringList& consumerTitles() {
    static const QStringList titles{QStringLiteral("Конечный узел"),
                                    QStringLiteral("Расход воды, т/ч (РасхПод)"),
                                    QStringLiteral("Располагаемый напор, м (РНапКон)"),
                                    QStringLiteral("Требуемый располагаемый напор, м (ТребРНап)"),
                                    QStringLiteral("Избыточный напор, м (ИзбНап)"),
                                    QStringLiteral("Диаметр дроссельной шайбы, мм (ДШайбы)"),
                                    QStringLiteral("Примечание")};
    return titles;
}

QString consumerNote(const QVariant& excess, const QVariant& orifice) {
    if (!excess.isNull() && excess.toDouble() < 0)
        return QStringLiteral("Располагаемый напор меньше требуемого: шайба не нужна, напора не хватает.");
    if (!orifice.isNull() && orifice.toDouble() > 0 && orifice.toDouble() < kSmallestOrifice)
        return QStringLiteral("Шайба меньше 3 мм засоряется: две шайбы последовательно или регулятор давления.");
    return {};
}

std::vector<Consumer> collectConsumers(const std::vector<Field>& fields, int rows,
                                       const std::function<QVariant(int row, int field)>& value) {
    std::vector<Consumer> out;
    const int mark = fieldIndex(fields, QStringLiteral("КонУч"));
    const int node = fieldIndex(fields, QStringLiteral("КонУзел"));
    std::vector<int> columns;
    for (const QString& c : consumerColumns()) columns.push_back(fieldIndex(fields, c));
    if (mark < 0 || node < 0) return out;
    for (int c : columns)
        if (c < 0) return out;
    // The nodes the water leaves by a section, each section taken the way its
    // stored flow gives (a negative one runs from КонУзел to НачУзел).
    const int start = fieldIndex(fields, QStringLiteral("НачУзел")), flow = columns.front();
    auto turned = [&](int r) { return runsAgainstEntry(value(r, flow)); };
    QSet<int> left;
    if (start >= 0)
        for (int r = 0; r < rows; ++r) {
            const QVariant from = value(r, turned(r) ? node : start);
            if (!from.isNull()) left.insert(from.toInt());
        }
    for (int r = 0; r < rows; ++r) {
        const QVariant m = value(r, mark);
        if (m.isNull() || m.toDouble() != 1) continue;
        const QVariant reached = value(r, start >= 0 && turned(r) ? start : node);
        if (!reached.isNull() && left.contains(reached.toInt())) continue;
        Consumer c;
        c.endNode = value(r, node);
        for (int f : columns) c.values.push_back(value(r, f));
        c.note = consumerNote(c.values[3], c.values[4]);
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace volm
