#pragma once

#include <QString>

// The client configuration of the window: client.ini in the per-user configuration
// folder (~/.config/Veltrane/client.ini), whose key "directory" names the directory
// file to serve. Without the file or the key, the embedded demo directory serves.
namespace ClientConfig {

// Where client.ini is looked for.
QString ConfigFilePath();
// The directory file named there (relative paths are taken from the configuration
// folder), or empty for the embedded demo directory.
QString DirectoryFile(const QString &configFile = ConfigFilePath());

} // namespace ClientConfig
