#pragma once

#include <QByteArray>
#include <QString>

// Query and SQL files come from this program (UTF-8) or from older installations that
// wrote the Windows-1252 code page; the bytes of each file decide which it is.
namespace TextDecoding {

// The text of a file's bytes: UTF-8 (a leading byte-order mark dropped) when the bytes
// are valid UTF-8, else Windows-1252 (the five bytes that code page leaves undefined
// become the control characters of the same value).
QString DecodeFileText(const QByteArray &bytes);

} // namespace TextDecoding
