#pragma once

#include <QString>
#include <stdexcept>

namespace simat {

// What a failed read, a failed open or an unparsable number throws; the action that threw
// ends there, with its text in an error box (see runAction()). A failure the database engine
// gave may carry the engine's own words apart, for the box's details.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &text, const QString &engineReason = {})
        : std::runtime_error(text.toStdString())
        , m_text(text)
        , m_engineReason(engineReason)
    {}
    const QString &text() const { return m_text; }
    const QString &engineReason() const { return m_engineReason; }

private:
    QString m_text;
    QString m_engineReason;
};

// What a piece of work throws when the user stopped it with the Cancel of its progress window:
// the action ends there without a box, leaving things as they were before it.
class Stopped : public Error {
public:
    Stopped()
        : Error(QStringLiteral("توقف العمل بطلب المستخدم"))
    {}
};

} // namespace simat
