#pragma once

#include "directory/client/OpenTable.h"
#include "directory/simulated/DirectoryObject.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Finds an object by its parent and its typeless relative name, without regard to
// case, in constant time: an open-addressing table of object indices.
class NameIndex
{
public:
    // The child of parent whose typeless name is value, or 0 when there is none.
    uint32_t Find(const std::vector<DirectoryObject> &objects, uint32_t parent, std::string_view value) const;

    // Adds objects[index]; the caller has checked that no sibling has its name.
    void Insert(const std::vector<DirectoryObject> &objects, uint32_t index);

private:
    static uint64_t HashOf(uint32_t parent, std::string_view value);

    OpenTable<uint32_t> slots_; // object indices; 0 is empty (the top is never a child)
    size_t used_ = 0;
};
