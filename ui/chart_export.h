#pragma once
// The chart without a window, for the headless runner: the piezometric chart of
// a whole main drawn offscreen to a PNG file.
#include "store/app.h"

#include <QCoreApplication>
#include <memory>
#include <optional>

namespace volm::ui {

// The application object of a program that may draw charts: a QApplication
// when widgets are wanted (on the offscreen platform when there is no display),
// else a QCoreApplication.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool widgets);

// Writes the piezometric chart of the main id_m = idm of the open, computed
// calculation to path (PNG, width x height). precision overrides the settings'
// report precision. Returns an empty text on success, else why there is no
// chart to draw; a failure to write the file is thrown as FileError, leaving
// the old file.
QString writeMainChart(App& app, int idm, const QString& path, std::optional<int> precision = std::nullopt,
                       int width = 1600, int height = 900);

}  // namespace volm::ui
