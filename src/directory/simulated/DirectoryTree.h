#pragma once

#include "directory/simulated/DirectoryFault.h"
#include "directory/simulated/DirectoryObject.h"
#include "directory/simulated/DirectorySchema.h"
#include "directory/simulated/NameIndex.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One tree of a simulated directory: its schema, its objects (flat, in the file's
// order, children found through a child index), and the faults the file gives it.
class DirectoryTree
{
public:
    static constexpr uint32_t Top = 0;

    DirectoryTree();

    std::string name;
    std::string identity;
    uint32_t defaultContext = Top;
    DirectorySchema schema;
    std::vector<DirectoryObject> objects; // objects[Top] is the top of the tree
    std::vector<DirectoryFault> faults;

    // Adds an object below parent; false (nothing added) when a sibling has the same
    // typeless name. The texts must live as long as the tree.
    bool AddObject(const DirectoryObject &object);

    // Builds the child index once every object is added.
    void IndexChildren();

    // The object a full name stands for (Top for the top), or -1.
    int64_t Resolve(std::string_view fullName) const;
    // The child of parent that one part of a name, typed or typeless, stands for, or -1.
    int64_t ResolvePart(uint32_t parent, std::string_view part) const;

    std::span<const uint32_t> Children(uint32_t object) const
    {
        return {children_.data() + childStart_[object], childStart_[object + 1] - childStart_[object]};
    }
    // Whether ancestor is above object (not object itself).
    bool IsAbove(uint32_t ancestor, uint32_t object) const;

    // Appends the name of object as the client hands it out: relative to nameContext
    // when that is above it, otherwise the full name (with a leading dot when
    // nameContext is not the top); "[Root]" for the top.
    void AppendName(std::string &out, uint32_t object, uint32_t nameContext, bool typeless) const;

    // The full typed name of object ("[Root]" for the top).
    std::string FullName(uint32_t object) const;

private:
    void AppendParts(std::string &out, uint32_t object, uint32_t stop, bool typeless) const;

    NameIndex index_;
    std::vector<uint32_t> childStart_;
    std::vector<uint32_t> children_;
};
