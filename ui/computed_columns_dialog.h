#pragma once
// "Вид / Столбцы...": the computed indicators the section grid may show, each
// with a check box, in the order they are to stand after the entered columns.
// The person ticks the ones to show and moves them up and down (buttons or
// Ctrl+Up / Ctrl+Down); "Порядок таблицы" returns to every one shown in the
// order of the table.
#include "store/view_options.h"

#include <QDialog>
#include <QString>
#include <utility>
#include <vector>

class QListWidget;
class QPushButton;

namespace volm::ui {

class ComputedColumnsDialog : public QDialog {
    Q_OBJECT
public:
    // offered: the computed columns in the order of the table, with full names.
    ComputedColumnsDialog(std::vector<std::pair<QString, QString>> offered, const ComputedColumnChoice& choice,
                          QWidget* parent = nullptr);

    // Every offered column in the order of the list, shown when ticked.
    ComputedColumnChoice choice() const;

    QListWidget* lwColumns = nullptr;
    QPushButton *btnUp = nullptr, *btnDown = nullptr, *btnAll = nullptr, *btnNone = nullptr, *btnTableOrder = nullptr,
                *btnOK = nullptr, *btnCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(const ComputedColumnChoice& choice);
    void moveCurrent(int by);
    void checkAll(bool on);

    std::vector<std::pair<QString, QString>> offered_;
};

}  // namespace volm::ui
