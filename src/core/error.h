#pragma once

#include <QString>
#include <stdexcept>

namespace simat {

// What a failed read, a failed open or an unparsable number throws; the application object
// shows its text in an error box and the action that threw ends there.
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
