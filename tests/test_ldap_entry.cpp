// Entries kept by the LDAP client: their values written as one block, taken apart again
// with each attribute once, and kept by key within a bound on memory.

#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapRange.h"

#include <QTest>

#include <algorithm>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> ValuesOf(const LdapEntryView &view, uint32_t attribute)
{
    std::vector<std::string> values;
    if (const LdapEntryView::Attribute *found = view.Find(attribute)) {
        for (const std::string_view value : view.ValuesOf(*found))
            values.emplace_back(value);
    }
    return values;
}

} // namespace

class TestLdapEntry : public QObject
{
    Q_OBJECT

private slots:
    // An entry's attributes as a server sends them: a sequence of the type and the set
    // of values, in short and long lengths; whatever is not a whole element is refused
    // and leaves the reader where it was.
    void berElementsReadAsSent()
    {
        std::string values = std::string("\x04\x03one", 5) + "\x04\x81\x80" + std::string(128, 'x');
        std::string attribute = std::string("\x04\x02sn", 4) + "\x31\x81" + char(values.size()) + values;
        std::string bytes =
            "\x30\x81" + std::string(1, char(attribute.size())) + attribute + std::string("\x30\x00", 2);
        LdapBerReader reader(bytes);
        uint8_t tag = 0;
        std::string_view contents;
        QVERIFY(reader.Next(tag, contents));
        QCOMPARE(tag, LdapBerReader::Sequence);
        QCOMPARE(contents, std::string_view(attribute));
        QVERIFY(reader.Next(tag, contents));
        QVERIFY(contents.empty());
        QVERIFY(reader.AtEnd());
        QVERIFY(!reader.Next(tag, contents));

        LdapBerReader parts(attribute);
        std::string_view type;
        std::string_view set;
        QVERIFY(parts.Next(tag, type) && tag == LdapBerReader::OctetString && type == "sn");
        QVERIFY(parts.Next(tag, set) && tag == LdapBerReader::Set);
        LdapBerReader each(set);
        std::string_view value;
        QVERIFY(each.Next(tag, value) && value == "one");
        QVERIFY(each.Next(tag, value) && value == std::string(128, 'x'));
        QVERIFY(each.AtEnd());

        // Two, three and four length bytes.
        const std::pair<std::string, size_t> wide[] = {{std::string("\x04\x82\x01\x11", 4), 0x0111},
                                                       {std::string("\x04\x83\x01\x11\x70", 5), 70000},
                                                       {std::string("\x04\x84\x00\x01\x11\x70", 6), 70000}};
        for (const auto &[header, size] : wide) {
            const std::string element = header + std::string(size, 'b');
            LdapBerReader lengthy(element);
            QVERIFY(lengthy.Next(tag, value));
            QCOMPARE(value.size(), size);
            QVERIFY(lengthy.AtEnd());
        }

        for (const std::string &bad : {std::string("\x04", 1),
                                       std::string("\x04\x05"
                                                   "abcd",
                                                   6),
                                       std::string("\x04\x80"
                                                   "abc\x00\x00",
                                                   7),
                                       std::string("\x1F\x01\x01x", 4), std::string("\x04\x85\x00\x00\x00\x00\x01x", 8),
                                       std::string("\x04\x82\x01", 3),
                                       std::string("\x04\x82\xFF\xFF"
                                                   "ab",
                                                   6)}) {
            LdapBerReader refused(bad);
            tag = 0x55;
            value = "kept";
            QVERIFY(!refused.Next(tag, value));
            QCOMPARE(tag, uint8_t(0x55));
            QCOMPARE(value, std::string_view("kept"));
            QVERIFY(!refused.AtEnd());
        }
    }

    void blocksComeApartAsTheyWereWritten()
    {
        LdapEntryBlock block;
        block.StartAttribute(7);
        block.AddValue("Doe");
        block.EndAttribute();
        block.StartAttribute(300); // an index past one byte
        block.AddValue("+1 555 0100");
        block.AddValue(std::string_view("\0\1", 2));
        block.AddValue(std::string(200, 'x')); // a length past one byte
        block.EndAttribute();
        block.StartAttribute(9); // an attribute without values
        block.EndAttribute();
        // The same attribute again, as with options (cn and cn;lang-fr): joined.
        block.StartAttribute(7);
        block.AddValue("");
        block.AddValue("Dupont");
        block.EndAttribute();

        LdapEntryView view;
        QVERIFY(view.Decode(block.Bytes()));
        QCOMPARE(view.Attributes().size(), size_t(3));
        QCOMPARE(view.Attributes()[0].attribute, 7u);
        QCOMPARE(view.Attributes()[1].attribute, 300u);
        QCOMPARE(ValuesOf(view, 7), std::vector<std::string>({"Doe", "", "Dupont"}));
        QCOMPARE(ValuesOf(view, 300),
                 std::vector<std::string>({"+1 555 0100", std::string("\0\1", 2), std::string(200, 'x')}));
        QVERIFY(ValuesOf(view, 9).empty());
        QVERIFY(!view.Find(4));
        QVERIFY(!view.Find(300 - 256)); // the index's first 7 bits alone

        // A block cut inside a value or a count is refused whole, never read past.
        const std::string whole(block.Bytes());
        for (size_t cut = 1; cut < whole.size(); ++cut) {
            LdapEntryView cutView;
            if (!cutView.Decode(std::string_view(whole).substr(0, cut)))
                QVERIFY(cutView.Attributes().empty());
        }
        QVERIFY(!view.Decode(std::string_view(whole).substr(0, whole.size() - 1)));
        QVERIFY(view.Attributes().empty());

        // Each attribute once: a cut anywhere but between two attributes is refused.
        LdapEntryBlock once;
        std::vector<size_t> ends{0};
        for (const uint32_t attribute : {7u, 300u, 9u}) {
            once.StartAttribute(attribute);
            for (uint32_t v = 0; v < attribute % 4; ++v)
                once.AddValue(std::string(100 + v * 50, char('a' + v)));
            once.EndAttribute();
            ends.push_back(once.Bytes().size());
        }
        const std::string onceWhole(once.Bytes());
        for (size_t cut = 1; cut < onceWhole.size(); ++cut) {
            const bool between = std::find(ends.begin(), ends.end(), cut) != ends.end();
            QCOMPARE(view.Decode(std::string_view(onceWhole).substr(0, cut)), between);
        }
        QVERIFY(view.Decode(onceWhole));
        QCOMPARE(ValuesOf(view, 7).size(), size_t(3));
        QCOMPARE(ValuesOf(view, 300).size(), size_t(0));
        QCOMPARE(ValuesOf(view, 9).size(), size_t(1));
        block.Clear();
        QVERIFY(view.Decode(block.Bytes()));
        QVERIFY(view.Attributes().empty());
    }

    void theStoreKeepsWithinItsBound()
    {
        LdapEntryStore store(32 << 10);
        std::string key = "0\ncn=a,o=Acme";
        QVERIFY(store.Keep(key, "first"));
        key[3] = 'X'; // the key is the store's own copy
        QCOMPARE(store.Find("0\ncn=a,o=Acme").value_or("none"), "first");
        QVERIFY(!store.Find("0\ncn=X,o=Acme"));
        // A key kept before keeps its block.
        QVERIFY(store.Keep("0\ncn=a,o=Acme", "second"));
        QCOMPARE(store.Find("0\ncn=a,o=Acme").value_or("none"), "first");
        int kept = 1;
        while (store.Keep("0\ncn=" + std::to_string(kept) + ",o=Acme", std::string(1000, 'v')))
            ++kept;
        // 32 KiB hold the table of slots (8 KiB) and 24 such entries.
        QVERIFY2(kept > 16 && kept <= 25, qPrintable(QString::number(kept)));
        QCOMPARE(store.Find("0\ncn=1,o=Acme").value_or("none"), std::string(1000, 'v'));
        QCOMPARE(store.Find("0\ncn=" + std::to_string(kept - 1) + ",o=Acme").value_or("none"), std::string(1000, 'v'));
        QVERIFY(!store.Find("0\ncn=" + std::to_string(kept) + ",o=Acme"));
        store.Clear();
        QVERIFY(!store.Find("0\ncn=a,o=Acme"));
        QVERIFY(store.Keep("0\ncn=a,o=Acme", "again"));

        // Every entry is found again after the table grew several times.
        LdapEntryStore large(64 << 20);
        for (int i = 0; i < 5000; ++i)
            QVERIFY(large.Keep("0\ncn=user" + std::to_string(i) + ",o=Acme", std::to_string(i * 7)));
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(large.Find("0\ncn=user" + std::to_string(i) + ",o=Acme").value_or("none"), std::to_string(i * 7));
        QVERIFY(!large.Find("0\ncn=user5000,o=Acme"));

        // An entry larger than the store's chunks has one of its own, and the entries
        // after it still go where there is room.
        LdapEntryStore wide(48 << 20);
        QVERIFY(wide.Keep("small", "before"));
        const std::string photo(17 << 20, 'p');
        QVERIFY(wide.Keep("photo", photo));
        QVERIFY(wide.Keep("after", "after"));
        QVERIFY(wide.Keep("photo2", photo));
        QCOMPARE(wide.Find("small").value_or("none"), "before");
        QVERIFY(wide.Find("photo").value_or("none") == photo);
        QCOMPARE(wide.Find("after").value_or("none"), "after");
        QVERIFY(wide.Find("photo2").value_or("none") == photo);
        QVERIFY(!wide.Keep("photo3", photo)); // past the 48 MiB allowed
        QCOMPARE(wide.Find("small").value_or("none"), "before");
    }

    // The part of a large attribute a description names, in any letter case among other
    // options; what does not read as low-high or low-* (high below low, a number past 32
    // bits) is unreadable, never taken for the last part; the next part is asked for with
    // the other options kept.
    void rangesReadFromDescriptions()
    {
        using Kind = LdapRange::Kind;
        const auto read = [](std::string_view description) {
            const LdapRange range = LdapRange::Of(description);
            return std::tuple(range.kind, range.low, range.high);
        };
        QCOMPARE(read("member"), std::tuple(Kind::Whole, 0u, 0u));
        QCOMPARE(read("member;binary"), std::tuple(Kind::Whole, 0u, 0u));
        QCOMPARE(read("member;range=0-1499"), std::tuple(Kind::Part, 0u, 1499u));
        QCOMPARE(read("member;lang-fr;Range=1500-2999;binary"), std::tuple(Kind::Part, 1500u, 2999u));
        QCOMPARE(std::get<0>(read("member;RANGE=4500-*")), Kind::Last);
        QCOMPARE(std::get<1>(read("member;RANGE=4500-*")), 4500u);
        for (const char *unreadable : {"member;range=", "member;range=10-9", "member;range=a-*", "member;range=0-",
                                       "member;range=0-4294967295", "member;range=-5-*", "member;range=1-2x"})
            QVERIFY2(std::get<0>(read(unreadable)) == Kind::Unreadable, unreadable);
        QCOMPARE(LdapRange::From("member;range=0-1499", 1500), "member;range=1500-*");
        QCOMPARE(LdapRange::From("member;binary;Range=0-9;lang-fr", 10), "member;binary;lang-fr;range=10-*");
        QCOMPARE(LdapRange::From("member", 3), "member;range=3-*");
    }
};

QTEST_GUILESS_MAIN(TestLdapEntry)
#include "test_ldap_entry.moc"
