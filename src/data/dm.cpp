#include "dm.h"

#include "error.h"
#include "statement_texts.h"

namespace simat {

namespace {
TDataModule1 *theInstance = nullptr;
}

TDataModule1::TDataModule1(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("DataModule1"));
    theInstance = this;
    using P = ParamType;
    FindUserQuery = add(QStringLiteral("FindUserQuery"), texts::findUser(),
                        {{"code", P::Integer}, {"password", P::Text}});
    GetMeasQuesCountQuery = add(QStringLiteral("GetMeasQuesCountQuery"), texts::questionCount());
    GetSerialQuery = add(QStringLiteral("GetSerialQuery"), texts::serialTemplate(),
                         {{"param1", P::Integer}, {"param2", P::Integer}});
    FindStudentByCodeQuery =
        add(QStringLiteral("FindStudentByCodeQuery"),
            texts::caseWithLookups(QStringLiteral("where stud_code=:stud_code")),
            {{"stud_code", P::Integer}});
    StudentsQuery = add(QStringLiteral("StudentsQuery"),
                        texts::caseWithLookups(QStringLiteral(
                            "where branch_no=:branch_no and stud_name like '%'+ :param_1 +'%'")),
                        {{"branch_no", P::Integer}, {"param_1", P::Text}});
}

TDataModule1::~TDataModule1()
{
    if (theInstance == this)
        theInstance = nullptr;
}

TDataModule1 *TDataModule1::instance()
{
    return theInstance;
}

Statement *TDataModule1::add(const QString &name, const QStringList &lines,
                             std::initializer_list<std::pair<const char *, ParamType>> params)
{
    auto *statement = new Statement(Database1, name, lines, this);
    for (const auto &[param, type] : params)
        statement->declare(QLatin1String(param), type);
    return statement;
}

Statement *TDataModule1::statement(const QString &name) const
{
    return findChild<Statement *>(name, Qt::FindDirectChildrenOnly);
}

QList<Statement *> TDataModule1::statements() const
{
    return findChildren<Statement *>(QString(), Qt::FindDirectChildrenOnly);
}

void TDataModule1::openDatabase()
{
    if (!Database1.isOpen())
        Database1.open();
}

int TDataModule1::nextSerial(const QString &column, const QString &table, const QString &condition)
{
    GetSerialQuery->setLine(1, QStringLiteral("max(%1)").arg(Statement::identifier(column)));
    GetSerialQuery->setLine(3, Statement::identifier(table));
    GetSerialQuery->setLine(4, condition);
    GetSerialQuery->open();
    const int greatest = GetSerialQuery->intValue(QStringLiteral("max_code"));
    GetSerialQuery->close();
    return greatest + 1;
}

} // namespace simat
