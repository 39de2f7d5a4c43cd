#include "directory/simulated/DirectoryTree.h"

#include "directory/client/CaseFold.h"
#include "directory/simulated/DirectoryName.h"

DirectoryTree::DirectoryTree()
{
    objects.emplace_back();
    childStart_.assign(2, 0);
}

bool DirectoryTree::AddObject(const DirectoryObject &object)
{
    if (index_.Find(objects, object.parent, object.Value()) != 0)
        return false;
    objects.push_back(object);
    index_.Insert(objects, uint32_t(objects.size() - 1));
    return true;
}

void DirectoryTree::IndexChildren()
{
    const size_t count = objects.size();
    childStart_.assign(count + 1, 0);
    for (size_t i = 1; i < count; ++i)
        ++childStart_[objects[i].parent + 1];
    for (size_t i = 0; i < count; ++i)
        childStart_[i + 1] += childStart_[i];
    children_.assign(count - 1, 0);
    std::vector<uint32_t> next(childStart_.begin(), childStart_.end() - 1);
    // Objects come in the file's order, so each parent's children keep theirs.
    for (size_t i = 1; i < count; ++i)
        children_[next[objects[i].parent]++] = uint32_t(i);
}

int64_t DirectoryTree::Resolve(std::string_view fullName) const
{
    DirectoryName::Parts parts;
    if (!DirectoryName::Split(fullName, parts))
        return -1;
    int64_t at = Top;
    for (size_t i = parts.count; i-- > 0 && at >= 0;)
        at = ResolvePart(uint32_t(at), parts.part[i]);
    return at;
}

int64_t DirectoryTree::ResolvePart(uint32_t parent, std::string_view part) const
{
    const size_t typeEnd = DirectoryName::TypeEnd(part);
    uint32_t child = 0;
    if (typeEnd != std::string_view::npos) {
        child = index_.Find(objects, parent, part.substr(typeEnd + 1));
        if (child != 0 && !CaseFold::Equal(objects[child].Type(), part.substr(0, typeEnd)))
            child = 0;
    }
    if (child == 0)
        child = index_.Find(objects, parent, part);
    return child == 0 ? -1 : int64_t(child);
}

bool DirectoryTree::IsAbove(uint32_t ancestor, uint32_t object) const
{
    while (object != Top) {
        object = objects[object].parent;
        if (object == ancestor)
            return true;
    }
    return false;
}

void DirectoryTree::AppendParts(std::string &out, uint32_t object, uint32_t stop, bool typeless) const
{
    bool first = true;
    for (; object != stop && object != Top; object = objects[object].parent) {
        if (!first)
            out.push_back('.');
        first = false;
        const DirectoryObject &entry = objects[object];
        const std::string_view part = typeless ? entry.Value() : entry.Rdn();
        out.append(part.data(), part.size());
    }
}

void DirectoryTree::AppendName(std::string &out, uint32_t object, uint32_t nameContext, bool typeless) const
{
    if (object == Top) {
        out.append("[Root]");
        return;
    }
    if (nameContext == Top || IsAbove(nameContext, object)) {
        AppendParts(out, object, nameContext, typeless);
        return;
    }
    out.push_back('.');
    AppendParts(out, object, Top, typeless);
}

std::string DirectoryTree::FullName(uint32_t object) const
{
    std::string name;
    AppendName(name, object, Top, false);
    return name;
}
