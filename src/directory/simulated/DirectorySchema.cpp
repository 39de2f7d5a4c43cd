#include "directory/simulated/DirectorySchema.h"

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
    enum { Unvisited, Visiting, Done };
    std::vector<uint8_t> state(classes_.size(), Unvisited);
    // Depth first without recursion, so that long chains of super classes are no risk:
    // each entry is a class and the next of its super classes to visit.
    std::vector<std::pair<uint32_t, size_t>> stack;
    std::vector<uint32_t> classMarks(classes_.size(), 0);
    std::vector<uint32_t> attributeMarks(attributes_.size(), 0);
    uint32_t mark = 0;
    for (uint32_t root = 0; root < classes_.size(); ++root) {
        if (state[root] != Unvisited)
            continue;
        state[root] = Visiting;
        stack.emplace_back(root, 0);
        while (!stack.empty()) {
            auto &[id, next] = stack.back();
            const std::vector<uint32_t> &supers = classes_[id].own[SuperClasses];
            if (next < supers.size()) {
                const uint32_t super = supers[next++];
                if (state[super] == Visiting) {
                    if (cycleClass)
                        *cycleClass = classes_[super].name;
                    return false;
                }
                if (state[super] == Unvisited) {
                    state[super] = Visiting;
                    stack.emplace_back(super, 0);
                }
                continue;
            }
            ExpandClass(id, classMarks, attributeMarks, mark);
            state[id] = Done;
            stack.pop_back();
        }
    }
    return true;
}

void DirectorySchema::ExpandClass(uint32_t id, std::vector<uint32_t> &classMarks, std::vector<uint32_t> &attributeMarks,
                                  uint32_t &mark)
{
    Class &definition = classes_[id];
    for (int list = 0; list < ListCount; ++list) {
        // An item is in the list being built when its mark is the list's own.
        std::vector<uint32_t> &marks = list == SuperClasses || list == Containment ? classMarks : attributeMarks;
        const uint32_t current = ++mark;
        std::vector<uint32_t> &items = definition.expanded[list];
        items.clear();
        const auto add = [&items, &marks, current](uint32_t item) {
            if (marks[item] != current) {
                marks[item] = current;
                items.push_back(item);
            }
        };
        for (const uint32_t item : definition.own[list])
            add(item);
        for (const uint32_t super : definition.own[SuperClasses]) {
            for (const uint32_t item : classes_[super].expanded[list])
                add(item);
        }
    }
}
