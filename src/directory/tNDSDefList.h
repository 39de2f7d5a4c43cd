#pragma once

#include <QString>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

// A list of schema definitions sorted by name without regard to case, owning its
// items. A name already present is not added again; lookups are binary searches.
template <class T> class tNDSDefList
{
public:
    using Entry = std::pair<QString, std::unique_ptr<T>>;

    // Adds the item under its name; false (and the item dropped) when the name is present.
    bool Add(const QString &name, std::unique_ptr<T> item)
    {
        auto at = LowerBound(name);
        if (at != items_.end() && Compare(at->first, name) == 0)
            return false;
        items_.emplace(at, name, std::move(item));
        return true;
    }

    // The item of that name (any letter case), or null.
    T *Find(const QString &name) const
    {
        auto at = std::lower_bound(items_.begin(), items_.end(), name,
                                   [](const Entry &e, const QString &n) { return Compare(e.first, n) < 0; });
        return at != items_.end() && Compare(at->first, name) == 0 ? at->second.get() : nullptr;
    }

    void Clear() { items_.clear(); }
    bool IsEmpty() const { return items_.empty(); }
    qsizetype Count() const { return qsizetype(items_.size()); }
    typename std::vector<Entry>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<Entry>::const_iterator end() const { return items_.end(); }

private:
    static int Compare(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive); }

    typename std::vector<Entry>::iterator LowerBound(const QString &name)
    {
        return std::lower_bound(items_.begin(), items_.end(), name,
                                [](const Entry &e, const QString &n) { return Compare(e.first, n) < 0; });
    }

    std::vector<Entry> items_;
};
