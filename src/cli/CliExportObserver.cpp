#include "cli/CliExportObserver.h"

#include <QDateTime>

#include <unistd.h>

#include <cstdio>

namespace {
constexpr qint64 kRedrawMilliseconds = 200;
}

CliExportObserver::CliExportObserver(std::function<bool(const QString &)> addLine)
    : addLine_(std::move(addLine)), terminal_(isatty(STDERR_FILENO) != 0)
{
}

CliExportObserver::~CliExportObserver()
{
    ClearProgress();
}

bool CliExportObserver::AddLine(const QString &line)
{
    return addLine_(line);
}

void CliExportObserver::ShowInfo(const QString &text)
{
    ClearProgress();
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void CliExportObserver::SetProgressPosition(int position)
{
    if (!terminal_ || maximum_ <= 0)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (position < maximum_ && now - lastDrawn_ < kRedrawMilliseconds)
        return;
    lastDrawn_ = now;
    std::fprintf(stderr, "\r%d / %d", position, maximum_);
    std::fflush(stderr);
    progressShown_ = true;
}

void CliExportObserver::ReportCounters()
{
    ClearProgress();
    for (const QString &text : {objectsScanned_, hitsCount_}) {
        if (!text.isEmpty())
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
}

void CliExportObserver::ClearProgress()
{
    if (progressShown_) {
        std::fprintf(stderr, "\r\033[K");
        progressShown_ = false;
    }
}
