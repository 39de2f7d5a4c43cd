#include "query/TConditionList.h"

TConditionList::TConditionList(const TConditionList &other)
{
    *this = other;
}

TConditionList &TConditionList::operator=(const TConditionList &other)
{
    if (this == &other)
        return *this;
    std::vector<Row> copy;
    copy.reserve(other.rows.size());
    for (const Row &row : other.rows)
        copy.push_back(Row{row.property, std::make_unique<tCondition>(*row.condition)});
    rows = std::move(copy);
    return *this;
}

tCondition &TConditionList::Add(const QString &property, const tCondition &condition)
{
    rows.push_back(Row{property, std::make_unique<tCondition>(condition)});
    return *rows.back().condition;
}

int TConditionList::IndexOf(const QString &property) const
{
    for (int i = 0; i < Count(); ++i) {
        if (rows[i].property.compare(property, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

tCondition *TConditionList::Find(const QString &property)
{
    const int index = IndexOf(property);
    return index < 0 ? nullptr : rows[index].condition.get();
}

const tCondition *TConditionList::Find(const QString &property) const
{
    const int index = IndexOf(property);
    return index < 0 ? nullptr : rows[index].condition.get();
}

void TConditionList::RemoveAt(int index)
{
    rows.erase(rows.begin() + index);
}
