#include "directory/ldap/LdapEntryScan.h"

#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapOwned.h"
#include "directory/ldap/LdapSchema.h"

#include <ldap.h>

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace {

// Whether type is name in any letter case.
bool Named(std::string_view type, const char *name)
{
    return type.size() == std::strlen(name) && strncasecmp(type.data(), name, type.size()) == 0;
}

} // namespace

bool LdapEntryScan::Scan(const LdapSchema *schema, LDAP *ld, LDAPMessage *entry, std::string &dn, bool values,
                         const std::vector<bool> *kept)
{
    Classes &classes = classes_;
    LdapEntryBlock *block = values && schema ? &block_ : nullptr;
    block_.Clear();
    BerElement *started = nullptr;
    berval name{};
    const int read = ldap_get_dn_ber(ld, entry, &started, &name);
    const LdapBerOwned owned(started);
    BerElement *position = started;
    if (read != LDAP_SUCCESS || !name.bv_val) {
        dn.clear();
        return false;
    }
    dn.assign(name.bv_val, name.bv_len);
    classes.structural = {};
    classes.classes.clear();
    classes.subordinates = false;
    ranged_.clear();
    if (typesOf_ != schema) {
        typesOf_ = schema;
        types_.clear();
    }
    // The attributes, each a sequence of its type and the set of its values, up to the
    // end of the entry or to what does not read as one.
    size_t at = 0;
    std::string_view description;
    std::string_view valueSet;
    bool unreadable = false;
    while (LdapBerReader::NextAttribute(position, description, valueSet, &unreadable)) {
        if (!LdapBerReader::AllOf(valueSet, LdapBerReader::OctetString)) {
            unreadable = true;
            break;
        }
        uint8_t tag = 0;
        // Options (";binary", ";lang-fr") name the same attribute.
        const std::string_view type = description.substr(0, description.find(';'));
        LdapBerReader valueReader(valueSet);
        std::string_view first;
        const bool any = valueReader.Next(tag, first) && tag == LdapBerReader::OctetString;
        // What a listing asks for besides the user attributes is not the object's.
        if (Named(type, "structuralObjectClass")) {
            // Active Directory names the whole chain, top first: then the most specific
            // of them is chosen as among the entry's classes.
            LdapBerReader rest(valueSet);
            std::string_view value;
            size_t count = 0;
            while (any && rest.Next(tag, value) && tag == LdapBerReader::OctetString) {
                classes.classes.push_back(value);
                ++count;
            }
            if (count == 1)
                classes.structural = first;
        } else if (Named(type, "hasSubordinates")) {
            classes.subordinates = any && first == "TRUE";
        } else {
            // Entries listed together come with their attributes in the same order.
            if (at == types_.size())
                types_.push_back({std::string(type), schema ? schema->FindAttribute(type) : -1});
            else if (types_[at].first != type)
                types_[at] = {std::string(type), schema ? schema->FindAttribute(type) : -1};
            const int32_t index = block ? types_[at].second : -1;
            ++at;
            const bool objectClass = Named(type, "objectClass");
            const bool keep = index >= 0 && (!kept || (size_t(index) < kept->size() && (*kept)[size_t(index)]));
            if (keep)
                block->StartAttribute(uint32_t(index));
            LdapBerReader rest(valueSet);
            std::string_view value;
            while (any && rest.Next(tag, value) && tag == LdapBerReader::OctetString) {
                if (objectClass)
                    classes.classes.push_back(value);
                if (keep)
                    block->AddValue(value);
            }
            if (keep) {
                block->EndAttribute();
                // A large attribute's first part (member;range=0-1499): the rest follows.
                const LdapRange range = description.size() == type.size() ? LdapRange{} : LdapRange::Of(description);
                if (range.kind == LdapRange::Kind::Part || range.kind == LdapRange::Kind::Unreadable)
                    ranged_.push_back({std::string(description), uint32_t(index), range});
            }
        }
    }
    return !unreadable;
}

int32_t LdapEntryScan::StructuralClass(const LdapSchema &schema) const
{
    if (!classes_.structural.empty()) {
        if (const int32_t named = schema.FindClass(classes_.structural); named >= 0)
            return named;
    }
    std::vector<int32_t> effective;
    for (const std::string_view name : classes_.classes) {
        const int32_t index = schema.FindClass(name);
        if (index >= 0 && (schema.Classes()[size_t(index)].flags & DS_EFFECTIVE_CLASS))
            effective.push_back(index);
    }
    for (const int32_t candidate : effective) {
        const bool derived = std::any_of(effective.begin(), effective.end(), [&](int32_t other) {
            const auto &supers = schema.Classes()[size_t(other)].lists[LdapSchema::SuperClasses];
            return std::find(supers.begin(), supers.end(), schema.Classes()[size_t(candidate)].name) != supers.end();
        });
        if (!derived)
            return candidate;
    }
    return -1;
}
