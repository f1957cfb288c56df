#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace simat::jpeg {

// Decodes a JPEG picture with libjpeg; a null image when the data is not a whole JPEG
// (a truncated file counts as broken, though libjpeg only warns about it).
QImage decode(const QByteArray &data);
QImage load(const QString &path);

// A picture of the program's resources.
QImage resourcePicture(const QString &name);

} // namespace simat::jpeg
