// TMainForm: what a desktop program is expected to do beyond its commands: the
// usual shortcuts shown in the menus, "Последние расчеты", the window's size,
// place and splitters kept between starts (and the schematic's arrows), the hint shown while no
// calculation is open and the file given on the command line.
#include "ui/main_window.h"

#include "store/examples.h"
#include "store/file_commands.h"
#include "ui/network_schematic_window.h"
#include "ui/recent_files.h"
#include "ui/start_hint.h"
#include "ui/window_memory.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <utility>

namespace volm::ui {

namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kTopSplitterKey = QStringLiteral("window/splitterTop");
const QString kLeftSplitterKey = QStringLiteral("window/splitterLeft");
const QString kSchematicArrowsKey = QStringLiteral("schematic/flowArrows");

}  // namespace

void TMainForm::setUpHabits() {
    const std::pair<QAction*, QKeySequence> keys[] = {
        {miNewRas, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {miOpenRas, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {miSaveRas, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {miSaveRasAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {miDataVipRas, QKeySequence(Qt::Key_F9)},
        {miSprVOLM, QKeySequence(Qt::Key_F1)},
        {miDataFormOtsh, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {miExit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto& [action, key] : keys) {
        action->setShortcut(key);
        // The toolbar's hints stay the bare captions.
        action->setToolTip(action->text());
    }
    // While the window is locked the shortcuts do nothing: the menu bar is
    // hidden and the toolbar disabled. miExit is in no toolbar: its shortcut
    // works through the window (and closing is refused while locked).
    addAction(miExit);

    // "Последние расчеты" between "Сжать справочники" and "Выход".
    QMenu* file = menuBar()->actions().value(0) ? menuBar()->actions().value(0)->menu() : nullptr;
    miPoslRas = new RecentFilesMenu(this);
    miPoslRas->list = [this] { return memory() ? memory()->recentCalculations() : QStringList(); };
    miPoslRas->chosen = [this](const QString& path) { openRecentCalculation(path); };
    if (file) {
        file->insertMenu(miExit, miPoslRas);
        file->insertSeparator(miExit);
    }

    pnStartHint = new StartHint(centralWidget(), this);
    pnStartHint->onNew = [this] { newCalculation(); };
    pnStartHint->onOpen = [this] { openCalculation(); };
    pnStartHint->onExample = [this](const QString& path) { openExampleCopy(path); };
    std::vector<StartHint::ExampleChoice> examples;
    for (const Example& e : shippedExamples(app_)) examples.push_back({e.path, e.title});
    pnStartHint->setExamples(examples);
    pnStartHint->hide();

    connect(&app_, &App::stateChanged, this, &TMainForm::followOpenFile);
    connect(&app_, &App::calculationOpened, this, &TMainForm::followOpenFile);
    connect(&app_, &App::calculationClosed, this, &TMainForm::followOpenFile);
}

WindowMemory* TMainForm::memory() {
    if (!memory_ && !app_.workDir().isEmpty())
        memory_ = std::make_unique<WindowMemory>(app_.workPath(kWindowMemoryFile));
    return memory_.get();
}

void TMainForm::keepSchematicChoices(SchematicWindow* schematic) {
    WindowMemory* m = memory();
    if (!m) return;
    schematic->flowArrowsBox->setChecked(m->value(kSchematicArrowsKey) != "0");
    connect(schematic->flowArrowsBox, &QCheckBox::toggled, this, [this](bool shown) {
        if (WindowMemory* m = memory()) m->setValue(kSchematicArrowsKey, shown ? "1" : "0");
    });
}

// Every calculation that gets open goes to the top of the recent list.
void TMainForm::followOpenFile() {
    if (app_.dm.acGR.isOpen() && memory()) memory()->noteCalculation(app_.dm.acGR.path());
    updateStartHint();
}

void TMainForm::updateStartHint() {
    if (!pnStartHint) return;
    const bool show = started_ && !closed_ && !isLocked() && !app_.dm.acGR.isOpen();
    pnStartHint->setVisible(show);
    if (show) pnStartHint->raise();
}

void TMainForm::openRecentCalculation(const QString& path) {
    if (isLocked()) return;
    volm::openCalculationFile(app_, path);
    syncFromApp();
}

void TMainForm::actOnStartArguments() {
    const StartArguments a = std::exchange(startArguments_, StartArguments{});
    if (!a.message.isEmpty()) app_.person().message(a.message);
    // A start-up that stopped half-way (no settings file, the scratch file of
    // another running copy) leaves nothing to open the file with.
    if (!a.calculation.isEmpty() && startedUp_ && app_.dm.acNastr.isOpen()) openRecentCalculation(a.calculation);
}

void TMainForm::openExampleCopy(const QString& examplePath) {
    if (isLocked()) return;
    volm::openExample(app_, examplePath);
    syncFromApp();
}

namespace {

// Restores a remembered splitter state when it is sound: the splitter keeps
// its direction and its panels stay uncollapsible with room each; otherwise (a
// damaged or foreign state) the splitter keeps its usual layout.
void restoreSplitter(QSplitter* splitter, const QByteArray& state) {
    const QByteArray usual = splitter->saveState();
    const Qt::Orientation orientation = splitter->orientation();
    const int handle = splitter->handleWidth();
    if (state.isEmpty() || !splitter->restoreState(state)) return;
    bool sound = splitter->orientation() == orientation && !splitter->childrenCollapsible() &&
                 splitter->handleWidth() == handle;
    for (int i = 0; i < splitter->count(); ++i)
        sound = sound && !splitter->widget(i)->isHidden() && splitter->sizes().value(i) > 0;
    if (sound) return;
    splitter->setOrientation(orientation);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(handle);
    for (int i = 0; i < splitter->count(); ++i) splitter->widget(i)->show();
    splitter->restoreState(usual);
}

// The restored frame shows enough of itself on one of the screens.
bool soundPlacement(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    if (frame.width() < window.minimumSizeHint().width() / 2 || frame.width() < 200 || frame.height() < 150)
        return false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = screen->availableGeometry().intersected(frame);
        if (shown.width() >= 100 && shown.height() >= 50) return true;
    }
    return false;
}

}  // namespace

void TMainForm::showAtLastPlacement() {
    WindowMemory* m = memory();
    const QByteArray geometry = m ? m->value(kGeometryKey) : QByteArray();
    if (m) {
        restoreSplitter(splitterTop, m->value(kTopSplitterKey));
        restoreSplitter(splitterLeft, m->value(kLeftSplitterKey));
    }
    if (!geometry.isEmpty() && restoreGeometry(geometry) && soundPlacement(*this)) show();
    else showMaximized();
}

void TMainForm::rememberPlacement() {
    WindowMemory* m = memory();
    if (!m) return;
    m->setValue(kGeometryKey, saveGeometry());
    m->setValue(kTopSplitterKey, splitterTop->saveState());
    m->setValue(kLeftSplitterKey, splitterLeft->saveState());
    m->sync();
}

}  // namespace volm::ui
