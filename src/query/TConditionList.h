#pragma once

#include "engine/tCondition.h"

#include <QString>

#include <memory>
#include <vector>

// The condition rows of a query, in order: each row is a property name and the
// condition the list owns for it. Names are looked up without regard to case; a name
// may appear on more than one row (a property chosen twice).
class TConditionList
{
public:
    struct Row {
        QString property;
        std::unique_ptr<tCondition> condition; // never null
    };

    TConditionList() = default;
    // Copies hold copies of the conditions.
    TConditionList(const TConditionList &other);
    TConditionList &operator=(const TConditionList &other);
    TConditionList(TConditionList &&) noexcept = default;
    TConditionList &operator=(TConditionList &&) noexcept = default;
    ~TConditionList() = default;

    // Appends a row for property holding condition; returns the stored condition, which
    // stays at its address until its row is removed.
    tCondition &Add(const QString &property, const tCondition &condition);
    // The index of the first row named property (case ignored), or -1.
    int IndexOf(const QString &property) const;
    // The condition of the first row named property (case ignored), or null.
    tCondition *Find(const QString &property);
    const tCondition *Find(const QString &property) const;
    // Removes and frees the row at index (0 <= index < Count()).
    void RemoveAt(int index);
    // Removes and frees every row (FreeConditionList).
    void Clear() { rows.clear(); }

    int Count() const { return static_cast<int>(rows.size()); }
    bool IsEmpty() const { return rows.empty(); }
    // Row access, 0 <= index < Count().
    const QString &Property(int index) const { return rows.at(index).property; }
    tCondition &Condition(int index) { return *rows.at(index).condition; }
    const tCondition &Condition(int index) const { return *rows.at(index).condition; }

    std::vector<Row>::const_iterator begin() const { return rows.begin(); }
    std::vector<Row>::const_iterator end() const { return rows.end(); }

private:
    std::vector<Row> rows;
};
