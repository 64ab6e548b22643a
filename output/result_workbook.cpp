#include "output/result_workbook.h"

#include "output/consumers.h"
#include "output/output_lookup.h"
#include "output/regime_warnings.h"
#include "output/xlsx_sheet.h"
#include "store/app.h"
#include "store/database.h"
#include "store/person.h"
#include "store/startup.h"
#include "store/table.h"

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace volm {

namespace {

using H = CellLook::HAlign;
using V = CellLook::VAlign;

const QString kText = QStringLiteral("@");
const QString kWhole = QStringLiteral("0");

Table& openCursor(const std::unique_ptr<Table>& t, const char* name) {
    if (!t || !t->isOpen())
        throw DatabaseError(QStringLiteral("Таблица \"") + QString::fromUtf8(name) + QStringLiteral("\" не открыта."));
    return *t;
}

QString nodeText(const QVariant& v) { return v.isNull() ? QString() : QString::number(v.toLongLong()); }

// The formats of the sheet, one per kind of cell.
struct Looks {
    lxw_format *title, *name, *smallHead, *smallHeadCentred, *value, *label, *node, *note, *mainNo,
        *mainPath, *warning;

    Looks(XlsxSheet& s, const QString& valueFormat) {
        title = s.format({.numFormat = kText, .bold = true});
        name = s.format({.numFormat = kText, .vAlign = V::Top});
        const CellLook head{.numFormat = kText, .fontSize = 8, .wrap = true, .vAlign = V::Top, .border = true};
        smallHead = s.format(head);
        CellLook centred = head;
        centred.hAlign = H::Center;
        smallHeadCentred = s.format(centred);
        value = s.format({.numFormat = valueFormat, .hAlign = H::Center, .vAlign = V::Center, .border = true});
        label = s.format({.numFormat = kText, .wrap = true, .hAlign = H::Center, .vAlign = V::Center, .border = true});
        node = s.format({.numFormat = kWhole, .wrap = true, .hAlign = H::Center, .vAlign = V::Center, .border = true});
        note = s.format({.numFormat = kText, .fontSize = 8, .wrap = true, .vAlign = V::Center, .border = true});
        mainNo = s.format({.numFormat = kText, .hAlign = H::Center, .vAlign = V::Center, .border = true});
        mainPath = note;
        warning = s.format({.numFormat = kText});
    }
};

// Titles of the mains table from column F on.
QStringList mainsTitles(bool twoPipe) {
    const QString lenSup = QStringLiteral("Длина подающего трубопровода магистрали, м. (ДлМагПод)");
    const QString lossSup = QStringLiteral(
        "Потери напора от источника в подающем трубопроводе на конечном узле магистрали, м. (ПотНОтИПод)");
    const QString headSup =
        QStringLiteral("Полный напор в подающем трубопроводе на конечном узле магистрали, м. (ПНапПод)");
    if (!twoPipe) return {lenSup, lossSup, headSup};
    return {lenSup,
            QStringLiteral("Длина обратного трубопровода магистрали, м. (ДлМагОбр)"),
            QStringLiteral("Суммарная длина подающего и обратного трубопроводов магистрали, м. (ДлМагСум)"),
            lossSup,
            QStringLiteral(
                "Потери напора от источника в обратном трубопроводе на конечном узле магистрали, м. (ПотНОтИОбр)"),
            headSup,
            QStringLiteral("Полный напор в обратном трубопроводе на конечном узле магистрали, м. (ПНапОбр)"),
            QStringLiteral("Располагаемый напор на конечном узле магистрали, м. (РНап)")};
}

QStringList mainsFields(bool twoPipe) {
    if (!twoPipe) return {QStringLiteral("ДлМагПод"), QStringLiteral("ПотНОтИПод"), QStringLiteral("ПНапПод")};
    return {QStringLiteral("ДлМагПод"),   QStringLiteral("ДлМагОбр"), QStringLiteral("ДлМагСум"),
            QStringLiteral("ПотНОтИПод"), QStringLiteral("ПотНОтИОбр"), QStringLiteral("ПНапПод"),
            QStringLiteral("ПНапОбр"),    QStringLiteral("РНап")};
}

int fieldOf(const Table& t, const QString& name) {
    const int i = t.fieldIndex(name);
    if (i < 0)
        throw DatabaseError(QStringLiteral("Поле \"") + name + QStringLiteral("\" не найдено в таблице \"") +
                            t.tableName() + QStringLiteral("\"."));
    return i;
}

// Walks the mains path rows (sorted by main, then from the source to the end
// section) and gives each main's path "7 - 3 - 5".
class PathReader {
public:
    explicit PathReader(const Table& paths)
        : t_(paths), main_(fieldOf(paths, QStringLiteral("id_m"))), pos_(fieldOf(paths, QStringLiteral("NппУчВМ"))),
          start_(fieldOf(paths, QStringLiteral("НачУзел"))), end_(fieldOf(paths, QStringLiteral("КонУзел"))) {}

    QString next(const QVariant& mainNo) {
        QString path;
        for (; row_ < t_.rowCount(); ++row_) {
            const QVariant m = t_.valueAt(row_, main_);
            if (m.isNull() || mainNo.isNull() || m.toLongLong() != mainNo.toLongLong()) break;
            path += nodeText(t_.valueAt(row_, start_)) + QStringLiteral(" - ");
            const QVariant n = t_.valueAt(row_, pos_);
            if (!n.isNull() && n.toLongLong() == 1) {
                path += nodeText(t_.valueAt(row_, end_));
                ++row_;
                return path;
            }
        }
        throw ExportError(QStringLiteral("Участки магистрали № ") + nodeText(mainNo) +
                          QStringLiteral(" в таблице МагистралиТС заканчиваются раньше ее конечного участка "
                                         "(NппУчВМ = 1). Выгрузка отчета прервана."));
    }

private:
    const Table& t_;
    int main_, pos_, start_, end_;
    int row_ = 0;
};

// The status texts of the walk: the first section and the first main are
// named at once, later ones at most every few hundredths of a second (a
// repaint per row would cost more than writing the row); the screen may
// repaint after every text shown.
class WalkStatus {
public:
    explicit WalkStatus(Person& person) : person_(person) {}
    template <typename Text>
    void item(Text&& text) {
        if (timer_.isValid() && timer_.elapsed() < kIntervalMs) return;
        person_.status(text());
        person_.processEvents();
        timer_.start();
    }
    void restart() { timer_.invalidate(); }

private:
    static constexpr qint64 kIntervalMs = 40;
    Person& person_;
    QElapsedTimer timer_;
};

// A spreadsheet program fits the height of a row to its wrapped text when the
// text is written interactively, but not when it opens a file: rows of wrapped
// titles get the height the longest title needs. A column 16 characters wide
// holds about 24 characters of the 8-point font; a line of it is 11.25 points.
class TitleRow {
public:
    void add(const QString& text, int columns = 1) {
        const int capacity = 24 * columns;
        int lines = 0, used = 0;
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int len = int(word.size());
            if (used > 0 && used + 1 + len <= capacity) {
                used += 1 + len;
                continue;
            }
            const int whole = std::max(1, (len + capacity - 1) / capacity);
            lines += whole;
            used = len - (whole - 1) * capacity;
        }
        lines_ = std::max(lines_, lines);
    }
    double height() const { return std::max(15.0, lines_ * 11.25 + 2); }

private:
    int lines_ = 1;
};

// The consumers' table from row on, when the calculation has consumers;
// the first row free after it.
int writeConsumers(XlsxSheet& sheet, const Looks& look, const Table& tabl, int row) {
    const std::vector<Consumer> consumers =
        collectConsumers(tabl.fields(), tabl.rowCount(), [&](int r, int f) { return tabl.valueAt(r, f); });
    if (consumers.empty()) return row;
    sheet.rowHeight(row, 24);
    sheet.text(row, 1, QStringLiteral("Потребители и дроссельные шайбы:"), nullptr);
    const QStringList& titles = consumerTitles();
    TitleRow heights;
    for (const QString& t : titles) heights.add(t);
    sheet.rowHeight(row + 1, heights.height());
    for (int c = 0; c < titles.size(); ++c) sheet.text(row + 1, c + 1, titles[c], look.smallHead);
    int r = row + 2;
    for (const Consumer& c : consumers) {
        sheet.value(r, 1, c.endNode, look.node);
        for (size_t k = 0; k < c.values.size(); ++k) sheet.value(r, 2 + int(k), c.values[k], look.value);
        sheet.text(r, 2 + int(c.values.size()), c.note, look.note);
        ++r;
    }
    return r + 1;
}

}  // namespace

QString valueNumberFormat(int digits) {
    if (digits <= 0) return QStringLiteral("0");
    return QStringLiteral("0.") + QString(digits, QLatin1Char('0'));
}

void writeResultWorkbook(App& app, const QString& path, std::optional<int> digits) {
    DataModule& dm = app.dm;
    WalkStatus status(app.person());
    Table& name = openCursor(dm.atNazvRasch, "НазвРасч");
    Table& zag = openCursor(dm.atZag, "Заг");
    Table& tabl = openCursor(dm.atTabl, "Табл");
    Table& konMag = openCursor(dm.atKonMag, "КонМаг");
    Table& paths = openCursor(dm.atMagistraliTS, "МагистралиТС");

    name.first();
    const bool twoPipe = name.value(QStringLiteral("ТипСети")).toInt() == 1;
    const QVariant calcName = name.value(QStringLiteral("НазвРасч"));
    if (!digits) digits = goToSettingsRow(app).value(QStringLiteral("ТочностьЧиселВОтч")).toInt();
    const OutputColumns columns = outputColumns(dm.acGR);

    XlsxSheet sheet(path, QStringLiteral("ВОЛМ"));
    const Looks look(sheet, valueNumberFormat(*digits));
    sheet.columnWidths(16);

    // Title.
    sheet.text(1, 1,
               QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ") +
                   (twoPipe ? QStringLiteral("ДВУХТРУБНОЙ") : QStringLiteral("ОДНОТРУБНОЙ")) +
                   QStringLiteral(" ТЕПЛОВОЙ СЕТИ"),
               look.title);
    sheet.rowHeight(2, 24);
    sheet.text(2, 1, calcName.isNull() ? QString() : calcName.toString(), look.name);

    // Header indicators, rows 3 and 4.
    int s = 5;
    if (!columns.header.empty()) {
        zag.first();
        TitleRow titles;
        for (const OutputColumn& col : columns.header) titles.add(col.title);
        sheet.rowHeight(3, titles.height());
        for (size_t c = 0; c < columns.header.size(); ++c)
            sheet.text(3, int(c) + 1, columns.header[c].title, look.smallHead);
        for (size_t c = 0; c < columns.header.size(); ++c)
            sheet.value(4, int(c) + 1, zag.isEmpty() ? QVariant() : zag.value(fieldOf(zag, columns.header[c].shortName)),
                        look.value);
        sheet.rowHeight(5, 24);
        s = 7;
    }

    // The exported section columns, numbered from D on.
    struct Exported {
        int column;
        int field;
        QString title;
    };
    std::vector<Exported> exported;
    int r = 3;
    for (size_t i = 0; i < columns.sections.size(); ++i) {
        const QString& shortName = columns.sections[i].shortName;
        QString title;
        for (const OutputColumn& c : columns.sections)
            if (c.shortName == shortName) title = c.title;
        exported.push_back({int(i) + 4, fieldOf(tabl, shortName), title});
        r = std::max(r, exported.back().column);
    }

    const int startField = fieldOf(tabl, QStringLiteral("НачУзел"));
    const int endField = fieldOf(tabl, QStringLiteral("КонУзел"));
    const int noteField = fieldOf(tabl, QStringLiteral("Примечание"));
    const int sections = tabl.rowCount();
    bool notes = false;
    for (int i = 0; i < sections && !notes; ++i) {
        const QVariant n = tabl.valueAt(i, noteField);
        notes = !n.isNull() && !n.toString().isEmpty();
    }

    // Section table: caption, header row, one row per section.
    sheet.text(s - 2, 1, QStringLiteral("Участки тепловой сети:"), nullptr);
    {
        TitleRow titles;
        titles.add(QStringLiteral("Начальный узел участка (НачУзел)"));
        titles.add(QStringLiteral("Конечный узел участка (КонУзел)"));
        for (const Exported& e : exported) titles.add(e.title);
        sheet.rowHeight(s - 1, titles.height());
    }
    sheet.text(s - 1, 1, QStringLiteral("Участок"), look.smallHeadCentred);
    sheet.text(s - 1, 2, QStringLiteral("Начальный узел участка (НачУзел)"), look.smallHead);
    sheet.text(s - 1, 3, QStringLiteral("Конечный узел участка (КонУзел)"), look.smallHead);
    for (const Exported& e : exported) sheet.text(s - 1, e.column, e.title, look.smallHead);
    if (notes) sheet.merge(s - 1, r + 1, r + 3, QStringLiteral("Примечание"), look.smallHead);

    for (int i = 0; i < sections; ++i) {
        const int row = s + i;
        const QVariant a = tabl.valueAt(i, startField);
        const QVariant b = tabl.valueAt(i, endField);
        const QString label = nodeText(a) + QStringLiteral(" - ") + nodeText(b);
        status.item([&] { return QStringLiteral("Выгрузка в Microsoft Excel. Участок: ") + label; });
        sheet.text(row, 1, label, look.label);
        sheet.value(row, 2, a, look.node);
        sheet.value(row, 3, b, look.node);
        for (const Exported& e : exported) sheet.value(row, e.column, tabl.valueAt(i, e.field), look.value);
        if (notes) {
            const QVariant n = tabl.valueAt(i, noteField);
            sheet.merge(row, r + 1, r + 3, n.isNull() ? QString() : n.toString(), look.note);
        }
    }
    const int last = s + sections - 1;

    // Mains: 8 columns for a one-pipe network, 13 for a two-pipe one.
    sheet.rowHeight(last + 1, 24);
    sheet.text(last + 1, 1, QStringLiteral("Магистрали тепловой сети:"), nullptr);
    const int head = last + 2;
    const QStringList titles = mainsTitles(twoPipe);
    {
        TitleRow row;
        for (const QString& t : titles) row.add(t);
        sheet.rowHeight(head, row.height());
    }
    sheet.text(head, 1, QStringLiteral("№ п/п"), look.smallHeadCentred);
    sheet.merge(head, 2, 5, QStringLiteral("Магистраль"), look.smallHead);
    for (int c = 0; c < titles.size(); ++c) sheet.text(head, 6 + c, titles[c], look.smallHead);

    konMag.setSort(QStringLiteral("id_m ASC"));
    paths.setSort(QStringLiteral("id_m ASC, NппУчВМ DESC"));
    konMag.first();
    paths.first();
    const int mainField = fieldOf(konMag, QStringLiteral("id_m"));
    std::vector<int> valueFields;
    for (const QString& f : mainsFields(twoPipe)) valueFields.push_back(fieldOf(konMag, f));
    PathReader reader(paths);
    status.restart();
    for (int i = 0; i < konMag.rowCount(); ++i) {
        const int row = head + 1 + i;
        const QVariant mainNo = konMag.valueAt(i, mainField);
        status.item([&] { return QStringLiteral("Выгрузка в Microsoft Excel. Магистраль №: ") + nodeText(mainNo); });
        sheet.rowHeight(row, 24);
        sheet.text(row, 1, nodeText(mainNo), look.mainNo);
        sheet.merge(row, 2, 5, reader.next(mainNo), look.mainPath);
        for (size_t c = 0; c < valueFields.size(); ++c)
            sheet.value(row, 6 + int(c), konMag.valueAt(i, valueFields[c]), look.value);
    }

    // The warnings of the regime checks under the mains, one line a row.
    const int afterConsumers = writeConsumers(sheet, look, tabl, head + konMag.rowCount() + 2);
    const std::vector<QString> warnings = storedRegimeWarnings(app);
    if (!warnings.empty()) {
        int row = afterConsumers;
        sheet.rowHeight(row, 24);
        sheet.text(row, 1, warningsTitle(warnings), look.title);
        for (const QString& line : warnings) sheet.text(++row, 1, line, look.warning);
    }
    sheet.close();
}

}  // namespace volm
