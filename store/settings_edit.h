#pragma once
// The settings row of Настройки as the settings dialog edits it: three font
// sizes, the report precision and whether the calculation text is kept. Texts are
// the dialog's edit texts; storing checks them and reports what is wrong.
#include <QString>

namespace volm {

class App;

struct SettingsTexts {
    QString fontData;      // РШрифтаВТД, edFSizeTD
    QString fontTitles;    // РШрифтаВЗагКолТД, edFSizeZagColTD
    QString fontCaptions;  // РШрифтаНаимПок, edFSizeNaimPok
    QString precision;     // ТочностьЧиселВОтч, edTPok
    bool keepText = false; // СохрТекстРас, cbSaveTXTRas
};

// The settings row as texts: each number in decimal, empty when Null.
SettingsTexts readSettingsTexts(App& app);

// "ОК": converts the four texts (a text that is not a whole number is reported
// with its parameter named and nothing is stored), stores the font sizes when all
// three lie in [8...20], the precision when it lies in [0...7], and always the
// keep-text flag, then posts the row. Returns true when the dialog may close:
// every value was converted, in range and stored.
bool storeSettingsTexts(App& app, const SettingsTexts& texts);

}  // namespace volm
