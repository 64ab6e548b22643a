#pragma once
// The piezometric and temperature chart along a stretch of one main, as plain
// data: the three series with their points, value marks and colours, the node
// labels of the bottom axis, the titles and the axis ranges. The chart window
// and the headless runner draw it; nothing here touches a widget.
#include "output/chart_lists.h"

#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace volm {

class App;
class Database;

enum class ChartKind { Piezometric = 0, Temperature = 1 };

// The results of one section of Табл that the chart reads (NaN where Null).
struct ChartSection {
    double lenStart = 0;      // ДлНачПод
    double len = 0;           // ДлНаУчПод
    double groundStart = 0;   // ГеодВысНач
    double groundEnd = 0;     // ГеодВысКон
    double supStart = 0;      // ПНапНачПод
    double supEnd = 0;        // ПНапКонПод
    double retStart = 0;      // ПНапНачОбр
    double retEnd = 0;        // ПНапКонОбр
    double tSupStart = 0;     // ТВодыНачПод
    double tSupEnd = 0;       // ТВодыКонПод
    double tRetStart = 0;     // ТВодыНачОбр
    double tRetEnd = 0;       // ТВодыКонОбр
};

// The heads at a main's end node (КонМаг).
struct ChartEnd {
    double sup = 0;  // ПНапПод
    double ret = 0;  // ПНапОбр
};

// Everything the drawing reads besides the main's rows.
struct ChartSource {
    bool twoPipe = true;          // НазвРасч.ТипСети = 1
    int precision = 2;            // Настройки.ТочностьЧиселВОтч
    QChar decimalSeparator = QLatin1Char(',');
    std::unordered_map<std::uint64_t, ChartSection> sections;  // by sectionKey(НачУзел, КонУзел)
    std::unordered_map<int, ChartEnd> ends;                    // by КонУзел

    static std::uint64_t sectionKey(int startNode, int endNode) {
        return (std::uint64_t(std::uint32_t(startNode)) << 32) | std::uint32_t(endNode);
    }
    const ChartSection* section(int startNode, int endNode) const {
        auto it = sections.find(sectionKey(startNode, endNode));
        return it == sections.end() ? nullptr : &it->second;
    }
};

struct ChartPoint {
    double x = 0;
    double y = 0;
    QString label;  // node number for the labelled series, else empty
};

struct ChartSeries {
    QString title;                 // "ГеодВыс", "Обр", "Под"
    std::uint32_t rgb = 0;         // 0xRRGGBB
    std::vector<ChartPoint> points;
};

struct ChartRequest {
    ChartKind kind = ChartKind::Piezometric;
    QString startNode;   // the texts chosen in the lists
    QString endNode;
    bool byLength = true;        // "Учитывать длину подающего трубопровода"
    bool blackAndWhite = false;  // "Черно-белый график"
};

struct Chart {
    QString title;        // the main's item text
    QString leftTitle;
    QString bottomTitle = QStringLiteral("Узлы теплосети");
    QString valueFormat;  // "0", "0.00", ...
    int decimals = 2;
    QChar decimalSeparator = QLatin1Char(',');
    // In drawing order: ground (area, piezometric only), return, supply.
    ChartSeries ground, ret, sup;
    double xMin = 0, xMax = 1, yMin = 0, yMax = 100;
    // The walk stopped at data it could not follow; what was drawn before stays.
    QString error;

    // The node labels of the bottom axis: the labelled points of the chart.
    std::vector<ChartPoint> nodeLabels() const;
    // A point's value mark in the value format; empty for a Null value.
    QString markText(double value) const;
};

inline constexpr std::uint32_t kChartBlue = 0x0000FF;
inline constexpr std::uint32_t kChartRed = 0xFF0000;
inline constexpr std::uint32_t kChartBlack = 0x000000;
inline constexpr std::uint32_t kChartWhite = 0xFFFFFF;

// The value format of the report precision: "0", then "." and that many zeros.
QString chartValueFormat(int precision);

// Draws the stretch of main from request.startNode to request.endNode.
Chart buildChart(const ChartSource& source, const ChartMain& main, const ChartRequest& request);

// The rows of МагистралиТС of the calculation, sorted "id_m ASC, NппУчВМ DESC".
std::vector<MainRow> readMainRows(Database& calculation);
// The sections, end results and network type of the calculation; the precision
// and separator are given.
ChartSource readChartSource(Database& calculation, int precision, QChar decimalSeparator);
// The same for the open calculation of the program, with the settings' precision.
ChartSource readChartSource(App& app);

}  // namespace volm
