// TMainForm: layout, the view of the App's state, the lock, start-up and
// shutdown. The commands are in main_window_commands.cpp, the caption boxes in
// main_window_captions.cpp.
#include "ui/main_window.h"

#include "store/command.h"
#include "store/startup.h"
#include "ui/caption_strip.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/window_memory.h"
#include "ui/result_columns.h"
#include "ui/undo_steps.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace volm::ui {

namespace {

// Geometry of the panels (pixels).
constexpr int kNameBarHeight = 27;
constexpr int kHeaderCaptionTop = 27;
constexpr int kCaptionHeight = 67;
constexpr int kHeaderGridTop = 94;
constexpr int kTopPanelHeight = 157;
constexpr int kLeftPanelWidth = 147;
// Column pitch of the grids: the column width and its grid line.
constexpr int kHeaderPitch = 111;
constexpr int kSectionPitch = 104;

}  // namespace

TMainForm::TMainForm(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    undoSteps_ = new UndoSteps(app_, [this] { storePendingEdits(); }, this);
    undoSteps_->applied = [this] {
        // A step that rebuilt the tables has the formulas checked again.
        state_.gridsVisible = app_.FormuliProvereny;
        showHeader(storedHeader(app_));
        syncFromApp();
    };
    addActions({undoSteps_->undoAction(), undoSteps_->redoAction()});
    buildLayout();
    buildActions();
    buildMenus();
    buildViewMenu();
    buildToolBar();
    setUpGridEditing();
    app_.setEditorHost(this);
    // The formula check and the table rebuild let the screen repaint while they
    // run; the window stays locked meanwhile, whoever starts them.
    check_ = app_.catalogueCheck();
    if (check_) app_.setCatalogueCheck(this);
    calculationOpened();
    setUpHabits();

    connect(&app_, &App::stateChanged, this, &TMainForm::syncFromApp);
    connect(&app_, &App::calculationOpened, this, &TMainForm::calculationOpened);
    connect(&app_, &App::calculationClosed, this, &TMainForm::calculationClosed);
    connect(&app_, &App::tablesShaped, this, [this](bool twoPipe) { state_.availNodeEnabled = twoPipe; });
    connect(&app_, &App::fontsChanged, this, &TMainForm::applyFonts);

    resize(1016, 426 + menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() +
                     statusBar()->sizeHint().height());
    setMinimumSize(640, 480);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.center() - rect().center());
    }
    syncFromApp();
}

TMainForm::~TMainForm() {
    // The App outlives the window: it must not call into a dead window.
    app_.setEditorHost(nullptr);
    if (check_) app_.setCatalogueCheck(check_);
    zagModel->setTable(nullptr);
    nuModel->setTable(nullptr);
    glavnModel->setTable(nullptr);
}

void TMainForm::buildLayout() {
    // Top panel: name bar, header caption boxes, header grid.
    pnTop = new QWidget;
    auto* nameBar = new QWidget(pnTop);
    nameBar->setObjectName(QStringLiteral("pnRasName"));
    auto* nb = new QHBoxLayout(nameBar);
    nb->setContentsMargins(4, 2, 4, 2);
    edRasName = new QLineEdit;
    QFont bold = edRasName->font();
    bold.setBold(true);
    edRasName->setFont(bold);
    edRasName->setToolTip(QStringLiteral("Введите название гидравлического расчета"));
    lbNuzPNapPod = new QLabel(QStringLiteral("ПНапНаУзПод задан для узла: "));
    edNuzPNapPod = new QLineEdit;
    edNuzPNapPod->setFixedWidth(43);
    lbNuzRNap = new QLabel(QStringLiteral("РНапНаУз задан для узла: "));
    edNuzRNap = new QLineEdit;
    edNuzRNap->setFixedWidth(43);
    edNuzRNap->setEnabled(false);
    nb->addWidget(edRasName, 1);
    nb->addSpacing(12);
    nb->addWidget(lbNuzPNapPod);
    nb->addWidget(edNuzPNapPod);
    nb->addSpacing(8);
    nb->addWidget(lbNuzRNap);
    nb->addWidget(edNuzRNap);

    gbZag = new CaptionStrip(6, kHeaderPitch, pnTop);
    DGZag = new DataGridView(pnTop);
    DGZag->setObjectName(QStringLiteral("DGZag"));
    DGZag->setAppendAllowed(false);
    DGZag->setSelectionMode(QAbstractItemView::NoSelection);
    DGZag->setDefaultColumnWidth(kHeaderPitch);
    zagModel = new DataGridModel(this);
    zagModel->setPerson(&app_.person());
    locale_ = app_.locale;
    zagModel->setLocale(locale_);
    DGZag->setGridModel(zagModel);
    pnTop->installEventFilter(this);
    nameBar->setGeometry(0, 0, 1016, kNameBarHeight);
    pnTop->setMinimumHeight(25);
    pnTop->setMaximumHeight(220);

    // Left panel: "Номер участка" over the section-number grid.
    pnLeft = new QWidget;
    auto* lv = new QVBoxLayout(pnLeft);
    lv->setContentsMargins(0, 0, 0, 0);
    lv->setSpacing(0);
    auto* leftBox = new QFrame;
    leftBox->setFrameShape(QFrame::StyledPanel);
    leftBox->setFrameShadow(QFrame::Sunken);
    leftBox->setFixedHeight(kCaptionHeight);
    auto* lbl = new QVBoxLayout(leftBox);
    lbl->setContentsMargins(3, 2, 3, 2);
    lbLeft = new QLabel(QStringLiteral("Номер участка"));
    lbLeft->setAlignment(Qt::AlignCenter);
    lbLeft->setWordWrap(true);
    lbl->addWidget(lbLeft);
    DGNU = new DataGridView;
    DGNU->setObjectName(QStringLiteral("DGNU"));
    DGNU->setAppendAllowed(false);
    DGNU->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DGNU->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DGNU->setSelectionMode(QAbstractItemView::NoSelection);
    nuModel = new DataGridModel(this);
    nuModel->setPerson(&app_.person());
    nuModel->setReadOnly(true);
    nuModel->setFields({QStringLiteral("НачУзел"), QStringLiteral("КонУзел")});
    ColumnLook start;
    start.width = 54;
    start.alignment = Qt::AlignCenter;
    nuModel->setColumnLook(QStringLiteral("НачУзел"), start);
    ColumnLook end = start;
    end.width = 76;
    nuModel->setColumnLook(QStringLiteral("КонУзел"), end);
    DGNU->setGridModel(nuModel);
    lv->addWidget(leftBox, 0, Qt::AlignTop);
    lv->addWidget(DGNU, 1);
    pnLeft->setMinimumWidth(20);
    pnLeft->setMaximumWidth(kLeftPanelWidth);
    leftBox->setMinimumWidth(0);
    DGNU->setMinimumWidth(0);

    // Client panel: section caption boxes over the section grid.
    pnClient = new QWidget;
    auto* cv = new QVBoxLayout(pnClient);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->setSpacing(0);
    gbGlavn = new CaptionStrip(18, kSectionPitch);
    gbGlavn->setFixedHeight(kCaptionHeight);
    gbGlavn->setMinimumWidth(0);
    DGGlavn = new DataGridView;
    DGGlavn->setObjectName(QStringLiteral("DGGlavn"));
    DGGlavn->setDefaultColumnWidth(kSectionPitch);
    glavnModel = new DataGridModel(this);
    glavnModel->setPerson(&app_.person());
    glavnModel->setLocale(locale_);
    DGGlavn->setGridModel(glavnModel);
    cv->addWidget(gbGlavn, 0, Qt::AlignTop);
    cv->addWidget(DGGlavn, 1);
    pnClient->installEventFilter(this);

    // The two grids of the sections scroll together.
    connect(DGGlavn->verticalScrollBar(), &QScrollBar::valueChanged, DGNU->verticalScrollBar(), &QScrollBar::setValue);
    connect(DGNU->verticalScrollBar(), &QScrollBar::valueChanged, DGGlavn->verticalScrollBar(), &QScrollBar::setValue);
    followWithCaptions(DGZag);
    followWithCaptions(DGGlavn);

    splitterLeft = new QSplitter(Qt::Horizontal);
    splitterLeft->addWidget(pnLeft);
    splitterLeft->addWidget(pnClient);
    splitterLeft->setStretchFactor(0, 0);
    splitterLeft->setStretchFactor(1, 1);
    splitterLeft->setChildrenCollapsible(false);
    splitterLeft->setSizes({kLeftPanelWidth, 1016 - kLeftPanelWidth});

    splitterTop = new QSplitter(Qt::Vertical);
    splitterTop->addWidget(pnTop);
    splitterTop->addWidget(splitterLeft);
    splitterTop->setStretchFactor(0, 0);
    splitterTop->setStretchFactor(1, 1);
    splitterTop->setChildrenCollapsible(false);
    splitterTop->setSizes({kTopPanelHeight, 426 - kTopPanelHeight});
    setCentralWidget(splitterTop);

    StatusBar1 = new QLabel;
    statusBar()->addWidget(StatusBar1, 1);
    statusBar()->setSizeGripEnabled(true);
    placeCaptionStrips();
}

void TMainForm::flushEditors() {
    DGZag->flushEditor();
    DGGlavn->flushEditor();
}

bool TMainForm::headerGridEditing() const { return DGZag->isEditingCell(); }
bool TMainForm::sectionGridEditing() const { return DGGlavn->isEditingCell(); }

std::optional<HeaderTexts> TMainForm::typedHeader() const {
    return HeaderTexts{edRasName->text(), edNuzPNapPod->text(), edNuzRNap->text()};
}

bool TMainForm::check(App& app) {
    BlokirovatOkno();
    Finally unlock([this] { RazblokirovatOkno(); });
    return check_->check(app);
}

// The rebuild itself is no step: inside a recorded step (a dialog's session)
// the tables it changes are part of that step. Outside one, when it changed
// the tables, the steps recorded before it name columns that may be gone: they
// are forgotten (a step being taken back or made again shapes the tables it
// restored, which changes nothing).
void TMainForm::rebuild(App& app) {
    const bool kept = app.changes.inStep() || app.changes.paused();
    const QString before = app.dm.acGR.isOpen() && !kept ? schemaText(app.dm.acGR) : QString();
    {
        RecordingPause pause(app.changes);
        BlokirovatOkno();
        Finally unlock([this] { RazblokirovatOkno(); });
        check_->rebuild(app);
    }
    if (!kept && (!app.dm.acGR.isOpen() || schemaText(app.dm.acGR) != before)) undoSteps_->clear();
}

void TMainForm::showHeader(const HeaderTexts& texts) {
    for (auto [edit, text] : {std::pair{edRasName, &texts.calcName}, {edNuzPNapPod, &texts.supplyNode},
                              {edNuzRNap, &texts.availNode}})
        if (edit->text() != *text) edit->setText(*text);
}

// A message of the status bar belongs to the calculation it was about.
void TMainForm::calculationOpened() {
    undoSteps_->follow();
    state_.calculationOpened(app_);
    showHeader(storedHeader(app_));
    StatusBar1->clear();
}

void TMainForm::calculationClosed() {
    undoSteps_->follow();
    state_.calculationClosed();
    showHeader({});
    StatusBar1->clear();
}

// Places the top panel's parts as the panel is resized: the name bar, the header
// caption boxes at 27 and the header grid from 94 down to the panel's bottom.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == pnTop) {
            const int w = pnTop->width();
            if (auto* nameBar = pnTop->findChild<QWidget*>(QStringLiteral("pnRasName"), Qt::FindDirectChildrenOnly))
                nameBar->setGeometry(0, 0, w, kNameBarHeight);
            gbZag->setGeometry(0, kHeaderCaptionTop, w, kCaptionHeight);
            DGZag->setGeometry(0, kHeaderGridTop, w, std::max(0, pnTop->height() - kHeaderGridTop));
            placeCaptionStrips();
            refreshCaptions(DGZag);
        } else if (watched == pnClient) {
            placeCaptionStrips();
            refreshCaptions(DGGlavn);
        } else if (watched == DGZag || watched == DGGlavn) {
            refreshCaptions(static_cast<DataGridView*>(watched));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::bindGrids() {
    zagModel->setTable(app_.dm.atZag.get());
    glavnModel->setTable(app_.dm.atTabl.get());
    nuModel->setTable(app_.dm.atTabl.get());
}

// Widths, alignment and the node pick lists of the section grid (the rebuild's
// look of the grids): every header column 110 wide and centred; every section
// column 103 wide, centred but the note.
void TMainForm::configureColumns() {
    ColumnLook header;
    header.width = kHeaderPitch;
    header.alignment = Qt::AlignCenter;
    zagModel->setDefaultLook(header);

    ColumnLook section;
    section.width = kSectionPitch;
    section.alignment = Qt::AlignCenter;
    glavnModel->clearColumnLooks();
    glavnModel->setDefaultLook(section);
    ColumnLook note = section;
    note.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    glavnModel->setColumnLook(QStringLiteral("Примечание"), note);

    QStringList startNodes, endNodes;
    const Table* nodes = app_.dm.atUzliTS.get();
    const Table* name = app_.dm.atNazvRasch.get();
    QVariant startNode;
    if (name && name->isOpen() && !name->isEmpty()) {
        const int f = name->fieldIndex(QStringLiteral("NНачУз"));
        if (f >= 0) startNode = name->valueAt(0, f);
    }
    if (nodes && nodes->isOpen()) {
        const int f = nodes->fieldIndex(QStringLiteral("Nуз"));
        for (int r = 0; f >= 0 && r < nodes->rowCount(); ++r) {
            const QVariant v = nodes->valueAt(r, f);
            if (v.isNull()) continue;
            const QString n = QString::number(v.toLongLong());
            startNodes << n;
            if (startNode.isNull() || v.toLongLong() != startNode.toLongLong()) endNodes << n;
        }
    }
    ColumnLook startSpec = section;
    startSpec.pickList = startNodes;
    glavnModel->setColumnLook(QStringLiteral("НачУзел"), startSpec);
    ColumnLook endSpec = section;
    endSpec.pickList = endNodes;
    glavnModel->setColumnLook(QStringLiteral("КонУзел"), endSpec);
}

void TMainForm::syncFromApp() {
    setWindowTitle(state_.caption);
    edNuzRNap->setEnabled(state_.availNodeEnabled);
    if (app_.locale.name() != locale_.name() || app_.locale.decimalPoint() != locale_.decimalPoint()) {
        locale_ = app_.locale;
        zagModel->setLocale(locale_);
        glavnModel->setLocale(locale_);
    }
    bindGrids();
    configureColumns();
    applyResultColumns();
    DGZag->setVisible(state_.gridsVisible);
    DGNU->setVisible(state_.gridsVisible);
    DGGlavn->setVisible(state_.gridsVisible);
    if (!state_.gridsVisible) {
        gbZag->clearTexts();
        gbGlavn->clearTexts();
    }
    const bool bySections = app_.sectionSort != QStringLiteral("id ASC");
    miSortPoNU->setChecked(bySections);
    miSortPoVnutrSc->setChecked(!bySections);
    placeCaptionStrips();
    refreshCaptions();
}

void TMainForm::applyFonts(const FontSizes& sizes) {
    for (DataGridView* g : {DGZag, DGNU, DGGlavn}) applyGridFont(g, sizes);
    gbZag->setCaptionPointSize(sizes.captions);
    gbGlavn->setCaptionPointSize(sizes.captions);
    QFont f = lbLeft->font();
    f.setPointSize(sizes.captions);
    lbLeft->setFont(f);
    widenNodeColumns();
    placeCaptionStrips();
    refreshCaptions();
}

QString TMainForm::statusText() const { return StatusBar1->text(); }

void TMainForm::setStatusText(const QString& text) { StatusBar1->setText(text); }

// --- the lock ---------------------------------------------------------------

void TMainForm::BlokirovatOkno() {
    if (lockDepth_++ > 0) return;
    captionsFollow_ = false;
    updateStartHint();
    focusBeforeLock_ = QApplication::focusWidget();
    menuBar()->hide();
    ToolBar1->setEnabled(false);
    pnTop->setEnabled(false);
    pnLeft->setEnabled(false);
    pnClient->setEnabled(false);
}

void TMainForm::RazblokirovatOkno() {
    if (lockDepth_ == 0 || --lockDepth_ > 0) return;
    menuBar()->show();
    ToolBar1->setEnabled(true);
    pnTop->setEnabled(true);
    pnLeft->setEnabled(true);
    pnClient->setEnabled(true);
    if (focusBeforeLock_ && focusBeforeLock_->isVisible() && focusBeforeLock_->isEnabled())
        focusBeforeLock_->setFocus();
    updateStartHint();
    captionsFollow_ = !closed_;
    refreshCaptions();
}

// --- start-up and shutdown ------------------------------------------------------

void TMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!started_) QTimer::singleShot(0, this, &TMainForm::FormShow);
}

void TMainForm::FormShow() {
    if (started_ || closed_) return;
    started_ = true;
    gbZag->clearTexts();
    gbGlavn->clearTexts();
    placeCaptionStrips();
    BlokirovatOkno();
    {
        Finally unlock([this] { RazblokirovatOkno(); });
        // An App started before the window (the settings are open) is not started
        // twice; the window takes its font sizes instead.
        if (!app_.dm.acNastr.isOpen()) startedUp_ = volm::startUp(app_);
        else applyFonts(dialogFontSizes(app_));
        results_->loadChoice();
        miVidRaschPok->setChecked(results_->shown());
    }
    syncFromApp();
    actOnStartArguments();
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (isLocked()) {
        // A long command is running and will come back here; it cannot be cut off.
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

void TMainForm::FormClose() {
    if (closed_) return;
    closed_ = true;
    captionsFollow_ = false;
    rememberPlacement();
    volm::shutDown(app_);
}

}  // namespace volm::ui
