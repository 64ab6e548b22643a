#pragma once
// The auto-fill dialog "Автозаполнение узлов тепловой сети": one geodetic height
// into every node of a range of node numbers, adding the missing ones when asked.
// Opened modally from the initial-data dialog's node menu. The edit texts and
// the tick live in a NodeFillInput of the opener, so they are kept between
// openings; the fill itself is AutoZapolUzlov of the core.
#include "store/node_fill.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace volm {
class App;
}

class TAutoZapolUzTSForm : public QDialog {
    Q_OBJECT
public:
    TAutoZapolUzTSForm(volm::App& app, volm::NodeFillInput& remembered, QWidget* parent = nullptr);

    // Shows the dialog modally; does nothing when no calculation is open.
    static bool run(volm::App& app, volm::NodeFillInput& remembered, QWidget* parent = nullptr);

    // "Записать".
    void save();
    volm::NodeFillInput input() const;

    QLineEdit* edNomNachUz = nullptr;
    QLineEdit* edNomKonUz = nullptr;
    QLineEdit* edGeodVis = nullptr;
    QCheckBox* cbDobOtsutUz = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void setControlsEnabled(bool on);

    volm::App& app_;
    volm::NodeFillInput& remembered_;
};
