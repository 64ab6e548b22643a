#include "ui/result_dialog.h"

#include "store/app.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QLayout>
#include <algorithm>
#include <QVBoxLayout>

TRasVipForm::TRasVipForm(QWidget* parent) : QDialog(parent) {
    volm::ui::addHelpKey(this, QStringLiteral("calculation.html"));
    setObjectName(QStringLiteral("RasVipForm"));
    setWindowTitle(QStringLiteral("ВОЛМ"));
    setModal(true);

    mmRasVip = new QPlainTextEdit(this);
    mmRasVip->setObjectName(QStringLiteral("mmRasVip"));
    mmRasVip->setReadOnly(true);
    mmRasVip->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmRasVip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmRasVip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmRasVip->setFixedHeight(168);

    auto* gb = new QGroupBox(QStringLiteral("Далее следует"), this);
    cbFormOtch = new QCheckBox(QStringLiteral("Формировать отчет"), gb);
    cbFormOtch->setObjectName(QStringLiteral("cbFormOtch"));
    cbVigrV_ME = new QCheckBox(QStringLiteral("Выгрузить отчет в Microsoft Excel"), gb);
    cbVigrV_ME->setObjectName(QStringLiteral("cbVigrV_ME"));
    cbGr = new QCheckBox(QStringLiteral("Формировать график"), gb);
    cbGr->setObjectName(QStringLiteral("cbGr"));
    auto* boxes = new QVBoxLayout(gb);
    boxes->setContentsMargins(8, 4, 8, 4);
    boxes->setSpacing(2);
    boxes->addWidget(cbFormOtch);
    boxes->addWidget(cbVigrV_ME);
    boxes->addWidget(cbGr);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(gb, 1);
    bottom->addWidget(btnOK, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(mmRasVip);
    layout->addLayout(bottom);

    // A fixed size: at least 340 by 262, more where the fonts need it.
    setFixedSize(sizeHint().expandedTo(QSize(340, 262)));
}

void TRasVipForm::setOutcome(const QString& text) {
    mmRasVip->setPlainText(volm::ui::plainLines(text));
    widenForLongLines();
    cbFormOtch->setChecked(false);
    cbVigrV_ME->setChecked(false);
    cbGr->setChecked(false);
}

// Warnings after the outcome may be long lines: the window grows (still of a
// fixed size) to show them whole, up to most of the screen's width.
void TRasVipForm::widenForLongLines() {
    const QFontMetrics fm(mmRasVip->font());
    int widest = 0;
    for (const QString& line : mmRasVip->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    if (layout()) layout()->activate();
    const int extra = width() - mmRasVip->width() + 2 * mmRasVip->frameWidth() +
                      mmRasVip->verticalScrollBar()->sizeHint().width() +
                      2 * int(mmRasVip->document()->documentMargin()) + 2 * fm.averageCharWidth();
    int want = widest + extra;
    if (const QScreen* screen = this->screen()) want = std::min(want, screen->availableGeometry().width() * 9 / 10);
    if (want > width()) setFixedWidth(want);
}

TRasVipForm::Choice TRasVipForm::choice() const {
    Choice c;
    c.confirmed = result() == QDialog::Accepted;
    c.report = cbFormOtch->isChecked();
    c.exportToExcel = cbVigrV_ME->isChecked();
    c.chart = cbGr->isChecked();
    return c;
}

void TRasVipForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    setResult(QDialog::Rejected);
    mmRasVip->setFocus();
}

TRasVipForm::Choice TRasVipForm::ask(volm::App& app, const QString& outcome, QWidget* parent) {
    TRasVipForm dlg(parent);
    volm::ui::applyTextFont(dlg.mmRasVip, volm::ui::dialogFontSizes(app));
    dlg.setOutcome(outcome);
    dlg.exec();
    return dlg.choice();
}

void TRasVipForm::startFollowUps(const Choice& c, volm::ui::ResultFollowUps& f) {
    if (!c.confirmed) return;
    if (c.report) f.startReport();
    if (c.exportToExcel) f.startSpreadsheetExport();
    if (c.chart) f.startChart();
}

void TRasVipForm::run(volm::App& app, const QString& outcome, volm::ui::ResultFollowUps& followUps,
                      QWidget* parent) {
    startFollowUps(ask(app, outcome, parent), followUps);
}

void volm::ui::ResultDialogDisplay::showOutcome(const QString& outcomeText) {
    TRasVipForm::run(app_, outcomeText, followUps_, parent_);
}
