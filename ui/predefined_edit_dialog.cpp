#include "ui/predefined_edit_dialog.h"

#include "formulas/predefined_edit.h"
#include "store/app.h"
#include "store/command.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TPredoprPokEditCurr::TPredoprPokEditCurr(volm::App& app, volm::Table& cursor, QWidget* parent)
    : QDialog(parent), app_(app), edit_(std::make_unique<volm::PredefinedEdit>(cursor)) {
    volm::ui::addHelpKey(this, QStringLiteral("formulas.html"));
    setObjectName(QStringLiteral("PredoprPokEditCurr"));
    setWindowTitle(QStringLiteral("Предопределенные показатели: Изменить текущий показатель"));
    setWindowFlag(Qt::Tool, true);
    setModal(true);

    edNaimPok = new QLineEdit(this);
    edNaimPok->setObjectName(QStringLiteral("edNaimPok"));
    edSokrNaimPok = new QLineEdit(this);
    edSokrNaimPok->setObjectName(QStringLiteral("edSokrNaimPok"));

    rgTZ = new QGroupBox(QStringLiteral("Табличный или заголовочный"), this);
    rgTZ->setObjectName(QStringLiteral("rgTZ"));
    rbTabl = new QRadioButton(QStringLiteral("Табличный"), rgTZ);
    rbZag = new QRadioButton(QStringLiteral("Заголовочный"), rgTZ);
    auto* tz = new QHBoxLayout(rgTZ);
    tz->addWidget(rbTabl);
    tz->addWidget(rbZag);
    tz->addStretch(1);

    cbVvodPols = new QCheckBox(QStringLiteral("Вводится пользователем"), this);
    cbVvodPols->setObjectName(QStringLiteral("cbVvodPols"));
    lbRashObr = new QLabel(this);
    lbRashObr->setObjectName(QStringLiteral("lbRashObr"));
    lbRashObr->setMinimumHeight(2 * lbRashObr->fontMetrics().height());
    lbRashObr->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette hint = lbRashObr->palette();
    hint.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    lbRashObr->setPalette(hint);
    connect(cbVvodPols, &QCheckBox::clicked, this, &TPredoprPokEditCurr::updateHint);

    edFormula = new QLineEdit(this);
    edFormula->setObjectName(QStringLiteral("edFormula"));
    cbVivVOtsh = new QCheckBox(QStringLiteral("Выводить в отчет"), this);
    cbVivVOtsh->setObjectName(QStringLiteral("cbVivVOtsh"));
    cb1trTS = new QCheckBox(QStringLiteral("Используется при расчете 1-трубной сети"), this);
    cb1trTS->setObjectName(QStringLiteral("cb1trTS"));
    cb2trTS = new QCheckBox(QStringLiteral("Используется при расчете 2-трубной сети"), this);
    cb2trTS->setObjectName(QStringLiteral("cb2trTS"));

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &TPredoprPokEditCurr::okClicked);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* userEntered = new QHBoxLayout;
    userEntered->addWidget(cbVvodPols, 0, Qt::AlignTop);
    userEntered->addSpacing(16);
    userEntered->addWidget(lbRashObr, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addWidget(new QLabel(QStringLiteral("Наименование показателя:"), this));
    layout->addWidget(edNaimPok);
    layout->addWidget(new QLabel(QStringLiteral("Сокр. наименование показателя:"), this));
    layout->addWidget(edSokrNaimPok);
    layout->addWidget(rgTZ);
    layout->addLayout(userEntered);
    layout->addWidget(new QLabel(QStringLiteral("Формула:"), this));
    layout->addWidget(edFormula);
    layout->addWidget(cbVivVOtsh);
    layout->addWidget(cb1trTS);
    layout->addWidget(cb2trTS);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    resize(520, sizeHint().height());
    fill();
}

TPredoprPokEditCurr::~TPredoprPokEditCurr() = default;

void TPredoprPokEditCurr::fill() {
    const volm::PredefinedEdit& e = *edit_;
    edNaimPok->setText(e.fullName);
    edNaimPok->setCursorPosition(0);
    edSokrNaimPok->setText(e.shortName);
    (e.table ? rbTabl : rbZag)->setChecked(true);
    cbVvodPols->setChecked(e.userEntered);
    edFormula->setText(e.formula);
    edFormula->setCursorPosition(0);
    cbVivVOtsh->setChecked(e.inReport);
    cb1trTS->setChecked(e.onePipe);
    cb2trTS->setChecked(e.twoPipe);

    const volm::PredefinedEdit::Enabled& on = e.enabled();
    edNaimPok->setEnabled(on.fullName);
    cbVvodPols->setEnabled(on.userEntered);
    edFormula->setEnabled(on.formula);
    cbVivVOtsh->setEnabled(on.inReport);
    edSokrNaimPok->setEnabled(false);
    rgTZ->setEnabled(false);
    cb1trTS->setEnabled(false);
    cb2trTS->setEnabled(false);
    updateHint();
}

void TPredoprPokEditCurr::updateHint() {
    edit_->userEntered = cbVvodPols->isChecked();
    lbRashObr->setText(volm::ui::plainLines(edit_->hint()));
}

void TPredoprPokEditCurr::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    btnOK->setFocus();
}

void TPredoprPokEditCurr::okClicked() {
    volm::PredefinedEdit& e = *edit_;
    e.fullName = edNaimPok->text();
    e.userEntered = cbVvodPols->isChecked();
    e.formula = edFormula->text();
    e.inReport = cbVivVOtsh->isChecked();
    const bool stored = volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при записи данных в таблицу \"Предопределенные показатели расчета\".");
        e.ok();
    });
    if (stored) accept();
}

bool TPredoprPokEditCurr::run(volm::App& app, QWidget* parent) {
    volm::Table* t = app.dm.atFlyPredoprPok.get();
    if (!t || !t->isOpen() || t->isEmpty() || t->currentRow() < 0) return false;
    TPredoprPokEditCurr dlg(app, *t, parent);
    return dlg.exec() == QDialog::Accepted;
}
