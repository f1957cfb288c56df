#include "search.h"

#include "action.h"
#include "data/dm.h"
#include "data/text_search.h"
#include "data/watched_reads.h"
#include "global.h"
#include "grid_model.h"
#include "screens.h"
#include "ui_search.h"
#include "work_progress.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace simat {

TSearchForm::TSearchForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::SearchForm>())
{
    ui->setupUi(this);
    bindGrid(ui->DBGresult, TDataModule1::instance()->SearchByNameQuery,
             {{QStringLiteral("code"), QStringLiteral("كود"), 69},
              {QStringLiteral("name"), QStringLiteral("إسم"), 262}});
    chooseOnEnter(ui->DBGresult, [this] { DBGresultDblClick(); });
    ui->Eacc_name->installEventFilter(this);
    connect(ui->Eacc_name, &QLineEdit::textChanged, this,
            guarded(this, &TSearchForm::Eacc_nameChange));
    connect(ui->DBGresult, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TSearchForm::DBGresultDblClick));
    connect(ui->spNew, &QToolButton::clicked, this, guarded(this, &TSearchForm::spNewClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TSearchForm::spExitClick));
    installFunctionKeys();
}

TSearchForm::~TSearchForm() = default;

void TSearchForm::pick(PickRequest request)
{
    screens::find<TSearchForm>(QStringLiteral("SearchForm"))->open(std::move(request));
}

void TSearchForm::open(PickRequest request)
{
    LookupState &lookup = globals().lookup;
    lookup.LookupButton = request.button;
    if (request.codeColumn.isEmpty()) {
        lookup.LookupTableName = request.table;
        discoverLookupColumns();
        request.codeColumn = lookup.LookupCodeColumn;
        request.nameColumn = lookup.LookupNameColumn;
    }
    m_request = std::move(request);
    if (isVisible())
        spNewClick();
    showScreen();
}

void TSearchForm::FormShow()
{
    spNewClick();
}

void TSearchForm::spNewClick()
{
    const QSignalBlocker quiet(ui->Eacc_name);
    ui->Eacc_name->clear();
    ui->Eacc_name->setFocus();
    Eacc_nameChange();
}

void TSearchForm::spExitClick()
{
    close();
}

void TSearchForm::closeEvent(QCloseEvent *event)
{
    globals().lookup.LookupButton = nullptr;
    m_request = {};
    TScreen::closeEvent(event);
    // The rows go with the window.
    if (event->isAccepted())
        TDataModule1::instance()->SearchByNameQuery->close();
}

void TSearchForm::Eacc_nameChange()
{
    TDataModule1 *dm = TDataModule1::instance();
    Statement *rows = dm->SearchByNameQuery;
    if (m_request.table.isEmpty()) {
        rows->close();
        return;
    }
    const QString text = ui->Eacc_name->text();
    search::shapeNameSearch(*rows, dm->Database1.engine(), m_request.table, m_request.codeColumn,
                            m_request.nameColumn, text);
    rows->setParam(QStringLiteral("acc_aname"), text);
    {
        WorkProgress progress(this, QStringLiteral("جارى البحث..."),
                              WorkProgress::Showing::WhenSlow);
        const WatchedReads watch(dm->Database1, progress.goOn());
        rows->open();
    }
    if (!rows->isEmpty())
        ui->DBGresult->selectRow(0);
}

bool TSearchForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Eacc_name && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Down) {
            enterList();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runAction(this, [this] { chooseRow(0); });
            return true;
        }
    }
    return TScreen::eventFilter(watched, event);
}

void TSearchForm::enterList()
{
    QAbstractItemModel *rows = ui->DBGresult->model();
    if (rows->rowCount() == 0)
        return;
    if (!ui->DBGresult->currentIndex().isValid())
        ui->DBGresult->setCurrentIndex(rows->index(0, 0));
    ui->DBGresult->setFocus();
}

void TSearchForm::DBGresultDblClick()
{
    const QModelIndex current = ui->DBGresult->currentIndex();
    chooseRow(current.isValid() ? current.row() : 0);
}

void TSearchForm::chooseRow(int row)
{
    Statement *search = TDataModule1::instance()->SearchByNameQuery;
    if (!m_request.chosen || search->isEmpty() || !search->seek(row))
        return;
    const QString code = search->textValue(QStringLiteral("code"));
    const QString name = search->textValue(QStringLiteral("name"));
    // A copy: the caller's answer may close the picker, which forgets the request.
    const auto chosen = m_request.chosen;
    if (chosen(code, name) == AfterChoice::Close)
        close();
}

} // namespace simat
