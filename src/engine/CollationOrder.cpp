#include "engine/CollationOrder.h"

#include <QCollator>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using NameAt = std::function<QString(qsizetype)>;

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

std::vector<uint32_t> RoughOrder(qsizetype count, const NameAt &name)
{
    std::vector<std::pair<uint64_t, uint32_t>> rough;
    rough.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        rough.emplace_back(RoughKey(name(i)), uint32_t(i));
    std::sort(rough.begin(), rough.end());
    std::vector<uint32_t> order;
    order.reserve(rough.size());
    for (const auto &entry : rough)
        order.push_back(entry.second);
    return order;
}

// The order of two names as their collation keys give it. compare() gives it without
// making keys, except that it puts an empty name before any other, where the keys may tie
// (a name of ignorable characters only), and that in the C locale it follows the case
// sensitivity and the keys do not: keysOnly says the collator's locale is C.
int KeyOrder(const QCollator &collator, bool keysOnly, const QString &a, const QString &b)
{
    if (keysOnly || a.isEmpty() || b.isEmpty())
        return collator.sortKey(a).compare(collator.sortKey(b));
    return collator.compare(a, b);
}

// Sorts by less, stably: the ascending runs the order already has are found, then merged
// pair by pair. Names in the rough order are mostly in order already, so a sort costs
// little more than a comparison per name.
template <typename Less> void NaturalMergeSort(std::vector<uint32_t> &items, Less less)
{
    const size_t count = items.size();
    std::vector<size_t> bounds{0};
    for (size_t i = 1; i < count; ++i) {
        if (less(items[i], items[i - 1]))
            bounds.push_back(i);
    }
    bounds.push_back(count);
    std::vector<uint32_t> merged(count);
    while (bounds.size() > 2) {
        std::vector<size_t> next{0};
        size_t run = 0;
        for (; run + 2 < bounds.size(); run += 2) {
            std::merge(items.begin() + std::ptrdiff_t(bounds[run]), items.begin() + std::ptrdiff_t(bounds[run + 1]),
                       items.begin() + std::ptrdiff_t(bounds[run + 1]), items.begin() + std::ptrdiff_t(bounds[run + 2]),
                       merged.begin() + std::ptrdiff_t(bounds[run]), less);
            next.push_back(bounds[run + 2]);
        }
        if (run + 1 < bounds.size()) { // a run left without a pair
            std::copy(items.begin() + std::ptrdiff_t(bounds[run]), items.end(),
                      merged.begin() + std::ptrdiff_t(bounds[run]));
            next.push_back(count);
        }
        items.swap(merged);
        bounds = std::move(next);
    }
}

// Sorts the positions from first to last in the collator's order, ties by position, and
// keeps the first of equal names at the start of the range; gives the end of those kept.
// Names are compared as they are, without collation keys (which cost more to make than
// the comparisons of an order nearly right), except where only keys give the order.
uint32_t *SortChunk(const QCollator &collator, const NameAt &name, uint32_t *first, uint32_t *last)
{
    const bool keysOnly = collator.locale().language() == QLocale::C;
    const size_t count = size_t(last - first);
    if (keysOnly) {
        std::vector<std::pair<QCollatorSortKey, uint32_t>> keys;
        keys.reserve(count);
        for (const uint32_t *position = first; position != last; ++position)
            keys.emplace_back(collator.sortKey(name(*position)), *position);
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) {
            const int order = a.first.compare(b.first);
            return order != 0 ? order < 0 : a.second < b.second;
        });
        uint32_t *kept = first;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (i == 0 || keys[i - 1].first.compare(keys[i].first) != 0)
                *kept++ = keys[i].second;
        }
        return kept;
    }
    std::vector<QString> names;
    names.reserve(count);
    for (const uint32_t *position = first; position != last; ++position)
        names.push_back(name(*position));
    std::vector<uint32_t> items(count);
    for (size_t i = 0; i < count; ++i)
        items[i] = uint32_t(i);
    NaturalMergeSort(items, [&](uint32_t a, uint32_t b) {
        const int order = KeyOrder(collator, false, names[a], names[b]);
        return order != 0 ? order < 0 : first[a] < first[b];
    });
    std::vector<uint32_t> positions(first, last);
    uint32_t *kept = first;
    for (size_t i = 0; i < count; ++i) {
        if (i == 0 || KeyOrder(collator, false, names[items[i - 1]], names[items[i]]) != 0)
            *kept++ = positions[items[i]];
    }
    return kept;
}

// The next name of a sorted chunk.
struct Head {
    QString name;
    uint32_t position;
    const uint32_t *next;
    const uint32_t *end;
};

std::vector<uint32_t> Merge(const QCollator &collator, const NameAt &name,
                            const std::vector<std::pair<const uint32_t *, const uint32_t *>> &chunks, size_t total)
{
    const bool keysOnly = collator.locale().language() == QLocale::C;
    std::vector<Head> heads;
    heads.reserve(chunks.size());
    for (const auto &[first, last] : chunks) {
        if (first != last)
            heads.push_back({name(*first), *first, first + 1, last});
    }
    // A min-heap: the first name on top, of equal names the lowest position.
    const auto after = [&](const Head &a, const Head &b) {
        const int order = KeyOrder(collator, keysOnly, a.name, b.name);
        return order != 0 ? order > 0 : a.position > b.position;
    };
    std::make_heap(heads.begin(), heads.end(), after);
    std::vector<uint32_t> order;
    order.reserve(total);
    QString lastKept;
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), after);
        Head &head = heads.back();
        if (order.empty() || KeyOrder(collator, keysOnly, lastKept, head.name) != 0) {
            order.push_back(head.position);
            lastKept = head.name;
        }
        if (head.next == head.end) {
            heads.pop_back();
            continue;
        }
        head.position = *head.next++;
        head.name = name(head.position);
        std::push_heap(heads.begin(), heads.end(), after);
    }
    return order;
}

} // namespace

std::vector<uint32_t> CollationOrder(const QCollator &collator, qsizetype count, const NameAt &name)
{
    return CollationOrder(collator, count, name, CollationChunk);
}

std::vector<uint32_t> CollationOrder(const QCollator &collator, qsizetype count, const NameAt &name, qsizetype chunk)
{
    // The rough keys go before the collation keys come; each chunk takes consecutive
    // positions of the rough order and leaves its sorted positions in their place.
    std::vector<uint32_t> order = RoughOrder(count, name);
    const size_t size = std::max<size_t>(size_t(chunk), 1);
    if (order.size() <= size) {
        order.resize(size_t(SortChunk(collator, name, order.data(), order.data() + order.size()) - order.data()));
        return order;
    }
    std::vector<std::pair<const uint32_t *, const uint32_t *>> chunks;
    size_t kept = 0;
    for (size_t first = 0; first < order.size(); first += size) {
        uint32_t *begin = order.data() + first;
        uint32_t *end = SortChunk(collator, name, begin, begin + std::min(size, order.size() - first));
        chunks.emplace_back(begin, end);
        kept += size_t(end - begin);
    }
    return Merge(collator, name, chunks, kept);
}
