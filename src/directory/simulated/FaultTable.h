#pragma once

#include "directory/client/CaseFold.h"
#include "directory/client/ClientFunction.h"
#include "directory/simulated/DirectoryFault.h"
#include "directory/simulated/DirectoryModel.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The faults a simulated client is running with, by function, each with the count of
// calls that matched it so far (DirectoryFault tells how calls match).
class FaultTable
{
public:
    struct Outcome {
        int32_t result = 0;
        bool emptyBatch = false;
    };

    // Adds a fault for the trees of model; false with *error when it is not well formed.
    bool Add(const DirectoryFault &fault, const DirectoryModel &model, QString *error);
    void Clear();

    // Whether no fault names the function: the one test on the path without faults.
    bool None(ClientFunction function) const { return rules_[size_t(function)].empty(); }

    // What the call must do instead of its work, if anything. Every fault the call
    // matches counts it. objectKey() gives the DirectoryName::Key of the call's object
    // (empty text when it has none; called only when a fault names an object);
    // hasAttribute(name) tells whether the call concerns that attribute.
    template <class ObjectKey, class HasAttribute>
    std::optional<Outcome> Match(ClientFunction function, int32_t tree, ObjectKey objectKey, HasAttribute hasAttribute)
    {
        std::optional<Outcome> outcome;
        std::optional<std::string> key;
        for (Rule &rule : rules_[size_t(function)]) {
            if (rule.tree >= 0 && tree >= 0 && rule.tree != tree)
                continue;
            if (rule.hasObject) {
                if (!key)
                    key = objectKey();
                if (*key != rule.object)
                    continue;
            }
            if (!rule.attribute.empty() && !hasAttribute(std::string_view(rule.attribute)))
                continue;
            if (rule.seen < UINT32_MAX)
                ++rule.seen;
            const bool fires = rule.emptyBatch ? rule.seen == rule.from : rule.seen >= rule.from;
            if (fires && !outcome)
                outcome = Outcome{rule.result, rule.emptyBatch};
        }
        return outcome;
    }

private:
    struct Rule {
        int32_t result = 0;
        int32_t tree = -1;
        bool hasObject = false;
        bool emptyBatch = false;
        std::string object;    // DirectoryName::Key of the object
        std::string attribute; // as given; compared without regard to case
        uint32_t from = 1;
        uint32_t seen = 0;
    };

    std::array<std::vector<Rule>, ClientFunctionCount> rules_;
};
