#pragma once
// The run's progress on the status bar. A stage's own text is shown at once;
// the per-item texts of a long stage ("... id = 17") are shown at most every
// few hundredths of a second, so that a large network is not slowed down by
// repainting. After every text shown the screen may repaint.
#include <QElapsedTimer>
#include <QString>

namespace volm {

class Person;

namespace calc {

class Progress {
public:
    explicit Progress(Person& person);

    void stage(const QString& text);
    // text() builds the per-item text only when it is going to be shown.
    template <typename Text>
    void item(Text&& text) {
        if (timer_.isValid() && timer_.elapsed() < kIntervalMs) return;
        show(text());
    }
    void clear();

private:
    static constexpr qint64 kIntervalMs = 40;
    void show(const QString& text);
    Person& person_;
    QElapsedTimer timer_;
};

}  // namespace calc
}  // namespace volm
