#include "directory/FormatValue.h"

#include "directory/NDSTimeToStr.h"
#include "directory/client/NWValues.h"
#include "directory/client/ValuePacking.h"
#include "directory/tNDS.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr int32_t UnknownSyntaxCode = -999;
// The part of a stream that is shown; the rest of a longer stream is left out.
constexpr size_t StreamReadSize = 64513;
constexpr qsizetype OctetLineWidth = 48;

QString Text(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// Numbers are shown as signed 32-bit values, whatever the record's field type.
QString Number(uint32_t value)
{
    return QString::number(static_cast<int32_t>(value));
}

void AppendOctetString(const Octet_String_T &octets, QStringList &lines)
{
    const uint8_t *bytes = octets.data;
    const uint32_t count = bytes ? octets.length : 0;
    lines << QStringLiteral("Length: ") + Number(octets.length) + QStringLiteral(" octets");

    lines << QStringLiteral("Data Hex:");
    QString line;
    for (uint32_t i = 0; i < count; ++i) {
        line += QStringLiteral("%1 ").arg(static_cast<uint>(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
        if (line.size() >= OctetLineWidth) {
            lines << line;
            line.clear();
        }
    }
    lines << line;

    lines << QStringLiteral("Data ASCII:");
    line.clear();
    for (uint32_t i = 0; i < count; ++i) {
        line += bytes[i] >= 32 && bytes[i] <= 126 ? QLatin1Char(static_cast<char>(bytes[i])) : QLatin1Char(' ');
        if (line.size() >= OctetLineWidth) {
            lines << line;
            line.clear();
        }
    }
    lines << line;
}

// All address bytes in hex, with a ":" made the 9th and then the 22nd character (or
// appended when the text is too short for the position).
QString AddressDigits(const Net_Address_T &address)
{
    const uint32_t count = address.address ? address.addressLength : 0;
    QString digits =
        QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(address.address), count).toHex().toUpper());
    for (const qsizetype position : {8, 21})
        digits.insert(std::min(position, digits.size()), QLatin1Char(':'));
    return digits;
}

struct RightBit {
    uint32_t bit;
    char letter;
};

constexpr RightBit EntryRights[] = {{0x01, 'B'}, {0x02, 'A'}, {0x04, 'D'}, {0x08, 'R'}, {0x10, 'S'}};
constexpr RightBit SmsRights[] = {{0x01, 'S'}, {0x02, 'B'}, {0x04, 'R'}, {0x08, 'C'}, {0x10, 'D'}, {0x20, 'A'}};
constexpr RightBit AttributeRights[] = {{0x01, 'C'}, {0x02, 'R'}, {0x04, 'W'}, {0x08, 'A'}, {0x20, 'S'}};

template <size_t N> QString RightsLetters(const RightBit (&table)[N], uint32_t privileges)
{
    QString letters;
    for (const RightBit &right : table) {
        if (privileges & right.bit)
            letters += QLatin1Char(right.letter);
    }
    return letters;
}

void AppendAcl(const Object_ACL_T &acl, QStringList &lines)
{
    const QString name = Text(acl.protectedAttrName);
    QString letters;
    if (name.contains(QStringLiteral("[Entry Rights]")))
        letters = RightsLetters(EntryRights, acl.privileges);
    else if (name.contains(QStringLiteral("[SMS Rights]")))
        letters = RightsLetters(SmsRights, acl.privileges);
    else
        letters = RightsLetters(AttributeRights, acl.privileges);
    lines << QStringLiteral("Subject: ") + Text(acl.subjectName);
    lines << name + QStringLiteral(" [") + letters + QStringLiteral("]");
}

// C++ division truncates towards zero and its remainders keep the sign of the
// dividend, so zero and negative durations add no part.
QString IntervalToStr(int32_t seconds)
{
    QString text;
    if (seconds % 60 > 0)
        text = QString::asprintf("%d sec", seconds % 60);
    const int32_t minutes = seconds / 60;
    if (minutes % 60 > 0)
        text = QString::asprintf("%d min, %s", minutes % 60, qUtf8Printable(text));
    const int32_t hours = minutes / 60;
    if (hours % 24 > 0)
        text = QString::asprintf("%d h, %s", hours % 24, qUtf8Printable(text));
    const int32_t days = hours / 24;
    if (days > 0)
        text = QString::asprintf("%d days, %s", days, qUtf8Printable(text));
    return text;
}

// Control characters other than CR (which ends a line) are dropped; a zero byte ends
// the text.
void AppendStreamText(const char *bytes, size_t count, QStringList &lines)
{
    QByteArray line;
    for (size_t i = 0; i < count && bytes[i] != 0; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r') {
            lines << QString::fromUtf8(line);
            line.clear();
        } else if (byte >= 32) {
            line += static_cast<char>(byte);
        }
    }
    lines << QString::fromUtf8(line);
}

void AppendStream(tNDS &directory, const QString &objectName, const QString &attributeName,
                  const std::function<QString()> &prefix, QStringList &lines)
{
    int fd = -1;
    const NWDSCCODE opened = directory.Client().NWDSOpenStream(directory.Context, objectName.toUtf8().constData(),
                                                               attributeName.toUtf8().constData(), 1, &fd);
    if (opened != 0) {
        directory.ReportError(opened, prefix() + QStringLiteral("NWDSOpenStream returned: ") + QString::number(opened));
        return;
    }
    QByteArray bytes(StreamReadSize, Qt::Uninitialized);
    ssize_t count = -1;
    if (fd >= 0) {
        do
            count = read(fd, bytes.data(), StreamReadSize);
        while (count < 0 && errno == EINTR);
        close(fd);
    }
    if (count < 0) {
        directory.ReportError(0, prefix() + QStringLiteral("_Lread Stream error: Trapping exception"));
        return;
    }
    AppendStreamText(bytes.constData(), static_cast<size_t>(count), lines);
}

template <class T> const T &Record(const void *value)
{
    return *static_cast<const T *>(value);
}

} // namespace

bool FormatValue(tNDS &directory, uint32_t syntaxId, const void *value, const QString &objectName,
                 const QString &attributeName, const QString &prefix, QStringList &lines)
{
    return FormatValue(
        directory, syntaxId, value, objectName, attributeName, [&prefix] { return prefix; }, lines);
}

bool FormatValue(tNDS &directory, uint32_t syntaxId, const void *value, const QString &objectName,
                 const QString &attributeName, const std::function<QString()> &prefix, QStringList &lines)
{
    if (IsTextSyntax(syntaxId)) {
        lines << Text(static_cast<const char *>(value));
        return true;
    }
    switch (syntaxId) {
    case SYN_CI_LIST:
        for (const CI_List_T *node = &Record<CI_List_T>(value); node; node = node->next)
            lines << Text(node->s);
        break;
    case SYN_BOOLEAN:
        lines << (Record<Boolean_T>(value) == 1 ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        break;
    case SYN_INTEGER:
    case SYN_COUNTER:
        lines << QString::number(Record<Integer_T>(value));
        break;
    case SYN_OCTET_STRING:
        AppendOctetString(Record<Octet_String_T>(value), lines);
        break;
    case SYN_FAX_NUMBER:
        lines << Text(Record<Fax_Number_T>(value).telephoneNumber);
        break;
    case SYN_NET_ADDRESS: {
        const auto &address = Record<Net_Address_T>(value);
        lines << QStringLiteral("Address Type: ") + Number(address.addressType);
        lines << QStringLiteral("Address Length: ") + Number(address.addressLength);
        lines << QStringLiteral("Address: ") + AddressDigits(address);
        break;
    }
    case SYN_OCTET_LIST:
        lines << QStringLiteral("SYN_OCTET_LIST is a linked list it is not shown here");
        break;
    case SYN_EMAIL_ADDRESS:
        lines << Text(Record<EMail_Address_T>(value).address);
        break;
    case SYN_PATH: {
        const auto &path = Record<Path_T>(value);
        lines << Number(path.nameSpaceType) << Text(path.path) << Text(path.volumeName);
        break;
    }
    case SYN_REPLICA_POINTER: {
        const auto &replica = Record<Replica_Pointer_T>(value);
        lines << QStringLiteral("Server Name: ") + Text(replica.serverName);
        lines << QStringLiteral("Replica Type: ") + QString::number(replica.replicaType);
        lines << QStringLiteral("Replica Number: ") + QString::number(replica.replicaNumber);
        lines << QStringLiteral("Count: ") + Number(replica.count);
        break;
    }
    case SYN_OBJECT_ACL:
        AppendAcl(Record<Object_ACL_T>(value), lines);
        break;
    case SYN_PO_ADDRESS:
        for (const char *line : Record<Postal_Address_T>(value).line)
            lines << Text(line);
        break;
    case SYN_TIMESTAMP: {
        const auto &stamp = Record<NWDS_TimeStamp_T>(value);
        lines << NDSTimeToStr(static_cast<int32_t>(stamp.wholeSeconds));
        lines << QStringLiteral("Event Id: ") + Number(stamp.eventID);
        break;
    }
    case SYN_STREAM:
        AppendStream(directory, objectName, attributeName, prefix, lines);
        break;
    case SYN_BACK_LINK: {
        const auto &link = Record<Back_Link_T>(value);
        lines << Number(link.remoteID) << Text(link.objectName).mid(4);
        break;
    }
    case SYN_TIME:
        lines << NDSTimeToStr(Record<Time_T>(value));
        break;
    case SYN_TYPED_NAME: {
        const auto &typed = Record<Typed_Name_T>(value);
        lines << QStringLiteral("Object Name: ") + Text(typed.objectName);
        lines << QStringLiteral("Level: ") + Number(typed.level);
        lines << QStringLiteral("Interval: ") + Number(typed.interval);
        break;
    }
    case SYN_HOLD: {
        const auto &hold = Record<Hold_T>(value);
        lines << Text(hold.objectName) << Number(hold.amount);
        break;
    }
    case SYN_INTERVAL:
        lines << IntervalToStr(Record<Interval_T>(value));
        break;
    case SYN_LARGE_INTEGER:
        lines << QString::number(Record<Large_Integer_T>(value));
        break;
    case SYN_FILE_TIME:
        lines << FileTimeToStr(Record<File_Time_T>(value));
        break;
    default:
        directory.ReportError(UnknownSyntaxCode,
                              prefix() + QStringLiteral("Syntax is Unknown") + QString::number(syntaxId));
        return false;
    }
    return true;
}
