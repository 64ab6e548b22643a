#pragma once
// Exceptions of the core. Every failure that reaches the person carries a class
// name and a message and is shown as the standard error report; the abort
// exception is a silent cancel raised by record events and shows nothing.
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace volm {

class Error : public std::exception {
public:
    Error(QString className, QString message)
        : className_(std::move(className)), message_(std::move(message)),
          utf8_(message_.toUtf8()) {}
    const QString& className() const { return className_; }
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString className_;
    QString message_;
    QByteArray utf8_;
};

// A failure of the database engine: missing file, bad SQL, type mismatch.
class DatabaseError : public Error {
public:
    explicit DatabaseError(QString message) : Error(QStringLiteral("EDatabaseError"), std::move(message)) {}
};

// A row refused because its key is already in the table: the table and the
// key columns the engine named.
class DuplicateKeyError : public DatabaseError {
public:
    DuplicateKeyError(QString message, QString table, QStringList columns)
        : DatabaseError(std::move(message)), table_(std::move(table)), columns_(std::move(columns)) {}
    const QString& table() const { return table_; }
    const QStringList& columns() const { return columns_; }

private:
    QString table_;
    QStringList columns_;
};

// A failure of file input or output (copy, rename, delete).
class FileError : public Error {
public:
    explicit FileError(QString message) : Error(QStringLiteral("EInOutError"), std::move(message)) {}
};

// Silent cancel: the operation is refused and nothing is shown.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "abort"; }
};

// What the person reads of a failure: the program's own message of an Error,
// and the program's sentence before the text of any other exception.
inline QString failureText(const std::exception& e) {
    if (const auto* err = dynamic_cast<const Error*>(&e)) return err->message();
    return QStringLiteral("Внутренняя ошибка программы: ") + QString::fromUtf8(e.what());
}

}  // namespace volm
