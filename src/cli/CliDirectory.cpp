#include "CliDirectory.h"

#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <cstdio>

namespace {

// One report a line: a carriage return inside a report becomes a blank.
void WriteReport(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

} // namespace

CliDirectory::CliDirectory() = default;

CliDirectory::~CliDirectory()
{
    directory_.reset();
    client_.reset();
}

bool CliDirectory::Open(const QString &directoryFile, const QString &tree)
{
    QString error;
    client_ =
        directoryFile.isEmpty() ? SimulatedClient::FromDemo(&error) : SimulatedClient::FromFile(directoryFile, &error);
    if (!client_) {
        error_ = error;
        return false;
    }
    DirectoryHooks hooks;
    hooks.Reporter = WriteReport;
    hooks.EventPump = [this] {
        if (pump_)
            pump_();
    };
    directory_ = std::make_unique<tNDS>(*client_, std::move(hooks));
    if (directory_->LastError != 0 || !directory_->ClassDefs) {
        error_ = QStringLiteral("the directory client did not start (error code %1)").arg(directory_->LastError);
        return false;
    }
    if (tree.isEmpty())
        return true;
    for (const tTreeItem &item : directory_->GetTrees()) {
        if (item.Name.compare(tree, Qt::CaseInsensitive) == 0) {
            if (directory_->SelectTree(item.Name))
                return true;
            error_ =
                QStringLiteral("tree %1 cannot be selected (error code %2)").arg(item.Name).arg(directory_->LastError);
            return false;
        }
    }
    unknownTree_ = true;
    error_ = QStringLiteral("unknown tree '%1'").arg(tree);
    return false;
}
