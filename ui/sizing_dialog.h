#pragma once
// The sizing dialog "Подбор диаметров": the indicator that holds the diameter
// ("Подбирать показатель"), one or two criteria ("По показателю", "не более"),
// the sections ("Участки": all, or those marked "Д" by "Ввод повторяющихся
// данных") and "Подобрать". The choices are read from and stored in the
// settings file.
//
// Launch: TPodborDiamForm::command(window) from "Подбор диаметров..." of the
// "Данные" menu and its toolbar button: the dialog, then sizing and the whole
// calculation with the main window's head-node edits, locked as "Выполнить
// расчет" locks it, and the result dialog with sizing's summary before the
// run's outcome.
#include "calc/sizing.h"
#include "store/sizing_settings.h"

#include <QDialog>
#include <QIcon>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace volm {
class App;
}
namespace volm::ui {
class TMainForm;
}

class TPodborDiamForm : public QDialog {
    Q_OBJECT
public:
    explicit TPodborDiamForm(volm::App& app, QWidget* parent = nullptr);

    // Fills the lists from the open calculation's catalogue and the controls
    // from the stored choices.
    void load();
    // The controls as choices; nullopt (after a message naming the limit) when a
    // limit is not a number or the second criterion lacks one.
    std::optional<volm::SizingChoices> choices() const;
    // The request the choices make.
    static volm::SizingRequest request(const volm::SizingChoices& choices);

    // The dialog; the choices when "Подобрать" was pressed (they are stored then).
    static std::optional<volm::SizingChoices> ask(volm::App& app, QWidget* parent);
    // The menu command: the dialog, sizing, the run and the result dialog.
    static void command(volm::ui::TMainForm& window);
    // The toolbar image: pipes of growing diameter.
    static QIcon icon();

    QComboBox* cbPokazatel = nullptr;   // Подбирать показатель
    QComboBox* cbKriteriy1 = nullptr;   // По показателю
    QLineEdit* edPredel1 = nullptr;     // не более
    QComboBox* cbKriteriy2 = nullptr;
    QLineEdit* edPredel2 = nullptr;
    QRadioButton* rbVse = nullptr;
    QRadioButton* rbOtmech = nullptr;
    QPushButton* btnPodobrat = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void podobratClicked();
    volm::App& app_;
};
