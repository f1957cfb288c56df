#include "global.h"

namespace simat {

Globals &globals()
{
    static Globals values;
    return values;
}

} // namespace simat

#include "core/checklist.h"
#include "core/error.h"
#include "data/dm.h"

#include <QTableWidget>

namespace simat {} // namespace simat

namespace simat {

void discoverLookupColumns()
{
    TDataModule1 *dm = TDataModule1::instance();
    LookupState &lookup = globals().lookup;
    dm->GetTableLevelQuery->setParam(QStringLiteral("table_name"), lookup.LookupTableName);
    dm->GetTableLevelQuery->open();
    lookup.LookupTableLevel = dm->GetTableLevelQuery->isEmpty()
                                  ? 0
                                  : dm->GetTableLevelQuery->intValue(QStringLiteral("table_level"));
    dm->GetTableStrucQuery->setLine(1, Statement::identifier(lookup.LookupTableName));
    dm->GetTableStrucQuery->open();
    const QStringList columns = dm->GetTableStrucQuery->columnNames();
    const int codeIndex = lookup.LookupTableLevel == 1 ? 0 : 1;
    if (lookup.LookupTableLevel >= 1 && columns.size() > codeIndex + 1) {
        lookup.LookupCodeColumn = columns.at(codeIndex);
        lookup.LookupNameColumn = columns.at(codeIndex + 1);
    }
}

QString gridText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *cell = grid->item(row, column);
    return cell ? cell->text() : QString();
}

void setGridText(QTableWidget *grid, int row, int column, const QString &text)
{
    QTableWidgetItem *cell = grid->item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled);
        grid->setItem(row, column, cell);
    }
    cell->setText(text);
}

void ClearGridCells(QTableWidget *grid)
{
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            if (grid->item(row, column))
                grid->item(row, column)->setText(QString());
    grid->viewport()->update();
}

void FillQuestionRows(QTableWidget *grid, Statement *query)
{
    query->open();
    const int questions = query->rowCount();
    grid->setRowCount(questions);
    int row = 0;
    for (query->first(); !query->atEnd(); query->next(), ++row) {
        setGridText(grid, row, 0, query->textValue(QStringLiteral("ques_id")));
        setGridText(grid, row, 1, query->textValue(QStringLiteral("ques_desc")));
        setGridText(grid, row, 6, query->textValue(QStringLiteral("ques_group")));
    }
    // Long questions wrap: the rows take their height once, from their question texts.
    grid->resizeRowsToContents();
    // A new set of questions is read from its first one.
    grid->scrollToTop();
    grid->viewport()->update();
}

void FillAnsweredRows(QTableWidget *grid, Statement *query)
{
    query->open();
    int row = 0;
    for (query->first(); !query->atEnd() && row < grid->rowCount(); query->next(), ++row) {
        setGridText(grid, row, 0, query->textValue(QStringLiteral("ques_id")));
        setGridText(grid, row, 1, query->textValue(QStringLiteral("ques_desc")));
        const checklist::Answer answer =
            checklist::answerOfStoredWord(query->textValue(QStringLiteral("ques_ans_val")));
        for (checklist::Answer column : checklist::answers)
            setGridText(grid, row, checklist::gridColumnOf(column),
                        column == answer ? QStringLiteral("1") : QString());
        const int mark = query->intValue(QStringLiteral("ques_mark"));
        setGridText(grid, row, 5, mark == 0 ? QString() : QString::number(mark));
        setGridText(grid, row, 6, query->textValue(QStringLiteral("ques_group")));
    }
    grid->viewport()->update();
}

double SumGridColumn(const QTableWidget *grid, int column)
{
    double sum = 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString text = gridText(grid, row, column).trimmed();
        if (!text.isEmpty())
            sum += text.toDouble();
    }
    return sum;
}

} // namespace simat
