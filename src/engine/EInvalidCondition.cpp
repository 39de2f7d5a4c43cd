#include "engine/EInvalidCondition.h"

EInvalidCondition::EInvalidCondition(const QString &message) : message(message), utf8(message.toUtf8()) {}

const char *EInvalidCondition::what() const noexcept
{
    return utf8.constData();
}
