#include "directory/TNW4Object.h"

#include "directory/ClientBufferPair.h"
#include "directory/FormatValue.h"
#include "directory/LocaleFormats.h"
#include "directory/tNDS.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kRequestBytes = 4096;
constexpr size_t kResultBytes = 0xFC00;
// Longest object and attribute names handed to the client, in characters: the longest
// the directory holds; a longer one (a name found in a file) is cut, and not found.
constexpr qsizetype kMaxObjectNameChars = qsizetype(MAX_DN_BYTES) - 1;
constexpr qsizetype kMaxAttributeNameChars = qsizetype(MAX_SCHEMA_NAME_BYTES) - 1;
constexpr qsizetype kMaxLineCount = 0xFFFF;

QString WithCode(const QString &prefix, const char *failure, int32_t code)
{
    return prefix + QLatin1String(failure) + QStringLiteral("\rError Code: ") + QString::number(code);
}

uint16_t LineCount(const QStringList &lines)
{
    return uint16_t(std::min(lines.size(), kMaxLineCount));
}

// Attribute names are upper-cased for every object an export reads, and they are
// nearly always plain ASCII: those are upper-cased without the Unicode case tables.
QString UpperName(const char *name)
{
    const size_t length = std::strlen(name);
    if (std::any_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return QString::fromUtf8(name, qsizetype(length)).toUpper();
    QString upper(qsizetype(length), Qt::Uninitialized);
    QChar *out = upper.data();
    for (size_t i = 0; i < length; ++i)
        out[i] = QLatin1Char(name[i] >= 'a' && name[i] <= 'z' ? char(name[i] - 'a' + 'A') : name[i]);
    return upper;
}

QString UpperName(const QString &name)
{
    if (std::optional<QString> upper = LocaleFormats::AsciiUpperCase(name))
        return *std::move(upper);
    return name.toUpper();
}

uint64_t NameBit(const QString &upper)
{
    return uint64_t(1) << (qHash(upper) & 63);
}

// An attribute name as the directory returned it, in upper case, with its bit.
struct UpperNameMemo {
    bool set = false;
    std::string name;
    QString upper;
    uint64_t bit = 0;
};

// The upper-case form of the name found at a position of an object's names. Objects of
// one class come with the same names in the same order, so the form made for the last
// object is shared rather than made again. The reference lasts until the next call.
const UpperNameMemo &UpperNameAt(size_t position, const char *name)
{
    thread_local std::vector<UpperNameMemo> memo;
    if (position >= memo.size())
        memo.resize(position + 1);
    UpperNameMemo &entry = memo[position];
    if (!entry.set || entry.name != name) {
        entry.set = true;
        entry.name = name;
        entry.upper = UpperName(name);
        entry.bit = NameBit(entry.upper);
    }
    return entry;
}

// A property name as reads hand it to the client and look for it among an object's
// names. A run reads the same few names for every object: their forms are kept.
struct PropertyName {
    QString name;
    QString upper;
    uint64_t bit = 0;
    QByteArray client;
};

// The reference lasts until the next call.
const PropertyName &FormsOf(const QString &name)
{
    constexpr size_t kKept = 32;
    thread_local std::vector<PropertyName> memo;
    for (const PropertyName &forms : memo) {
        if (forms.name == name)
            return forms;
    }
    if (memo.size() >= kKept)
        memo.erase(memo.begin());
    const QString upper = UpperName(name);
    memo.push_back({name, upper, NameBit(upper), name.left(kMaxAttributeNameChars).toUtf8()});
    return memo.back();
}

} // namespace

TNW4Object::TNW4Object(tNDS &directory, const QString &objectName)
    : Directory(directory), ObjectName(objectName), clientName_(objectName.left(kMaxObjectNameChars).toUtf8())
{
    CommonName = GetCN();
}

bool TNW4Object::HasAttribute(const QString &name)
{
    if (attributes_.isEmpty())
        ReadAttributeNames();
    const PropertyName &forms = FormsOf(name);
    return (attributeBits_ & forms.bit) != 0 && attributes_.contains(forms.upper);
}

uint16_t TNW4Object::ReadValues(const QString &name, QStringList &lines)
{
    if (!HasAttribute(name))
        return 0;
    uint32_t syntaxId = 0;
    return ReadAttributeValues(name, syntaxId, lines);
}

std::optional<QStringList> TNW4Object::GetValues(const QString &name)
{
    QStringList lines;
    if (ReadValues(name, lines) == 0)
        return std::nullopt;
    return lines;
}

QString TNW4Object::GetFirstValue(const QString &name)
{
    QStringList lines;
    ReadValues(name, lines);
    return lines.isEmpty() ? QString() : lines.constFirst();
}

QString TNW4Object::GetCN()
{
    return GetFirstValue(QStringLiteral("CN"));
}

void TNW4Object::ReportReadFailure(const QString &prefix, int32_t code, bool values) const
{
    QString text;
    if (code == ERR_NO_SUCH_ATTRIBUTE)
        text = values ? QStringLiteral("-603: The Requested attribute could not be found!")
                      : QStringLiteral("The Requested attribute could not be found!");
    else if (code == ERR_NO_SUCH_ENTRY)
        text = values
                   ? QStringLiteral("-601: The Requested object ") + ObjectName + QStringLiteral(" could not be read!")
                   : QStringLiteral("The Requested object could not be read!");
    else
        text = WithCode(QString(), "NWDSRead Failed", code);
    Directory.ReportError(code, prefix + text);
}

void TNW4Object::ReadAttributeNames()
{
    NWClient &client = Directory.Client();
    const NWDSContextHandle context = Directory.Context;
    // Built only when a report needs it: names are read for every object of an export.
    const auto prefix = [this] { return QStringLiteral("While reading attributes for ") + ObjectName + ". "; };

    ClientBuffer result(client);
    NWDSCCODE code = result.Allocate(kResultBytes);
    if (code != 0) {
        Directory.ReportError(code, WithCode(prefix(), "NWDSAllocBuf Failed", code));
        return;
    }
    code = client.NWDSInitBuf(context, DSV_READ, result.Get());
    if (code != 0) {
        Directory.ReportError(code, WithCode(prefix(), "NWDSInitBuf Failed", code));
        return;
    }
    int32_t iteration = -1;
    size_t position = 0;
    do {
        code = client.NWDSRead(context, clientName_.constData(), DS_ATTRIBUTE_NAMES, true, nullptr, &iteration,
                               result.Get());
        if (code != 0) {
            ReportReadFailure(prefix(), code, false);
            return;
        }
        Directory.PumpEvents();
        uint32_t count = 0;
        code = client.NWDSGetAttrCount(context, result.Get(), &count);
        if (code != 0) {
            Directory.ReportError(code, WithCode(prefix(), "NWDSGetAttrCount Failed", code));
            return;
        }
        attributes_.reserve(attributes_.size() + qsizetype(count));
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            uint32_t valueCount = 0;
            uint32_t syntaxId = 0;
            code = client.NWDSGetAttrName(context, result.Get(), name, sizeof name, &valueCount, &syntaxId);
            if (code != 0) {
                Directory.ReportError(code, WithCode(prefix(), "NWDSGetAttrName Failed", code));
                return;
            }
            name[sizeof name - 1] = '\0';
            const UpperNameMemo &upper = UpperNameAt(position++, name);
            if ((attributeBits_ & upper.bit) == 0 || !attributes_.contains(upper.upper)) {
                attributeBits_ |= upper.bit;
                attributes_.append(upper.upper);
            }
            Directory.PumpEvents();
        }
    } while (iteration != -1);
}

uint16_t TNW4Object::ReadAttributeValues(const QString &name, uint32_t &syntaxId, QStringList &lines)
{
    NWClient &client = Directory.Client();
    const NWDSContextHandle context = Directory.Context;
    // Built only when a report needs it: values are read for every property of every object.
    const std::function<QString()> prefix = [this, &name] {
        return QStringLiteral("While reading attribute ") + name + QStringLiteral(" for object ") + ObjectName +
               QStringLiteral(". ");
    };
    syntaxId = 0;

    ClientBufferPair buffers(client);
    const ClientBufferPair::Step failedStep = buffers.SetUp(context, DSV_READ, kRequestBytes, kResultBytes);
    NWDSCCODE code = buffers.Code();
    if (failedStep == ClientBufferPair::AllocateRequest || failedStep == ClientBufferPair::AllocateResult) {
        Directory.ReportError(code, WithCode(prefix(), "NWDSAllocBuf Failed", code));
        return 0;
    }

    const auto fail = [&](const char *failure) {
        Directory.ReportError(code, WithCode(prefix(), failure, code));
        return LineCount(lines);
    };
    if (failedStep == ClientBufferPair::InitRequest)
        return fail("NWDSInitBuf Failed");
    Buf_T *const request = buffers.Request();
    Buf_T *const result = buffers.Result();
    code = client.NWDSPutAttrName(context, request, FormsOf(name).client.constData());
    if (code != 0) {
        Directory.ReportError(code, prefix() + QStringLiteral("NWDSPutAttrName Failed for") + name +
                                        QStringLiteral("\rError Code: ") + QString::number(code));
        return LineCount(lines);
    }
    code = client.NWDSInitBuf(context, DSV_READ, result);
    if (code != 0)
        return fail("NWDSInitBuf Failed");

    int32_t iteration = -1;
    do {
        code =
            client.NWDSRead(context, clientName_.constData(), DS_ATTRIBUTE_VALUES, false, request, &iteration, result);
        if (code != 0) {
            ReportReadFailure(prefix(), code, true);
            return LineCount(lines);
        }
        Directory.PumpEvents();
        uint32_t attributeCount = 0;
        code = client.NWDSGetAttrCount(context, result, &attributeCount);
        if (code != 0)
            return fail("NWDSGetAttrCount Failed");
        for (uint32_t a = 0; a < attributeCount; ++a) {
            char attributeName[MAX_SCHEMA_NAME_BYTES] = {};
            uint32_t valueCount = 0;
            code = client.NWDSGetAttrName(context, result, attributeName, sizeof attributeName, &valueCount, &syntaxId);
            if (code != 0)
                return fail("NWDSGetAttrName Failed");
            for (uint32_t v = 0; v < valueCount; ++v) {
                Directory.PumpEvents();
                size_t size = 0;
                code = client.NWDSComputeAttrValSize(context, result, syntaxId, &size);
                if (code < 0)
                    return fail("NWDSComputeAttrValSize Failed");
                // Exactly the size the client asks for, so that a value overrunning its
                // record is caught rather than hidden by slack.
                std::byte *const area = valueArea_.Get(size);
                code = client.NWDSGetAttrVal(context, result, syntaxId, area);
                if (code != 0)
                    return fail("NWDSGetAttrVal Failed");
                if (!FormatValue(Directory, syntaxId, area, ObjectName, name, prefix, lines))
                    return LineCount(lines);
            }
        }
    } while (iteration != -1);
    return LineCount(lines);
}
