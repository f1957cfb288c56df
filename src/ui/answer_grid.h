#pragma once

#include "core/checklist_test.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPixmap>

class QTableView;

namespace simat {

// The answers of the test on screen: the questions of one domain, each with its answer; the
// mark follows from the answer. Its columns are those of the checklist grid: 0 the question's
// number, 1 its text, 2 to 4 "1" under the answer given, 5 the mark, 6 the domain.
class AnswersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IdColumn = 0, QuestionColumn = 1, MarkColumn = 5, DomainColumn = 6 };
    static constexpr int columns = 7;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const QList<AnsweredQuestion> &questions() const { return m_questions; }
    // New questions, as stored: nothing on them is unsaved.
    void setQuestions(QList<AnsweredQuestion> questions);
    // Lays stored answers over the questions of the same number.
    void setStoredAnswers(const QList<AnsweredQuestion> &stored);

    // A read-only model (a closed test's) takes no answer.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // The tester's answer to a question; returns false when the model takes none.
    bool answer(int row, checklist::Answer answer);
    // A click on an answer column: ticks it, or clears the answer when it is the one ticked.
    bool toggle(int row, int column);

    bool hasUnsavedAnswers() const { return m_unsaved; }

signals:
    // The tester changed an answer.
    void answered(int row);

private:
    QList<AnsweredQuestion> m_questions;
    bool m_readOnly = false;
    bool m_unsaved = false;
};

// Makes a table view the checklist grid over `model`: answer cells drawn as check boxes, a click
// on one answers, keys 1, 2 and 3 (also Arabic-Indic) answer and move down, Space and Delete
// clear, Tab leaves, and every new set of questions is shown from its first one.
void showAnswerGrid(QTableView *view, AnswersModel *model);

} // namespace simat
