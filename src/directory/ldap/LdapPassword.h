#pragma once

#include <QByteArray>
#include <QString>

// Reading a bind password from its file. The file must be a regular file of the user,
// readable and writable by its owner only; it holds the password, and at most one line
// end after it, which is not part of the password.
namespace LdapPassword {

// The password in *password, or false with *error telling why the file is refused.
bool ReadFile(const QString &path, QByteArray *password, QString *error);

} // namespace LdapPassword
