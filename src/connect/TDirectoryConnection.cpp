#include "connect/TDirectoryConnection.h"

#include "connect/ClientConfig.h"
#include "directory/ldap/LdapClient.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

TDirectorySource TDirectorySource::FromClientConfig()
{
    TDirectorySource source;
    source.directoryFile = ClientConfig::DirectoryFile();
    ClientConfig::LdapServers(ClientConfig::ConfigFilePath(), source.ldapServers, &source.configError);
    return source;
}

TDirectoryConnection::TDirectoryConnection(std::function<void(const QString &)> reporter)
    : reporter_([reporter = std::move(reporter)](const QString &text, const QString &serverWords) {
          if (reporter)
              reporter(serverWords.isEmpty() ? text : text + QLatin1Char('\r') + serverWords);
      })
{
}

TDirectoryConnection::TDirectoryConnection(
    std::function<void(const QString &text, const QString &serverWords)> reporter)
    : reporter_(std::move(reporter))
{
}

TDirectoryConnection::~TDirectoryConnection()
{
    // The connection frees its context through the client.
    directory_.reset();
    client_.reset();
}

TDirectoryStatus TDirectoryConnection::Open(const TDirectorySource &source)
{
    directory_.reset();
    if (!source.configError.isEmpty())
        return {TDirectoryStatus::Unavailable, source.configError};
    QString error;
    if (!source.ldapServers.empty())
        client_ = LdapClient::Connect(source.ldapServers, source.passwordPrompt, &error);
    else if (source.directoryFile.isEmpty())
        client_ = SimulatedClient::FromDemo(&error);
    else
        client_ = SimulatedClient::FromFile(source.directoryFile, &error);
    if (!client_)
        return {TDirectoryStatus::Unavailable, error};
    DirectoryHooks hooks;
    hooks.WordsReporter = [this](const QString &text, const QString &serverWords) {
        if (reporter_)
            reporter_(text, serverWords);
    };
    hooks.EventPump = [this] {
        if (pump_)
            pump_();
    };
    directory_ = std::make_unique<tNDS>(*client_, std::move(hooks));
    if (directory_->LastError != 0 || !directory_->ClassDefs) {
        return {TDirectoryStatus::Unavailable,
                QStringLiteral("the directory client did not start (error code %1)").arg(directory_->LastError)};
    }
    if (source.tree.isEmpty())
        return {};
    for (const tTreeItem &item : directory_->GetTrees()) {
        if (item.Name.compare(source.tree, Qt::CaseInsensitive) == 0) {
            if (directory_->SelectTree(item.Name))
                return {};
            return {
                TDirectoryStatus::Unavailable,
                QStringLiteral("tree %1 cannot be selected (error code %2)").arg(item.Name).arg(directory_->LastError)};
        }
    }
    return {TDirectoryStatus::UnknownTree, QStringLiteral("unknown tree '%1'").arg(source.tree)};
}
