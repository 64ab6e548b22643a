#include "ui/chart_window.h"

#include "store/controls_pause.h"
#include "store/errors.h"
#include "store/output_file.h"
#include "store/startup.h"
#include "ui/chart_plot.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

namespace volm::ui {

namespace {

// Runs a command of the window; a failure is shown with its message and
// leaves the chart as far as it was drawn.
template <typename Body> void reported(App& app, Body&& body) {
    try {
        body();
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        app.person().message(failureText(e));
    }
}

}  // namespace

TGrForm::TGrForm(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    addHelpKey(this, QStringLiteral("chart.html"));
    setObjectName(QStringLiteral("GrForm"));
    setWindowTitle(QStringLiteral("Формировать график"));
    setSizeGripEnabled(true);
    resize(960, 640);

    auto* menu = new QMenuBar(this);
    miGenerate = menu->addAction(QStringLiteral("Сформировать"));
    miCopy = menu->addAction(QStringLiteral("Копировать"));
    miSaveAs = menu->addAction(QStringLiteral("Сохранить как..."));
    miClose = menu->addAction(QStringLiteral("Закрыть"));
    miGenerate->setObjectName(QStringLiteral("miGenerate"));
    miCopy->setObjectName(QStringLiteral("miCopy"));
    miSaveAs->setObjectName(QStringLiteral("miSaveAs"));
    miClose->setObjectName(QStringLiteral("miClose"));

    cbTipGr = new QComboBox(this);
    cbTipGr->setObjectName(QStringLiteral("cbTipGr"));
    cbTipGr->addItems({QStringLiteral("Пьезометрический"), QStringLiteral("Температурный (приблизительный)")});
    cbMag = new QComboBox(this);
    cbMag->setObjectName(QStringLiteral("cbMag"));
    cbNachUz = new QComboBox(this);
    cbNachUz->setObjectName(QStringLiteral("cbNachUz"));
    cbKonUz = new QComboBox(this);
    cbKonUz->setObjectName(QStringLiteral("cbKonUz"));
    for (QComboBox* c : {cbMag, cbNachUz, cbKonUz}) c->setMaxVisibleItems(25);
    cbMag->setMinimumContentsLength(18);
    cbNachUz->setMinimumContentsLength(6);
    cbKonUz->setMinimumContentsLength(6);
    cbUDPT = new QCheckBox(QStringLiteral("Учитывать длину подающего трубопровода"), this);
    cbUDPT->setObjectName(QStringLiteral("cbUDPT"));
    cbUDPT->setChecked(true);
    cbBW = new QCheckBox(QStringLiteral("Черно-белый график"), this);
    cbBW->setObjectName(QStringLiteral("cbBW"));
    crt = new ChartPlot(this);
    crt->setObjectName(QStringLiteral("crt"));

    auto* row1 = new QHBoxLayout;
    auto labelled = [&](QHBoxLayout* row, const QString& text, QWidget* w) {
        auto* l = new QLabel(text, this);
        l->setBuddy(w);
        row->addWidget(l);
        row->addWidget(w);
    };
    labelled(row1, QStringLiteral("Тип графика:"), cbTipGr);
    labelled(row1, QStringLiteral("Магистраль:"), cbMag);
    row1->addStretch(1);
    auto* row2 = new QHBoxLayout;
    labelled(row2, QStringLiteral("Начальный узел:"), cbNachUz);
    labelled(row2, QStringLiteral("Конечный узел:"), cbKonUz);
    row2->addWidget(cbUDPT);
    row2->addWidget(cbBW);
    row2->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addWidget(crt, 1);

    connect(miGenerate, &QAction::triggered, this, &TGrForm::generate);
    connect(miCopy, &QAction::triggered, this, &TGrForm::copyChart);
    connect(miSaveAs, &QAction::triggered, this, &TGrForm::saveChartAs);
    connect(miClose, &QAction::triggered, this, &QDialog::close);
    auto refillBoth = [this] {
        if (filling_) return;
        fillStartNodes();
        fillEndNodes();
    };
    connect(cbMag, &QComboBox::currentIndexChanged, this, refillBoth);
    connect(cbTipGr, &QComboBox::currentIndexChanged, this, refillBoth);
    connect(cbNachUz, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) fillEndNodes();
    });
}

const ChartMain* TGrForm::chosenMain() const {
    const int i = cbMag->currentIndex();
    return i >= 0 && size_t(i) < mains_.mains.size() ? &mains_.mains[size_t(i)] : nullptr;
}

void TGrForm::Show() {
    filling_ = true;
    cbMag->clear();
    cbNachUz->clear();
    cbKonUz->clear();
    crt->clearChart();
    mains_ = buildMainList(readMainRows(app_.dm.acGR));
    QStringList items;
    items.reserve(qsizetype(mains_.mains.size()));
    for (const ChartMain& m : mains_.mains) items << m.text;
    cbMag->addItems(items);
    cbMag->setCurrentIndex(items.isEmpty() ? -1 : 0);
    filling_ = false;
    fillStartNodes();
    fillEndNodes();
    if (!mains_.problems.isEmpty()) app_.person().message(mains_.problems.join(QChar(13)));
}

void TGrForm::fillStartNodes() {
    const QString before = cbNachUz->currentText();
    filling_ = true;
    cbNachUz->clear();
    if (const ChartMain* m = chosenMain()) {
        const QStringList items = startNodeItems(*m);
        cbNachUz->addItems(items);
        cbNachUz->setCurrentIndex(keptItem(items, before, false));
    }
    filling_ = false;
}

void TGrForm::fillEndNodes() {
    const QString before = cbKonUz->currentText();
    filling_ = true;
    cbKonUz->clear();
    if (const ChartMain* m = chosenMain()) {
        const QStringList items = endNodeItems(*m, cbNachUz->currentText());
        cbKonUz->addItems(items);
        cbKonUz->setCurrentIndex(keptItem(items, before, true));
    }
    filling_ = false;
}

void TGrForm::generate() {
    reported(app_, [&] {
        const ChartMain* m = chosenMain();
        if (!m) {
            app_.person().message(QStringLiteral("Нет магистрали для построения графика."));
            return;
        }
        BusyGuard busy(app_.person());
        if (!source_) source_ = readChartSource(app_);
        ChartRequest request;
        request.kind = cbTipGr->currentIndex() == 1 ? ChartKind::Temperature : ChartKind::Piezometric;
        request.startNode = cbNachUz->currentText();
        request.endNode = cbKonUz->currentText();
        request.byLength = cbUDPT->isChecked();
        request.blackAndWhite = cbBW->isChecked();
        const Chart chart = buildChart(*source_, *m, request);
        crt->showChart(chart);
        if (!chart.error.isEmpty()) app_.person().message(chart.error);
    });
}

void TGrForm::copyChart() {
    QApplication::clipboard()->setPixmap(crt->toPixmap());
    app_.person().message(QStringLiteral("График скопирован в буфер обмена."));
}

void TGrForm::saveChartAs() {
    const QString proposed = proposedOutputName(app_.dm.acGR.path(), QStringLiteral(".png"));
    QString name = app_.person().saveFileName(QStringLiteral("Сохранить график как..."),
                                              QStringLiteral("Рисунок PNG (*.png)|*.png|Документ PDF (*.pdf)|*.pdf"),
                                              proposed);
    if (name.isEmpty()) return;
    const bool pdf = name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) name += QStringLiteral(".png");
    const QString destination = outputDestination(name);
    if (const QString why = refusedOutputTarget(protectedFiles(app_), OutputKind::Chart, name, destination);
        !why.isEmpty()) {
        app_.person().message(why);
        return;
    }
    if (QFileInfo::exists(name) &&
        !app_.person().ask(QStringLiteral("Файл \"") + name + QStringLiteral("\" уже существует. Заменить его?")))
        return;
    try {
        crt->writeTo(destination, pdf);
    } catch (const Error& e) {
        app_.person().message(e.message());
    }
}

void TGrForm::launch(App& app, QWidget* parent) {
    Table* t = app.dm.atTabl.get();
    const bool suspend = t && t->isOpen() && !t->controlsDisabled();
    ControlsPause pause(suspend ? t : nullptr);
    SohranitDannie(app);
    if (!app.RasVip) {
        app.person().message(QStringLiteral(
            "Перед формированием графика необходимо выполнить расчет (Команда: Данные / Выполнить расчет)."));
        return;
    }
    const int record = t && t->isOpen() ? t->recNo() : -1;
    {
        TGrForm form(app, parent);
        form.Show();
        form.exec();
    }
    if (record > 0 && t && t->isOpen()) {
        t->first();
        t->moveBy(record - 1);
    }
}

}  // namespace volm::ui
