// Entries kept by the LDAP client: their values written as one block, taken apart again
// with each attribute once, and kept by key within a bound on memory.

#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"

#include <QTest>

#include <string>
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
        // 32 KiB hold the table of slots (16 KiB) and 16 such entries.
        QVERIFY2(kept > 10 && kept <= 17, qPrintable(QString::number(kept)));
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
    }
};

QTEST_GUILESS_MAIN(TestLdapEntry)
#include "test_ldap_entry.moc"
