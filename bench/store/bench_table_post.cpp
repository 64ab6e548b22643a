// Milliseconds per post through a table cursor on tables of growing size: an
// edit of a field outside the sort order (written in place), a new row under a
// sort order (the rows are read again so that the new row shows in its place),
// and a plain requery for comparison. Prints a table.
#include "store/database.h"
#include "store/table.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace volm;

namespace {

template <typename F>
double msPer(int times, F f) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < times; ++i) f(i);
    return double(clock.nsecsElapsed()) / 1e6 / times;
}

}  // namespace

int main() {
    std::printf("%8s %14s %16s %12s\n", "rows", "edit post, ms", "insert post, ms", "requery, ms");
    for (int rows : {1000, 10000, 30000}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.mdb"));
        Database::create(path);
        Database db;
        db.open(path);
        db.exec(QStringLiteral("CREATE TABLE t (id integer PRIMARY KEY, n integer, x float, note text(50))"));
        {
            Transaction tx(db);
            auto st = db.prepare(QStringLiteral("INSERT INTO t (id, n, x, note) VALUES (?1, ?2, ?3, ?4)"));
            for (int k = 1; k <= rows; ++k) {
                st->bind(1, qint64(k));
                st->bind(2, qint64(k * 2));
                st->bind(3, k / 8.0);
                st->bind(4, QStringLiteral("участок %1").arg(k));
                st->run();
            }
            st.reset();
            tx.commit();
        }
        Table t(db, QStringLiteral("t"));
        t.setSort(QStringLiteral("n ASC"));
        t.open();
        const int times = 20;
        const double edit = msPer(times, [&](int i) {
            t.setCurrentRow(i);
            t.setValue(QStringLiteral("x"), 1.5 + i);
            t.post();
        });
        const double insert = msPer(times, [&](int i) {
            t.append();
            t.setValue(QStringLiteral("id"), rows + 1 + i);
            t.setValue(QStringLiteral("n"), 2 * i + 1);  // belongs near the top
            t.post();
        });
        const double requery = msPer(times, [&](int) { t.requery(); });
        std::printf("%8d %14.3f %16.3f %12.3f\n", rows, edit, insert, requery);
    }
    return 0;
}
