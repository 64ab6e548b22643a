#include "ui/regime_checks_dialog.h"

#include "calc/regime_checks.h"
#include "output/regime_warnings.h"
#include "store/app.h"
#include "store/errors.h"
#include "store/regime_tables.h"
#include "store/table.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QPushButton>
#include <QVBoxLayout>

using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

namespace {

struct Column {
    const char* field;
    const char* title;
    int width;
};

void describe(DataGridModel* model, std::initializer_list<Column> columns) {
    QStringList fields;
    for (const Column& c : columns) {
        const QString field = QString::fromUtf8(c.field);
        fields << field;
        ColumnLook look;
        look.title = QString::fromUtf8(c.title);
        look.width = c.width;
        if (field == QStringLiteral("Условие"))
            look.pickList = {QStringLiteral("больше"), QStringLiteral("меньше")};
        model->setColumnLook(field, look);
    }
    model->setFields(fields);
}

}  // namespace

TProverkiRezhimaForm::TProverkiRezhimaForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("regime.html"));
    setObjectName(QStringLiteral("ProverkiRezhimaForm"));
    setWindowTitle(QStringLiteral("Проверки режима"));
    setModal(true);
    setSizeGripEnabled(true);

    volm::Database& gr = app_.dm.acGR;
    volm::ensureRegimeTables(gr);
    limits_ = std::make_unique<volm::Table>(gr, QStringLiteral("ПределыНапоров"));
    limits_->open();
    rules_ = std::make_unique<volm::Table>(gr, QStringLiteral("ПроверкиРежима"));
    rules_->setSort(QStringLiteral("Nпп ASC"));
    rules_->open();
    // A new rule goes after the others; a rule on an unknown indicator is reported.
    rules_->beforePost = [this](volm::Table& t) {
        if (t.isNull(QStringLiteral("Nпп"))) {
            int last = 0;
            for (int r = 0; r < t.rowCount(); ++r)
                last = std::max(last, t.valueAt(r, t.fieldIndex(QStringLiteral("Nпп"))).toInt());
            t.setValue(QStringLiteral("Nпп"), last + 1);
        }
        const QString message = volm::calc::unknownIndicatorMessage(
            app_.dm.acGR, t.value(QStringLiteral("Показатель")).toString());
        if (!message.isEmpty()) app_.person().message(message);
    };

    limitsModel = new DataGridModel(this);
    limitsModel->setPerson(&app_.person());
    limitsModel->setLocale(app_.locale);
    limitsModel->setTable(limits_.get());
    describe(limitsModel, {{"МинНапор", "Мин. давление, м", 130},
                           {"ПровМинНапор", "Проверять", 80},
                           {"МаксНапор", "Макс. давление, м", 135},
                           {"ПровМаксНапор", "Проверять", 80},
                           {"ЗапасВскип", "Запас до вскипания, м", 165},
                           {"ПровВскип", "Проверять", 80},
                           {"ТребРНап", "Распол. напор на конце, м", 190},
                           {"ПровТребРНап", "Проверять", 80}});
    DGLimits = new DataGridView(this);
    DGLimits->setObjectName(QStringLiteral("DGLimits"));
    DGLimits->setGridModel(limitsModel);
    DGLimits->setAppendAllowed(false);
    DGLimits->setFixedHeight(DGLimits->horizontalHeader()->height() + DGLimits->verticalHeader()->defaultSectionSize() + 6);

    rulesModel = new DataGridModel(this);
    rulesModel->setPerson(&app_.person());
    rulesModel->setLocale(app_.locale);
    rulesModel->setTable(rules_.get());
    describe(rulesModel, {{"Показатель", "Показатель", 110},
                          {"Условие", "Условие", 80},
                          {"Предел", "Предел", 80},
                          {"Предупреждение", "Предупреждение", 460}});
    DGRules = new DataGridView(this);
    DGRules->setObjectName(QStringLiteral("DGRules"));
    DGRules->setGridModel(rulesModel);
    DGRules->setAppendAllowed(true);

    btnAdd = new QPushButton(QStringLiteral("Добавить правило"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    connect(btnAdd, &QPushButton::clicked, this, [this] {
        if (rulesModel->appendRow()) DGRules->setFocus();
    });
    btnDelete = new QPushButton(QStringLiteral("Удалить правило"), this);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        if (!rules_->isEmpty() || rules_->editing()) rulesModel->removeCurrentRow();
    });
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    mmWarnings = new QPlainTextEdit(this);
    mmWarnings->setObjectName(QStringLiteral("mmWarnings"));
    mmWarnings->setReadOnly(true);
    mmWarnings->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmWarnings->setFixedHeight(110);
    // Stored rules and limits change the warnings: computed once the change settles.
    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setInterval(0);
    connect(refresh_, &QTimer::timeout, this, &TProverkiRezhimaForm::refreshWarnings);
    for (DataGridModel* m : {limitsModel, rulesModel}) {
        connect(m, &DataGridModel::cursorStateChanged, refresh_, qOverload<>(&QTimer::start));
        connect(m, &QAbstractItemModel::rowsRemoved, refresh_, qOverload<>(&QTimer::start));
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnDelete);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Напоры в узлах теплосети (давление над поверхностью земли):"), this));
    layout->addWidget(DGLimits);
    layout->addWidget(new QLabel(QStringLiteral("Правила на показатели:"), this));
    layout->addWidget(DGRules, 1);
    layout->addWidget(new QLabel(QStringLiteral("Предупреждения по результатам расчета:"), this));
    layout->addWidget(mmWarnings);
    layout->addLayout(buttons);
    resize(1000, 540);
    refreshWarnings();
}

void TProverkiRezhimaForm::refreshWarnings() {
    // Only stored rules count: a row being edited waits for its post.
    if (limits_->editing() || rules_->editing()) return;
    if (!app_.RasVip) {
        mmWarnings->setPlainText(QStringLiteral("Расчет не выполнен."));
        return;
    }
    const std::vector<QString> lines = volm::storedRegimeWarnings(app_);
    mmWarnings->setPlainText(lines.empty() ? QStringLiteral("Предупреждений нет.")
                                           : volm::calc::RegimeWarnings{lines, {}}.block().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

TProverkiRezhimaForm::~TProverkiRezhimaForm() {
    limitsModel->setTable(nullptr);
    rulesModel->setTable(nullptr);
}

bool TProverkiRezhimaForm::postPending() {
    DGLimits->flushEditor();
    DGRules->flushEditor();
    for (DataGridModel* m : {limitsModel, rulesModel})
        if (m->table() && m->table()->editing() && !m->postRow()) return false;
    return true;
}

void TProverkiRezhimaForm::done(int result) {
    if (!postPending()) return;
    QDialog::done(result);
}

void TProverkiRezhimaForm::run(volm::App& app, QWidget* parent) {
    if (!app.dm.acGR.isOpen()) return;
    TProverkiRezhimaForm dlg(app, parent);
    dlg.exec();
}
