// The report definition's names over the report data.
#include "output/report_context.h"

#include "output/consumers.h"
#include "output/regime_warnings.h"
#include "output/report_data.h"
#include "output/report_parts.h"

#include <QStringList>
#include <cmath>

namespace volm::report {

namespace {

std::string u8(const QString& s) { return s.toStdString(); }

// A stored value as a definition sees it: Null and an empty text are false (a
// section over them is skipped), a yes/no field is a boolean, the rest text.
MData valueData(const QVariant& v, FieldKind kind, int precision, QChar separator) {
    if (v.isNull()) return MData(false);
    if (kind == FieldKind::Bool) return MData(v.toBool());
    std::string s = valueText(v, kind, precision, separator);
    if (s.empty()) return MData(false);
    return MData(s);
}

MData rowObject(const Dataset& ds, size_t row, int precision, QChar separator) {
    MData obj(MData::type::object);
    if (row >= ds.rows.size()) return obj;
    for (size_t f = 0; f < ds.fields.size(); ++f)
        obj.set(u8(ds.fields[f].name), valueData(ds.rows[row][f], ds.fields[f].kind, precision, separator));
    return obj;
}

MData columnData(const MarkedColumn& c, int number) {
    MData obj(MData::type::object);
    obj.set("Номер", std::to_string(number));
    obj.set("Сокр", u8(c.shortName));
    obj.set("Наим", u8(c.caption));
    obj.set("Заголовок", u8(c.title));
    return obj;
}

MData markers(size_t n) {
    MData list(MData::type::list);
    for (size_t i = 0; i < n; ++i) list.push_back(MData(true));
    return list;
}

struct MainColumn {
    const char* name;
    const char* title;
};

// The columns of the table of mains after "№ п/п" and "Магистраль".
std::vector<MainColumn> mainColumns(bool twoPipe) {
    const MainColumn dlPod{"ДлМагПод", "Длина подающего трубопровода магистрали, м. (ДлМагПод)"};
    const MainColumn potPod{"ПотНОтИПод",
                            "Потери напора от источника в подающем трубопроводе на конечном узле магистрали, м. "
                            "(ПотНОтИПод)"};
    const MainColumn pNapPod{"ПНапПод",
                             "Полный напор в подающем трубопроводе на конечном узле магистрали, м. (ПНапПод)"};
    if (!twoPipe) return {dlPod, potPod, pNapPod};
    return {dlPod,
            {"ДлМагОбр", "Длина обратного трубопровода магистрали, м. (ДлМагОбр)"},
            {"ДлМагСум", "Суммарная длина подающего и обратного трубопроводов магистрали, м. (ДлМагСум)"},
            potPod,
            {"ПотНОтИОбр",
             "Потери напора от источника в обратном трубопроводе на конечном узле магистрали, м. (ПотНОтИОбр)"},
            pNapPod,
            {"ПНапОбр", "Полный напор в обратном трубопроводе на конечном узле магистрали, м. (ПНапОбр)"},
            {"РНап", "Располагаемый напор на конечном узле магистрали, м. (РНап)"}};
}

bool anyNote(const Dataset& tabl) {
    const int note = tabl.index(QStringLiteral("Примечание"));
    if (note < 0) return false;
    for (const auto& r : tabl.rows) {
        const QVariant& v = r[size_t(note)];
        if (!v.isNull() && !v.toString().isEmpty()) return true;
    }
    return false;
}

// The most characters a value of the field takes in the report: numbers from
// their largest magnitude, texts up to a line's worth.
int valueChars(const Dataset& ds, int field, int precision) {
    if (field < 0) return 1;
    const FieldKind kind = ds.fields[size_t(field)].kind;
    double largest = 0;
    bool negative = false;
    qsizetype text = 1;
    for (const auto& r : ds.rows) {
        const QVariant& v = r[size_t(field)];
        if (v.isNull()) continue;
        if (kind == FieldKind::Text || kind == FieldKind::Unknown) {
            text = std::max(text, v.toString().size());
            continue;
        }
        const double x = v.toDouble();
        largest = std::max(largest, std::abs(x));
        negative = negative || x < 0;
    }
    if (kind == FieldKind::Text || kind == FieldKind::Unknown) return int(std::min<qsizetype>(text, 24));
    if (kind == FieldKind::Bool) return 3;
    const int whole = largest >= 1 ? int(std::floor(std::log10(largest))) + 1 : 1;
    const int fraction = kind == FieldKind::Float && precision > 0 ? precision + 1 : 0;
    return whole + fraction + (negative ? 1 : 0);
}

}  // namespace

ReportContext::ReportContext(const ReportData& d, std::function<void()> tick)
    : d_(d), tick_(std::move(tick)), root_(MData::type::object) {
    const int p = d.precision;
    const QChar sep = d.separator;
    for (size_t f = 0; f < d.tabl.fields.size(); ++f) tablFields_.emplace(u8(d.tabl.fields[f].name), int(f));
    for (const MarkedColumn& c : d.sectionColumns) {
        sectionFields_.push_back(d.tabl.index(c.shortName));
        sectionNames_.push_back(u8(c.shortName));
    }
    startField_ = d.tabl.index(QStringLiteral("НачУзел"));
    endField_ = d.tabl.index(QStringLiteral("КонУзел"));

    // The named connections.
    root_.set("rcNazvRas", rowObject(d.nazvRas, 0, p, sep));
    root_.set("rcZag", rowObject(d.zag, 0, p, sep));
    root_.set("rcNastr", rowObject(d.nastr, 0, p, sep));
    root_.set("rcRashPod", rowObject(d.rashPod, 0, p, sep));
    root_.set("rcRashObr", rowObject(d.rashObr, 0, p, sep));
    root_.set("rcTabl", markers(d.tabl.rows.size()));
    MData konMag(MData::type::list);
    for (size_t r = 0; r < d.konMag.rows.size(); ++r) {
        tickEvery(r);
        MData row = rowObject(d.konMag, r, p, sep);
        row.set("Путь", u8(d.mainPaths[r]));
        konMag.push_back(row);
    }
    root_.set("rcKonMag", konMag);

    // The title.
    const QVariant name = d.nazvRas.value(0, QStringLiteral("НазвРасч"));
    root_.set("НазваниеРасчета", valueData(name, FieldKind::Text, p, sep));
    root_.set("ТипСети", d.twoPipe() ? "двухтрубная" : "однотрубная");
    root_.set("ТипСетиРод", u8(networkTypeGenitive(d.networkType)));
    root_.set("Однотрубная", MData(!d.twoPipe()));
    root_.set("Двухтрубная", MData(d.twoPipe()));
    root_.set("Дата", u8(d.date.toString(QStringLiteral("dd.MM.yyyy"))));
    root_.set("Точность", std::to_string(p));
    root_.set("Разделитель", u8(QString(sep)));

    // Header indicators marked for output, with their values.
    MData header(MData::type::list);
    for (size_t i = 0; i < d.headerColumns.size(); ++i) {
        const MarkedColumn& c = d.headerColumns[i];
        MData item = columnData(c, int(i) + 1);
        const int f = d.zag.index(c.shortName);
        item.set("Значение", f < 0 || d.zag.rows.empty()
                                  ? MData(false)
                                  : valueData(d.zag.rows[0][size_t(f)], d.zag.fields[size_t(f)].kind, p, sep));
        header.push_back(item);
    }
    root_.set("ЕстьПоказателиЗаг", MData(!d.headerColumns.empty()));
    root_.set("ПоказателиЗаг", header);

    // Section indicators marked for output, the section rows and the table in parts.
    const int columns = int(d.sectionColumns.size());
    MData sectionColumns(MData::type::list);
    for (int i = 0; i < columns; ++i) sectionColumns.push_back(columnData(d.sectionColumns[size_t(i)], i + 1));
    root_.set("ПоказателиТабл", sectionColumns);
    root_.set("Участки", markers(d.tabl.rows.size()));
    const bool notes = anyNote(d.tabl);
    root_.set("ЕстьПримечания", MData(notes));
    root_.set("ЕстьУчастки", MData(!d.tabl.rows.empty()));
    // Parts as wide as a landscape page, every title on one line.
    std::vector<TableColumn> widths;
    for (int i = 0; i < columns; ++i)
        widths.push_back({d.sectionColumns[size_t(i)].shortName, valueChars(d.tabl, sectionFields_[size_t(i)], p)});
    const int nodeChars = std::max(valueChars(d.tabl, startField_, 0), valueChars(d.tabl, endField_, 0));
    const std::vector<TableColumn> fixed{{QStringLiteral("Участок"), 2 * nodeChars + 3},
                                         {QStringLiteral("НачУзел"), nodeChars},
                                         {QStringLiteral("КонУзел"), nodeChars}};
    const TableColumn noteColumn{QStringLiteral("Примечание"), 10};
    partBounds_ = tableParts(widths, fixed, notes ? &noteColumn : nullptr, kLandscapeTablePt, kColumnsPerPart);
    const int parts = int(partBounds_.size()) - 1;
    MData partList(MData::type::list);
    int widest = 0;
    double widestPt = 0;
    for (int k = 0; k < parts; ++k) {
        const int from = partBounds_[size_t(k)], to = partBounds_[size_t(k) + 1];
        MData part(MData::type::object);
        part.set("Номер", std::to_string(k + 1));
        part.set("Продолжение", MData(k > 0));
        part.set("Последняя", MData(k == parts - 1));
        MData cols(MData::type::list);
        double width = 0;
        for (const TableColumn& c : fixed) width += columnWidthPt(c);
        for (int i = from; i < to; ++i) {
            cols.push_back(columnData(d.sectionColumns[size_t(i)], i + 1));
            width += columnWidthPt(widths[size_t(i)]);
        }
        const bool withNotes = notes && k == parts - 1;
        if (withNotes) width += columnWidthPt(noteColumn);
        widest = std::max(widest, 3 + (to - from) + (withNotes ? 1 : 0));
        widestPt = std::max(widestPt, width);
        part.set("Показатели", cols);
        part.set("Участки", markers(d.tabl.rows.size()));
        partList.push_back(part);
    }
    root_.set("ЧастиТабл", partList);
    // Wide section tables are printed across the page.
    root_.set("Ориентация", widest > 8 || widestPt > kPortraitTablePt ? "landscape" : "portrait");

    // The table of mains.
    const std::vector<MainColumn> mc = mainColumns(d.twoPipe());
    MData mainTitles(MData::type::list);
    for (const MainColumn& c : mc) {
        MData t(MData::type::object);
        t.set("Сокр", c.name);
        t.set("Заголовок", c.title);
        mainTitles.push_back(t);
    }
    root_.set("СтолбцыМаг", mainTitles);
    MData mains(MData::type::list);
    for (size_t r = 0; r < d.konMag.rows.size(); ++r) {
        tickEvery(r);
        MData m(MData::type::object);
        m.set("Номер", u8(QString::fromStdString(
                           valueText(d.konMag.value(int(r), QStringLiteral("id_m")), FieldKind::Integer, p, sep))));
        m.set("Путь", u8(d.mainPaths[r]));
        m.set("КонУзел", valueText(d.konMag.value(int(r), QStringLiteral("КонУзел")), FieldKind::Integer, p, sep));
        MData values(MData::type::list);
        for (const MainColumn& c : mc) {
            const int f = d.konMag.index(QString::fromUtf8(c.name));
            MData v(MData::type::object);
            v.set("Сокр", c.name);
            v.set("Значение",
                  f < 0 ? MData(false) : valueData(d.konMag.rows[r][size_t(f)], FieldKind::Float, p, sep));
            values.push_back(v);
        }
        m.set("Значения", values);
        mains.push_back(m);
    }
    root_.set("ЕстьМагистрали", MData(!d.konMag.rows.empty()));
    root_.set("Магистрали", mains);

    // Nodes with too little available head.
    MData low(MData::type::list);
    QStringList lowText;
    for (int n : d.lowHeadNodes) {
        MData item(MData::type::object);
        item.set("Узел", std::to_string(n));
        low.push_back(item);
        lowText << QString::number(n);
    }
    root_.set("ЕстьУзлыНизкийНапор", MData(!d.lowHeadNodes.empty()));
    root_.set("УзлыНизкийНапор", low);
    root_.set("УзлыНизкийНапорТекст", u8(lowText.join(QStringLiteral(", "))));

    // Warnings of the regime checks.
    MData warnings(MData::type::list);
    for (const QString& w : d.warnings) {
        MData item(MData::type::object);
        item.set("Текст", u8(w));
        warnings.push_back(item);
    }
    root_.set("ЕстьПредупреждения", MData(!d.warnings.empty()));
    root_.set("ПредупрежденияЗаголовок", u8(warningsTitle(d.warnings)));
    root_.set("Предупреждения", warnings);

    // The consumers and their orifices.
    MData consumers(MData::type::list);
    const std::vector<Consumer> list = collectConsumers(
        d.tabl.fields, int(d.tabl.rows.size()), [&](int r, int f) { return d.tabl.rows[size_t(r)][size_t(f)]; });
    for (const Consumer& c : list) {
        MData item(MData::type::object);
        item.set("Узел", valueData(c.endNode, FieldKind::Integer, p, sep));
        for (int k = 0; k < consumerColumns().size(); ++k)
            item.set(u8(consumerColumns()[k]), valueData(c.values[size_t(k)], FieldKind::Float, p, sep));
        item.set("Примечание", u8(c.note));
        consumers.push_back(item);
    }
    root_.set("ЕстьПотребители", MData(!list.empty()));
    root_.set("Потребители", consumers);

    // The row markers are registered where they finally live in the tree.
    registerRows(*root_.get("rcTabl"), 0, columns);
    registerRows(*root_.get("Участки"), 0, columns);
    const MData& finalParts = *root_.get("ЧастиТабл");
    for (size_t k = 0; k + 1 < partBounds_.size(); ++k)
        registerRows(*finalParts.list_value()[k].get("Участки"), partBounds_[k], partBounds_[k + 1]);

    stack_.push_back(&root_);
}

void ReportContext::registerRows(const MData& list, int firstColumn, int endColumn) {
    RowList l;
    l.size = list.list_value().size();
    l.begin = l.size ? &list.list_value()[0] : nullptr;
    l.firstColumn = firstColumn;
    l.endColumn = endColumn;
    rowLists_.push_back(l);
}

void ReportContext::push(const MData* data) { stack_.push_back(data); }

void ReportContext::pop() {
    stack_.pop_back();
    while (!made_.empty() && made_.back().first > stack_.size()) made_.pop_back();
}

const MData* ReportContext::keep(MData value) const {
    made_.emplace_back(stack_.size(), std::move(value));
    return &made_.back().second;
}

const MData* ReportContext::sectionValue(const RowList& list, size_t row, const std::string& name) const {
    const std::vector<QVariant>& values = d_.tabl.rows[row];
    const auto it = tablFields_.find(name);
    if (it != tablFields_.end()) {
        const Field& f = d_.tabl.fields[size_t(it->second)];
        return keep(valueData(values[size_t(it->second)], f.kind, d_.precision, d_.separator));
    }
    if (name == "Участок") {
        std::string label;
        if (startField_ >= 0) label = valueText(values[size_t(startField_)], FieldKind::Integer, 0, d_.separator);
        label += " - ";
        if (endField_ >= 0) label += valueText(values[size_t(endField_)], FieldKind::Integer, 0, d_.separator);
        return keep(MData(label));
    }
    if (name == "Значения") {
        MData out(MData::type::list);
        for (int c = list.firstColumn; c < list.endColumn; ++c) {
            const int f = sectionFields_[size_t(c)];
            MData v(MData::type::object);
            v.set("Сокр", sectionNames_[size_t(c)]);
            v.set("Значение", f < 0 ? MData(false)
                                    : valueData(values[size_t(f)], d_.tabl.fields[size_t(f)].kind, d_.precision,
                                                d_.separator));
            out.push_back(v);
        }
        return keep(std::move(out));
    }
    return nullptr;
}

const MData* ReportContext::lookUp(const MData* item, const std::string& name) const {
    for (const RowList& l : rowLists_) {
        if (l.size && item >= l.begin && item < l.begin + l.size) return sectionValue(l, size_t(item - l.begin), name);
    }
    return item->get(name);
}

const MData* ReportContext::get(const std::string& name) const {
    if (name == ".") return stack_.back();
    const size_t dot = name.find('.');
    const std::string first = dot == std::string::npos ? name : name.substr(0, dot);
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        const MData* v = lookUp(*it, first);
        if (!v) continue;
        size_t from = dot;
        while (v && from != std::string::npos) {
            const size_t next = name.find('.', from + 1);
            v = v->get(name.substr(from + 1, next == std::string::npos ? std::string::npos : next - from - 1));
            from = next;
        }
        return v;
    }
    return nullptr;
}

const MData* ReportContext::get_partial(const std::string& name) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if (const MData* v = (*it)->get(name)) return v;
    return nullptr;
}

}  // namespace volm::report
