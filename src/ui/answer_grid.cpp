#include "answer_grid.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextLayout>
#include <memory>

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

// What a cell's text took to lay out, kept for the text, its column and the width it wraps at:
// each reset of the grid sizes every row again and each paint draws every question, and shaping
// the Arabic questions is the costly part of a load and a save.
struct ShapedKey {
    int column;
    int width;
    QString text;
    bool operator==(const ShapedKey &other) const = default;
    friend size_t qHash(const ShapedKey &key, size_t seed)
    {
        return qHashMulti(seed, key.column, key.width, key.text);
    }
};

template <typename T> class ShapedCache {
public:
    template <typename Make> const T &get(const QFont &font, const ShapedKey &key, Make make)
    {
        // A grid resized many times would otherwise keep the texts of every width it had.
        if (font != m_font || m_entries.size() > maxEntries) {
            m_entries.clear();
            m_font = font;
        }
        auto found = m_entries.constFind(key);
        if (found == m_entries.constEnd())
            found = m_entries.insert(key, make());
        return *found;
    }

private:
    static constexpr qsizetype maxEntries = 1000;
    QFont m_font;
    QHash<ShapedKey, T> m_entries;
};

struct WrappedText {
    std::shared_ptr<QTextLayout> layout;
    qreal height = 0;
};

// Lays the text out in lines of `width`, as the style lays out an item view's text.
WrappedText wrapped(const QStyleOptionViewItem &item, int width)
{
    QTextOption textOption;
    textOption.setWrapMode(item.features.testFlag(QStyleOptionViewItem::WrapText)
                               ? QTextOption::WordWrap
                               : QTextOption::ManualWrap);
    textOption.setTextDirection(item.direction);
    textOption.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
    WrappedText text{std::make_shared<QTextLayout>(item.text, item.font)};
    text.layout->setTextOption(textOption);
    text.layout->beginLayout();
    for (QTextLine line = text.layout->createLine(); line.isValid();
         line = text.layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, text.height));
        text.height += line.height();
    }
    text.layout->endLayout();
    return text;
}

QColor textColour(const QStyleOptionViewItem &item)
{
    QPalette::ColorGroup group =
        item.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !item.state.testFlag(QStyle::State_Active))
        group = QPalette::Inactive;
    return item.palette.color(group, item.state.testFlag(QStyle::State_Selected)
                                         ? QPalette::HighlightedText
                                         : QPalette::Text);
}

qreal topOfText(const QRect &room, qreal height, Qt::Alignment alignment)
{
    if (alignment.testFlag(Qt::AlignTop))
        return room.top();
    if (alignment.testFlag(Qt::AlignBottom))
        return room.bottom() - height;
    return (room.top() + room.bottom() - height) / 2;
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
        if (index.column() == AnswersModel::QuestionColumn)
            paintQuestion(painter, option, index);
        else if (checklist::isAnswerColumn(index.column()))
            paintAnswer(painter, option, index);
        else
            QStyledItemDelegate::paint(painter, option, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const ShapedKey key{index.column(), option.rect.isValid() ? option.rect.width() : -1,
                            index.data().toString()};
        return m_sizes.get(option.font, key,
                           [&] { return QStyledItemDelegate::sizeHint(option, index); });
    }

private:
    void paintAnswer(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index) const
    {
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

    // The cell as the style draws it, with the question's text laid out once.
    void paintQuestion(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = item.widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                               .adjusted(margin, 0, -margin, 0);
        const WrappedText &text = m_texts.get(item.font, {index.column(), room.width(), item.text},
                                              [&] { return wrapped(item, room.width()); });
        item.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        painter->save();
        painter->setClipRect(option.rect);
        painter->setPen(textColour(item));
        text.layout->draw(painter,
                          QPointF(room.x(), topOfText(room, text.height, item.displayAlignment)));
        painter->restore();
    }

    QPixmap m_checked;
    QPixmap m_unchecked;
    mutable ShapedCache<QSize> m_sizes;
    mutable ShapedCache<WrappedText> m_texts;
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
