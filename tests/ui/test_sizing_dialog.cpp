// The sizing dialog: its lists and the stored choices (an older settings file
// without them shows the defaults), what "Подобрать" refuses, and the command
// from the main window: the dialog, sizing, the run and the result dialog with
// the sizing summary first.
#include "formulas/formula_check.h"
#include "formulas/catalogue_check.h"
#include "store/database.h"
#include "store/sizing_settings.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_view.h"
#include "ui/main_window.h"
#include "ui/result_dialog.h"
#include "ui/sizing_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using volm::App;
using volm::test::DialogsFixture;

namespace {

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

QStringList diameters(App& app) {
    auto st = app.dm.acGR.prepare(QStringLiteral("SELECT Ду FROM Табл ORDER BY НачУзел, КонУзел"));
    QStringList out;
    while (st->step()) out << st->column(0).toString();
    return out;
}

}  // namespace

class TestSizingDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheDefaultsAndTheCatalogue();
    void refusesALimitThatIsNotANumber();
    void remembersTheChoices();
    void commandSizesRunsAndShowsTheSummary();
    void aRunFaultAfterSizingIsFollowedByTheSummary();
};

void TestSizingDialog::showsTheDefaultsAndTheCatalogue() {
    DialogsFixture f;
    QVERIFY(f.start());
    QVERIFY(!f.app->dm.acNastr.hasTable(QStringLiteral("ПодборДиаметров")));
    TPodborDiamForm dlg(*f.app);
    dlg.load();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Подбор диаметров"));
    QCOMPARE(dlg.cbPokazatel->currentText(), QStringLiteral("Ду"));
    QCOMPARE(dlg.cbKriteriy1->currentText(), QStringLiteral("УдПотПод"));
    QCOMPARE(dlg.edPredel1->text(), QStringLiteral("80"));
    QCOMPARE(dlg.cbKriteriy2->currentText(), QString());
    QCOMPARE(dlg.edPredel2->text(), QString());
    QVERIFY(dlg.rbVse->isChecked());
    // Entered table indicators to size; computed ones (the person's and the
    // predefined) as criteria, except those computed after the heads, which
    // sizing does not compute.
    QCOMPARE(items(dlg.cbPokazatel), (QStringList{"Ду", "КоэфМП", "ТребРНап"}));
    const QStringList criteria = items(dlg.cbKriteriy1);
    for (const char* name : {"Двн", "УдПотПод", "ПотНаУчПод", "СкорПод", "ПотНОтИКонПод"})
        QVERIFY2(criteria.contains(QString::fromUtf8(name)), name);
    for (const char* name : {"Ду", "ИзбНап", "ДШайбы"}) QVERIFY2(!criteria.contains(QString::fromUtf8(name)), name);
    QCOMPARE(items(dlg.cbKriteriy2), QStringList{QString()} + criteria);
}

void TestSizingDialog::refusesALimitThatIsNotANumber() {
    DialogsFixture f;
    QVERIFY(f.start());
    TPodborDiamForm dlg(*f.app);
    dlg.load();
    dlg.edPredel1->setText(QStringLiteral("восемьдесят"));
    dlg.btnPodobrat->click();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("Предел показателя \"УдПотПод\" должен быть числом.")});
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    // A second criterion needs its limit.
    f.person.clear();
    dlg.edPredel1->setText(QStringLiteral("80,5"));
    dlg.cbKriteriy2->setEditText(QStringLiteral("СкорПод"));
    dlg.btnPodobrat->click();
    QCOMPARE(f.person.messages, QStringList{QStringLiteral("Предел показателя \"СкорПод\" должен быть числом.")});
    QVERIFY(!f.app->dm.acNastr.hasTable(QStringLiteral("ПодборДиаметров")));
}

void TestSizingDialog::remembersTheChoices() {
    DialogsFixture f;
    QVERIFY(f.start());
    f.app->SistRazdelitel = QLatin1Char(',');  // limits shown with the person's decimal separator
    {
        TPodborDiamForm dlg(*f.app);
        dlg.load();
        dlg.edPredel1->setText(QStringLiteral("300"));
        dlg.cbKriteriy2->setCurrentIndex(dlg.cbKriteriy2->findText(QStringLiteral("СкорПод")));
        dlg.edPredel2->setText(QStringLiteral("3,5"));
        dlg.rbOtmech->setChecked(true);
        dlg.btnPodobrat->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY(f.person.messages.isEmpty());
    TPodborDiamForm again(*f.app);
    again.load();
    QCOMPARE(again.cbPokazatel->currentText(), QStringLiteral("Ду"));
    QCOMPARE(again.edPredel1->text(), QStringLiteral("300"));
    QCOMPARE(again.cbKriteriy2->currentText(), QStringLiteral("СкорПод"));
    QCOMPARE(again.edPredel2->text(), QStringLiteral("3,5"));
    QVERIFY(again.rbOtmech->isChecked());
    const volm::SizingRequest r = TPodborDiamForm::request(*again.choices());
    QCOMPARE(int(r.criteria.size()), 2);
    QCOMPARE(r.criteria[1].limit, 3.5);
    QVERIFY(r.markedOnly);
}

void TestSizingDialog::commandSizesRunsAndShowsTheSummary() {
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/method_example.mdb")));
    App& app = *f.app;
    volm::useFormulaCheck(app);
    QVERIFY(volm::ProveritFormuli(app));
    app.SistRazdelitel = QLatin1Char(',');
    app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Ду=Null"));
    app.dm.atTabl->requery();
    volm::ui::TMainForm w(app);
    w.resize(1016, 560);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.edNuzPNapPod->setText(QStringLiteral("1"));
    w.edNuzRNap->setText(QStringLiteral("1"));

    QString shown;
    bool lockedAtResult = false;
    volm::test::whenModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TPodborDiamForm*>(modal);
        if (!dlg) return;
        volm::test::whenModal([&](QWidget* next) {
            auto* result = qobject_cast<TRasVipForm*>(next);
            if (!result) return;
            lockedAtResult = w.isLocked();
            shown = result->mmRasVip->toPlainText();
            result->btnOK->click();
        });
        dlg->btnPodobrat->click();
    });
    w.miDataPodborDiam->trigger();
    QVERIFY2(f.person.messages.isEmpty(), qPrintable(f.person.messages.join(QLatin1Char('|'))));
    QVERIFY2(shown.startsWith(QStringLiteral("Подбор диаметров: участков 3, диаметр изменен у 3 участков.\n\n"
                                             "Расчет выполнен успешно.")),
             qPrintable(shown));
    QVERIFY(lockedAtResult);
    QVERIFY(!w.isLocked());
    QCOMPARE(diameters(app), (QStringList{"200", "150", "200"}));
    // The grid shows the chosen diameters.
    const int du = app.dm.atTabl->fieldIndex(QStringLiteral("Ду"));
    QCOMPARE(app.dm.atTabl->valueAt(0, du).toInt() + app.dm.atTabl->valueAt(1, du).toInt() +
                 app.dm.atTabl->valueAt(2, du).toInt(),
             550);
}

void TestSizingDialog::aRunFaultAfterSizingIsFollowedByTheSummary() {
    DialogsFixture f;
    QVERIFY(f.start(QStringLiteral("examples/method_example.mdb")));
    App& app = *f.app;
    volm::useFormulaCheck(app);
    QVERIFY(volm::ProveritFormuli(app));
    // Only 2 - 3 is marked; 1 - 2 has no diameter for the run after sizing.
    app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Ду=Null WHERE КонУзел=2"));
    app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Заполн_Уч='Д' WHERE КонУзел=3"));
    app.dm.atTabl->requery();
    volm::ui::TMainForm w(app);
    w.edNuzPNapPod->setText(QStringLiteral("1"));
    w.edNuzRNap->setText(QStringLiteral("1"));
    volm::test::whenModal([&](QWidget* modal) {
        if (auto* dlg = qobject_cast<TPodborDiamForm*>(modal)) {
            dlg->edPredel1->setText(QStringLiteral("93,7"));
            dlg->rbOtmech->setChecked(true);
            dlg->btnPodobrat->click();
        }
    });
    w.sizingDialog();
    QCOMPARE(diameters(app), (QStringList{"", "125", "200"}));
    QCOMPARE(f.person.messages.size(), 2);
    QVERIFY2(f.person.messages[0].startsWith(QStringLiteral("Участок 1 - 2:")), qPrintable(f.person.messages[0]));
    QCOMPARE(f.person.messages[1], QStringLiteral("Подбор диаметров: участков 1, диаметр изменен у 1 участка."));
}

QTEST_MAIN(TestSizingDialog)
#include "test_sizing_dialog.moc"
