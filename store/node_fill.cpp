#include "store/node_fill.h"

#include "store/app.h"
#include "store/command.h"
#include "store/controls_pause.h"
#include "store/decimal_text.h"
#include "store/record_list.h"
#include "store/str_to_int.h"

#include <QElapsedTimer>
#include <vector>

namespace volm {

namespace {

constexpr int kMaxNode = 32767;
constexpr qint64 kStatusIntervalMs = 150;

const QString kRangeMessage = QStringLiteral(
    "Ошибка в параметрах \"Начиная с узла номер\", \"по узел номер\".\r"
    "Номер узла должен быть целым числом из диапазона [0...32767].\r"
    "Параметр \"Начиная с узла номер\" должен быть меньше или равен параметру \"по узел номер\".");

}  // namespace

bool nodeRangeValid(int first, int last) {
    return first >= 0 && first <= kMaxNode && last >= 0 && last <= kMaxNode && first <= last;
}

namespace {

// The fill without its closing message: the node table's display, the status
// and the controls are restored when this returns, however it ended.
NodeFillResult fill(App& app, const NodeFillInput& input, const NodeFillHooks& hooks) {
    NodeFillResult result;
    Table* nodes = app.dm.atUzliTS.get();
    if (!app.dm.acGR.isOpen() || !nodes || !nodes->isOpen()) return result;
    Person& person = app.person();
    auto status = [&](const QString& text) {
        if (hooks.status) hooks.status(text);
    };
    auto enable = [&](bool on) {
        if (hooks.controlsEnabled) hooks.controlsEnabled(on);
    };

    bool started = false;
    Finally always([&] {
        status(QString());
        if (started) enable(true);
    });
    ControlsPause pause(nodes);  // resumed before the status and controls come back
    runReported(person, [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка в параметре \"Начиная с узла номер\".");
        const int first = strToInt(input.first);
        ctx = QStringLiteral("Ошибка в параметре \"по узел номер\".");
        const int last = strToInt(input.last);
        ctx = QStringLiteral(
            "Ошибка в параметре \"записать геодезическую высоту\". Для разделения целой и дробной части "
            "числа используйте символ \",\" (запятая).");
        const double height = strToDecimal(input.height);
        ctx = QStringLiteral("Ошибка при записи геодезических высот.");
        if (!nodeRangeValid(first, last)) {
            person.message(kRangeMessage);
            return;
        }

        {
            BusyGuard busy(person);
            started = true;
            enable(false);
            postPendingRow(*nodes);

            // The numbers the table holds, read once.
            std::vector<char> present(size_t(kMaxNode) + 1, 0);
            const int nField = nodes->fieldIndex(QStringLiteral("Nуз"));
            for (int r = 0; r < nodes->rowCount(); ++r) {
                const QVariant v = nodes->valueAt(r, nField);
                if (v.isNull()) continue;
                const qint64 n = v.toLongLong();
                if (n >= 0 && n <= kMaxNode) present[size_t(n)] = 1;
            }

            Database& db = app.dm.acGR;
            auto update = db.prepare(QStringLiteral("UPDATE [УзлыТС] SET [ГеодВыс]=?1 WHERE [Nуз]=?2"));
            auto insert = db.prepare(QStringLiteral("INSERT INTO [УзлыТС]([Nуз], [ГеодВыс]) VALUES(?2, ?1)"));
            QElapsedTimer clock;
            clock.start();
            qint64 shown = -kStatusIntervalMs;
            Transaction tx(db);
            try {
                for (int n = first; n <= last; ++n) {
                    if (clock.elapsed() - shown >= kStatusIntervalMs) {
                        shown = clock.elapsed();
                        status(QStringLiteral("Узел номер ") + QString::number(n));
                        person.processEvents();
                    }
                    Statement* st = nullptr;
                    if (present[size_t(n)]) {
                        st = update.get();
                        ++result.updated;
                    } else if (input.addMissing) {
                        st = insert.get();
                        ++result.inserted;
                    } else {
                        continue;
                    }
                    st->bind(1, height);
                    st->bind(2, qint64(n));
                    st->run();
                }
                tx.commit();
            } catch (...) {
                // What was written before the failure stays written.
                tx.commit();
                nodes->requery();
                throw;
            }
            nodes->requery();
            status(QString());
        }
        result.written = true;
    });
    return result;
}

}  // namespace

NodeFillResult AutoZapolUzlov(App& app, const NodeFillInput& input, const NodeFillHooks& hooks) {
    const NodeFillResult result = fill(app, input, hooks);
    if (result.written) app.person().message(QStringLiteral("Данные записаны."));
    return result;
}

}  // namespace volm
