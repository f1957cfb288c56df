#include "data_source.h"

#include "core/error.h"

namespace simat {

int DataSource::intValue(const QString &column) const
{
    return toInt(value(column));
}

double DataSource::realValue(const QString &column) const
{
    return toReal(value(column));
}

QString DataSource::textValue(const QString &column) const
{
    return value(column).toString();
}

QDate DataSource::dateValue(const QString &column) const
{
    return toDate(value(column));
}

int toInt(const QVariant &value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok)
        return number;
    const double real = value.toDouble(&ok);
    if (ok)
        return int(real);
    throw Error(QStringLiteral("القيمة \"%1\" ليست رقماً صحيحاً").arg(value.toString()));
}

double toReal(const QVariant &value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

QDate toDate(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

int rowCount(DataSource *rows)
{
    if (!rows || !rows->isOpen())
        return 0;
    int count = 0;
    for (rows->first(); !rows->atEnd(); rows->next())
        ++count;
    rows->first();
    return count;
}

} // namespace simat
