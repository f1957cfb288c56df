#include "report_engine/packed_pages.h"

#include <QDataStream>
#include <QIODevice>

namespace simat::report {

QByteArray packed(const QByteArray &bytes)
{
    QByteArray compressed = qCompress(bytes);
    // qCompress leaves the room of the bytes before they were compressed.
    compressed.squeeze();
    return compressed;
}

qint32 PackedPages::pictureIndex(const QImage &picture)
{
    if (picture.isNull())
        return -1;
    for (qsizetype i = 0; i < m_pictures.size(); ++i)
        if (m_pictures.at(i).cacheKey() == picture.cacheKey())
            return qint32(i);
    m_pictures << picture;
    return qint32(m_pictures.size() - 1);
}

void PackedPages::append(const LaidOutPage &page)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << page.size << qint64(page.items.size());
    for (const Item &item : page.items)
        out << qint32(item.kind) << item.band << item.name << item.rect << item.line << item.points
            << item.text << item.family << item.pointSize << item.bold << qint32(item.alignment)
            << qint32(item.direction) << item.wrap << item.color << item.fill << item.penWidth
            << item.dashed << pictureIndex(item.picture);
    m_packed << packed(bytes);
}

LaidOutPage PackedPages::at(qsizetype page) const
{
    QDataStream in(qUncompress(m_packed.at(page)));
    LaidOutPage laidOut;
    qint64 items = 0;
    in >> laidOut.size >> items;
    laidOut.items.resize(items);
    for (Item &item : laidOut.items) {
        qint32 kind = 0;
        qint32 alignment = 0;
        qint32 direction = 0;
        qint32 picture = -1;
        in >> kind >> item.band >> item.name >> item.rect >> item.line >> item.points >>
            item.text >> item.family >> item.pointSize >> item.bold >> alignment >> direction >>
            item.wrap >> item.color >> item.fill >> item.penWidth >> item.dashed >> picture;
        item.kind = Item::Kind(kind);
        item.alignment = Qt::Alignment(alignment);
        item.direction = Qt::LayoutDirection(direction);
        if (picture >= 0)
            item.picture = m_pictures.at(picture);
    }
    return laidOut;
}

} // namespace simat::report
