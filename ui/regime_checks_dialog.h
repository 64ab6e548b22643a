#pragma once
// "Проверки режима": the rules the computed regime is checked against. The upper
// grid holds the limits of the built-in head rules with their switches, the
// lower one the person's rules on indicators. The rules do not change results,
// so editing them leaves the calculation computed; a rule naming an indicator
// that is not in the catalogue is reported as soon as it is stored. Under the
// grids, the warnings of the computed calculation with the rules as stored,
// computed again whenever a rule or a limit is stored or a rule deleted.
#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace volm {
class App;
class Table;
namespace ui {
class DataGridModel;
class DataGridView;
}  // namespace ui
}  // namespace volm

class TProverkiRezhimaForm : public QDialog {
    Q_OBJECT
public:
    TProverkiRezhimaForm(volm::App& app, QWidget* parent = nullptr);
    ~TProverkiRezhimaForm() override;

    // Needs the calculation open; shows the window modally.
    static void run(volm::App& app, QWidget* parent = nullptr);

    // Stores pending rows of both grids; false (message shown) when one failed.
    bool postPending();

    // Computes the warnings again and shows them.
    void refreshWarnings();

    volm::ui::DataGridModel* limitsModel = nullptr;
    volm::ui::DataGridModel* rulesModel = nullptr;
    volm::ui::DataGridView* DGLimits = nullptr;
    volm::ui::DataGridView* DGRules = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    QPlainTextEdit* mmWarnings = nullptr;

    void done(int result) override;

private:
    volm::App& app_;
    std::unique_ptr<volm::Table> limits_, rules_;
    QTimer* refresh_ = nullptr;
};
