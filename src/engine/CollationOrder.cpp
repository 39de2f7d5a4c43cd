#include "engine/CollationOrder.h"

#include <QCollator>

#include <algorithm>
#include <utility>

namespace {

// The first eight characters, ASCII letters in lower case, as one number: an order
// close to the collator's, taken first so that the collation keys are made, and lie
// in memory, near the order they end in. Only the speed of the sort depends on it.
uint64_t RoughKey(const QString &name)
{
    uint64_t key = 0;
    for (qsizetype i = 0; i < 8; ++i) {
        char16_t c = i < name.size() ? name.at(i).unicode() : 0;
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        key = (key << 8) | (c < 0x80 ? c : 0xFF);
    }
    return key;
}

} // namespace

std::vector<uint32_t> CollationOrder(const QCollator &collator, qsizetype count,
                                     const std::function<QString(qsizetype)> &name)
{
    std::vector<uint32_t> roughOrder;
    {
        std::vector<std::pair<uint64_t, uint32_t>> rough;
        rough.reserve(size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            rough.emplace_back(RoughKey(name(i)), uint32_t(i));
        std::sort(rough.begin(), rough.end());
        roughOrder.reserve(rough.size());
        for (const auto &entry : rough)
            roughOrder.push_back(entry.second);
    }
    // The collation keys take the most memory of a sort: the rough keys go before they come.
    std::vector<std::pair<QCollatorSortKey, uint32_t>> keys;
    keys.reserve(roughOrder.size());
    for (const uint32_t position : roughOrder)
        keys.emplace_back(collator.sortKey(name(position)), position);
    roughOrder = {};
    std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    std::vector<uint32_t> order;
    order.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i == 0 || keys[i - 1].first.compare(keys[i].first) != 0)
            order.push_back(keys[i].second);
    }
    return order;
}
