#pragma once

#include "report_engine/layout.h"

#include <QByteArray>
#include <QImage>
#include <QList>

namespace simat::report {

// Laid-out pages kept compressed, each page unpacked when it is asked for: a preview keeps every
// page of a report of thousands. A picture that many pages show is kept once.
class PackedPages {
public:
    void append(const LaidOutPage &page);
    qsizetype size() const { return m_packed.size(); }
    LaidOutPage at(qsizetype page) const;

private:
    qint32 pictureIndex(const QImage &picture);

    QList<QByteArray> m_packed;
    QList<QImage> m_pictures;
};

// The bytes compressed, holding no more room than they need.
QByteArray packed(const QByteArray &bytes);

} // namespace simat::report
