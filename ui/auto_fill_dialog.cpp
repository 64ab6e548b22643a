#include "ui/auto_fill_dialog.h"

#include "store/app.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

TAutoZapolUzTSForm::TAutoZapolUzTSForm(volm::App& app, volm::NodeFillInput& remembered, QWidget* parent)
    : QDialog(parent), app_(app), remembered_(remembered) {
    volm::ui::addHelpKey(this, QStringLiteral("calculation.html"));
    setObjectName(QStringLiteral("AutoZapolUzTSForm"));
    setWindowTitle(QStringLiteral("Автозаполнение узлов тепловой сети"));
    setModal(true);

    edNomNachUz = new QLineEdit(remembered.first, this);
    edNomNachUz->setObjectName(QStringLiteral("edNomNachUz"));
    edNomKonUz = new QLineEdit(remembered.last, this);
    edNomKonUz->setObjectName(QStringLiteral("edNomKonUz"));
    edGeodVis = new QLineEdit(remembered.height, this);
    edGeodVis->setObjectName(QStringLiteral("edGeodVis"));
    for (QLineEdit* e : {edNomNachUz, edNomKonUz, edGeodVis}) e->setFixedWidth(80);
    cbDobOtsutUz = new QCheckBox(QStringLiteral("Добавить отсутствующие узлы"), this);
    cbDobOtsutUz->setObjectName(QStringLiteral("cbDobOtsutUz"));
    cbDobOtsutUz->setChecked(remembered.addMissing);
    btnSave = new QPushButton(QStringLiteral("Записать"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnSave->setAutoDefault(false);
    btnClose->setAutoDefault(false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    // Nested layouts get their own spacing: the outer one has none, so that the
    // status bar meets the bottom edge, and they would take its 0.
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    auto label = [this](const QString& text, QLineEdit* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    form->addWidget(label(QStringLiteral("Начиная с узла номер"), edNomNachUz), 0, 0);
    form->addWidget(edNomNachUz, 0, 1);
    form->addWidget(label(QStringLiteral("по узел номер"), edNomKonUz), 1, 0);
    form->addWidget(edNomKonUz, 1, 1);
    form->addWidget(label(QStringLiteral("записать геодезическую высоту"), edGeodVis), 2, 0);
    form->addWidget(edGeodVis, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("м."), this), 2, 2);
    form->addWidget(cbDobOtsutUz, 3, 0, 1, 3);
    form->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);

    auto* inner = new QVBoxLayout;
    inner->setContentsMargins(10, 10, 10, 6);
    inner->setSpacing(6);
    inner->addLayout(form);
    inner->addSpacing(6);
    inner->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(inner);
    layout->addWidget(StatusBar1);

    connect(btnSave, &QPushButton::clicked, this, &TAutoZapolUzTSForm::save);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    // A small window that fits its controls, labels whole.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

volm::NodeFillInput TAutoZapolUzTSForm::input() const {
    return {edNomNachUz->text(), edNomKonUz->text(), edGeodVis->text(), cbDobOtsutUz->isChecked()};
}

void TAutoZapolUzTSForm::setControlsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{edNomNachUz, edNomKonUz, edGeodVis, cbDobOtsutUz, btnSave, btnClose})
        w->setEnabled(on);
}

void TAutoZapolUzTSForm::save() {
    remembered_ = input();
    volm::NodeFillHooks hooks;
    hooks.status = [this](const QString& text) {
        StatusBar1->showMessage(text);
        StatusBar1->repaint();
    };
    hooks.controlsEnabled = [this](bool on) { setControlsEnabled(on); };
    volm::AutoZapolUzlov(app_, remembered_, hooks);
}

void TAutoZapolUzTSForm::done(int result) {
    remembered_ = input();
    QDialog::done(result);
}

void TAutoZapolUzTSForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    StatusBar1->clearMessage();
    edNomNachUz->setFocus();
}

bool TAutoZapolUzTSForm::run(volm::App& app, volm::NodeFillInput& remembered, QWidget* parent) {
    if (!app.dm.acGR.isOpen() || !app.dm.atUzliTS) return false;
    TAutoZapolUzTSForm dlg(app, remembered, parent);
    dlg.exec();
    return true;
}
