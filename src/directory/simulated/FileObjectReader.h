#pragma once

#include "directory/simulated/FileValueReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ByteArena;
class DirectoryFileCursor;
class DirectorySchema;
class DirectoryTree;
struct DirectoryObject;

// Reads the objects of a tree from a directory file: their names, classes and values,
// and the objects below them.
class FileObjectReader
{
public:
    // Names and value blocks are stored in arena.
    FileObjectReader(DirectoryFileCursor &cursor, ByteArena &arena) : cursor_(cursor), arena_(arena), values_(cursor) {}

    // Reads the value of "objects", which the cursor is on, adding the objects to tree,
    // whose schema is already read. A fault of the file throws JsonCursor::Error, the
    // cursor's place naming the object and attribute read.
    void Read(DirectoryTree &tree);

private:
    void ReadObjects(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes);
    void ReadObject(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes, size_t number);
    void CheckObjectName(std::string_view rdn, size_t at);
    void ReadValues(const DirectorySchema &schema, DirectoryObject &object);

    DirectoryFileCursor &cursor_;
    ByteArena &arena_;
    FileValueReader values_;
    // Kept from object to object, so that their memory is reused.
    std::string block_;
    std::vector<uint32_t> seenAttributes_;
};
