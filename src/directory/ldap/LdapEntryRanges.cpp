#include "directory/ldap/LdapEntryScan.h"

#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapName.h"
#include "directory/ldap/LdapOwned.h"
#include "directory/ldap/LdapResult.h"
#include "directory/ldap/LdapServer.h"
#include "directory/ldap/LdapWords.h"

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

NWDSCCODE LdapEntryScan::FollowRanges(LdapServer &server, const std::string &dn, LdapWords &words)
{
    LdapEntryBlock &block = block_;
    const std::vector<RangedAttribute> ranged = std::exchange(ranged_, {});
    for (const RangedAttribute &first : ranged) {
        const std::string_view type = std::string_view(first.description).substr(0, first.description.find(';'));
        LdapRange range = first.range;
        while (range.kind == LdapRange::Kind::Part) {
            const uint32_t next = range.high + 1;
            const std::string asked = LdapRange::From(first.description, next);
            const char *attributes[] = {asked.c_str(), nullptr};
            const LdapReply reply = server.Run(LdapServer::Search(dn, LDAP_SCOPE_BASE, attributes));
            const int status = reply.Status();
            LDAPMessage *entry = status == LDAP_SUCCESS ? reply.FirstEntry() : nullptr;
            BerElement *position = nullptr;
            berval name{};
            const int read = entry ? ldap_get_dn_ber(reply.Handle(), entry, &position, &name) : LDAP_NO_SUCH_OBJECT;
            const LdapBerOwned owned(position);
            if (read != LDAP_SUCCESS)
                return words.Failed(server, status != LDAP_SUCCESS ? status : LDAP_NO_SUCH_OBJECT);
            // The part that starts where the last one ended; none: the server has no
            // more values.
            range = {};
            std::string_view description;
            std::string_view valueSet;
            bool unreadable = false;
            while (LdapBerReader::NextAttribute(position, description, valueSet, &unreadable)) {
                if (!OfType(description, type))
                    continue;
                range = LdapRange::Of(description);
                const bool follows =
                    (range.kind == LdapRange::Kind::Part || range.kind == LdapRange::Kind::Last) && range.low == next;
                LdapBerReader reader(valueSet);
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
            // A part that does not read whole is no end of the values.
            if (unreadable)
                return words.Say(LdapResult::ToDirectory(LDAP_DECODING_ERROR),
                                 "the server sent a part of the values of " + std::string(type) +
                                     " that does not read whole: " + LdapName::Shown(dn));
        }
        if (range.kind == LdapRange::Kind::Unreadable)
            return words.Say(LdapResult::ToDirectory(LDAP_DECODING_ERROR),
                             "the server sent the values of " + std::string(type) +
                                 " in ranges that do not follow one another, the first " + first.description);
    }
    return 0;
}
