#include "search.h"

#include "action.h"
#include "data/dm.h"
#include "global.h"
#include "grid_model.h"
#include "ui_search.h"

#include <QCloseEvent>
#include <QLineEdit>

namespace simat {

namespace {

std::function<bool(int)> &comparisonHandBack()
{
    static std::function<bool(int)> handBack;
    return handBack;
}

std::function<void(QObject *, const QString &)> &gridSearchHandBack()
{
    static std::function<void(QObject *, const QString &)> handBack;
    return handBack;
}

bool buttonNamed(const QObject *button, const char *name)
{
    return button && button->objectName() == QLatin1String(name);
}

void writeInto(QWidget *box, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->setText(text);
}

} // namespace

TSearchForm::TSearchForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::SearchForm>())
{
    ui->setupUi(this);
    bindGrid(ui->DBGresult, TDataModule1::instance()->SearchByNameQuery,
             {{QStringLiteral("code"), QStringLiteral("كود"), 69},
              {QStringLiteral("name"), QStringLiteral("إسم"), 262}});
    chooseOnEnter(ui->DBGresult, [this] { DBGresultDblClick(); });
    connect(ui->Eacc_name, &QLineEdit::textChanged, this,
            guarded(this, &TSearchForm::Eacc_nameChange));
    connect(ui->DBGresult, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TSearchForm::DBGresultDblClick));
    connect(ui->spNew, &QToolButton::clicked, this, guarded(this, &TSearchForm::spNewClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TSearchForm::spExitClick));
    installFunctionKeys();
}

TSearchForm::~TSearchForm() = default;

void TSearchForm::setComparisonHandBack(std::function<bool(int)> handBack)
{
    comparisonHandBack() = std::move(handBack);
}

void TSearchForm::setGridSearchHandBack(std::function<void(QObject *, const QString &)> handBack)
{
    gridSearchHandBack() = std::move(handBack);
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
    TScreen::closeEvent(event);
}

bool TSearchForm::parentTableLookup() const
{
    return buttonNamed(globals().lookup.LookupButton, "SPfind_parent_table");
}

void TSearchForm::shapeQuery()
{
    const LookupState &lookup = globals().lookup;
    const bool parent = parentTableLookup();
    const QString code = parent ? lookup.LookupParentCodeColumn : lookup.LookupCodeColumn;
    const QString name = parent ? lookup.LookupParentNameColumn : lookup.LookupNameColumn;
    const QString table = parent ? lookup.LookupParentTable : lookup.LookupTableName;
    Statement *search = TDataModule1::instance()->SearchByNameQuery;
    search->setLine(1, Statement::identifier(code));
    search->setLine(3, Statement::identifier(name));
    search->setLine(6, Statement::identifier(table));
    search->setLine(7, QStringLiteral("where"));
    search->setLine(8, QString());
    search->setLine(9, Statement::identifier(name));
}

void TSearchForm::Eacc_nameChange()
{
    shapeQuery();
    Statement *search = TDataModule1::instance()->SearchByNameQuery;
    search->setParam(QStringLiteral("acc_aname"), ui->Eacc_name->text());
    search->open();
    if (!search->isEmpty())
        ui->DBGresult->selectRow(0);
}

void TSearchForm::DBGresultDblClick()
{
    Statement *search = TDataModule1::instance()->SearchByNameQuery;
    const int row =
        ui->DBGresult->currentIndex().isValid() ? ui->DBGresult->currentIndex().row() : 0;
    if (search->isEmpty() || !search->seek(row))
        return;
    const QString code = search->textValue(QStringLiteral("code"));
    const QString name = search->textValue(QStringLiteral("name"));
    LookupState &lookup = globals().lookup;
    if (buttonNamed(lookup.LookupButton, "spStudentTestsMonitoring") && comparisonHandBack()) {
        lookup.CompareCaseCode = code.toInt();
        if (!comparisonHandBack()(lookup.CompareCaseCode))
            close();
        return;
    }
    handBack(code, name);
    close();
}

void TSearchForm::handBack(const QString &code, const QString &name)
{
    const LookupState &lookup = globals().lookup;
    if (parentTableLookup()) {
        QWidget *form = lookup.LookupForm;
        writeInto(form ? form->findChild<QWidget *>(QStringLiteral("Eparent_code")) : nullptr,
                  code);
        writeInto(form ? form->findChild<QWidget *>(QStringLiteral("Eparent_desc")) : nullptr,
                  name);
        return;
    }
    writeInto(lookup.LookupNameBox, name);
    writeInto(lookup.LookupCodeBox, code);
    if (buttonNamed(lookup.LookupButton, "spSearch") && gridSearchHandBack())
        gridSearchHandBack()(lookup.LookupButton, code);
}

} // namespace simat
