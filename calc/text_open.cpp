// Opening the calculation text: it is created afresh and gets its title block
// and the legend of the lengths block.
#include "calc/run_data.h"
#include "calc/stages.h"

namespace volm::calc {

void stageOpenText(RunData& d, const QString& path) {
    d.text = std::make_unique<CalcText>(d.precision, d.decimal);
    CalcText& t = *d.text;
    t.open(path);
    t.line(QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ"));
    t.emptyLine();
    t.put(QStringLiteral("Название расчета:"));
    if (!d.calcName.isNull()) t.put(QStringLiteral(" ") + d.calcName.toString());
    t.end();
    t.line(QStringLiteral("Тип сети:") + (d.twoPipe() ? QStringLiteral(" Двухтрубная") : QStringLiteral(" Однотрубная")));
    t.emptyLine();

    t.line(QStringLiteral("Расчет показателей:"));
    t.line(QStringLiteral("Длина подающего трубопровода на начальном узле участка, м. (ДлНачПод)"));
    t.line(QStringLiteral("Длина подающего трубопровода на конечном узле участка, м. (ДлКонПод)"));
    if (d.twoPipe()) {
        t.line(QStringLiteral("Длина обратного трубопровода на начальном узле участка, м. (ДлНачОбр)"));
        t.line(QStringLiteral("Длина обратного трубопровода на конечном узле участка, м. (ДлКонОбр)"));
    }
    t.line(QStringLiteral("Показатели, используемые в расчете:"));
    t.line(QStringLiteral("Длина подающего трубопровода на участке, м. (ДлНаУчПод)"));
    if (d.twoPipe()) t.line(QStringLiteral("Длина обратного трубопровода на участке, м. (ДлНаУчОбр)"));
    t.emptyLine();
}

}  // namespace volm::calc
