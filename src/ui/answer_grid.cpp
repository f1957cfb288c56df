#include "answer_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTableView>

namespace simat {

int AnswersModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_questions.size());
}

int AnswersModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant AnswersModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_questions.size())
        return {};
    const AnsweredQuestion &question = m_questions.at(index.row());
    switch (index.column()) {
    case IdColumn:
        return QString::number(question.id);
    case QuestionColumn:
        return question.text;
    case MarkColumn:
        return question.answer == checklist::Answer::None
                   ? QString()
                   : QString::number(checklist::markOf(question.answer));
    case DomainColumn:
        return QString::number(question.domain);
    default:
        return checklist::answerOfGridColumn(index.column()) == question.answer &&
                       question.answer != checklist::Answer::None
                   ? QStringLiteral("1")
                   : QString();
    }
}

QVariant AnswersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == QuestionColumn)
        return QStringLiteral("السؤال");
    if (section == MarkColumn)
        return QStringLiteral("الدرجة");
    if (checklist::isAnswerColumn(section))
        return checklist::arabicWord(checklist::answerOfGridColumn(section));
    return QString();
}

void AnswersModel::setQuestions(QList<AnsweredQuestion> questions)
{
    beginResetModel();
    m_questions = std::move(questions);
    m_unsaved = false;
    endResetModel();
}

void AnswersModel::setStoredAnswers(const QList<AnsweredQuestion> &stored)
{
    for (const AnsweredQuestion &storedRow : stored)
        for (AnsweredQuestion &question : m_questions)
            if (question.id == storedRow.id && question.domain == storedRow.domain)
                question.answer = storedRow.answer;
    m_unsaved = false;
    if (!m_questions.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columns - 1));
}

bool AnswersModel::answer(int row, checklist::Answer answer)
{
    if (m_readOnly || row < 0 || row >= m_questions.size())
        return false;
    m_questions[row].answer = answer;
    m_unsaved = true;
    emit dataChanged(index(row, 0), index(row, columns - 1));
    emit answered(row);
    return true;
}

bool AnswersModel::toggle(int row, int column)
{
    if (!checklist::isAnswerColumn(column) || row < 0 || row >= m_questions.size())
        return false;
    const checklist::Answer clicked = checklist::answerOfGridColumn(column);
    return answer(row, m_questions.at(row).answer == clicked ? checklist::Answer::None : clicked);
}

namespace {

// The platform's own check-box indicator, drawn once into a picture.
QPixmap checkBoxImage(const QWidget *widget, bool checked)
{
    const QStyle *style = widget->style();
    const int width = style->pixelMetric(QStyle::PM_IndicatorWidth);
    const int height = style->pixelMetric(QStyle::PM_IndicatorHeight);
    QPixmap image(width, height);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionButton option;
    option.rect = QRect(0, 0, width, height);
    option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    return image;
}

// Draws the answer cells as check boxes on grey, centred in the cell.
class CheckBoxDelegate : public QStyledItemDelegate {
public:
    explicit CheckBoxDelegate(QWidget *view)
        : QStyledItemDelegate(view)
        , m_checked(checkBoxImage(view, true))
        , m_unchecked(checkBoxImage(view, false))
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (!checklist::isAnswerColumn(index.column())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect cell = option.rect;
        const bool current = option.state.testFlag(QStyle::State_Selected);
        painter->fillRect(cell, current ? QColor(200, 216, 232) : QColor(224, 224, 224));
        const bool ticked = index.data().toString() == QLatin1String("1");
        const QPixmap &image = ticked ? m_checked : m_unchecked;
        const QSize size = image.deviceIndependentSize().toSize();
        const int x = (cell.left() + cell.right() - size.width()) / 2;
        const int y = (cell.top() + cell.bottom() - size.height()) / 2;
        painter->drawPixmap(x, y, image);
    }

private:
    QPixmap m_checked;
    QPixmap m_unchecked;
};

// The tester's clicks and keys on the grid, turned into answers of the model.
class AnswerInput : public QObject {
public:
    AnswerInput(QTableView *view, AnswersModel *model)
        : QObject(view)
        , m_view(view)
        , m_viewport(view->viewport())
        , m_model(model)
    {}

    // Sees the events of a view being destroyed too: only the pointers are compared first.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            return watched == m_viewport && clicked(static_cast<QMouseEvent *>(event));
        case QEvent::KeyPress:
            return watched == m_view && keyPressed(static_cast<QKeyEvent *>(event));
        case QEvent::FocusIn:
            if (watched == m_view && m_model->rowCount() > 0 && !m_view->currentIndex().isValid())
                goToRow(0);
            return false;
        default:
            return false;
        }
    }

private:
    bool clicked(const QMouseEvent *event)
    {
        const QModelIndex cell = m_view->indexAt(event->position().toPoint());
        if (cell.isValid()) {
            goToRow(cell.row());
            m_model->toggle(cell.row(), cell.column());
        }
        m_view->setFocus(Qt::MouseFocusReason);
        return true;
    }

    bool keyPressed(const QKeyEvent *event)
    {
        const int row = m_view->currentIndex().row();
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Delete) {
            m_model->answer(row, checklist::Answer::None);
            return true;
        }
        const checklist::Answer typed = answerOfKey(event->text());
        if (typed == checklist::Answer::None)
            return false;
        if (m_model->answer(row, typed) && row + 1 < m_model->rowCount())
            goToRow(row + 1);
        return true;
    }

    // "1", "2" and "3" in any script's digits name the grid's answer columns from right to left.
    static checklist::Answer answerOfKey(const QString &text)
    {
        const int digit = text.size() == 1 ? text.at(0).digitValue() : -1;
        if (digit < 1 || digit > int(checklist::answers.size()))
            return checklist::Answer::None;
        return checklist::answers.at(digit - 1);
    }

    void goToRow(int row)
    {
        m_view->setCurrentIndex(m_model->index(row, AnswersModel::QuestionColumn));
    }

    QTableView *m_view;
    QWidget *m_viewport;
    AnswersModel *m_model;
};

} // namespace

void showAnswerGrid(QTableView *view, AnswersModel *model)
{
    view->setModel(model);
    view->setItemDelegate(new CheckBoxDelegate(view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setTabKeyNavigation(false);
    view->setFocusPolicy(Qt::StrongFocus);
    auto *input = new AnswerInput(view, model);
    view->installEventFilter(input);
    view->viewport()->installEventFilter(input);
    // A new set of questions is read from its first one.
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        view->scrollToTop();
        if (model->rowCount() > 0)
            view->setCurrentIndex(model->index(0, AnswersModel::QuestionColumn));
    });
}

} // namespace simat
