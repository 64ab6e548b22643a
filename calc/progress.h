#pragma once
// The run's progress as status texts. A stage's own text is shown at once;
// the per-item texts of a long stage ("... id = 17") are shown at most every
// few hundredths of a second, so that a large network is not slowed down by
// repainting. The sink gets every text shown (empty: clear the status); it may
// throw to stop the run.
#include <QElapsedTimer>
#include <QString>
#include <functional>

namespace volm::calc {

using ProgressSink = std::function<void(const QString& text)>;

class Progress {
public:
    Progress() = default;
    explicit Progress(ProgressSink sink) : sink_(std::move(sink)) {}

    void stage(const QString& text);
    // text() builds the per-item text only when it is going to be shown.
    template <typename Text>
    void item(Text&& text) {
        if (!sink_ || (timer_.isValid() && timer_.elapsed() < kIntervalMs)) return;
        show(text());
    }
    void clear();

private:
    static constexpr qint64 kIntervalMs = 40;
    void show(const QString& text);
    ProgressSink sink_;
    QElapsedTimer timer_;
};

}  // namespace volm::calc
