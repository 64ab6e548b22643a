#pragma once
// The logic of the dialog "Предопределенные показатели: Изменить текущий
// показатель" (TPredoprPokEditCurr): what it shows for the current row of
// ФлыПредопрПок, which controls are enabled, the hint beside "Вводится
// пользователем", and what "OK" writes. The window only mirrors this state.
#include <QString>

namespace volm {

class Table;

class PredefinedEdit {
public:
    // Which fields of a predefined indicator the person may change.
    struct Enabled {
        bool fullName = false;     // edNaimPok: РасхПод, РасхОбр
        bool userEntered = false;  // cbVvodPols: РасхОбр, ДлНаУчОбр
        bool formula = false;      // edFormula: ПотНОтИКонПод, ПотНОтИКонОбр
        bool inReport = true;      // cbVivVOtsh: always
        // The short name, the table/header choice and both network flags never are.
    };
    static Enabled enabledFor(const QString& shortName);
    // The two-line hint for an indicator computed from another when not entered.
    static QString hintFor(const QString& shortName, bool userEntered);

    // On show: the controls' contents from the current row of cursor.
    explicit PredefinedEdit(Table& cursor);

    // The controls (the window reads and writes these).
    QString fullName;   // empty when Null
    QString shortName;
    bool table = false;  // rgTZ: "Табличный" when true, else "Заголовочный"
    bool userEntered = false;
    QString formula;    // empty when Null
    bool inReport = false;
    bool onePipe = false;
    bool twoPipe = false;

    const Enabled& enabled() const { return enabled_; }
    // The hint label for the current state of "Вводится пользователем".
    QString hint() const { return hintFor(shortName, userEntered); }

    // "OK": edits the row, writes the enabled fields and posts it. No check is
    // made here; database failures propagate.
    void ok();

private:
    Table& cursor_;
    Enabled enabled_;
};

}  // namespace volm
