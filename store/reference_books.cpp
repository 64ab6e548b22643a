#include "store/reference_books.h"

#include "store/app.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/record_list.h"
#include "store/records.h"

#include <QDir>
#include <QFileInfo>

namespace volm {

namespace {

ReferenceColumn column(const char* field, const char* title, int width) {
    return {QString::fromUtf8(field), QString::fromUtf8(title), width};
}

}  // namespace

const ReferenceBook& correctionBook() {
    static const ReferenceBook book{
        QStringLiteral("PoprKoefKUdPotForm"),
        QStringLiteral("Поправочные коэффициенты к удельным потерям давления"),
        QStringLiteral("ПопрКоэфКУдПот"),
        QStringLiteral("ЭквШер ASC, УслДиамТрПр ASC"),
        {column("УслДиамТрПр", "Условный диаметр трубопровода, мм.", 215),
         column("ЭквШер", "Эквивалентная шероховатость, мм.", 200), column("Коэф", "Коэффициент", 90)},
        {QStringLiteral("УслДиамТрПр"), QStringLiteral("ЭквШер")},
        &DataModule::atPoprKoefKUdPot};
    return book;
}

const ReferenceBook& diameterBook() {
    static const ReferenceBook book{
        QStringLiteral("DiamTrPrForm"),
        QStringLiteral("Диаметры трубопровода"),
        QStringLiteral("ДиамТрПр"),
        QStringLiteral("УслДиамТрПр ASC"),
        {column("УслДиамТрПр", "Условный диаметр трубопровода, мм.", 215),
         column("ВнутрДиамТрПр", "Внутренний диаметр трубопровода, мм.", 220)},
        {QStringLiteral("УслДиамТрПр")},
        &DataModule::atDiamTrPr};
    return book;
}

const ReferenceBook& densityBook() {
    static const ReferenceBook book{
        QStringLiteral("PlVodiOtTForm"),
        QStringLiteral("Плотность воды при различной температуре"),
        QStringLiteral("ПлВодыОтТ"),
        QStringLiteral("Т ASC"),
        {column("Т", "Температура, град. С", 130), column("Плотность", "Плотность, кг./м3", 120)},
        {QStringLiteral("Т")},
        &DataModule::atPlVodiOtT};
    return book;
}

Table* referenceCursor(App& app, const ReferenceBook& book) {
    if (!app.dm.acSpr.isOpen()) return nullptr;
    Table* t = (app.dm.*book.cursor).get();
    return t && t->isOpen() ? t : nullptr;
}

bool referenceEditorAvailable(App& app, const ReferenceBook& book) {
    return app.dm.acGR.isOpen() && referenceCursor(app, book) != nullptr;
}

QString referenceCaption(App& app, const ReferenceBook& book) {
    QVariant path;
    if (Table* s = app.dm.atNastr.get(); s && s->isOpen() && !s->isEmpty() && s->fieldIndex(QStringLiteral("ФайлСпр")) >= 0)
        path = s->valueAt(0, s->fieldIndex(QStringLiteral("ФайлСпр")));
    if (path.isNull()) return book.title;
    return path.toString() + QStringLiteral(" - ") + book.title;
}

QString referenceDeleteSql(const ReferenceBook& book) {
    QString sql = QStringLiteral("DELETE FROM [") + book.table + QStringLiteral("] WHERE ");
    for (int i = 0; i < book.keys.size(); ++i)
        sql += (i ? QStringLiteral(" AND [") : QStringLiteral("[")) + book.keys[i] + QStringLiteral("] IS ?") +
               QString::number(i + 1);
    return sql;
}

void deleteReferenceRow(Database& db, const ReferenceBook& book, const Table& t, int row) {
    auto st = db.prepare(referenceDeleteSql(book));
    for (int i = 0; i < book.keys.size(); ++i) {
        const int f = t.fieldIndex(book.keys[i]);
        if (f < 0)
            throw DatabaseError(
                QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(book.keys[i], book.table));
        st->bind(i + 1, t.valueAt(row, f));
    }
    st->run();
}

namespace {

// The book's file; a relative name is taken in the program folder, as opening does.
QFileInfo referenceFile(App& app) { return QFileInfo(QDir(app.programDir()).absoluteFilePath(app.dm.acSpr.path())); }

}  // namespace

bool referenceBookReadOnly(App& app) {
    if (!app.dm.acSpr.isOpen()) return false;
    const QFileInfo file = referenceFile(app);
    if (app.workDirMoved() && inProgramFolder(app.programDir(), file.absoluteFilePath())) return true;
    return !file.isWritable() || !QFileInfo(file.absolutePath()).isWritable();
}

bool allowReferenceEditing(App& app) {
    if (referenceBookReadOnly(app)) {
        app.person().message(QStringLiteral("Файл справочников ") + referenceFile(app).absoluteFilePath() +
                             QStringLiteral(" доступен только для чтения: изменения в нем сохранить нельзя. "
                                            "Сохраните изменяемую копию справочников командой "
                                            "Файл \\ Сохранить справочники как... и редактируйте ее."));
        return false;
    }
    if (!app.person().ask(QStringLiteral(
            "Изменение данных этого справочника может привести к изменениям в расчете. Разрешить редактирование?")))
        return false;
    UstanovitRasVip(app, false);
    return true;
}

bool deleteSelectedReferenceRows(App& app, const ReferenceBook& book, const std::vector<int>& rows) {
    Table* t = referenceCursor(app, book);
    if (!t) return false;
    Database& db = app.dm.acSpr;
    return deleteSelectedRows(app.person(), *t, rows,
                              [&](const Table& table, int row) { deleteReferenceRow(db, book, table, row); });
}

bool deleteAllReferenceRows(App& app, const ReferenceBook& book) {
    Table* t = referenceCursor(app, book);
    if (!t) return false;
    return deleteAllRecords(app.person(), *t, app.dm.acSpr);
}

}  // namespace volm
