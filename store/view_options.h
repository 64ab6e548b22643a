#pragma once
// Choices about what the main window shows, kept in the settings file between
// starts. A settings file written before a choice existed opens as it is: the
// choice reads as its default, and its column is added when it is first stored.
namespace volm {

class App;

// "Показывать рассчитанные показатели": the computed indicators' columns in the
// main window's grids (default: no).
bool showComputedIndicators(App& app);
void setShowComputedIndicators(App& app, bool show);

}  // namespace volm
