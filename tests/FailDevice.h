#pragma once

#include <QBuffer>

#include <algorithm>

// A device that takes the first limit bytes and then refuses every write, as a full or
// failing disk does.
class FailDevice : public QBuffer
{
public:
    explicit FailDevice(qint64 limit) : limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 room = limit - size();
        if (room <= 0)
            return -1;
        return QBuffer::writeData(data, std::min(room, length));
    }

private:
    qint64 limit;
};
