#pragma once

// The fake server's tree of the tests: o=Acme, with organizational units and persons the
// test adds, and a small schema (organization, organizationalUnit, person).

#include "FakeLdapServer.h"

#include <memory>
#include <string>

namespace FakeAcme {

// A server naming o=Acme, with the schema and the entry o=Acme.
inline std::unique_ptr<FakeLdapServer> Server(bool pages = true)
{
    auto server = std::make_unique<FakeLdapServer>(std::vector<std::string>{"o=Acme"}, pages);
    server->SetSchema({"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
                       "( 2.5.6.4 NAME 'organization' SUP top STRUCTURAL MUST o MAY description )",
                       "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou MAY description )",
                       "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) MAY description )"},
                      {"( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
                       "( 2.5.4.41 NAME 'name' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )",
                       "( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )",
                       "( 2.5.4.4 NAME ( 'sn' 'surname' ) SUP name )",
                       "( 2.5.4.10 NAME ( 'o' 'organizationName' ) SUP name )",
                       "( 2.5.4.11 NAME ( 'ou' 'organizationalUnitName' ) SUP name )",
                       "( 2.5.4.13 NAME 'description' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )"});
    server->Add("o=Acme",
                {{"objectClass", {"organization"}}, {"structuralObjectClass", {"organization"}}, {"o", {"Acme"}}});
    return server;
}

// ou=name below container; its DN.
inline std::string Unit(FakeLdapServer &server, const std::string &name, const std::string &container)
{
    std::string dn = "ou=" + name + ',' + container;
    server.Add(
        dn,
        {{"objectClass", {"organizationalUnit"}}, {"structuralObjectClass", {"organizationalUnit"}}, {"ou", {name}}});
    return dn;
}

// cn=name below container, its surname prefix + name; its DN.
inline std::string Person(FakeLdapServer &server, const std::string &name, const std::string &container,
                          const std::string &prefix = "S")
{
    std::string dn = "cn=" + name + ',' + container;
    server.Add(
        dn,
        {{"objectClass", {"person"}}, {"structuralObjectClass", {"person"}}, {"cn", {name}}, {"sn", {prefix + name}}});
    return dn;
}

} // namespace FakeAcme
