#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Files are read in one piece and written whole or not at all.
namespace WholeFile {

// The bytes of the file at path; nothing when it cannot be opened or read, or when it
// holds more than maxBytes bytes (then *tooLarge is set, when given).
std::optional<QByteArray> Read(const QString &path, qint64 maxBytes, bool *tooLarge = nullptr);

// Creates or replaces the file at path with what write puts on the device it is given,
// through a temporary file beside it that is renamed over the old one only when write
// returns true and every byte reached the disk. On false the old file is untouched.
bool Write(const QString &path, const std::function<bool(QIODevice &)> &write);

// The path with the extension of its file name (from the last dot on) replaced by
// extension (given with its dot), or extension appended when the name has none.
QString ReplaceExtension(const QString &path, const QString &extension);

} // namespace WholeFile
