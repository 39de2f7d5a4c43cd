#include "directory/simulated/DirectoryModel.h"

#include "directory/client/CaseFold.h"

std::string_view DirectoryModel::WithoutPadding(std::string_view name)
{
    while (name.size() >= 2 && name.back() == '_')
        name.remove_suffix(1);
    return name;
}

int32_t DirectoryModel::FindTree(std::string_view name) const
{
    const std::string_view wanted = WithoutPadding(name);
    for (size_t i = 0; i < trees.size(); ++i) {
        if (CaseFold::Equal(WithoutPadding(trees[i]->name), wanted))
            return int32_t(i);
    }
    return -1;
}
