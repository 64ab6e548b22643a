// The input checks of the run: the node numbers of the given heads, at least
// one section, the predefined indicators the run requires, the node fields of
// the sections and the section lengths; the network type and the finiteness of
// every entered value before anything is computed.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "store/database.h"
#include "store/sql_names.h"
#include "store/table.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/str_to_int.h"

#include <cmath>

namespace volm::calc {

namespace {

qint64 pairKey(int a, int b) { return (qint64(a) << 32) ^ qint64(quint32(b)); }

}  // namespace

void stageGivenHeadNodes(RunData& d, const QString& supplyText, const QString& availText) {
    d.error.clear();
    if (supplyText.isEmpty()) {
        d.error = QStringLiteral("Поле \"ПНапНаУзПод задан для узла:\" должно быть заполнено.");
        return;
    }
    const QString table = QStringLiteral("НазвРасч");
    try {
        const std::vector<Field>& fields = d.nameFields;
        auto field = [&](const QString& name) -> const Field& {
            for (const Field& f : fields)
                if (f.name.compare(name, Qt::CaseInsensitive) == 0) return f;
            throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, table));
        };
        // Both numbers are converted before either is kept; an empty
        // available-head node still lets the supply node be stored.
        std::vector<std::pair<const Field*, QVariant>> values;
        const Field& supply = field(QStringLiteral("NузПНапПод"));
        values.emplace_back(&supply, storedValue(supply, strToInt(supplyText)));
        if (d.twoPipe()) {
            if (availText.isEmpty()) {
                d.error = QStringLiteral("Поле \"РНапНаУз задан для узла:\" должно быть заполнено.");
            } else {
                const Field& avail = field(QStringLiteral("NузРНап"));
                values.emplace_back(&avail, storedValue(avail, strToInt(availText)));
            }
        }
        d.givenHeadNodes.clear();
        for (const auto& [f, v] : values) d.givenHeadNodes.emplace_back(f->name, v);
        d.supplyNode = values[0].second.toInt();
        if (values.size() > 1) d.availNode = values[1].second.toInt();
    } catch (const Error& e) {
        d.error = standardReport(
            QStringLiteral("Ошибка при записи значений полей \"ПНапНаУзПод задан для узла:\", \"РНапНаУз задан для узла:\"."),
            e.className(), e.message());
    }
}

void stageNetworkType(RunData& d) {
    if (d.networkType != 0 && d.networkType != 1) d.error = QStringLiteral("Тип сети указан неверно!");
}

void stageFiniteInputs(RunData& d) {
    const auto infinite = [](double v) { return std::isinf(v); };
    const auto mustBeFinite = [](const QString& name) {
        return QStringLiteral("Значение показателя ") + name + QStringLiteral(" должно быть конечным числом.");
    };
    std::vector<int> sectionColumns;
    std::vector<int> headerColumns;
    auto collect = [&](const std::vector<Indicator>& list) {
        for (const Indicator& i : list) {
            if (!i.userEntered) continue;
            const int c = i.table ? d.sections.col(i.shortName) : d.header.col(i.shortName);
            if (c >= 0) (i.table ? sectionColumns : headerColumns).push_back(c);
        }
    };
    collect(d.catalogue.predefined);
    collect(d.catalogue.user);
    for (int c : headerColumns)
        if (d.header.rowCount() > 0 && infinite(d.header.get(0, c))) {
            d.error = mustBeFinite(QLatin1Char('"') + d.header.names[size_t(c)] + QLatin1Char('"'));
            return;
        }
    const int n = d.sections.rowCount();
    for (int r = 0; r < n; ++r) {
        for (int c : sectionColumns)
            if (infinite(d.sections.get(r, c))) {
                d.error = d.sectionHeading(r) + mustBeFinite(d.sections.names[size_t(c)]);
                return;
            }
        for (int node : {d.startOf[size_t(r)], d.endOf[size_t(r)]}) {
            const double* h = d.nodes.find(node);
            if (h && infinite(*h)) {
                d.error = d.sectionHeading(r) + QStringLiteral("Геодезическая высота узла ") + nodeText(node) +
                          QStringLiteral(" в таблице \"Узлы тепловой сети\" должна быть конечным числом.");
                return;
            }
            if (infinite(d.deltaSup(node)) || infinite(d.deltaRet(node))) {
                d.error = d.sectionHeading(r) + QStringLiteral("Изменение полного напора (ИзмПНап) в узле ") +
                          nodeText(node) + QStringLiteral(" должно быть конечным числом.");
                return;
            }
        }
    }
}

void stageAnySection(RunData& d) {
    if (d.sections.rowCount() == 0)
        d.error = QStringLiteral("В таблице с исходными данными о участках сети должна быть хотя бы одна запись.");
}

void stageRequiredIndicators(RunData& d) {
    bool lengthSeen = false, flowSeen = false;
    for (const Indicator& i : d.catalogue.predefined) {
        if (i.shortName == QStringLiteral("ДлНаУчОбр")) {
            lengthSeen = true;
            d.retLenEntered = i.userEntered;
        } else if (i.shortName == QStringLiteral("РасхОбр")) {
            flowSeen = true;
            d.retFlowEntered = i.userEntered;
        }
        if (lengthSeen && flowSeen) return;
    }
    d.error = QStringLiteral(
        "В таблице \"Предопределенные показатели расчета\" должны присутствовать показатели: \"ДлНаУчОбр\", \"РасхОбр\".");
}

void stageNodeFields(RunData& d) {
    d.progress.stage(QStringLiteral("Проверка корректности значений в полях НачУзел, КонУзел."));
    const int n = d.sections.rowCount();

    for (int r = 0; r < n; ++r) {
        const int a = d.startOf[size_t(r)], b = d.endOf[size_t(r)];
        if (a == kNullNode || b == kNullNode) {
            d.failAt(r, d.sectionHeading(r) + QStringLiteral("Поля НачУзел, КонУзел должны быть заполнены."));
            break;
        }
        if (a == b) {
            d.failAt(r, d.sectionHeading(r) + QStringLiteral("Значения полей НачУзел, КонУзел не должны совпадать."));
            break;
        }
        if (b == d.startNode || !d.hasNode(a) || !d.hasNode(b)) {
            d.failAt(r, d.sectionHeading(r) +
                      QStringLiteral("Значения полей НачУзел, КонУзел должны присутствовать в таблице \"Узлы тепловой сети\".") +
                      CR + QStringLiteral("Значение поля КонУзел не должно совпадать с номером начального узла тепловой сети."));
            break;
        }
    }

    // Pairs of sections: for every section (a, b) in order, the first other row
    // (c, d) with d = b, or with c = b and d = a.
    if (d.ok()) {
        KeyMap<int, std::pair<int, int>> byEnd;  // end node -> first two rows
        KeyMap<qint64, int> byPair;              // (start, end) -> first row
        byEnd.reserve(size_t(n));
        byPair.reserve(size_t(n));
        for (int r = 0; r < n; ++r) {
            auto [rows, fresh] = byEnd.tryEmplace(d.endOf[size_t(r)], {r, -1});
            if (!fresh && rows->second < 0) rows->second = r;
            byPair.tryEmplace(pairKey(d.startOf[size_t(r)], d.endOf[size_t(r)]), r);
        }
        for (int i = 0; i < n && d.ok(); ++i) {
            const int a = d.startOf[size_t(i)], b = d.endOf[size_t(i)];
            int j = -1;
            const std::pair<int, int>& rows = *byEnd.find(b);
            const int sameEnd = rows.first != i ? rows.first : rows.second;
            if (sameEnd >= 0 && !d.looped) j = sameEnd;  // a looped network joins sections at a node
            if (const int* other = byPair.find(pairKey(b, a)); other && (j < 0 || *other < j)) j = *other;
            if (j < 0) continue;
            const int c = d.startOf[size_t(j)], dd = d.endOf[size_t(j)];
            d.failAt(i, QStringLiteral("Участки ") + nodeText(a) + QStringLiteral(" - ") + nodeText(b) +
                            QStringLiteral(", ") + nodeText(c) + QStringLiteral(" - ") + nodeText(dd) + QLatin1Char(':') +
                            CR +
                            (dd == b ? QStringLiteral("Конечные узлы участков не должны совпадать.")
                                     : QStringLiteral("Недопустимое сочетание участков.")));
        }
    }

    // The nodes of the given heads must belong to the network.
    if (d.ok()) {
        KeyMap<int, bool> used;
        used.reserve(size_t(n) * 2);
        for (int r = 0; r < n; ++r) {
            used.tryEmplace(d.startOf[size_t(r)], true);
            used.tryEmplace(d.endOf[size_t(r)], true);
        }
        auto missing = [&](const char* indicator, int node) {
            const QString nt = nodeText(node);
            d.error = QStringLiteral("Показатель \"") + QString::fromUtf8(indicator) + QStringLiteral("\" задан для узла ") +
                      nt + QStringLiteral(". Узел ") + nt +
                      QStringLiteral(" не найден в таблице с исходными данными о участках тепловой сети.");
        };
        if (!used.contains(d.supplyNode))
            missing("ПНапНаУзПод", d.supplyNode);
        else if (d.twoPipe() && !used.contains(d.availNode))
            missing("РНапНаУз", d.availNode);
    }

    if (d.ok()) d.buildIndexes();
    d.progress.clear();
}

void stageSectionLengths(RunData& d) {
    d.progress.stage(QStringLiteral("Проверка показателей ДлНаУчПод, ДлНаУчОбр."));
    ValueTable& s = d.sections;
    const int n = s.rowCount();
    const int pod = s.need(QStringLiteral("ДлНаУчПод"));
    const int obr = d.twoPipe() ? s.need(QStringLiteral("ДлНаУчОбр")) : -1;
    if (d.twoPipe() && !d.retLenEntered)
        for (int r = 0; r < n; ++r) s.set(r, obr, s.get(r, pod));
    for (int r = 0; r < n; ++r) {
        const double lp = s.get(r, pod);
        if (isNull(lp) || !(lp > 0)) {
            d.failAt(r, d.sectionHeading(r) + QStringLiteral("Показатель ДлНаУчПод должен быть больше нуля."));
            break;
        }
        if (d.twoPipe()) {
            const double lo = s.get(r, obr);
            if (isNull(lo) || !(lo > 0)) {
                d.failAt(r, d.sectionHeading(r) + QStringLiteral("Показатель ДлНаУчОбр должен быть больше нуля."));
                break;
            }
        }
    }
    d.progress.clear();
}

}  // namespace volm::calc
