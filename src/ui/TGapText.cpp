#include "ui/TGapText.h"

#include <QStringView>

#include <algorithm>

TGapText::TGapText(const QString &text) : buffer_(text), gapStart_(text.size()), gapEnd_(text.size()) {}

void TGapText::MoveGap(qsizetype to)
{
    QChar *data = buffer_.data();
    if (to < gapStart_) {
        const qsizetype n = gapStart_ - to;
        std::copy_backward(data + to, data + gapStart_, data + gapEnd_);
        gapStart_ -= n;
        gapEnd_ -= n;
    } else if (to > gapStart_) {
        const qsizetype n = to - gapStart_;
        std::copy(data + gapEnd_, data + gapEnd_ + n, data + gapStart_);
        gapStart_ += n;
        gapEnd_ += n;
    }
}

qsizetype TGapText::IndexOf(const QString &what, qsizetype from)
{
    MoveGap(from);
    const qsizetype at = QStringView(buffer_).sliced(gapEnd_).indexOf(what);
    return at < 0 ? -1 : from + at;
}

void TGapText::Replace(qsizetype at, qsizetype length, const QString &with)
{
    MoveGap(at);
    gapEnd_ += length;
    if (gapEnd_ - gapStart_ < with.size()) {
        // The gap grows with the text, so that growing stays rare.
        const qsizetype gap = with.size() + buffer_.size();
        const qsizetype after = buffer_.size() - gapEnd_;
        QString grown(gapStart_ + gap + after, Qt::Uninitialized);
        std::copy(buffer_.constData(), buffer_.constData() + gapStart_, grown.data());
        std::copy(buffer_.constData() + gapEnd_, buffer_.constData() + buffer_.size(), grown.data() + gapStart_ + gap);
        buffer_ = grown;
        gapEnd_ = gapStart_ + gap;
    }
    std::copy(with.constData(), with.constData() + with.size(), buffer_.data() + gapStart_);
    gapStart_ += with.size();
}

QString TGapText::Mid(qsizetype from, qsizetype length)
{
    MoveGap(from);
    return buffer_.sliced(gapEnd_, length);
}
