#include "tests/support/program_folder.h"

#include "store/database.h"

#include <QFile>
#include <QStringList>

namespace volm::test {

namespace {

QString literal(const QVariant& v) {
    if (v.isNull()) return QStringLiteral("Null");
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (v.typeId() == QMetaType::QString) {
        QString s = v.toString();
        s.replace(QLatin1Char('\''), QStringLiteral("''"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    }
    return v.toString();
}

}  // namespace

void execOn(const QString& path, const QStringList& statements) {
    Database db;
    db.open(path);
    db.begin();
    for (const QString& s : statements) db.exec(s);
    db.commit();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void makeSettingsDb(const QString& path) {
    Database::create(path);
    execOn(path, {
        "CREATE TABLE Настройки (ФайлГР text(255), ФайлСпр text(255), РШрифтаВТД integer, "
        "РШрифтаВЗагКолТД integer, РШрифтаНаимПок integer, ТочностьЧиселВОтч integer, СохрТекстРас bit)",
        "INSERT INTO Настройки VALUES (Null, 'Spr.mdb', 10, 10, 10, 2, True)",
    });
}

void makeCalculationDb(const QString& path, int networkType) {
    const bool two = networkType == 1;
    auto both = [&](const char* stem) {
        QString s = QStringLiteral(", %1Под float").arg(QString::fromUtf8(stem));
        if (two) s += QStringLiteral(", %1Обр float").arg(QString::fromUtf8(stem));
        return s;
    };
    QString tabl = QStringLiteral("CREATE TABLE Табл (id integer PRIMARY KEY, НачУзел smallint, КонУзел smallint, "
                                  "ГеодВысНач float, ГеодВысКон float");
    for (const char* stem : {"Расх", "ДлНаУч", "ДлНач", "ДлКон", "ТВодыНач", "ТВодыКон", "ПотНОтИНач", "ПотНОтИКон",
                             "ПНапНач"})
        tabl += both(stem);
    tabl += QStringLiteral(", ПНапКонПод float");
    if (two) tabl += QStringLiteral(", ПНапКонОбр float, РНапНач float, РНапКон float");
    tabl += QStringLiteral(", Примечание text(255), Заполн_Уч text(1))");

    QString zag = QStringLiteral("CREATE TABLE Заг (ПНапНаУзПод float");
    if (two) zag += QStringLiteral(", РНапНаУз float");
    zag += QStringLiteral(", МинГеодВысТС float, МаксГеодВысТС float, МаксДлПод float");
    if (two) zag += QStringLiteral(", МаксДлОбр float, МаксСумДлПодОбр float");
    zag += QStringLiteral(", МинТВоды float, МаксТВоды float)");

    QString konMag = QStringLiteral("CREATE TABLE КонМаг (id_m smallint, КонУзел smallint, ДлМагПод float, "
                                    "ПотНОтИПод float, ПНапПод float");
    if (two) konMag += QStringLiteral(", ДлМагОбр float, ДлМагСум float, ПотНОтИОбр float, ПНапОбр float, РНап float");
    konMag += QLatin1Char(')');

    Database::create(path);
    execOn(path, {
        "CREATE TABLE НазвРасч (НазвРасч text(255), РасчетВыполнен bit, ТипСети integer, РасчРасх bit, "
        "NНачУз integer, NузПНапПод smallint, NузРНап smallint)",
        QStringLiteral("INSERT INTO НазвРасч VALUES (Null, False, %1, False, Null, Null, Null)").arg(networkType),
        zag,
        "INSERT INTO Заг (ПНапНаУзПод) VALUES (Null)",
        tabl,
        "CREATE TABLE Формулы (Nпп byte, НаимПок text(255), НаимПокСокр text(50), Табл bit, ВводПольз bit, "
        "Формула text(255), ВывВОтчТабл bit)",
        "CREATE TABLE ФлыПредопрПок (НаимПок text(255), НаимПокСокр text(50), Табл bit, ВводПольз bit, "
        "Формула text(255), ВывВОтчТабл bit, ИспПриРасч1трТС bit, ИспПриРасч2трТС bit)",
        "INSERT INTO ФлыПредопрПок VALUES ('Расход воды в подающем трубопроводе, т/ч', 'РасхПод', True, True, "
        "Null, True, True, True)",
        "INSERT INTO ФлыПредопрПок VALUES ('Расход воды в обратном трубопроводе, т/ч', 'РасхОбр', True, True, "
        "Null, True, False, True)",
        "CREATE TABLE УзлыТС (Nуз smallint, ГеодВыс float)",
        "CREATE TABLE ИзмПНапВУзлахТС (Nуз smallint, ТрПр bit, ИзмПНап float)",
        "CREATE TABLE ПриоритетыЗаг (Показатель text(50), Nприоритета integer)",
        "CREATE TABLE ПриоритетыТабл (Показатель text(50), Nприоритета integer)",
        "CREATE TABLE МагистралиТС (id_m smallint, NппУчВМ smallint, НачУзел smallint, КонУзел smallint, "
        "РасхПод float, РасхОбр float)",
        konMag,
        "CREATE TABLE СписокРасчУчастков (НачУзел smallint, КонУзел smallint)",
    });
}

void makeReferenceDb(const QString& path) {
    Database::create(path);
    execOn(path, {
        "CREATE TABLE ДиамТрПр (УслДиамТрПр smallint, ВнутрДиамТрПр float)",
        "INSERT INTO ДиамТрПр VALUES (50, 51)",
        "INSERT INTO ДиамТрПр VALUES (100, 100)",
        "CREATE TABLE ПлВодыОтТ (Т smallint, Плотность float)",
        "INSERT INTO ПлВодыОтТ VALUES (70, 977.81)",
        "CREATE TABLE ПопрКоэфКУдПот (УслДиамТрПр smallint, ЭквШер float, Коэф float)",
        "INSERT INTO ПопрКоэфКУдПот VALUES (50, 0.5, 1)",
    });
}

QString shippedFile(const QString& name) { return QStringLiteral(VOLM_SHIPPED_DIR "/") + name; }

ProgramFolder::ProgramFolder(Source source) {
    const QStringList names{QStringLiteral("Nastr.mdb"), QStringLiteral("Spr.mdb"), QStringLiteral("GidrRas.mdb")};
    bool have = source == Source::Shipped;
    for (const QString& n : names) have = have && QFile::exists(shippedFile(n));
    if (have) {
        shipped_ = true;
        for (const QString& n : names) QFile::copy(shippedFile(n), file(n));
        return;
    }
    makeSettingsDb(file(QStringLiteral("Nastr.mdb")));
    makeReferenceDb(file(QStringLiteral("Spr.mdb")));
    makeCalculationDb(file(QStringLiteral("GidrRas.mdb")));
}

void ProgramFolder::setSetting(const QString& column, const QVariant& value) const {
    execOn(file(QStringLiteral("Nastr.mdb")),
           {QStringLiteral("UPDATE Настройки SET [%1]=%2").arg(column, literal(value))});
}

QString ProgramFolder::newCalculation(const QString& name) const {
    const QString target = data(name);
    QFile::remove(target);
    QFile::copy(file(QStringLiteral("GidrRas.mdb")), target);
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    return target;
}

}  // namespace volm::test
