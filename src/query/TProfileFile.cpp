#include "query/TProfileFile.h"

#include <QIODevice>

#include <algorithm>
#include <optional>

namespace {

// Names that compare equal without regard to case fold to the same text.
QString Folded(const QString &name)
{
    return name.toCaseFolded();
}

bool IsQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool EnclosedInQuotes(const QString &value)
{
    return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

// The section name of a header line, or nothing when the line is not a header.
std::optional<QString> HeaderName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

// The key of a key=value line; empty for blank lines, comments and lines without "=".
QString KeyOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')))
        return {};
    const qsizetype equal = trimmed.indexOf(QLatin1Char('='));
    return equal < 0 ? QString() : trimmed.left(equal).trimmed();
}

QString ValueOf(const QString &line)
{
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (EnclosedInQuotes(value))
        value = value.mid(1, value.size() - 2);
    return value.left(TProfileFile::MaxValueLength);
}

bool AllDigits(QStringView text, int base)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [base](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (base == 16 &&
                ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))));
    });
}

std::optional<int> ParseInteger(const QString &text)
{
    bool ok = false;
    if (text.size() > 2 && text.at(0) == QLatin1Char('0') &&
        (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X'))) {
        const QStringView digits = QStringView(text).mid(2);
        // Eight digits at most, read as the 32-bit pattern they spell.
        if (digits.size() > 8 || !AllDigits(digits, 16))
            return std::nullopt;
        return static_cast<int>(digits.toUInt(&ok, 16));
    }
    const QStringView digits =
        text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? QStringView(text).mid(1) : text;
    if (!AllDigits(digits, 10))
        return std::nullopt;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

TProfileFile TProfileFile::FromText(const QString &text)
{
    TProfileFile profile;
    profile.sections.push_back(Section{});
    // A line end after the last line does not start another one.
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        start = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (const auto name = HeaderName(line)) {
            profile.AddSection(Section{*name, true, {Line{line, false}}});
            continue;
        }
        const size_t section = profile.sections.size() - 1;
        profile.AddLine(section, profile.sections[section].lines.size(), line, KeyOf(line));
    }
    return profile;
}

void TProfileFile::AddSection(Section section)
{
    const QString folded = Folded(section.name);
    if (!sectionIndex.contains(folded)) // the first section of a name counts
        sectionIndex.insert(folded, sections.size());
    sections.push_back(std::move(section));
}

// Only blank lines follow the place a line is inserted at, so no indexed key moves.
void TProfileFile::AddLine(size_t section, size_t at, const QString &text, const QString &key)
{
    if (!key.isEmpty())
        IndexKey(SectionKey{section, Folded(key)}, at);
    std::vector<Line> &lines = sections[section].lines;
    lines.insert(lines.begin() + qsizetype(at), Line{text, !key.isEmpty()});
}

// The first line of a key counts.
void TProfileFile::IndexKey(const SectionKey &key, size_t line)
{
    if (!keyLines.contains(key))
        keyLines.insert(key, line);
}

std::optional<size_t> TProfileFile::FindSectionIndex(const QString &name) const
{
    const auto found = sectionIndex.constFind(Folded(name));
    return found == sectionIndex.cend() ? std::nullopt : std::optional<size_t>(*found);
}

const TProfileFile::Section *TProfileFile::FindSection(const QString &name) const
{
    const std::optional<size_t> found = FindSectionIndex(name);
    return found ? &sections[*found] : nullptr;
}

const TProfileFile::Line *TProfileFile::FindKey(const QString &section, const QString &key) const
{
    const std::optional<size_t> found = FindSectionIndex(section);
    if (!found)
        return nullptr;
    const auto line = keyLines.constFind(SectionKey{*found, Folded(key)});
    return line == keyLines.cend() ? nullptr : &sections[*found].lines[*line];
}

QString TProfileFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Line *line = FindKey(section, key);
    return line ? ValueOf(line->text) : def;
}

int TProfileFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    const Line *line = FindKey(section, key);
    if (!line)
        return def;
    return ParseInteger(ValueOf(line->text)).value_or(def);
}

bool TProfileFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TProfileFile::HasKey(const QString &section, const QString &key) const
{
    return FindKey(section, key) != nullptr;
}

int TProfileFile::LastIndexKey(const QString &section) const
{
    int last = -1;
    const Section *found = FindSection(section);
    if (!found)
        return last;
    for (const Line &line : found->lines) {
        const QString key = line.hasKey ? KeyOf(line.text) : QString();
        const bool canonical = AllDigits(key, 10) && (key.size() == 1 || key.front() != QLatin1Char('0'));
        bool ok = false;
        const int index = canonical ? key.toInt(&ok) : -1;
        if (ok && index > last)
            last = index;
    }
    return last;
}

void TProfileFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    QString stored = value;
    stored.replace(QLatin1String("\r\n"), QLatin1String(" "));
    stored.replace(QLatin1Char('\r'), QLatin1Char(' '));
    stored.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (stored != stored.trimmed() || EnclosedInQuotes(stored))
        stored = QLatin1Char('"') + stored + QLatin1Char('"');
    const QString text = key + QLatin1Char('=') + stored;

    if (sections.empty())
        sections.push_back(Section{});
    if (!FindSection(section))
        AddSection(Section{section, true, {Line{QLatin1Char('[') + section + QLatin1Char(']'), false}}});
    const size_t index = *FindSectionIndex(section);
    Section &target = sections[index];
    if (const auto found = keyLines.constFind(SectionKey{index, Folded(key)}); found != keyLines.cend()) {
        target.lines[*found] = Line{text, true};
        return;
    }
    // After the last line that is not blank, so that blank lines keep separating sections.
    size_t insertAt = target.lines.size();
    while (insertAt > (target.hasHeader ? 1u : 0u) && target.lines[insertAt - 1].text.trimmed().isEmpty())
        --insertAt;
    AddLine(index, insertAt, text, key);
}

void TProfileFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TProfileFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

void TProfileFile::EraseSection(const QString &section)
{
    const QString folded = Folded(section);
    if (!sectionIndex.remove(folded))
        return;
    // An erased section stays as an empty place, so that no other section's index moves.
    for (size_t i = 0; i < sections.size(); ++i) {
        Section &candidate = sections[i];
        if (!candidate.hasHeader || Folded(candidate.name) != folded)
            continue;
        for (const Line &line : candidate.lines) {
            if (line.hasKey)
                keyLines.remove(SectionKey{i, Folded(KeyOf(line.text))});
        }
        candidate = Section{};
    }
}

QString TProfileFile::ToText() const
{
    QString text;
    for (const Section &section : sections) {
        for (const Line &line : section.lines)
            text += line.text + QLatin1String("\r\n");
    }
    return text;
}

bool TProfileFile::Write(QIODevice &device) const
{
    const QByteArray bytes = ToText().toUtf8();
    return device.write(bytes) == bytes.size();
}
