#include "ui/window_memory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace volm::ui {

namespace {

const QString kRecentKey = QStringLiteral("recent/calculations");

}  // namespace

WindowMemory::WindowMemory(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

WindowMemory::~WindowMemory() = default;

QStringList WindowMemory::recentCalculations() const {
    QStringList list = settings_->value(kRecentKey).toStringList();
    list.removeAll(QString());
    if (list.size() > kRecentLimit) list.resize(kRecentLimit);
    return list;
}

void WindowMemory::noteCalculation(const QString& path) {
    if (path.isEmpty()) return;
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList list = recentCalculations();
    if (!list.isEmpty() && list.first() == full) return;
    list.removeAll(full);
    list.prepend(full);
    if (list.size() > kRecentLimit) list.resize(kRecentLimit);
    settings_->setValue(kRecentKey, list);
    settings_->sync();
}

QByteArray WindowMemory::value(const QString& key) const { return settings_->value(key).toByteArray(); }

void WindowMemory::setValue(const QString& key, const QByteArray& value) { settings_->setValue(key, value); }

void WindowMemory::sync() { settings_->sync(); }

}  // namespace volm::ui
