#include "directory/ldap/LdapSchema.h"

#include "directory/client/CaseFold.h"
#include "directory/client/NWClient.h"
#include "directory/ldap/LdapSyntaxes.h"

#include <ldap.h>
#include <ldap_schema.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// Super class chains and attribute super types are followed this deep at most.
constexpr int MaxDepth = 32;

// Active Directory's classes derive from top: its containers are named as well.
const char *const ContainerClasses[] = {
    "organization",        "organizationalUnit",  "country",   "locality",     "domain",        "dcObject",
    "container",           "builtinDomain",       "domainDNS", "lostAndFound", "configuration", "dMD",
    "msDS-QuotaContainer", "infrastructureUpdate"};

struct RawAttribute {
    std::string oid;
    std::vector<std::string> names;
    std::string sup;
    std::string syntaxOid;
    std::string equalityOid;
    bool singleValued = false;
    std::string ndsName;
    int ndsSyntax = -1;
};

struct RawClass {
    std::string oid;
    std::vector<std::string> names;
    std::vector<std::string> sups;
    int kind = 0;
    std::vector<std::string> must;
    std::vector<std::string> may;
    std::string ndsName;
    bool hasNotContainer = false;
    bool notContainer = false;
    std::vector<std::string> naming;
    std::vector<std::string> containment;
    bool extended = false;
};

std::vector<std::string> Strings(char **values)
{
    std::vector<std::string> strings;
    for (int i = 0; values && values[i]; ++i)
        strings.emplace_back(values[i]);
    return strings;
}

// The values of the extension named name.
std::vector<std::string> Extension(LDAPSchemaExtensionItem **extensions, const char *name)
{
    for (int i = 0; extensions && extensions[i]; ++i) {
        if (extensions[i]->lsei_name && strcasecmp(extensions[i]->lsei_name, name) == 0)
            return Strings(extensions[i]->lsei_values);
    }
    return {};
}

bool HasExtensionPrefix(LDAPSchemaExtensionItem **extensions, const char *prefix)
{
    for (int i = 0; extensions && extensions[i]; ++i) {
        if (extensions[i]->lsei_name && strncasecmp(extensions[i]->lsei_name, prefix, std::strlen(prefix)) == 0)
            return true;
    }
    return false;
}

// How definitions are parsed: liberally (AD quotes its syntax OIDs, some servers omit
// OIDs or order fields freely), but without slapd's OID macros, with which libldap reads
// past the end of a cut-short SYNTAX clause ("( 1.1 SYNTAX '1.2").
constexpr unsigned ParseFlags = LDAP_SCHEMA_ALLOW_ALL & ~LDAP_SCHEMA_ALLOW_OID_MACRO;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether every extension of a definition ("X-NAME 'value'", "X-NAME ( 'a' 'b' )") has a
// well-formed name and values. libldap refuses a definition whose extension has none
// ("( 1.1 X-AB )") but leaks the extension's name when it does, once per definition and
// read: such definitions are left out before libldap sees them.
bool ExtensionsWellFormed(std::string_view text)
{
    size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    };
    // A quoted string at i, closed: moves past it.
    const auto quoted = [&] {
        if (i >= text.size() || text[i] != '\'')
            return false;
        const size_t end = text.find('\'', i + 1);
        if (end == std::string_view::npos)
            return false;
        i = end + 1;
        return true;
    };
    for (;;) {
        skipBlanks();
        if (i >= text.size())
            return true;
        if (text[i] == '\'') {
            if (!quoted())
                return true; // refused by libldap as it stands
            continue;
        }
        if (std::strchr("()${}", text[i]) != nullptr) {
            ++i;
            continue;
        }
        // libldap reads an OID as far as its digits and dots go, and what follows
        // ("1.2X-AB") as a word of its own.
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                ++i;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && !IsBlank(text[i]) && std::strchr("()$'{}", text[i]) == nullptr)
            ++i;
        const std::string_view word = text.substr(start, i - start);
        if (word.size() < 2 || word[0] != 'X' || word[1] != '-')
            continue;
        if (!std::all_of(word.begin(), word.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }))
            return false;
        skipBlanks();
        if (quoted())
            continue;
        if (i >= text.size() || text[i] != '(')
            return false;
        ++i;
        do
            skipBlanks();
        while (quoted());
        if (i >= text.size() || text[i] != ')')
            return false;
        ++i;
    }
}

void AppendNew(std::vector<std::string> &list, const std::string &item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

} // namespace

int32_t LdapSchema::Find(const Index &index, std::string_view name)
{
    // Names are looked up for every attribute of every entry listed.
    thread_local std::string scratch;
    const auto found = index.find(CaseFold::FoldedView(name, scratch));
    return found == index.end() ? -1 : int32_t(found->second);
}

int32_t LdapSchema::FindAttribute(std::string_view name) const
{
    return Find(attributeIndex_, name);
}

int32_t LdapSchema::FindClass(std::string_view name) const
{
    return Find(classIndex_, name);
}

void LdapSchema::Build(const std::vector<std::string> &objectClasses, const std::vector<std::string> &attributeTypes)
{
    attributes_.clear();
    classes_.clear();
    attributeIndex_.clear();
    classIndex_.clear();

    std::vector<RawAttribute> rawAttributes;
    std::unordered_map<std::string, size_t> rawAttributeIndex;
    for (const std::string &text : attributeTypes) {
        if (!ExtensionsWellFormed(text.c_str()))
            continue;
        int code = 0;
        const char *error = nullptr;
        LDAPAttributeType *type = ldap_str2attributetype(text.c_str(), &code, &error, ParseFlags);
        if (!type)
            continue;
        RawAttribute raw;
        raw.oid = type->at_oid ? type->at_oid : "";
        raw.names = Strings(type->at_names);
        raw.sup = type->at_sup_oid ? type->at_sup_oid : "";
        raw.syntaxOid = type->at_syntax_oid ? type->at_syntax_oid : "";
        raw.equalityOid = type->at_equality_oid ? type->at_equality_oid : "";
        raw.singleValued = type->at_single_value != 0;
        if (const auto names = Extension(type->at_extensions, "X-NDS_NAME"); !names.empty())
            raw.ndsName = names.front();
        if (const auto syntaxes = Extension(type->at_extensions, "X-NDS_SYNTAX"); !syntaxes.empty())
            raw.ndsSyntax = std::atoi(syntaxes.front().c_str());
        ldap_attributetype_free(type);
        const size_t index = rawAttributes.size();
        rawAttributeIndex.emplace(CaseFold::Folded(raw.oid), index);
        for (const std::string &name : raw.names)
            rawAttributeIndex.emplace(CaseFold::Folded(name), index);
        rawAttributes.push_back(std::move(raw));
    }
    // The syntax and equality rule, from the super types where the type has none.
    const auto inherited = [&](const RawAttribute &start, std::string RawAttribute::*field) {
        const RawAttribute *at = &start;
        for (int depth = 0; at && (at->*field).empty() && !at->sup.empty() && depth < MaxDepth; ++depth) {
            const auto sup = rawAttributeIndex.find(CaseFold::Folded(at->sup));
            at = sup == rawAttributeIndex.end() ? nullptr : &rawAttributes[sup->second];
        }
        return at ? at->*field : std::string();
    };
    for (const RawAttribute &raw : rawAttributes) {
        Attribute attribute;
        attribute.ldapName = raw.names.empty() ? raw.oid : raw.names.front();
        attribute.name = raw.ndsName.empty() ? attribute.ldapName : raw.ndsName;
        attribute.flags = raw.singleValued ? DS_SINGLE_VALUED_ATTR : 0;
        if (raw.ndsSyntax >= 0) {
            attribute.syntax = uint32_t(raw.ndsSyntax);
        } else {
            const std::string syntax = inherited(raw, &RawAttribute::syntaxOid);
            const std::string equality = inherited(raw, &RawAttribute::equalityOid);
            const LdapSyntaxes::Kind kind = LdapSyntaxes::KindOf(
                attribute.ldapName, LdapSyntaxes::SyntaxOf(syntax.empty() ? nullptr : syntax.c_str(),
                                                           equality.empty() ? nullptr : equality.c_str()));
            attribute.syntax = kind.syntax;
            attribute.encoding = kind.encoding;
        }
        const uint32_t index = uint32_t(attributes_.size());
        attributeIndex_.emplace(CaseFold::Folded(attribute.name), index);
        attributeIndex_.emplace(CaseFold::Folded(raw.oid), index);
        for (const std::string &name : raw.names)
            attributeIndex_.emplace(CaseFold::Folded(name), index);
        attributes_.push_back(std::move(attribute));
    }

    std::vector<RawClass> rawClasses;
    bool extended = false;
    for (const std::string &text : objectClasses) {
        if (!ExtensionsWellFormed(text.c_str()))
            continue;
        int code = 0;
        const char *error = nullptr;
        LDAPObjectClass *type = ldap_str2objectclass(text.c_str(), &code, &error, ParseFlags);
        if (!type)
            continue;
        RawClass raw;
        raw.oid = type->oc_oid ? type->oc_oid : "";
        raw.names = Strings(type->oc_names);
        raw.sups = Strings(type->oc_sup_oids);
        raw.kind = type->oc_kind;
        raw.must = Strings(type->oc_at_oids_must);
        raw.may = Strings(type->oc_at_oids_may);
        if (const auto names = Extension(type->oc_extensions, "X-NDS_NAME"); !names.empty())
            raw.ndsName = names.front();
        if (const auto flag = Extension(type->oc_extensions, "X-NDS_NOT_CONTAINER"); !flag.empty()) {
            raw.hasNotContainer = true;
            raw.notContainer = flag.front() == "1";
        }
        raw.naming = Extension(type->oc_extensions, "X-NDS_NAMING");
        raw.containment = Extension(type->oc_extensions, "X-NDS_CONTAINMENT");
        extended = extended || HasExtensionPrefix(type->oc_extensions, "X-NDS_");
        ldap_objectclass_free(type);
        rawClasses.push_back(std::move(raw));
    }
    std::unordered_map<std::string, size_t> rawClassIndex;
    for (size_t i = 0; i < rawClasses.size(); ++i) {
        rawClassIndex.emplace(CaseFold::Folded(rawClasses[i].oid), i);
        for (const std::string &name : rawClasses[i].names)
            rawClassIndex.emplace(CaseFold::Folded(name), i);
    }
    for (const RawClass &raw : rawClasses) {
        Class definition;
        definition.ldapName = raw.names.empty() ? raw.oid : raw.names.front();
        definition.name = raw.ndsName.empty() ? definition.ldapName : raw.ndsName;
        classIndex_.emplace(CaseFold::Folded(definition.name), uint32_t(classes_.size()));
        classIndex_.emplace(CaseFold::Folded(raw.oid), uint32_t(classes_.size()));
        for (const std::string &name : raw.names)
            classIndex_.emplace(CaseFold::Folded(name), uint32_t(classes_.size()));
        classes_.push_back(std::move(definition));
    }
    const auto attributeName = [&](const std::string &ldap) {
        const int32_t index = FindAttribute(ldap);
        return index < 0 ? ldap : attributes_[size_t(index)].name;
    };
    const auto className = [&](const std::string &ldap) {
        const int32_t index = FindClass(ldap);
        return index < 0 ? ldap : classes_[size_t(index)].name;
    };
    for (size_t c = 0; c < rawClasses.size(); ++c) {
        const RawClass &raw = rawClasses[c];
        Class &definition = classes_[c];
        // The class and its super classes, nearest first.
        std::vector<size_t> chain{c};
        for (size_t i = 0; i < chain.size() && chain.size() < MaxDepth; ++i) {
            for (const std::string &sup : rawClasses[chain[i]].sups) {
                const auto found = rawClassIndex.find(CaseFold::Folded(sup));
                if (found != rawClassIndex.end() && std::find(chain.begin(), chain.end(), found->second) == chain.end())
                    chain.push_back(found->second);
            }
        }
        bool container = false;
        for (const size_t link : chain) {
            const RawClass &ancestor = rawClasses[link];
            if (link != c)
                AppendNew(definition.lists[SuperClasses], classes_[link].name);
            for (const std::string &name : ancestor.must)
                AppendNew(definition.lists[Mandatory], attributeName(name));
            for (const char *known : ContainerClasses) {
                for (const std::string &name : ancestor.names)
                    container = container || strcasecmp(name.c_str(), known) == 0;
            }
        }
        for (const size_t link : chain) {
            for (const std::string &name : rawClasses[link].may) {
                const std::string shown = attributeName(name);
                const auto &mandatory = definition.lists[Mandatory];
                if (std::find(mandatory.begin(), mandatory.end(), shown) == mandatory.end())
                    AppendNew(definition.lists[Optional], shown);
            }
        }
        for (const std::string &name : raw.containment)
            AppendNew(definition.lists[Containment], className(name));
        for (const std::string &name : raw.naming)
            AppendNew(definition.lists[Naming], attributeName(name));
        if (extended)
            container = !raw.notContainer;
        definition.flags =
            (raw.kind == LDAP_SCHEMA_STRUCTURAL ? DS_EFFECTIVE_CLASS : 0) | (container ? DS_CONTAINER_CLASS : 0);
    }
}
