#pragma once

#include <QString>
#include <stdexcept>

namespace simat {

// What a failed read, a failed open or an unparsable number throws; the action that threw
// ends there, with its text in an error box (see runAction()).
class Error : public std::runtime_error {
public:
    explicit Error(const QString &text)
        : std::runtime_error(text.toStdString())
        , m_text(text)
    {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

} // namespace simat
