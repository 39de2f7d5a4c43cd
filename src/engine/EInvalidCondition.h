#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Raised by tCondition::Validate for a condition that may not be run; carries the
// French message shown to the user.
class EInvalidCondition : public std::exception
{
public:
    explicit EInvalidCondition(const QString &message);

    const QString &Message() const noexcept { return message; }
    // The message in UTF-8.
    const char *what() const noexcept override;

private:
    QString message;
    QByteArray utf8;
};
