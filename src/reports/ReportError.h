#pragma once

#include <QString>
#include <stdexcept>

namespace rpt {

// Every failure of the report engine: a template that does not load, an object that does not
// exist, an export that cannot be written. The message is Ukrainian and names the file (and, for
// templates, the line and column).
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace rpt
