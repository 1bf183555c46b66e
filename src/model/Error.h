#pragma once

#include <QString>

#include <exception>

// The one error type that ends a user action: an unreadable workbook, a missing
// sheet, a settings or target file that cannot be written. Caught at the edge
// (the event loop, the batch command's main).
class KwError : public std::exception
{
public:
    explicit KwError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
