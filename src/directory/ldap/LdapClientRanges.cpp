#include "directory/ldap/LdapClient.h"

#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapResult.h"

#include <ldap.h>

#include <strings.h>

#include <utility>

namespace {

// Whether an attribute description is of type (with options or without), in any letter case.
bool OfType(std::string_view description, std::string_view type)
{
    const std::string_view named = description.substr(0, description.find(';'));
    return named.size() == type.size() && strncasecmp(named.data(), type.data(), type.size()) == 0;
}

} // namespace

NWDSCCODE LdapClient::FollowRanges(uint32_t tree, const std::string &dn, LdapEntryBlock &block)
{
    LdapConnection &connection = ConnectionOf(tree);
    const std::vector<RangedAttribute> ranged = std::exchange(ranged_, {});
    for (const RangedAttribute &first : ranged) {
        const std::string_view type = std::string_view(first.description).substr(0, first.description.find(';'));
        LdapRange range = first.range;
        while (range.kind == LdapRange::Kind::Part) {
            const uint32_t next = range.high + 1;
            const std::string asked = LdapRange::From(first.description, next);
            const char *attributes[] = {asked.c_str(), nullptr};
            LDAPMessage *result = nullptr;
            const int status =
                connection.Search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, false, nullptr, &result);
            LDAPMessage *entry = status == LDAP_SUCCESS ? connection.FirstEntry(result) : nullptr;
            BerElement *position = nullptr;
            berval name{};
            if (!entry || ldap_get_dn_ber(connection.Handle(), entry, &position, &name) != LDAP_SUCCESS) {
                ber_free(position, 0);
                ldap_msgfree(result);
                return Failed(tree, status != LDAP_SUCCESS ? status : LDAP_NO_SUCH_OBJECT);
            }
            // The part that starts where the last one ended; none: the server has no
            // more values.
            range = {};
            std::string_view description;
            std::string_view values;
            bool unreadable = false;
            while (LdapBerReader::NextAttribute(position, description, values, &unreadable)) {
                if (!OfType(description, type))
                    continue;
                range = LdapRange::Of(description);
                const bool follows =
                    (range.kind == LdapRange::Kind::Part || range.kind == LdapRange::Kind::Last) && range.low == next;
                LdapBerReader reader(values);
                uint8_t tag = 0;
                std::string_view value;
                size_t count = 0;
                if (follows) {
                    block.StartAttribute(first.attribute);
                    bool octets = true;
                    while (octets && reader.Next(tag, value)) {
                        octets = tag == LdapBerReader::OctetString;
                        if (octets) {
                            block.AddValue(value);
                            ++count;
                        }
                    }
                    block.EndAttribute();
                    unreadable = !octets || !reader.AtEnd();
                }
                // A part that does not follow, or that brings nothing and is not the
                // last, would never end.
                if (!follows || (count == 0 && range.kind == LdapRange::Kind::Part))
                    range.kind = LdapRange::Kind::Unreadable;
                break;
            }
            ber_free(position, 0);
            ldap_msgfree(result);
            // A part that does not read whole is no end of the values.
            if (unreadable) {
                wordsCode_ = LdapResult::ToDirectory(LDAP_DECODING_ERROR);
                words_ = "the server sent a part of the values of " + std::string(type) +
                         " that does not read whole: " + LdapName::Shown(dn);
                return wordsCode_;
            }
        }
        if (range.kind == LdapRange::Kind::Unreadable) {
            wordsCode_ = LdapResult::ToDirectory(LDAP_DECODING_ERROR);
            words_ = "the server sent the values of " + std::string(type) +
                     " in ranges that do not follow one another, the first " + first.description;
            return wordsCode_;
        }
    }
    return 0;
}
