#pragma once

#include "directory/client/CaseFold.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The schema of one simulated tree: attribute and class definitions in the file's
// order, found by name without regard to case.
class DirectorySchema
{
public:
    struct Attribute {
        std::string name;
        uint32_t syntax = 0;
        uint32_t flags = 0;
    };

    // The five item lists of a class definition, in the directory's order. The first two
    // hold class ids, the others attribute ids.
    enum List { SuperClasses, Containment, Naming, Mandatory, Optional, ListCount };

    struct Class {
        std::string name;
        uint32_t flags = 0;
        std::array<std::vector<uint32_t>, ListCount> own;
        // Own items first, then what the super classes define, each item once.
        std::array<std::vector<uint32_t>, ListCount> expanded;
    };

    // False (nothing added) when the name is taken.
    bool AddAttribute(Attribute attribute);
    bool AddClass(Class definition);

    // The id of the definition of that name, or -1.
    int32_t FindAttribute(std::string_view name) const;
    int32_t FindClass(std::string_view name) const;

    // Sets the own items of one list of a class.
    void SetOwnItems(uint32_t classId, List list, std::vector<uint32_t> items)
    {
        classes_[classId].own[list] = std::move(items);
    }

    // Fills the expanded lists of every class. False when the super classes of a class
    // lead back to it; cycleClass then names that class.
    bool Expand(std::string *cycleClass);

    // The name of item id of a list.
    std::string_view ItemName(List list, uint32_t id) const;

    const std::vector<Attribute> &Attributes() const { return attributes_; }
    const std::vector<Class> &Classes() const { return classes_; }

private:
    using NameMap = std::unordered_map<std::string, uint32_t, CaseFold::NameHash, CaseFold::NameEqual>;

    // Fills the expanded lists of a class whose super classes are expanded.
    // Items are told apart by marks, one per class and attribute, bumped per list.
    void ExpandClass(uint32_t id, std::vector<uint32_t> &classMarks, std::vector<uint32_t> &attributeMarks,
                     uint32_t &mark);

    std::vector<Attribute> attributes_;
    std::vector<Class> classes_;
    NameMap attributeIds_;
    NameMap classIds_;
};
