#pragma once

#include "directory/client/TextHash.h"
#include "directory/ldap/LdapValue.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A tree's schema, read from the definitions of its subschema entry (objectClasses and
// attributeTypes). Where the server publishes its own directory names and syntax ids
// (X-NDS_NAME, X-NDS_SYNTAX) they are used, otherwise the LDAP name and the syntax table.
// A class is effective when it is structural. It is a container class as X-NDS_NOT_CONTAINER
// says where the schema publishes such rules (any X-NDS_ class extension); otherwise when it
// or one of its super classes is organization, organizationalUnit, country, locality,
// domain, dcObject or container.
class LdapSchema
{
public:
    struct Attribute {
        std::string name;     // the directory's name of the attribute
        std::string ldapName; // the first LDAP name (or the OID), used in requests
        uint32_t syntax = 0;
        uint32_t flags = 0;
        LdapValue::Encoding encoding = LdapValue::Encoding::Plain; // how the server sends the values
    };
    // Item lists of a class in the directory's order.
    enum List { SuperClasses, Containment, Naming, Mandatory, Optional, ListCount };
    struct Class {
        std::string name;
        std::string ldapName;
        uint32_t flags = 0;
        std::vector<std::string> lists[ListCount]; // expanded: the super classes' items too
    };

    // Builds the schema from the values of objectClasses and attributeTypes; definitions
    // that do not parse are left out.
    void Build(const std::vector<std::string> &objectClasses, const std::vector<std::string> &attributeTypes);

    const std::vector<Attribute> &Attributes() const { return attributes_; }
    const std::vector<Class> &Classes() const { return classes_; }
    // By the directory's name, any LDAP name or the OID, in any letter case; -1 when unknown.
    int32_t FindAttribute(std::string_view name) const;
    int32_t FindClass(std::string_view name) const;

private:
    using Index = std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>>;
    static int32_t Find(const Index &index, std::string_view name);

    std::vector<Attribute> attributes_;
    std::vector<Class> classes_;
    Index attributeIndex_;
    Index classIndex_;
};
