#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class QIODevice;

// An INI profile held in memory: bracketed section lines and key=value lines, read and
// written one key at a time. Section and key names compare without regard to case.
// Writing updates the text in place: lines it does not write, comments and unknown
// sections included, keep their place and wording. The whole profile is then written
// out at once, as UTF-8 with CR LF line ends. Sections and keys are found through an
// index of their case-folded names, so reading and writing a profile take time in
// proportion to its size.
class TProfileFile
{
public:
    // Reads are cut to this many characters, as the profile functions' buffer did.
    static constexpr qsizetype MaxValueLength = 1023;

    // An empty profile.
    TProfileFile() = default;
    // The profile in text (line ends CR LF or LF).
    static TProfileFile FromText(const QString &text);

    // The value of key in section, blanks around it removed and one pair of enclosing
    // quotes (double or single) dropped, cut to MaxValueLength characters; def when the
    // section or the key is missing. The first section and the first key of a name count.
    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // The value as a 32-bit integer: decimal with an optional sign, or hexadecimal after
    // "0x"/"0X" when longer than two characters; def when missing or not such a number.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // Any non-zero integer is true; def when missing or not a number.
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    // Whether the section holds the key.
    bool HasKey(const QString &section, const QString &key) const;
    // The largest index among the section's keys written as decimal indexes without
    // leading zeros ("0", "1", ...); -1 when there is none.
    int LastIndexKey(const QString &section) const;

    // Sets key in section, replacing its line where it stands, else adding it after the
    // section's last line, else adding the section at the end. Line breaks in the value
    // become blanks (a value is one line); a value that would not read back as written
    // (blanks around it, enclosing quotes) is written between double quotes.
    void WriteString(const QString &section, const QString &key, const QString &value);
    // Written in decimal.
    void WriteInteger(const QString &section, const QString &key, int value);
    // Written as "1" or "0".
    void WriteBool(const QString &section, const QString &key, bool value);
    // Removes every section of that name with all its lines.
    void EraseSection(const QString &section);

    // The profile as text, every line ending with CR LF.
    QString ToText() const;
    // Writes ToText() as UTF-8; false when the device does not take every byte.
    bool Write(QIODevice &device) const;

private:
    struct Line {
        QString text;
        bool hasKey = false; // a key=value line
    };
    struct Section {
        QString name; // empty and headerless for the lines before the first section
        bool hasHeader = false;
        std::vector<Line> lines; // header line included when hasHeader
    };
    // A key of one section: one index for all sections, since a table per section
    // costs more than the few lines most sections hold.
    struct SectionKey {
        size_t section;
        QString folded;
        bool operator==(const SectionKey &other) const = default;
        friend size_t qHash(const SectionKey &key, size_t seed) { return qHashMulti(seed, key.section, key.folded); }
    };

    const Section *FindSection(const QString &name) const;
    std::optional<size_t> FindSectionIndex(const QString &name) const;
    const Line *FindKey(const QString &section, const QString &key) const;
    void AddSection(Section section);
    void AddLine(size_t section, size_t at, const QString &text, const QString &key);
    void IndexKey(const SectionKey &key, size_t line);

    std::vector<Section> sections;
    QHash<QString, size_t> sectionIndex; // case-folded name -> first section with a header
    QHash<SectionKey, size_t> keyLines;  // section and case-folded key -> its first line
};
