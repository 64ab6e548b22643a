#include "output/xlsx_sheet.h"

#include "store/file_ops.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace volm {

namespace {

QByteArray utf8(const QString& s) { return s.toUtf8(); }

// While it lives, the library's own complaints on standard error go nowhere:
// the person is told the program's words instead.
class QuietLibrary {
public:
    QuietLibrary() {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietLibrary() {
        std::fflush(stderr);
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;

private:
    int saved_ = -1;
};

}  // namespace

XlsxSheet::XlsxSheet(const QString& path, const QString& sheetName) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = path.toLocal8Bit();
    QuietLibrary quiet;
    book_ = workbook_new_opt(file.constData(), &options);
    if (!book_) throw FileError(QStringLiteral("Не удается создать книгу Excel."));
    sheet_ = workbook_add_worksheet(book_, utf8(sheetName).constData());
    if (!sheet_) {
        workbook_close(book_);
        book_ = nullptr;
        throw FileError(QStringLiteral("Не удается создать лист книги Excel."));
    }
}

XlsxSheet::~XlsxSheet() {
    // An unfinished workbook is closed all the same, to free it; its file is
    // the caller's to remove.
    if (!book_) return;
    QuietLibrary quiet;
    workbook_close(book_);
}

lxw_format* XlsxSheet::format(const CellLook& look) {
    auto it = formats_.find(look);
    if (it != formats_.end()) return it->second;
    lxw_format* f = workbook_add_format(book_);
    if (!look.numFormat.isEmpty()) format_set_num_format(f, utf8(look.numFormat).constData());
    if (look.bold) format_set_bold(f);
    if (look.fontSize > 0) format_set_font_size(f, look.fontSize);
    if (look.wrap) format_set_text_wrap(f);
    if (look.hAlign == CellLook::HAlign::Center) format_set_align(f, LXW_ALIGN_CENTER);
    if (look.vAlign == CellLook::VAlign::Top) format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
    if (look.vAlign == CellLook::VAlign::Center) format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    if (look.border) format_set_border(f, LXW_BORDER_THIN);
    formats_.emplace(look, f);
    return f;
}

QString workbookCreationFailure() {
    return QStringLiteral("Ошибка при записи книги Excel: файл не может быть создан (нет папки или нет права записи в нее).");
}

void XlsxSheet::check(int error, int systemError) const {
    if (error == LXW_NO_ERROR) return;
    if (systemError == ENOSPC || systemError == EDQUOT) throw FileError(systemErrorText(systemError));
    QString reason;
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
        throw FileError(workbookCreationFailure());
    case LXW_ERROR_CREATING_TMPFILE:
        reason = QStringLiteral("не удается создать временный файл");
        break;
    default:
        reason = QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(error)));
    }
    throw FileError(QStringLiteral("Ошибка при записи книги Excel: ") + reason + QLatin1Char('.'));
}

void XlsxSheet::columnWidths(double width) {
    check(worksheet_set_column(sheet_, 0, LXW_COL_MAX - 1, width, nullptr));
}

void XlsxSheet::rowHeight(int row, double points) {
    check(worksheet_set_row(sheet_, lxw_row_t(row - 1), points, nullptr));
}

void XlsxSheet::text(int row, int col, const QString& s, lxw_format* f) {
    if (s.isEmpty()) {
        blank(row, col, f);
        return;
    }
    check(worksheet_write_string(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), utf8(s).constData(), f));
}

void XlsxSheet::number(int row, int col, double v, lxw_format* f) {
    check(worksheet_write_number(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), v, f));
}

void XlsxSheet::blank(int row, int col, lxw_format* f) {
    check(worksheet_write_blank(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), f));
}

void XlsxSheet::value(int row, int col, const QVariant& v, lxw_format* f) {
    if (v.isNull()) {
        blank(row, col, f);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::QString:
        text(row, col, v.toString(), f);
        return;
    case QMetaType::Bool:
        check(worksheet_write_boolean(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), v.toBool(), f));
        return;
    default:
        number(row, col, v.toDouble(), f);
    }
}

void XlsxSheet::merge(int row, int c1, int c2, const QString& s, lxw_format* f) {
    check(worksheet_merge_range(sheet_, lxw_row_t(row - 1), lxw_col_t(c1 - 1), lxw_row_t(row - 1), lxw_col_t(c2 - 1),
                                utf8(s).constData(), f));
}

void XlsxSheet::close() {
    lxw_workbook* book = book_;
    book_ = nullptr;
    sheet_ = nullptr;
    formats_.clear();
    QuietLibrary quiet;
    errno = 0;
    const int error = workbook_close(book);
    check(error, errno);
}

}  // namespace volm
