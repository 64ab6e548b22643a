#include "store/database.h"

#include "store/collation.h"
#include "store/errors.h"
#include "store/table.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <optional>
#include <sqlite3.h>

namespace volm {

namespace {

QString fromUtf8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// The engine's message in the words of the system.
QString describe(int code, const QString& engineText) {
    static const QRegularExpression noTable(QStringLiteral("^no such table: (?:\\w+\\.)?(.+)$"));
    static const QRegularExpression noColumn(QStringLiteral("^no such column: (.+)$"));
    static const QRegularExpression hasNoColumn(QStringLiteral("^table (.+) has no column named (.+)$"));
    if (auto m = noTable.match(engineText); m.hasMatch())
        return QStringLiteral("Не найдена таблица \"%1\".").arg(m.captured(1));
    if (auto m = noColumn.match(engineText); m.hasMatch())
        return QStringLiteral("Не найдено поле \"%1\".").arg(m.captured(1));
    if (auto m = hasNoColumn.match(engineText); m.hasMatch())
        return QStringLiteral("В таблице \"%1\" нет поля \"%2\".").arg(m.captured(1), m.captured(2));
    static const QRegularExpression notNull(QStringLiteral("^NOT NULL constraint failed: ([^.]+)\\.(.+)$"));
    if (auto m = notNull.match(engineText); m.hasMatch())
        return QStringLiteral("Поле \"%1\" таблицы \"%2\" должно быть заполнено.").arg(m.captured(2), m.captured(1));
    static const QRegularExpression check(QStringLiteral("^CHECK constraint failed: (.+)$"));
    if (auto m = check.match(engineText); m.hasMatch())
        return QStringLiteral("Значение не удовлетворяет условию таблицы: %1.").arg(m.captured(1));
    switch (code & 0xff) {
    case SQLITE_NOTADB: return QStringLiteral("Файл не является базой данных.");
    case SQLITE_CORRUPT: return QStringLiteral("Файл базы данных поврежден.");
    case SQLITE_CANTOPEN: return QStringLiteral("Не удается открыть файл базы данных.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("База данных занята другим приложением.");
    case SQLITE_READONLY: return QStringLiteral("База данных открыта только для чтения.");
    case SQLITE_FULL: return QStringLiteral("Недостаточно места на диске.");
    case SQLITE_IOERR: return QStringLiteral("Ошибка ввода-вывода при работе с базой данных.");
    case SQLITE_CONSTRAINT: return QStringLiteral("Нарушено ограничение таблицы: %1.").arg(engineText);
    default: break;
    }
    return QStringLiteral("Ошибка базы данных: %1.").arg(engineText);
}

// A key already in the table, from the engine's "UNIQUE constraint failed:
// T.a, T.b" (a primary key is reported so too); nothing for other failures.
std::optional<DuplicateKeyError> duplicateKey(int code, const QString& engineText) {
    static const QRegularExpression unique(QStringLiteral("^UNIQUE constraint failed: (.+)$"));
    const auto m = unique.match(engineText);
    if ((code & 0xff) != SQLITE_CONSTRAINT || !m.hasMatch()) return std::nullopt;
    QString table;
    QStringList columns;
    for (const QString& part : m.captured(1).split(QStringLiteral(", "))) {
        const qsizetype dot = part.indexOf(QLatin1Char('.'));
        table = part.left(dot);
        columns << part.mid(dot + 1);
    }
    const QString quoted = QLatin1Char('"') + columns.join(QStringLiteral("\", \"")) + QLatin1Char('"');
    return DuplicateKeyError(QStringLiteral("В таблице \"%1\" уже есть запись с тем же значением %2 %3.")
                                 .arg(table, columns.size() > 1 ? QStringLiteral("полей") : QStringLiteral("поля"), quoted),
                             table, columns);
}

// The failure of a statement; the statement's text, when given, follows the message.
[[noreturn]] void failWith(int code, const QString& engineText, const QString& after = {}) {
    if (auto dup = duplicateKey(code, engineText)) throw DuplicateKeyError(dup->message() + after, dup->table(), dup->columns());
    throw DatabaseError(describe(code, engineText) + after);
}

[[noreturn]] void fail(sqlite3* db, int code) {
    failWith(code, db ? fromUtf8(sqlite3_errmsg(db)) : fromUtf8(sqlite3_errstr(code)));
}

// The statement as a message quotes it: at most kQuotedSql characters.
constexpr int kQuotedSql = 300;
QString quotedSql(const QString& sql) {
    if (sql.size() <= kQuotedSql) return sql;
    return sql.left(kQuotedSql) + QStringLiteral("…");
}

[[noreturn]] void failSql(sqlite3* db, int code, const QString& sql) {
    failWith(code, fromUtf8(sqlite3_errmsg(db)), sql.isEmpty() ? QString() : QStringLiteral(" SQL: ") + quotedSql(sql));
}

// A file may come from anyone: its schema is not trusted (no function with
// side effects runs from a view or trigger of the file), the schema cannot be
// rewritten by hand, and no extension can be loaded. False when the engine
// refuses a setting.
bool applyDefensiveSettings(sqlite3* db) {
    int done = 0;
    return sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, &done) == SQLITE_OK &&
           sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &done) == SQLITE_OK &&
           sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, &done) == SQLITE_OK;
}

}  // namespace

// --- Statement ---------------------------------------------------------------

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    QByteArray u = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db_, u.constData(), int(u.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) failSql(db_, rc, sql);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bindNull(int index) { sqlite3_bind_null(stmt_, index); }
void Statement::bind(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
void Statement::bind(int index, qint64 value) { sqlite3_bind_int64(stmt_, index, value); }
void Statement::bind(int index, const QString& value) {
    QByteArray u = value.toUtf8();
    sqlite3_bind_text(stmt_, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, const QVariant& value) {
    if (value.isNull()) return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: return bind(index, value.toDouble());
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Char: return bind(index, qint64(value.toLongLong()));
    default: return bind(index, value.toString());
    }
}

void Statement::run() {
    int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail(db_, rc);
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) fail(db_, rc);
    return false;
}

QVariant Statement::column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(stmt_, index)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt_, index));
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index)),
                                          sqlite3_column_bytes(stmt_, index)));
    }
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

// --- Database ----------------------------------------------------------------

Database::~Database() { close(); }

namespace {

// One value of a statement on db: the text of its first column, or the
// engine's message as an error (empty when it succeeds).
QString pragmaText(sqlite3* db, const char* sql, QString& value) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) value = fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    const QString text = rc != SQLITE_OK ? describe(rc, fromUtf8(sqlite3_errmsg(db))) : QString();
    sqlite3_finalize(st);
    return text;
}

// Why the file cannot be used as it is; empty when it can. The journal mode
// comes first: a committed transaction must leave a complete file on disk, so
// that a byte copy of the file is always a whole database (the rollback
// journal, not WAL).
QString fileFault(sqlite3* db, qint64 fileSize, FileCheck check) {
    QString value;
    if (QString e = pragmaText(db, "PRAGMA journal_mode=DELETE", value); !e.isEmpty()) return e;
    const QString damaged = QStringLiteral("Файл базы данных поврежден.");
    if (check == FileCheck::EveryPage) {
        if (QString e = pragmaText(db, "PRAGMA quick_check", value); !e.isEmpty()) return e;
        return value == QLatin1String("ok") ? QString() : damaged;
    }
    // The schema is read whole, and the file holds every page its header counts.
    if (QString e = pragmaText(db, "SELECT count(*) FROM sqlite_master", value); !e.isEmpty()) return e;
    QString pages, pageSize;
    if (QString e = pragmaText(db, "PRAGMA page_count", pages); !e.isEmpty()) return e;
    if (QString e = pragmaText(db, "PRAGMA page_size", pageSize); !e.isEmpty()) return e;
    if (pages.toLongLong() * pageSize.toLongLong() > fileSize) return damaged;
    return {};
}

}  // namespace

void Database::open(const QString& path, FileCheck check) {
    close();
    QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        throw DatabaseError(QStringLiteral("Файл \"%1\" не найден.").arg(path));
    sqlite3* db = nullptr;
    QByteArray u = path.toUtf8();
    int rc = sqlite3_open_v2(u.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        QString text = describe(rc, db ? fromUtf8(sqlite3_errmsg(db)) : QString());
        sqlite3_close(db);
        throw DatabaseError(text);
    }
    if (!applyDefensiveSettings(db)) {
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("Не удается настроить защиту соединения с базой данных."));
    }
    if (!registerAlphabetical(db)) {
        QString text = describe(SQLITE_ERROR, fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        throw DatabaseError(text);
    }
    sqlite3_busy_timeout(db, 2000);
    sqlite3_extended_result_codes(db, 0);
    if (const QString text = fileFault(db, fi.size(), check); !text.isEmpty()) {
        sqlite3_close(db);
        throw DatabaseError(text);
    }
    db_ = db;
    path_ = path;
    txDepth_ = 0;
}

void Database::refuseTriggers(const QString& role) {
    QString name;
    {
        auto st = prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' ORDER BY name LIMIT 1"));
        if (!st->step()) return;
        name = st->column(0).toString();
    }
    close();
    throw DatabaseError(QStringLiteral("Файл содержит триггер \"") + name.left(100) +
                        QStringLiteral("\" и не может быть открыт как ") + role +
                        QStringLiteral(": программа не создает триггеров, такой файл мог быть изменен посторонней "
                                       "программой."));
}

void Database::close() {
    if (!db_) return;
    if (txDepth_ > 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    txDepth_ = 0;
    txRolledBack_ = false;
}

static void requireOpen(sqlite3* db) {
    if (!db) throw DatabaseError(QStringLiteral("Соединение с базой данных не открыто."));
}

void Database::exec(const QString& sql) {
    requireOpen(db_);
    QByteArray u = sql.toUtf8();
    char* err = nullptr;
    int rc = sqlite3_exec(db_, u.constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) failSql(db_, rc, sql);
}

int Database::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

std::unique_ptr<Table> Database::query(const QString& sql) {
    requireOpen(db_);
    auto t = Table::forQuery(*this, sql);
    t->open();
    return t;
}

std::unique_ptr<Statement> Database::prepare(const QString& sql) {
    requireOpen(db_);
    return std::make_unique<Statement>(db_, sql);
}

void Database::begin() {
    requireOpen(db_);
    if (txDepth_ == 0) {
        const int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) fail(db_, rc);
        txRolledBack_ = false;
    }
    ++txDepth_;
}

void Database::commit() {
    if (txDepth_ == 0 || !db_) return;
    if (--txDepth_ > 0) return;
    if (txRolledBack_) {
        txRolledBack_ = false;
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw DatabaseError(QStringLiteral("Изменения не записаны: транзакция отменена из-за ошибки."));
    }
    const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return;
    const QString text = describe(rc, fromUtf8(sqlite3_errmsg(db_)));
    // The engine may still be inside the transaction (a busy file, a full
    // disk): it is undone, so that nothing is left half-open.
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw DatabaseError(text);
}

void Database::rollback() {
    if (txDepth_ == 0 || !db_) return;
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (--txDepth_ == 0) {
        txRolledBack_ = false;
        return;
    }
    // An inner level: the enclosing levels go on inside a fresh transaction,
    // which their outermost commit rolls back and reports.
    txRolledBack_ = true;
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
}

std::vector<Database::ColumnInfo> Database::columns(const QString& table) {
    requireOpen(db_);
    std::vector<ColumnInfo> out;
    Statement st(db_, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?1)"));
    st.bind(1, table);
    while (st.step()) out.push_back({st.column(0).toString(), st.column(1).toString(), st.column(2).toInt() > 0});
    return out;
}

bool Database::hasTable(const QString& table) {
    requireOpen(db_);
    Statement st(db_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE"));
    st.bind(1, table);
    bool found = st.step();
    if (found) st.step();
    return found;
}

void Database::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw DatabaseError(QStringLiteral("Файл \"%1\" уже существует.").arg(path));
    sqlite3* db = nullptr;
    QByteArray u = path.toUtf8();
    int rc = sqlite3_open_v2(u.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK && !applyDefensiveSettings(db)) rc = SQLITE_ERROR;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA user_version=1", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        QString text = describe(rc, db ? fromUtf8(sqlite3_errmsg(db)) : QString());
        sqlite3_close(db);
        throw DatabaseError(text);
    }
    sqlite3_close(db);
}

void Database::compact(const QString& source, const QString& destination) {
    if (QFileInfo::exists(destination))
        throw DatabaseError(QStringLiteral("Файл \"%1\" уже существует.").arg(destination));
    Database src;
    src.open(source);
    Statement st(src.db_, QStringLiteral("VACUUM INTO ?1"));
    st.bind(1, destination);
    st.run();
}

}  // namespace volm
