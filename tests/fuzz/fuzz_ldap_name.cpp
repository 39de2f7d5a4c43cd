// Names both ways. The input as a DN a server sends: every name the client hands out for
// it (typed, typeless, relative to a context) reads back to the same DN, or the DN is
// refused. The input as a dotted name a caller hands in: when it gives a DN, the DN reads
// as the same parts, and its dotted name as the same dotted name.

#include "../LdapNameReadBack.h"
#include "directory/ldap/LdapName.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string &text, const char *what)
{
    std::fprintf(stderr, "%s: %s\n", LdapName::Shown(text).c_str(), what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (const std::string fault = NameReadBackFault(text); !fault.empty())
        Fail(text, fault.c_str());
    std::string dotted;
    std::vector<LdapName::Rdn> parts;
    if (LdapName::ToDotted(text, false, dotted) != LdapName::ParseDn(text, parts))
        Fail(text, "ToDotted and ParseDn disagree");

    // A dotted name handed in, as the caller's text: up to its first zero.
    std::vector<LdapName::Rdn> named;
    if (!LdapName::ParseDotted(text.c_str(), named))
        return 0;
    std::string dn;
    if (!LdapName::ToDn(named, dn))
        return 0;
    // Values the client never hands out (a zero byte, not UTF-8) may give no DN.
    for (const LdapName::Rdn &rdn : named) {
        for (const LdapName::Ava &ava : rdn) {
            if (!QByteArrayView(ava.value).isValidUtf8())
                return 0;
        }
    }
    std::vector<LdapName::Rdn> read;
    if (!LdapName::ParseDn(dn, read))
        Fail(dn, "the DN of a dotted name does not read");
    if (read.size() != named.size())
        Fail(dn, "the DN of a dotted name reads as other parts");
    for (size_t r = 0; r < read.size(); ++r) {
        if (read[r].size() != named[r].size())
            Fail(dn, "the DN of a dotted name reads as another part");
        for (size_t a = 0; a < read[r].size(); ++a) {
            if (read[r][a].type != named[r][a].type || read[r][a].value != named[r][a].value)
                Fail(dn, "the DN of a dotted name reads as another pair");
        }
    }
    if (LdapName::Key(read) != LdapName::Key(named))
        Fail(dn, "the DN of a dotted name has another key");
    return 0;
}
