#include "workbook.h"

#include "core/bidi.h"
#include "core/error.h"
#include "owner_only.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>
#include <xlsxwriter.h>

namespace simat::workbook {

namespace {

#define SIMAT_XLSXWRITER_FUNCTIONS(F)                                                              \
    F(lxw_strerror)                                                                                \
    F(workbook_new_opt)                                                                            \
    F(workbook_add_format)                                                                         \
    F(workbook_add_worksheet)                                                                      \
    F(workbook_close)                                                                              \
    F(format_set_bold)                                                                             \
    F(format_set_text_wrap)                                                                        \
    F(format_set_align)                                                                            \
    F(format_set_bg_color)                                                                         \
    F(format_set_border)                                                                           \
    F(format_set_num_format)                                                                       \
    F(worksheet_autofilter)                                                                        \
    F(worksheet_right_to_left)                                                                     \
    F(worksheet_freeze_panes)                                                                      \
    F(worksheet_set_column)                                                                        \
    F(worksheet_set_row)                                                                           \
    F(worksheet_write_string)                                                                      \
    F(worksheet_write_number)                                                                      \
    F(worksheet_write_datetime)

// libxlsxwriter, and the OpenSSL that it loads, would take a tenth of the program's start to load
// and bind: they are loaded with the first workbook.
struct Xlsxwriter {
#define SIMAT_DECLARE(name) decltype(&::name) name = nullptr;
    SIMAT_XLSXWRITER_FUNCTIONS(SIMAT_DECLARE)
#undef SIMAT_DECLARE
    QString failure;
};

Xlsxwriter loaded()
{
    Xlsxwriter library;
    QLibrary file(QStringLiteral("xlsxwriter"), 4);
    if (!file.load()) {
        library.failure = file.errorString();
        return library;
    }
#define SIMAT_RESOLVE(name)                                                                        \
    library.name = reinterpret_cast<decltype(&::name)>(file.resolve(#name));                       \
    if (!library.name)                                                                             \
        library.failure = file.errorString();
    SIMAT_XLSXWRITER_FUNCTIONS(SIMAT_RESOLVE)
#undef SIMAT_RESOLVE
    return library;
}

const Xlsxwriter &lxw()
{
    static const Xlsxwriter library = loaded();
    return library;
}

} // namespace

struct Writer::Book {
    QString path;
    QString part;
    QByteArray partName;
    QByteArray tmpdir;
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_format *title = nullptr;
    lxw_format *date = nullptr;
    lxw_format *number = nullptr;
    QList<Column> columns;
    lxw_row_t row = 0;
    bool closed = false;

    [[noreturn]] void fail(const QString &reason) const
    {
        throw Error(QStringLiteral("تعذر كتابة الملف %1\n%2").arg(isolated(path), reason));
    }
    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw().lxw_strerror(error)));
    }
};

Writer::Writer(const QString &path)
    : m_book(std::make_unique<Book>())
{
    Book &b = *m_book;
    b.path = path;
    if (!lxw().failure.isEmpty())
        b.fail(QStringLiteral("لم تُحمَّل مكتبة ملفات Excel (libxlsxwriter): ") + lxw().failure);
    b.part = path + QStringLiteral(".part");
    QFile::remove(b.part);
    // The library writes into the file as it finds it, keeping its permissions.
    owner_only::createFile(b.part);
    b.partName = QFile::encodeName(b.part);
    b.tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = 1;
    options.tmpdir = b.tmpdir.data();
    b.book = lxw().workbook_new_opt(b.partName.constData(), &options);
    if (!b.book) {
        QFile::remove(b.part);
        b.fail(QStringLiteral("لا تتسع الذاكرة للملف"));
    }
    b.title = lxw().workbook_add_format(b.book);
    lxw().format_set_bold(b.title);
    lxw().format_set_text_wrap(b.title);
    lxw().format_set_align(b.title, LXW_ALIGN_CENTER);
    lxw().format_set_align(b.title, LXW_ALIGN_VERTICAL_CENTER);
    lxw().format_set_bg_color(b.title, 0xDDEBF7);
    lxw().format_set_border(b.title, LXW_BORDER_THIN);
    b.date = lxw().workbook_add_format(b.book);
    lxw().format_set_num_format(b.date, "dd/mm/yyyy");
    b.number = lxw().workbook_add_format(b.book);
    lxw().format_set_num_format(b.number, "0.00");
}

Writer::~Writer()
{
    if (!m_book->closed) {
        lxw().workbook_close(m_book->book);
        QFile::remove(m_book->part);
    }
}

void Writer::finishSheet()
{
    Book &b = *m_book;
    if (!b.sheet)
        return;
    const lxw_row_t last = b.row > 0 ? b.row - 1 : 0;
    b.check(lxw().worksheet_autofilter(b.sheet, 0, 0, last, lxw_col_t(b.columns.size() - 1)));
}

void Writer::addSheet(const QString &name, const QList<Column> &columns)
{
    finishSheet();
    Book &b = *m_book;
    b.sheet = lxw().workbook_add_worksheet(b.book, name.toUtf8().constData());
    if (!b.sheet)
        b.fail(QStringLiteral("اسم الورقة %1 غير صالح").arg(name));
    b.columns = columns;
    b.row = 0;
    lxw().worksheet_right_to_left(b.sheet);
    lxw().worksheet_freeze_panes(b.sheet, 1, 0);
    for (lxw_col_t column = 0; column < columns.size(); ++column) {
        const Column &c = columns.at(column);
        b.check(lxw().worksheet_set_column(b.sheet, column, column, c.width,
                                           c.kind == Kind::Date     ? b.date
                                           : c.kind == Kind::Number ? b.number
                                                                    : nullptr));
    }
    // Room for an Arabic title wrapped on two lines over the export name.
    b.check(lxw().worksheet_set_row(b.sheet, 0, 48, nullptr));
    for (lxw_col_t column = 0; column < columns.size(); ++column) {
        const Column &c = columns.at(column);
        b.check(lxw().worksheet_write_string(
            b.sheet, 0, column, (c.arabic + QLatin1Char('\n') + c.exportName).toUtf8().constData(),
            b.title));
    }
    b.row = 1;
}

void Writer::writeRow(const QList<QVariant> &values)
{
    Book &b = *m_book;
    for (lxw_col_t column = 0; column < values.size() && column < b.columns.size(); ++column) {
        const QVariant &value = values.at(column);
        if (!value.isValid() || value.isNull() || value.toString().isEmpty())
            continue;
        switch (b.columns.at(column).kind) {
        case Kind::Integer:
        case Kind::Number:
            b.check(
                lxw().worksheet_write_number(b.sheet, b.row, column, value.toDouble(), nullptr));
            break;
        case Kind::Date: {
            const QDate date = value.toDate();
            lxw_datetime stamp{date.year(), date.month(), date.day(), 0, 0, 0};
            b.check(lxw().worksheet_write_datetime(b.sheet, b.row, column, &stamp, b.date));
            break;
        }
        case Kind::Text:
            b.check(lxw().worksheet_write_string(b.sheet, b.row, column,
                                                 value.toString().toUtf8().constData(), nullptr));
            break;
        }
    }
    ++b.row;
}

void Writer::commit()
{
    finishSheet();
    Book &b = *m_book;
    b.closed = true;
    const lxw_error closed = lxw().workbook_close(b.book);
    if (closed != LXW_NO_ERROR) {
        QFile::remove(b.part);
        b.check(closed);
    }
    if (std::rename(b.partName.constData(), QFile::encodeName(b.path).constData()) != 0) {
        QFile::remove(b.part);
        b.fail(QStringLiteral("تعذرت تسمية الملف"));
    }
}

} // namespace simat::workbook
