#pragma once
// The dialog "Предопределенные показатели: Изменить текущий показатель": one
// predefined indicator, of which only the fields the program allows are
// enabled (volm::PredefinedEdit decides which, and the hint beside "Вводится
// пользователем").
//
// Launch: TPredoprPokEditCurr::run(app, parent) from the formulas window's
// "Изменить текущий показатель", on the current row of ФлыПредопрПок. "OK" stores
// the enabled fields and closes; a failure to store is reported and the dialog
// stays open; "Отмена" closes without writing. No formula check is made here.
#include <QDialog>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace volm {
class App;
class PredefinedEdit;
class Table;
}  // namespace volm

class TPredoprPokEditCurr : public QDialog {
    Q_OBJECT
public:
    TPredoprPokEditCurr(volm::App& app, volm::Table& cursor, QWidget* parent = nullptr);
    ~TPredoprPokEditCurr() override;

    // True when "OK" stored the row; false for "Отмена" or an empty table.
    static bool run(volm::App& app, QWidget* parent = nullptr);

    QLineEdit* edNaimPok = nullptr;
    QLineEdit* edSokrNaimPok = nullptr;
    QGroupBox* rgTZ = nullptr;
    QRadioButton* rbTabl = nullptr;  // "Табличный"
    QRadioButton* rbZag = nullptr;   // "Заголовочный"
    QCheckBox* cbVvodPols = nullptr;
    QLabel* lbRashObr = nullptr;
    QLineEdit* edFormula = nullptr;
    QCheckBox* cbVivVOtsh = nullptr;
    QCheckBox* cb1trTS = nullptr;
    QCheckBox* cb2trTS = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fill();
    void updateHint();
    void okClicked();

    volm::App& app_;
    std::unique_ptr<volm::PredefinedEdit> edit_;
};
