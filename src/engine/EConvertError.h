#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Raised by tCondition::Validate when a value is not an integer or a date of the
// condition's value kind; carries the French message shown to the user.
class EConvertError : public std::exception
{
public:
    explicit EConvertError(const QString &message);

    const QString &Message() const noexcept { return message; }
    // The message in UTF-8.
    const char *what() const noexcept override;

private:
    QString message;
    QByteArray utf8;
};
