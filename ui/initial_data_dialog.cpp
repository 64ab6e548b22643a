#include "ui/initial_data_dialog.h"

#include "store/app.h"
#include "store/command.h"
#include "store/initial_data_check.h"
#include "store/looped_network.h"
#include "store/record_list.h"
#include "store/records.h"
#include "store/str_to_int.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

using volm::ui::boldLabel;
using volm::ui::centredColumn;
using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

namespace {

const QString kNodesContext = QStringLiteral("Ошибка при записи данных в таблицу \"Узлы тепловой сети\".");
const QString kHeadChangesContext =
    QStringLiteral("Ошибка при записи данных в таблицу \"Изменение полного напора в узлах теплосети\".");

}  // namespace

TVvodNachDannForm::TVvodNachDannForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("calculation.html"));
    setObjectName(QStringLiteral("VvodNachDannForm"));
    setWindowTitle(QStringLiteral("Ввод начальных данных"));
    setModal(true);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    buildGrids();

    // The right panel: network type, flows from the end nodes, start node.
    auto* right = new QWidget(this);
    right->setObjectName(QStringLiteral("pnRight"));
    rgTipSeti = new QGroupBox(QStringLiteral("Тип сети"), right);
    rgTipSeti->setObjectName(QStringLiteral("rgTipSeti"));
    rbOneTube = new QRadioButton(QStringLiteral("Однотрубная"), rgTipSeti);
    rbTwoTube = new QRadioButton(QStringLiteral("Двухтрубная"), rgTipSeti);
    networkType_ = new QButtonGroup(this);
    networkType_->addButton(rbOneTube, 0);
    networkType_->addButton(rbTwoTube, 1);
    auto* types = new QVBoxLayout(rgTipSeti);
    types->addWidget(rbOneTube);
    types->addWidget(rbTwoTube);

    cbRasRash = new QCheckBox(right);
    cbRasRash->setObjectName(QStringLiteral("cbRasRash"));
    lbRasRash = new QLabel(
        QStringLiteral("Вычислять расход воды для каждого участка по заданным расходам в конечных узлах сети"), right);
    lbRasRash->setWordWrap(true);
    lbRasRash->setBuddy(cbRasRash);
    lbRasRash->installEventFilter(this);
    cbRasRash->setAccessibleName(lbRasRash->text());
    auto* flows = new QHBoxLayout;
    flows->addWidget(cbRasRash, 0, Qt::AlignTop);
    flows->addWidget(lbRasRash, 1);

    cbLooped = new QCheckBox(QStringLiteral("Сеть с кольцами"), right);
    cbLooped->setObjectName(QStringLiteral("cbLooped"));

    auto* lbNomNachUz = new QLabel(QStringLiteral("Номер начального узла тепловой сети:"), right);
    lbNomNachUz->setWordWrap(true);
    edNomNachUz = new QLineEdit(right);
    edNomNachUz->setObjectName(QStringLiteral("edNomNachUz"));
    edNomNachUz->setMaximumWidth(90);
    lbNomNachUz->setBuddy(edNomNachUz);

    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(6, 0, 0, 0);
    rightLayout->addWidget(rgTipSeti);
    rightLayout->addSpacing(6);
    rightLayout->addLayout(flows);
    rightLayout->addSpacing(6);
    rightLayout->addWidget(cbLooped);
    rightLayout->addSpacing(6);
    rightLayout->addWidget(lbNomNachUz);
    rightLayout->addWidget(edNomNachUz);
    rightLayout->addStretch(1);
    right->setFixedWidth(250);

    auto* top = new QWidget(this);
    auto* nodesColumn = new QVBoxLayout;
    nodesColumn->setSpacing(2);
    nodesColumn->addWidget(boldLabel(QStringLiteral(" Узлы тепловой сети:"), top));
    nodesColumn->addWidget(DGUzliTS, 1);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(nodesColumn, 1);
    topLayout->addWidget(right);

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("pnIsmPNap"));
    bottom->setMinimumHeight(60);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(2);
    bottomLayout->addWidget(boldLabel(QStringLiteral(" Изменение полного напора в узлах теплосети:"), bottom));
    bottomLayout->addWidget(DGIsmPNap, 1);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* bar = new QMenuBar(this);
    buildMenu(bar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setMenuBar(bar);
    layout->addWidget(splitter);

    // Never narrower than the controls and their titles need, whatever the font.
    setMinimumSize(QSize(480, 370).expandedTo(minimumSizeHint()));
    resize(QSize(640, 470).expandedTo(sizeHint()));

    applyFonts(volm::ui::dialogFontSizes(app_));
    connect(&app_, &volm::App::fontsChanged, this, &TVvodNachDannForm::applyFonts);
}

TVvodNachDannForm::~TVvodNachDannForm() = default;

void TVvodNachDannForm::applyFonts(volm::FontSizes sizes) {
    for (DataGridView* v : {DGUzliTS, DGIsmPNap}) {
        volm::ui::applyGridFont(v, sizes);
        volm::ui::fitColumnTitles(v);
    }
}

void TVvodNachDannForm::buildGrids() {
    nodesModel = new DataGridModel(this);
    nodesModel->setPerson(&app_.person());
    nodesModel->setLocale(app_.locale);
    nodesModel->setTable(app_.dm.atUzliTS.get());
    nodesModel->setFields({QStringLiteral("Nуз"), QStringLiteral("ГеодВыс")});
    nodesModel->setColumnLook(QStringLiteral("Nуз"), centredColumn(QStringLiteral("Номер узла"), 90));
    nodesModel->setColumnLook(QStringLiteral("ГеодВыс"), centredColumn(QStringLiteral("Геодезическая высота узла, м."), 200));
    DGUzliTS = new DataGridView(this);
    DGUzliTS->setObjectName(QStringLiteral("DGUzliTS"));
    DGUzliTS->setGridModel(nodesModel);

    headChangesModel = new DataGridModel(this);
    headChangesModel->setPerson(&app_.person());
    headChangesModel->setLocale(app_.locale);
    headChangesModel->setTable(app_.dm.atIzmPNapVUzlahTS.get());
    headChangesModel->setFields({QStringLiteral("Nуз"), QStringLiteral("ТрПр"), QStringLiteral("ИзмПНап")});
    headChangesModel->setColumnLook(QStringLiteral("Nуз"), centredColumn(QStringLiteral("Узел (кроме нач. узла)"), 150));
    ColumnLook pipe = centredColumn(QStringLiteral("Трубопровод (Под. или Обр.)"), 190);
    pipe.trueText = QStringLiteral("Обр.");
    pipe.falseText = QStringLiteral("Под.");
    headChangesModel->setColumnLook(QStringLiteral("ТрПр"), pipe);
    headChangesModel->setColumnLook(QStringLiteral("ИзмПНап"), centredColumn(QStringLiteral("Изменение напора, м."), 150));
    DGIsmPNap = new DataGridView(this);
    DGIsmPNap->setObjectName(QStringLiteral("DGIsmPNap"));
    DGIsmPNap->setGridModel(headChangesModel);
}

void TVvodNachDannForm::buildMenu(QMenuBar* bar) {
    miUzliTS = bar->addMenu(QStringLiteral("Узлы ТС"));
    miUzliTS->setObjectName(QStringLiteral("miUzliTS"));
    miUzliTSSelAll = miUzliTS->addAction(QStringLiteral("Выделить все записи"), this, &TVvodNachDannForm::selectAllNodes);
    miUzliTSDelRec = miUzliTS->addAction(QStringLiteral("Удалить записи"), this, &TVvodNachDannForm::deleteSelectedNodes);
    miUzliTSDelAllRec = miUzliTS->addAction(QStringLiteral("Удалить все записи"), this, &TVvodNachDannForm::deleteAllNodes);
    miUzliTSAutoZapol = miUzliTS->addAction(QStringLiteral("Автозаполнение узлов тепловой сети"), this, [this] {
        DGUzliTS->endEditing();
        if (autoFill_) autoFill_(this);
    });

    miIsmPNap = bar->addMenu(QStringLiteral("Изменение полного напора в узлах ТС"));
    miIsmPNap->setObjectName(QStringLiteral("miIsmPNap"));
    miIsmPNapSelAll =
        miIsmPNap->addAction(QStringLiteral("Выделить все записи"), this, &TVvodNachDannForm::selectAllHeadChanges);
    miIsmPNapDelRec =
        miIsmPNap->addAction(QStringLiteral("Удалить записи"), this, &TVvodNachDannForm::deleteSelectedHeadChanges);
    miIsmPNapDelAllRec =
        miIsmPNap->addAction(QStringLiteral("Удалить все записи"), this, &TVvodNachDannForm::deleteAllHeadChanges);

    miSaveClose = bar->addAction(QStringLiteral("Сохранить и закрыть"));
    connect(miSaveClose, &QAction::triggered, this, [this] { close(); });

    miUzliTSSelAll->setObjectName(QStringLiteral("miUzliTSSelAll"));
    miUzliTSDelRec->setObjectName(QStringLiteral("miUzliTSDelRec"));
    miUzliTSDelAllRec->setObjectName(QStringLiteral("miUzliTSDelAllRec"));
    miUzliTSAutoZapol->setObjectName(QStringLiteral("miUzliTSAutoZapol"));
    miIsmPNapSelAll->setObjectName(QStringLiteral("miIsmPNapSelAll"));
    miIsmPNapDelRec->setObjectName(QStringLiteral("miIsmPNapDelRec"));
    miIsmPNapDelAllRec->setObjectName(QStringLiteral("miIsmPNapDelAllRec"));
    miSaveClose->setObjectName(QStringLiteral("miSaveClose"));
}

bool TVvodNachDannForm::eventFilter(QObject* watched, QEvent* event) {
    // The wrapped caption ticks its check box like the box's own text would.
    if (watched == lbRasRash && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && cbRasRash->isEnabled()) {
        cbRasRash->toggle();
        cbRasRash->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int TVvodNachDannForm::networkTypeIndex() const { return networkType_->checkedId(); }

void TVvodNachDannForm::setNetworkTypeIndex(int index) {
    if (QAbstractButton* b = networkType_->button(index)) {
        b->setChecked(true);
        return;
    }
    networkType_->setExclusive(false);
    rbOneTube->setChecked(false);
    rbTwoTube->setChecked(false);
    networkType_->setExclusive(true);
}

void TVvodNachDannForm::load() {
    volm::Table& nazv = *app_.dm.atNazvRasch;
    nazv.first();
    const QVariant type = nazv.value(QStringLiteral("ТипСети"));
    setNetworkTypeIndex(type.isNull() ? -1 : type.toInt());
    cbRasRash->setChecked(nazv.value(QStringLiteral("РасчРасх")).toBool());
    cbLooped->setChecked(nazv.fieldIndex(volm::kLoopedColumn) >= 0 && nazv.value(volm::kLoopedColumn).toBool());
    const QVariant start = nazv.value(QStringLiteral("NНачУз"));
    edNomNachUz->setText(start.isNull() ? QString() : QString::number(start.toLongLong()));
    for (DataGridView* v : {DGUzliTS, DGIsmPNap}) {
        const int row = v->currentIndex().isValid() ? v->currentIndex().row() : 0;
        if (v->model() && v->model()->rowCount() > 0)
            v->setCurrentIndex(v->model()->index(row, 0));
    }
    DGUzliTS->setFocus();
}

void TVvodNachDannForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    DGUzliTS->setFocus();
}

bool TVvodNachDannForm::storeOnClose() {
    volm::DataModule& dm = app_.dm;
    volm::ErrorContext ctx;
    try {
        ctx = kNodesContext;
        DGUzliTS->endEditing();
        volm::postPendingRow(*dm.atUzliTS);

        ctx = kHeadChangesContext;
        DGIsmPNap->endEditing();
        volm::postPendingRow(*dm.atIzmPNapVUzlahTS);

        volm::Table& nazv = *dm.atNazvRasch;
        const bool looped = cbLooped->isChecked();
        ctx = QStringLiteral("Ошибка при записи параметра \"Сеть с кольцами\".");
        if (looped && nazv.fieldIndex(volm::kLoopedColumn) < 0) {
            volm::ensureLoopedColumn(dm.acGR);
            nazv.close();
            nazv.open();
        }
        ctx = QStringLiteral("Ошибка при записи параметра \"Тип сети\".");
        nazv.first();
        nazv.edit();
        nazv.setValue(QStringLiteral("ТипСети"), networkTypeIndex());

        ctx = QStringLiteral(
            "Ошибка при записи параметра \"Вычислять расход воды для каждого участка по заданным расходам в конечных "
            "узлах сети\".");
        nazv.setValue(QStringLiteral("РасчРасх"), cbRasRash->isChecked());

        if (nazv.fieldIndex(volm::kLoopedColumn) >= 0) {
            ctx = QStringLiteral("Ошибка при записи параметра \"Сеть с кольцами\".");
            nazv.setValue(volm::kLoopedColumn, looped);
        }

        ctx = QStringLiteral("Ошибка при записи параметра \"Номер начального узла тепловой сети\".");
        const QString start = edNomNachUz->text();
        nazv.setValue(QStringLiteral("NНачУз"), start.trimmed().isEmpty() ? 0 : volm::strToInt(start));
        nazv.post();

        ctx = QStringLiteral("Ошибка при проверке начальных данных.");
        volm::ProveritNachDann(app_);
    } catch (const volm::Abort&) {
        // A row refused by its own check (its message is shown) is dropped, so no
        // table stays in editing after the dialog has closed.
        for (volm::Table* t : {dm.atUzliTS.get(), dm.atIzmPNapVUzlahTS.get(), dm.atNazvRasch.get()})
            if (t && t->editing()) t->cancel();
        return true;
    } catch (const volm::Error& e) {
        app_.person().message(volm::standardReport(ctx.text, e.className(), e.message()));
        return false;
    } catch (const std::exception& e) {
        app_.person().message(
            volm::standardReport(ctx.text, QStringLiteral("Exception"), QString::fromUtf8(e.what())));
        return false;
    }
    return true;
}

void TVvodNachDannForm::done(int result) {
    if (closing_) return;
    closing_ = true;
    volm::Finally reset([this] { closing_ = false; });
    if (!storeOnClose()) return;
    QDialog::done(result);
}

void TVvodNachDannForm::selectAll(DataGridView* view) {
    volm::Table* t = view->gridModel()->table();
    if (!t || t->isEmpty()) return;
    view->selectAllRows();
}

void TVvodNachDannForm::deleteSelected(DataGridView* view,
                                       const std::function<QString(const volm::Table&, int)>& statement) {
    volm::Table* t = view->gridModel()->table();
    if (!t) return;
    volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при удалении записей.");
        view->endEditing();
        volm::postPendingRow(*t);
        const QList<int> rows = view->selectedRowNumbers();
        if (volm::deleteSelectedRecords(app_.person(), *t, app_.dm.acGR, std::vector<int>(rows.begin(), rows.end()),
                                        statement))
            view->clearSelection();
    });
}

void TVvodNachDannForm::deleteAll(DataGridView* view) {
    volm::Table* t = view->gridModel()->table();
    if (!t) return;
    volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при удалении записей.");
        view->endEditing();
        if (volm::deleteAllRecords(app_.person(), *t, app_.dm.acGR)) view->clearSelection();
    });
}

void TVvodNachDannForm::selectAllNodes() { selectAll(DGUzliTS); }
void TVvodNachDannForm::deleteSelectedNodes() { deleteSelected(DGUzliTS, volm::deleteNodeStatement); }
void TVvodNachDannForm::deleteAllNodes() { deleteAll(DGUzliTS); }
void TVvodNachDannForm::selectAllHeadChanges() { selectAll(DGIsmPNap); }
void TVvodNachDannForm::deleteSelectedHeadChanges() { deleteSelected(DGIsmPNap, volm::deleteHeadChangeStatement); }
void TVvodNachDannForm::deleteAllHeadChanges() {
    deleteAll(DGIsmPNap);
}

bool TVvodNachDannForm::run(volm::App& app, QWidget* parent, AutoFill autoFill) {
    volm::DataModule& dm = app.dm;
    if (!dm.acGR.isOpen() || !dm.atNazvRasch || !dm.atUzliTS || !dm.atIzmPNapVUzlahTS) return false;
    volm::Person& person = app.person();

    const bool ready = volm::runReported(person, [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении данных.");
        volm::UstanovitRasVip(app, false);
        app.editors().flushEditors();
        if (dm.atZag && dm.atZag->editing()) dm.atZag->post();
        if (dm.atTabl && dm.atTabl->editing()) volm::ZapisatUchastok(app);
        dm.atUzliTS->first();
    });
    if (ready) {
        TVvodNachDannForm dlg(app, parent);
        dlg.setAutoFill(std::move(autoFill));
        dlg.load();
        dlg.exec();

        person.status(QStringLiteral("Проверка синтаксиса показателей расчета..."));
        person.processEvents();
        volm::Finally clearStatus([&] { person.status(QString()); });
        volm::runReported(person, [&](volm::ErrorContext& ctx) {
            ctx = QStringLiteral("Ошибка при настройке структуры таблиц гидравлического расчета.");
            if (volm::CatalogueCheck* check = app.catalogueCheck()) check->checkAndRebuild(app);
        });
    }
    app.changed();
    return true;
}
