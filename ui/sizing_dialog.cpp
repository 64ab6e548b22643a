#include "ui/sizing_dialog.h"

#include "commands/sizing_command.h"
#include "formulas/catalogue.h"
#include "store/app.h"
#include "store/errors.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/result_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

QComboBox* indicatorBox(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumWidth(150);
    return c;
}

QLineEdit* limitEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(70);
    return e;
}

// A limit as the person writes it, with a decimal comma or point.
std::optional<double> limitOf(QString text) {
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString limitText(const std::optional<double>& v, QChar decimal) {
    if (!v) return {};
    QString t = QString::number(*v, 'g', 15);
    t.replace(QLatin1Char('.'), decimal);
    return t;
}

void setName(QComboBox* box, const QString& name) {
    const int i = box->findText(name, Qt::MatchExactly);
    if (i >= 0) box->setCurrentIndex(i);
    else box->setEditText(name);
}

}  // namespace

TPodborDiamForm::TPodborDiamForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("sizing.html"));
    setObjectName(QStringLiteral("PodborDiamForm"));
    setWindowTitle(QStringLiteral("Подбор диаметров"));
    setModal(true);

    cbPokazatel = indicatorBox(this, "cbPokazatel");
    cbKriteriy1 = indicatorBox(this, "cbKriteriy1");
    cbKriteriy2 = indicatorBox(this, "cbKriteriy2");
    edPredel1 = limitEdit(this, "edPredel1");
    edPredel2 = limitEdit(this, "edPredel2");

    auto* gbCriteria = new QGroupBox(QStringLiteral("Условия"), this);
    auto* grid = new QGridLayout(gbCriteria);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(4);
    grid->addWidget(new QLabel(QStringLiteral("По показателю"), gbCriteria), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("не более"), gbCriteria), 0, 1);
    cbKriteriy1->setParent(gbCriteria);
    cbKriteriy2->setParent(gbCriteria);
    edPredel1->setParent(gbCriteria);
    edPredel2->setParent(gbCriteria);
    grid->addWidget(cbKriteriy1, 1, 0);
    grid->addWidget(edPredel1, 1, 1);
    grid->addWidget(cbKriteriy2, 2, 0);
    grid->addWidget(edPredel2, 2, 1);
    grid->setColumnStretch(0, 1);

    auto* gbSections = new QGroupBox(QStringLiteral("Участки"), this);
    rbVse = new QRadioButton(QStringLiteral("все участки"), gbSections);
    rbVse->setObjectName(QStringLiteral("rbVse"));
    rbOtmech = new QRadioButton(QStringLiteral("только отмеченные \"Д\" при вводе повторяющихся данных"), gbSections);
    rbOtmech->setObjectName(QStringLiteral("rbOtmech"));
    rbVse->setChecked(true);
    auto* sections = new QVBoxLayout(gbSections);
    sections->setContentsMargins(8, 4, 8, 6);
    sections->addWidget(rbVse);
    sections->addWidget(rbOtmech);

    btnPodobrat = new QPushButton(QStringLiteral("Подобрать"), this);
    btnPodobrat->setObjectName(QStringLiteral("btnPodobrat"));
    btnPodobrat->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnPodobrat, &QPushButton::clicked, this, &TPodborDiamForm::podobratClicked);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Подбирать показатель"), this));
    top->addWidget(cbPokazatel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnPodobrat);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(gbCriteria);
    layout->addWidget(gbSections);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));
}

void TPodborDiamForm::load() {
    cbPokazatel->clear();
    cbKriteriy1->clear();
    cbKriteriy2->clear();
    cbKriteriy2->addItem(QString());
    if (app_.dm.acGR.isOpen()) {
        const volm::Catalogue catalogue = volm::Catalogue::load(app_.dm.acGR);
        for (const volm::Indicator& ind : catalogue.user) {
            if (!ind.table) continue;
            if (ind.userEntered) {
                cbPokazatel->addItem(ind.shortName);
            } else if (!ind.afterHeads) {  // sizing computes no heads
                cbKriteriy1->addItem(ind.shortName);
                cbKriteriy2->addItem(ind.shortName);
            }
        }
        for (const volm::Indicator& ind : catalogue.predefined) {
            if (!ind.table || ind.formula.trimmed().isEmpty()) continue;
            cbKriteriy1->addItem(ind.shortName);
            cbKriteriy2->addItem(ind.shortName);
        }
    }
    const volm::SizingChoices c = volm::readSizingChoices(app_.dm.acNastr);
    setName(cbPokazatel, c.diameter);
    setName(cbKriteriy1, c.criterion);
    setName(cbKriteriy2, c.criterion2);
    edPredel1->setText(limitText(c.limit, app_.SistRazdelitel));
    edPredel2->setText(limitText(c.limit2, app_.SistRazdelitel));
    (c.markedOnly ? rbOtmech : rbVse)->setChecked(true);
}

std::optional<volm::SizingChoices> TPodborDiamForm::choices() const {
    volm::SizingChoices c;
    c.diameter = cbPokazatel->currentText().trimmed();
    c.criterion = cbKriteriy1->currentText().trimmed();
    c.criterion2 = cbKriteriy2->currentText().trimmed();
    c.markedOnly = rbOtmech->isChecked();
    volm::Person& person = app_.person();
    if (c.diameter.isEmpty() || c.criterion.isEmpty()) {
        person.message(QStringLiteral("Укажите подбираемый показатель и показатель, по которому он подбирается."));
        return std::nullopt;
    }
    auto badLimit = [&](const QString& name) {
        person.message(QStringLiteral("Предел показателя \"") + name + QStringLiteral("\" должен быть числом."));
        return std::nullopt;
    };
    c.limit = limitOf(edPredel1->text());
    if (!c.limit) return badLimit(c.criterion);
    if (!c.criterion2.isEmpty()) {
        c.limit2 = limitOf(edPredel2->text());
        if (!c.limit2) return badLimit(c.criterion2);
    }
    return c;
}

volm::SizingRequest TPodborDiamForm::request(const volm::SizingChoices& c) {
    volm::SizingRequest r;
    r.diameter = c.diameter;
    r.criteria.push_back({c.criterion, c.limit.value_or(0)});
    if (!c.criterion2.isEmpty()) r.criteria.push_back({c.criterion2, c.limit2.value_or(0)});
    r.markedOnly = c.markedOnly;
    return r;
}

void TPodborDiamForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    edPredel1->setFocus();
}

void TPodborDiamForm::podobratClicked() {
    const auto c = choices();
    if (!c) return;
    volm::storeSizingChoices(app_.dm.acNastr, *c);
    accept();
}

std::optional<volm::SizingChoices> TPodborDiamForm::ask(volm::App& app, QWidget* parent) {
    TPodborDiamForm dlg(app, parent);
    dlg.load();
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.choices();
}

void TPodborDiamForm::command(volm::ui::TMainForm& w) {
    volm::App& app = w.app();
    if (!app.dm.acGR.isOpen()) return;
    w.DGZag->endEditing();
    w.DGGlavn->endEditing();
    std::optional<volm::SizingChoices> chosen;
    try {
        chosen = ask(app, &w);
    } catch (const volm::Error& e) {
        app.person().message(e.message());
    }
    if (!chosen) return;

    volm::ui::ResultDialogDisplay resultDialog(app, w, &w);
    const volm::RunOptions options = w.runOptions(resultDialog);
    const volm::SizingOutcome out = volm::sizeDiameters(app, request(*chosen), options);
    // The diameters are written even when the run after them stops at a fault:
    // the person learns what sizing changed after the run's own message.
    if (out.sized() && !out.run.success())
        app.person().message(out.text);
    w.syncFromApp();
}

QIcon TPodborDiamForm::icon() {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.3));
    p.setBrush(QColor(200, 220, 240));
    // Three pipe ends, smallest to largest, and a gauge line over them.
    p.drawEllipse(QPointF(4.5, 16), 2.5, 2.5);
    p.drawEllipse(QPointF(10.5, 15), 3.5, 3.5);
    p.drawEllipse(QPointF(18, 13.5), 5, 5);
    p.setPen(QPen(QColor(200, 40, 40), 1.6));
    p.drawLine(QPointF(1, 5), QPointF(23, 5));
    p.drawLine(QPointF(19, 2), QPointF(23, 5));
    p.drawLine(QPointF(19, 8), QPointF(23, 5));
    return QIcon(pm);
}
