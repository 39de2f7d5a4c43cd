#pragma once

#include "directory/simulated/DirectoryModel.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Reads a directory file (the JSON format of docs/directory-format.md) into a new
// model. A file that does not follow the format is refused as a whole, with a message
// naming the file, the line, the place (tree, object, attribute...) and the fault.
class DirectoryFileReader
{
public:
    // The model of the file at path, or null with *error set.
    static std::unique_ptr<DirectoryModel> ReadFile(const QString &path, QString *error);

    // The model of a file's bytes; fileName names it in messages.
    static std::unique_ptr<DirectoryModel> ReadBytes(const QByteArray &json, const QString &fileName, QString *error);

    // The model of the demo directory built into the program.
    static std::unique_ptr<DirectoryModel> ReadDemo(QString *error);
};
