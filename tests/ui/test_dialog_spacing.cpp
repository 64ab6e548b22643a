// Every dialog laid out so that a person reads it whole: no label, edit, button
// or check box touches or covers another, and no label is cut, with the usual
// font and with one half as large again (a desktop at 150 %). The same program
// runs once more under QT_SCALE_FACTOR=1.5 (see CMakeLists.txt).
#include "store/node_fill.h"
#include "store/reference_books.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/auto_fill_dialog.h"
#include "ui/chart_window.h"
#include "ui/computed_columns_dialog.h"
#include "ui/formulas_dialog.h"
#include "ui/initial_data_dialog.h"
#include "ui/main_window.h"
#include "ui/predefined_edit_dialog.h"
#include "ui/reference_editor.h"
#include "ui/regime_checks_dialog.h"
#include "ui/repeated_entry_dialog.h"
#include "ui/result_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/sizing_dialog.h"
#include "ui/text_viewer.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <functional>
#include <memory>

using volm::App;
using volm::test::DialogsFixture;

namespace {

// Least room, in pixels, between two things a person reads or types into.
constexpr int kGap = 2;

bool readable(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

QString nameOf(const QWidget* w) {
    QString text;
    if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName() +
           (text.isEmpty() ? QString() : QStringLiteral(" \"") + text + QLatin1Char('"'));
}

// What a person would find crowded in the dialog: pairs that touch or overlap,
// and labels narrower than their text.
QStringList crowded(QWidget* dialog) {
    QList<QWidget*> shown;
    // The parts of composite widgets (a grid's corner button, a menu bar's
    // overflow button, a combo's edit, a toolbar's buttons) are their owners'
    // business.
    auto part = [&](const QWidget* w) {
        for (const QWidget* p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
            if (readable(p) || p->inherits("QAbstractScrollArea") || p->inherits("QMenuBar") || p->inherits("QToolBar"))
                return true;
        return false;
    };
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (readable(w) && w->isVisible() && !part(w)) shown << w;
    auto rectOf = [&](const QWidget* w) { return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size()); };
    QStringList out;
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->isAncestorOf(shown[j]) || shown[j]->isAncestorOf(shown[i])) continue;
            if (rectOf(shown[i]).adjusted(-kGap, -kGap, kGap, kGap).intersects(rectOf(shown[j])))
                out << nameOf(shown[i]) + QStringLiteral(" ~ ") + nameOf(shown[j]);
        }
        if (const auto* l = qobject_cast<const QLabel*>(shown[i]);
            l && !l->wordWrap() && !l->text().isEmpty() && l->sizeHint().width() > l->width() + 1)
            out << nameOf(l) + QStringLiteral(" cut");
    }
    return out;
}

using Make = std::function<std::unique_ptr<QWidget>(App&)>;

struct DialogCase {
    const char* name;
    Make make;
};

volm::NodeFillInput& remembered() {
    static volm::NodeFillInput input;
    return input;
}

const DialogCase kDialogs[] = {
    {"main window", [](App& a) { return std::make_unique<volm::ui::TMainForm>(a); }},
    {"auto fill", [](App& a) { return std::make_unique<TAutoZapolUzTSForm>(a, remembered()); }},
    {"initial data", [](App& a) { return std::make_unique<TVvodNachDannForm>(a); }},
    {"repeated entry", [](App& a) { return std::make_unique<TVvPovtDForm>(a); }},
    {"formulas", [](App& a) { return std::make_unique<TRasFormuliForm>(a); }},
    {"predefined edit", [](App& a) { return std::make_unique<TPredoprPokEditCurr>(a, *a.dm.atFlyPredoprPok); }},
    {"settings", [](App& a) { return std::make_unique<TNastrProgForm>(a); }},
    {"sizing", [](App& a) { return std::make_unique<TPodborDiamForm>(a); }},
    {"regime checks", [](App& a) { return std::make_unique<TProverkiRezhimaForm>(a); }},
    {"reference book", [](App& a) { return std::make_unique<TSprEditForm>(a, volm::correctionBook()); }},
    {"result", [](App&) { return std::make_unique<TRasVipForm>(); }},
    {"calculation text", [](App&) { return std::make_unique<TVigrV_TXTForm>(); }},
    {"chart", [](App& a) { return std::make_unique<volm::ui::TGrForm>(a); }},
    {"computed columns",
     [](App&) {
         return std::make_unique<volm::ui::ComputedColumnsDialog>(
             std::vector<std::pair<QString, QString>>{{"ПНапКонПод", "Полный напор в подающем трубопроводе"}},
             volm::ComputedColumnChoice{});
     }},
};

}  // namespace

class TestDialogSpacing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingTouchesOrIsCut_data();
    void nothingTouchesOrIsCut();
};

void TestDialogSpacing::nothingTouchesOrIsCut_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("fontScale");
    for (int i = 0; i < int(std::size(kDialogs)); ++i)
        for (double scale : {1.0, 1.5})
            QTest::newRow(qPrintable(QStringLiteral("%1 x%2").arg(QString::fromUtf8(kDialogs[i].name)).arg(scale)))
                << i << scale;
}

void TestDialogSpacing::nothingTouchesOrIsCut() {
    QFETCH(int, index);
    QFETCH(double, fontScale);
    const QFont usual = QApplication::font();
    QFont font = usual;
    font.setPointSizeF(usual.pointSizeF() * fontScale);
    QApplication::setFont(font);
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/two_pipe.mdb")));
    {
        std::unique_ptr<QWidget> dlg = kDialogs[index].make(*f.app);
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        const QStringList found = crowded(dlg.get());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
    }
    QApplication::setFont(usual);
}

QTEST_MAIN(TestDialogSpacing)
#include "test_dialog_spacing.moc"
