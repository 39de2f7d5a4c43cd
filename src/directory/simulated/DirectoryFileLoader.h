#pragma once

#include "directory/simulated/DirectoryFileCursor.h"
#include "directory/simulated/DirectoryModel.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

// Reads the text of one directory file into a new model: the document, its trees (each
// with its schema, objects and faults) and its connections.
class DirectoryFileLoader
{
public:
    // text (without a byte order mark) must outlive the loader; fileName names the file
    // in messages.
    DirectoryFileLoader(std::string_view text, QString fileName) : cursor_(text), fileName_(std::move(fileName)) {}

    // The model of the text, or null with *error (unless error is null) set to a message
    // naming the file, the line, the place and the fault. Called once.
    std::unique_ptr<DirectoryModel> Load(QString *error);

private:
    void ReadDocument();
    void ReadConnections();
    void ReadTrees();
    void ReadTree(size_t number);

    DirectoryFileCursor cursor_;
    QString fileName_;
    std::unique_ptr<DirectoryModel> model_;
};
