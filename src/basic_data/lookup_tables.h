#pragma once

#include <QString>
#include <QStringList>

class QLineEdit;
class QTableView;
class QWidget;

namespace simat {
class Statement;
}

// What the two lookup screens share: the hidden registry list through which a table is
// chosen, the names the registry hands to statement lines, and the check that a code is still
// in use before it is deleted.
namespace simat::basic_data {

// The registry rows of one level that are offered for maintenance: a screen's own statement,
// named after its view, on the data module's connection.
Statement *makeRegistryView(const QString &name, int level);
// Binds the hidden table list to the registry view.
void bindRegistryGrid(QTableView *grid, Statement *view, const QString &hint);

// Makes the row of `rows` whose `column` reads `text` the grid's current row; false when no
// row does.
bool locateRow(QTableView *grid, Statement *rows, const QString &column, const QString &text);

// A table or column name read from the registry or from a table, checked before it goes into
// a statement line; throws an Error that says where the name came from.
QString registeredName(const QString &name);
// The column names of `query`, opened over the registered `table`; a table that cannot be read
// throws an Error that names it.
QStringList columnsOfRegistered(Statement *query, const QString &table);

// The column names of a registered table, in their order.
QStringList columnsOfTable(const QString &table);

// Whether a table of the registry above `level`, whatever its status, has a column named
// `codeColumn` that holds `code`.
bool codeIsInUse(int level, const QString &codeColumn, int code);

// Checks that a row to save has its code and its description; says which is missing,
// naming the table by its title.
bool codeAndDescriptionAreGiven(QLineEdit *code, QLineEdit *description, const QString &title,
                                QWidget *screen);

// Told when a delete finds no stored row to delete.
inline const QString nothingStoredToDelete = QStringLiteral("لا توجد بيانات للإلغاء");

// Deletes the row of `table` with that code after the usage check and the user's yes; false
// when nothing was tried (the code is in use or the user declined), true when the delete ran,
// done, failed or finding no such row, each with its message.
bool deleteIfUnused(int level, const QString &table, const QString &codeColumn, int code,
                    QWidget *screen);

// The icons of a lookup screen's action buttons.
void setActionIcons(QWidget *screen);

// Whether the basic-data menu's button of that name opened the screen now being shown.
bool openedByMenuButton(const char *buttonName);

} // namespace simat::basic_data
