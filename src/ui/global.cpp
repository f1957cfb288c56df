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

#include "answer_grid.h"

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

void ClearGridCells(AnswersModel *grid)
{
    grid->setQuestions({});
}

namespace {

QList<AnsweredQuestion> questionsOf(Statement *query)
{
    query->open();
    QList<AnsweredQuestion> questions;
    questions.reserve(query->rowCount());
    for (query->first(); !query->atEnd(); query->next())
        questions.append(
            {query->intValue(QStringLiteral("ques_id")),
             query->textValue(QStringLiteral("ques_desc")),
             query->intValue(QStringLiteral("ques_group")),
             query->hasColumn(QStringLiteral("ques_ans_val"))
                 ? checklist::answerOfStoredWord(query->textValue(QStringLiteral("ques_ans_val")))
                 : checklist::Answer::None});
    return questions;
}

} // namespace

void FillQuestionRows(AnswersModel *grid, Statement *query)
{
    grid->setQuestions(questionsOf(query));
}

void FillAnsweredRows(AnswersModel *grid, Statement *query)
{
    grid->setStoredAnswers(questionsOf(query));
}

double SumGridColumn(const AnswersModel *grid, int column)
{
    double sum = 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString text = grid->index(row, column).data().toString().trimmed();
        if (!text.isEmpty())
            sum += text.toDouble();
    }
    return sum;
}

} // namespace simat
