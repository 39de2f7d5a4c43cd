#include "cli/CliOutput.h"

#include "cli/CliInterrupt.h"

#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The named temporary file that file writes into, which an interrupt must remove; empty
// when it has none (an unnamed one disappears with the process).
QString TemporaryName(const QSaveFile &file)
{
    char target[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(file.handle());
    const ssize_t size = readlink(link.constData(), target, sizeof target - 1);
    if (size <= 0)
        return {};
    QString name = QString::fromLocal8Bit(target, size);
    if (name.endsWith(QLatin1String(" (deleted)")) || name == QFileInfo(file.fileName()).canonicalFilePath())
        return {};
    return name;
}

} // namespace

CliOutput::CliOutput(const QString &path, TResultsEncoding encoding) : path_(path), encoder_(encoding) {}

CliOutput::~CliOutput()
{
    Discard();
}

bool CliOutput::Open()
{
    if (path_.isEmpty())
        return true;
    file_ = std::make_unique<QSaveFile>(path_);
    if (!file_->open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, file_->errorString());
        file_.reset();
        return false;
    }
    CliInterrupt::SetPendingFile(TemporaryName(*file_));
    return true;
}

bool CliOutput::Write(const QString &text)
{
    if (failed_)
        return false;
    QByteArray bytes;
    if (!started_) {
        bytes = encoder_.Preamble();
        started_ = true;
    }
    if (!encoder_.Append(text, bytes)) {
        failed_ = true;
        error_ = encoder_.Error();
        return false;
    }
    if (file_) {
        if (file_->write(bytes) != bytes.size()) {
            failed_ = true;
            error_ = QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, file_->errorString());
        }
        return !failed_;
    }
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed_ = true;
            error_ = QStringLiteral("Ne peut écrire sur la sortie standard: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool CliOutput::Commit()
{
    if (failed_) {
        Discard();
        return false;
    }
    if (!file_)
        return true;
    // A flush that fails must not be committed as if the file were whole.
    if (!file_->flush() || !file_->commit()) {
        error_ = QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, file_->errorString());
        Discard();
        return false;
    }
    file_.reset();
    CliInterrupt::SetPendingFile({});
    return true;
}

void CliOutput::Discard()
{
    if (file_) {
        file_->cancelWriting();
        file_.reset();
        CliInterrupt::SetPendingFile({});
    }
}
