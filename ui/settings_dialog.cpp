#include "ui/settings_dialog.h"

#include "store/app.h"
#include "store/command.h"
#include "store/settings_edit.h"
#include "store/startup.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* numberEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(41);
    return e;
}

}  // namespace

TNastrProgForm::TNastrProgForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("files.html"));
    setObjectName(QStringLiteral("NastrProgForm"));
    setWindowTitle(QStringLiteral("Настройки программы"));
    setModal(true);

    auto* gbFont = new QGroupBox(QStringLiteral("Размер шрифта"), this);
    edFSizeTD = numberEdit(gbFont, "edFSizeTD");
    edFSizeZagColTD = numberEdit(gbFont, "edFSizeZagColTD");
    edFSizeNaimPok = numberEdit(gbFont, "edFSizeNaimPok");
    auto* fonts = new QGridLayout(gbFont);
    fonts->setContentsMargins(8, 4, 8, 6);
    fonts->setVerticalSpacing(3);
    fonts->addWidget(new QLabel(QStringLiteral("В таблицах данных:"), gbFont), 0, 0);
    fonts->addWidget(edFSizeTD, 0, 1);
    fonts->addWidget(new QLabel(QStringLiteral("В заголовках колонок таблиц данных:"), gbFont), 1, 0);
    fonts->addWidget(edFSizeZagColTD, 1, 1);
    fonts->addWidget(new QLabel(QStringLiteral("Наименований показателей:"), gbFont), 2, 0);
    fonts->addWidget(edFSizeNaimPok, 2, 1);
    fonts->setColumnStretch(0, 1);

    auto* gbPrecision = new QGroupBox(QStringLiteral("Точность показателей в отчетах"), this);
    edTPok = numberEdit(gbPrecision, "edTPok");
    auto* precision = new QHBoxLayout(gbPrecision);
    precision->setContentsMargins(8, 4, 8, 6);
    precision->addWidget(edTPok);
    precision->addWidget(new QLabel(QStringLiteral("зн. дробной части числа"), gbPrecision), 1);

    cbSaveTXTRas = new QCheckBox(QStringLiteral("Сохранять текст расчета"), this);
    cbSaveTXTRas->setObjectName(QStringLiteral("cbSaveTXTRas"));

    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &TNastrProgForm::okClicked);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(gbFont);
    layout->addWidget(gbPrecision);
    layout->addWidget(cbSaveTXTRas);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // A fixed border; at least the classic 306 by 193, more where the fonts need it.
    setFixedSize(sizeHint().expandedTo(QSize(306, 193)));
}

void TNastrProgForm::load() {
    const volm::SettingsTexts s = volm::readSettingsTexts(app_);
    edFSizeTD->setText(s.fontData);
    edFSizeZagColTD->setText(s.fontTitles);
    edFSizeNaimPok->setText(s.fontCaptions);
    edTPok->setText(s.precision);
    cbSaveTXTRas->setChecked(s.keepText);
    edFSizeTD->setFocus();
}

void TNastrProgForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    edFSizeTD->setFocus();
}

void TNastrProgForm::okClicked() {
    volm::SettingsTexts s;
    s.fontData = edFSizeTD->text();
    s.fontTitles = edFSizeZagColTD->text();
    s.fontCaptions = edFSizeNaimPok->text();
    s.precision = edTPok->text();
    s.keepText = cbSaveTXTRas->isChecked();
    if (volm::storeSettingsTexts(app_, s)) accept();
}

bool TNastrProgForm::run(volm::App& app, QWidget* parent) {
    if (!app.dm.acNastr.isOpen() || !app.dm.atNastr || !app.dm.atNastr->isOpen()) return false;
    TNastrProgForm dlg(app, parent);
    const bool loaded = volm::runReported(app.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при чтении настроек программы.");
        dlg.load();
    });
    if (loaded) dlg.exec();
    // The stored sizes reach every window, however the dialog was left.
    volm::runReported(app.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при настройке размера шрифта в таблицах данных.");
        volm::PrimenitShrifti(app);
    });
    return loaded;
}
