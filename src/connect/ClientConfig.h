#pragma once

#include "directory/ldap/LdapServerConfig.h"

#include <QString>

#include <vector>

// The client configuration of the window: client.ini in the per-user configuration
// folder (~/.config/Veltrane/client.ini), whose key "directory" names the directory
// file to serve, and whose [tree NAME] sections name directory servers (docs/ldap.md).
// Without the file, the key and the sections, the embedded demo directory serves.
namespace ClientConfig {

// Where client.ini is looked for.
QString ConfigFilePath();
// The directory file named there (relative paths are taken from the configuration
// folder), or empty for the embedded demo directory.
QString DirectoryFile(const QString &configFile = ConfigFilePath());

// The servers of the [tree NAME] sections, in file order: keys uri, base, bind-dn,
// password-file, ca-file (relative paths taken from the file's folder), tls (ldaps,
// starttls or none; absent: ldaps for an ldaps:// URI, else starttls), network-timeout
// and operation-timeout (seconds; absent: LdapServerConfig's defaults). false with
// *error naming the file, the section and what is wrong; a missing file has none.
bool LdapServers(const QString &configFile, std::vector<LdapServerConfig> &servers, QString *error);

} // namespace ClientConfig
