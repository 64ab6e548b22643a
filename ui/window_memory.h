#pragma once
// What the main window remembers between starts for the person at it: the
// calculation files opened last, the window's size and place and the splitters.
// Kept in an INI file beside the settings file (the App's work folder), so that
// an installed program keeps it per user and a test in its temporary folder.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace volm::ui {

inline const QString kWindowMemoryFile = QStringLiteral("NastrOkna.ini");

class WindowMemory {
public:
    static constexpr int kRecentLimit = 8;

    explicit WindowMemory(const QString& iniPath);
    ~WindowMemory();

    // The calculation files opened last, the latest first, at most kRecentLimit.
    QStringList recentCalculations() const;
    // Puts the file at the top of the list (once; the oldest drops off).
    void noteCalculation(const QString& path);

    QByteArray value(const QString& key) const;
    void setValue(const QString& key, const QByteArray& value);
    void sync();

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace volm::ui
