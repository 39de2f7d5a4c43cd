#include "workbook/TFieldSplitter.h"

TFieldSplitter::TFieldSplitter(const QString &separator, const QString &delimiter)
    : separator_(separator), delimiter_(delimiter)
{
}

bool TFieldSplitter::Feed(const QString &line, QStringList &fields)
{
    bool complete = false;
    if (!inside_) {
        fields_.clear();
        complete = Scan(line, 0);
    } else {
        open_ += QStringLiteral("\r\n");
        inside_ = false;
        // The open field goes on: scan its rest as if it had just started.
        complete = Scan(delimiter_ + line, 0);
    }
    if (!complete)
        return false;
    fields = fields_;
    return true;
}

bool TFieldSplitter::Finish(QStringList &fields)
{
    if (!inside_)
        return false;
    fields_.append(open_);
    open_.clear();
    inside_ = false;
    fields = fields_;
    return true;
}

bool TFieldSplitter::Scan(const QString &text, qsizetype pos)
{
    const qsizetype d = delimiter_.size();
    const qsizetype s = separator_.size();
    for (;;) {
        QString field;
        if (d > 0 && text.mid(pos, d) == delimiter_) {
            // A field opened by the delimiter: its text is held in open_ until closed.
            pos += d;
            for (;;) {
                const qsizetype close = text.indexOf(delimiter_, pos);
                if (close < 0) {
                    open_ += QStringView(text).mid(pos);
                    inside_ = true;
                    return false;
                }
                open_ += QStringView(text).mid(pos, close - pos);
                pos = close + d;
                if (text.mid(pos, d) != delimiter_)
                    break;
                open_ += delimiter_;
                pos += d;
            }
            field = open_;
            open_.clear();
        }
        // The rest of the field up to the next separator (all of it when not enclosed;
        // what follows a closing delimiter otherwise).
        const qsizetype next = s > 0 ? text.indexOf(separator_, pos) : -1;
        field += QStringView(text).mid(pos, next < 0 ? -1 : next - pos);
        fields_.append(field);
        if (next < 0)
            return true;
        pos = next + s;
    }
}
