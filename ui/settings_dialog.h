#pragma once
// The settings dialog "Настройки программы": font sizes of the data grids, of
// their title rows and of the indicator captions, the number of decimals in
// reports and whether the calculation text is kept.
//
// Launch: TNastrProgForm::run(app, parent) from "Настройки программы". Does
// nothing unless the settings file is open. Shows the dialog modally; "ОК" stores
// the values (and keeps the dialog open while one of them is wrong), "Отмена"
// closes without storing. Afterwards run() applies the stored font sizes to every
// window (PrimenitShrifti, App::fontsChanged); the caller need not.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace volm {
class App;
}

class TNastrProgForm : public QDialog {
    Q_OBJECT
public:
    explicit TNastrProgForm(volm::App& app, QWidget* parent = nullptr);

    // Fills the controls from the settings row and focuses edFSizeTD.
    void load();

    // Returns false when the settings file is not open.
    static bool run(volm::App& app, QWidget* parent = nullptr);

    QLineEdit* edFSizeTD = nullptr;
    QLineEdit* edFSizeZagColTD = nullptr;
    QLineEdit* edFSizeNaimPok = nullptr;
    QLineEdit* edTPok = nullptr;
    QCheckBox* cbSaveTXTRas = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void okClicked();
    volm::App& app_;
};
