#include "store/settings_edit.h"

#include "store/app.h"
#include "store/command.h"
#include "store/str_to_int.h"

namespace volm {

namespace {

Table& settingsRow(App& app) {
    Table* t = app.dm.atNastr.get();
    if (!t || !t->isOpen()) throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не открыта."));
    t->first();
    if (t->isEmpty()) throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не содержит записи."));
    return *t;
}

QString numberText(const Table& t, const char* field) {
    const QVariant v = t.value(QString::fromUtf8(field));
    return v.isNull() ? QString() : QString::number(v.toLongLong());
}

}  // namespace

SettingsTexts readSettingsTexts(App& app) {
    Table& t = settingsRow(app);
    SettingsTexts s;
    s.fontData = numberText(t, "РШрифтаВТД");
    s.fontTitles = numberText(t, "РШрифтаВЗагКолТД");
    s.fontCaptions = numberText(t, "РШрифтаНаимПок");
    s.precision = numberText(t, "ТочностьЧиселВОтч");
    s.keepText = t.value(QStringLiteral("СохрТекстРас")).toBool();
    return s;
}

bool storeSettingsTexts(App& app, const SettingsTexts& s) {
    bool ok = true;
    Table* row = nullptr;
    const bool ran = runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при преобразовании параметра \"Размер шрифта в таблицах данных\" в число.");
        const int a = strToInt(s.fontData);
        ctx = QStringLiteral(
            "Ошибка при преобразовании параметра \"Размер шрифта в заголовках колонок таблиц данных\" в число.");
        const int b = strToInt(s.fontTitles);
        ctx = QStringLiteral("Ошибка при преобразовании параметра \"Размер шрифта наименований показателей\" в число.");
        const int c = strToInt(s.fontCaptions);
        ctx = QStringLiteral("Ошибка при преобразовании параметра \"Точность показателей в отчетах\" в число.");
        const int d = strToInt(s.precision);

        row = &settingsRow(app);
        row->edit();
        auto outside = [](int v, int lo, int hi) { return v < lo || v > hi; };
        if (outside(a, 8, 20) || outside(b, 8, 20) || outside(c, 8, 20)) {
            ok = false;
            app.person().message(QStringLiteral(
                "Каждый из параметров: \"Размер шрифта в таблицах данных\", \"Размер шрифта в заголовках колонок "
                "таблиц данных\", \"Размер шрифта наименований показателей\" должен быть целым числом в диапазоне "
                "[8...20]."));
        } else {
            ctx = QStringLiteral("Ошибка при записи параметра \"Размер шрифта в таблицах данных\".");
            row->setValue(QStringLiteral("РШрифтаВТД"), a);
            ctx = QStringLiteral("Ошибка при записи параметра \"Размер шрифта в заголовках колонок таблиц данных\".");
            row->setValue(QStringLiteral("РШрифтаВЗагКолТД"), b);
            ctx = QStringLiteral("Ошибка при записи параметра \"Размер шрифта наименований показателей\".");
            row->setValue(QStringLiteral("РШрифтаНаимПок"), c);
        }
        if (outside(d, 0, 7)) {
            ok = false;
            app.person().message(QStringLiteral(
                "Параметр \"Точность показателей в отчетах\" должен быть целым числом в диапазоне [0...7]."));
        } else {
            ctx = QStringLiteral("Ошибка при записи параметра \"Точность показателей в отчетах\".");
            row->setValue(QStringLiteral("ТочностьЧиселВОтч"), d);
        }
        ctx = QStringLiteral("Ошибка при записи параметра \"Сохранять текст расчета\".");
        row->setValue(QStringLiteral("СохрТекстРас"), s.keepText);
        row->post();
    });
    // A failed write leaves no half-edited settings row behind.
    if (!ran && row && row->editing()) row->cancel();
    return ran && ok;
}

}  // namespace volm
