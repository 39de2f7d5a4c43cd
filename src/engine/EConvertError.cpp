#include "engine/EConvertError.h"

EConvertError::EConvertError(const QString &message) : message(message), utf8(message.toUtf8()) {}

const char *EConvertError::what() const noexcept
{
    return utf8.constData();
}
