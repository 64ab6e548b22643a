#pragma once
// Temporary program folders for the tests: a folder holding the settings file
// "Nastr.mdb", the reference book "Spr.mdb" and the template "GidrRas.mdb", and a
// second folder, outside it, for calculation files. The files are copied from the
// build's program folder when it has them, otherwise small fixture databases with
// the same tables are written.
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace volm::test {

// Fixture databases with the tables and columns the program reads.
void makeSettingsDb(const QString& path);                    // one row: no calculation, "Spr.mdb", sizes 10, 2 digits
void makeCalculationDb(const QString& path, int networkType = 0);  // empty calculation, one row of Заг and НазвРасч
void makeReferenceDb(const QString& path);                   // a few rows in each reference table
// Runs statements on an existing database file, in one transaction.
void execOn(const QString& path, const QStringList& statements);
// A database file of the program folder as the build generates it ("Nastr.mdb",
// "Spr.mdb", "GidrRas.mdb"): the copies in the build's program folder change
// when the program is run from there.
QString shippedFile(const QString& name);
// The bytes of a file (empty when it cannot be read).
QByteArray fileBytes(const QString& path);

class ProgramFolder {
public:
    enum class Source { Shipped, Fixtures };
    // Shipped: copies of the build's files when all three exist (else fixtures).
    explicit ProgramFolder(Source source = Source::Shipped);

    bool isValid() const { return prog_.isValid() && data_.isValid(); }
    bool usesShippedFiles() const { return shipped_; }
    // The program folder, without a trailing "/".
    QString path() const { return prog_.path(); }
    QString file(const QString& name) const { return prog_.filePath(name); }
    // A folder for calculation files, outside the program folder.
    QString dataDir() const { return data_.path(); }
    QString data(const QString& name) const { return data_.filePath(name); }

    // Writes one column of the settings row straight into "Nastr.mdb".
    void setSetting(const QString& column, const QVariant& value) const;
    // A calculation file copied from the template into the data folder.
    QString newCalculation(const QString& name) const;

private:
    QTemporaryDir prog_;
    QTemporaryDir data_;
    bool shipped_ = false;
};

}  // namespace volm::test
