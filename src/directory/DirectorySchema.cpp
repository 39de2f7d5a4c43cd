#include "DirectorySchema.h"

#include <algorithm>

bool DirectorySchema::AddAttribute(Attribute attribute)
{
    if (!attributeIds_.emplace(attribute.name, uint32_t(attributes_.size())).second)
        return false;
    attributes_.push_back(std::move(attribute));
    return true;
}

bool DirectorySchema::AddClass(Class definition)
{
    if (!classIds_.emplace(definition.name, uint32_t(classes_.size())).second)
        return false;
    classes_.push_back(std::move(definition));
    return true;
}

int32_t DirectorySchema::FindAttribute(std::string_view name) const
{
    const auto found = attributeIds_.find(name);
    return found == attributeIds_.end() ? -1 : int32_t(found->second);
}

int32_t DirectorySchema::FindClass(std::string_view name) const
{
    const auto found = classIds_.find(name);
    return found == classIds_.end() ? -1 : int32_t(found->second);
}

std::string_view DirectorySchema::ItemName(List list, uint32_t id) const
{
    return list == SuperClasses || list == Containment ? std::string_view(classes_[id].name)
                                                       : std::string_view(attributes_[id].name);
}

bool DirectorySchema::Expand(std::string *cycleClass)
{
    std::vector<uint8_t> state(classes_.size(), 0);
    for (uint32_t id = 0; id < classes_.size(); ++id) {
        if (!ExpandClass(id, state, cycleClass))
            return false;
    }
    return true;
}

bool DirectorySchema::ExpandClass(uint32_t id, std::vector<uint8_t> &state, std::string *cycleClass)
{
    enum { Unvisited, Visiting, Done };
    if (state[id] == Done)
        return true;
    if (state[id] == Visiting) {
        if (cycleClass)
            *cycleClass = classes_[id].name;
        return false;
    }
    state[id] = Visiting;
    for (const uint32_t super : classes_[id].own[SuperClasses]) {
        if (!ExpandClass(super, state, cycleClass))
            return false;
    }
    Class &definition = classes_[id];
    for (int list = 0; list < ListCount; ++list) {
        std::vector<uint32_t> &items = definition.expanded[list];
        items.clear();
        const auto add = [&items](uint32_t item) {
            if (std::find(items.begin(), items.end(), item) == items.end())
                items.push_back(item);
        };
        for (const uint32_t item : definition.own[list])
            add(item);
        for (const uint32_t super : definition.own[SuperClasses]) {
            for (const uint32_t item : classes_[super].expanded[list])
                add(item);
        }
    }
    state[id] = Done;
    return true;
}
