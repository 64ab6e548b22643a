#pragma once
// The computed indicators in the main window's grids ("Вид / Показывать
// рассчитанные показатели"). When shown, the header and section grids carry,
// after the entered columns and in the order of their table, the columns of the
// indicators the run computes (in the section grid those the person chose in
// "Вид / Столбцы...", in the chosen order): read-only, tinted, their full names as titles'
// tooltips and in the caption boxes. When the results are not current they are
// greyed and the status bar says so; when they are, the section rows whose end
// node's available head is below 0.1 m are tinted red and the cells the checks
// of the computed regime warn about are tinted with the warning as tooltip.
// Numbers in both grids are shown with the report precision's decimals.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class QLabel;
class QTimer;

namespace volm {
class App;
class Table;
}

namespace volm::ui {

class DataGridModel;

class ResultColumns : public QObject {
    Q_OBJECT
public:
    ResultColumns(App& app, DataGridModel* header, DataGridModel* sections, QLabel* status, QObject* parent = nullptr);

    bool shown() const { return shown_; }
    // Shows or hides the computed columns and remembers the choice in the settings.
    void setShown(bool shown);
    // Reads the remembered choice (after start-up has opened the settings).
    void loadChoice();

    // Applies the columns to the grids; the main window calls it after setting
    // its own looks of the entered columns.
    void apply();
    // The results or the rules of the checks changed: the marks are found again.
    void invalidate() { marksFor_.clear(); }

    // The computed columns the section grid can show, in the order of the table,
    // with their full names (whether they are shown or not).
    std::vector<std::pair<QString, QString>> offeredSectionColumns() const;

    // The full name of a computed column of the header grid or the section grid;
    // empty for any other column.
    QString caption(bool header, int column) const;
    // The line the status bar shows about the results; empty when none.
    QString statusLine() const;

    // Colours of the looks (tests compare them).
    static QColor computedTint();
    static QColor staleTint();
    static QColor lowHeadTint();
    static QColor warningTint();

    // Available head below which a section's end node is marked, m.
    static constexpr double kLowHead = 0.1;

private:
    struct Grid {
        DataGridModel* model = nullptr;
        QStringList fields;       // as last given to the model; empty: the model's own
        int entered = 0;          // columns before the computed ones
        QHash<QString, QString> fullNames;  // computed field -> full name
    };
    void applyTo(Grid& g, bool header);
    void columnsOf(const Table& t, bool header, QStringList& entered,
                   std::vector<std::pair<QString, QString>>& computed) const;
    QVariant look(const Grid& g, bool header, int row, int column, int role) const;
    void findMarks();
    void poll();

    App& app_;
    Grid header_, sections_;
    QLabel* status_;
    QTimer* timer_;
    bool shown_ = false;
    bool lastCurrent_ = false;
    int lastDecimals_ = -2;
    QString marksFor_;                        // the state the marks were found for
    QSet<qint64> lowHeadIds_;                 // section ids with a low available head at their end
    QHash<qint64, QHash<QString, QString>> sectionWarnings_;  // id -> field -> warning
    QHash<QString, QString> headerWarnings_;  // field -> warning
};

}  // namespace volm::ui
