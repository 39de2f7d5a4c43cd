#include "workbook/ZipPartsCheck.h"

#include <QFile>

#include <zlib.h>

namespace {

constexpr qint64 kLocalHeaderSize = 30;
constexpr int kDeflated = 8;
constexpr qsizetype kKept = 256;
constexpr qint64 kChunk = 65536;

quint32 LittleEndian(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// The name of the first element of an XML text's beginning; empty when none shows.
QByteArray RootName(const QByteArray &head)
{
    qsizetype at = 0;
    while ((at = head.indexOf('<', at)) >= 0 && at + 1 < head.size() && (head[at + 1] == '?' || head[at + 1] == '!'))
        ++at;
    if (at < 0)
        return {};
    qsizetype end = at + 1;
    while (end < head.size() && head[end] != ' ' && head[end] != '>' && head[end] != '/' && head[end] != '\r' &&
           head[end] != '\n')
        ++end;
    return end < head.size() ? head.mid(at + 1, end - at - 1) : QByteArray();
}

// Inflates the part whose deflated data starts at the file's position; false unless it
// ends, and ends by closing its first element. The file is left right after the data.
bool InflatesWhole(QFile &file)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    QByteArray head;
    QByteArray tail;
    char out[kChunk];
    int status = Z_OK;
    qint64 start = file.pos();
    qint64 consumed = 0;
    while (status == Z_OK) {
        QByteArray in = file.read(kChunk);
        if (in.isEmpty())
            break;
        stream.next_in = reinterpret_cast<Bytef *>(in.data());
        stream.avail_in = uInt(in.size());
        while (stream.avail_in > 0 && status == Z_OK) {
            stream.next_out = reinterpret_cast<Bytef *>(out);
            stream.avail_out = uInt(kChunk);
            status = inflate(&stream, Z_NO_FLUSH);
            const qsizetype produced = kChunk - qsizetype(stream.avail_out);
            if (head.size() < kKept)
                head.append(out, std::min(produced, kKept - head.size()));
            tail.append(out, produced);
            tail = tail.right(kKept);
        }
        consumed += in.size() - qint64(stream.avail_in);
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || !file.seek(start + consumed))
        return false;
    const QByteArray root = RootName(head);
    return !root.isEmpty() && tail.trimmed().endsWith("</" + root + ">");
}

} // namespace

bool ZipPartsAreWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool sawPart = false;
    for (;;) {
        const QByteArray header = file.read(kLocalHeaderSize);
        if (header.startsWith("PK\x01\x02"))
            return sawPart;
        if (header.size() != kLocalHeaderSize || !header.startsWith("PK\x03\x04") ||
            LittleEndian(header, 8, 2) != kDeflated)
            return false;
        const qint64 skipped = qint64(LittleEndian(header, 26, 2)) + LittleEndian(header, 28, 2);
        if (!file.seek(file.pos() + skipped) || !InflatesWhole(file))
            return false;
        sawPart = true;
    }
}
