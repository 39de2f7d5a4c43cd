// The conversions between LDAP names and dotted names.

#include "LdapNameReadBack.h"
#include "directory/ldap/LdapName.h"

#include <QTest>

#include <cctype>
#include <string>
#include <vector>

using LdapName::Rdn;

class TestLdapName : public QObject
{
    Q_OBJECT
private slots:
    void dnToDotted_data()
    {
        QTest::addColumn<QString>("dn");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("typeless");
        QTest::newRow("plain") << "cn=jdoe,ou=Sales,o=Acme"
                               << "CN=jdoe.OU=Sales.O=Acme"
                               << "jdoe.Sales.Acme";
        QTest::newRow("top") << ""
                             << "[Root]"
                             << "[Root]";
        QTest::newRow("dot") << "cn=j.doe,o=Acme"
                             << "CN=j\\.doe.O=Acme"
                             << "j\\.doe.Acme";
        QTest::newRow("comma") << "cn=Doe\\, John,o=Acme"
                               << "CN=Doe, John.O=Acme"
                               << "Doe, John.Acme";
        QTest::newRow("equals plus backslash") << "cn=a\\=b\\+c\\\\d,o=Acme"
                                               << "CN=a\\=b\\+c\\\\d.O=Acme"
                                               << "a\\=b\\+c\\\\d.Acme";
        QTest::newRow("multi-valued") << "cn=Ann+uid=a1,o=Acme"
                                      << "CN=Ann+UID=a1.O=Acme"
                                      << "Ann+a1.Acme";
        QTest::newRow("hex escapes") << "cn=J\\C3\\BCrgen,dc=example,dc=com"
                                     << "CN=Jürgen.DC=example.DC=com"
                                     << "Jürgen.example.com";
        QTest::newRow("spaces kept") << "cn=\\ lead\\20,o=Acme"
                                     << "CN= lead .O=Acme"
                                     << " lead .Acme";
    }
    void dnToDotted()
    {
        QFETCH(QString, dn);
        QFETCH(QString, typed);
        QFETCH(QString, typeless);
        std::string dotted;
        QVERIFY(LdapName::ToDotted(dn.toStdString(), false, dotted));
        QCOMPARE(QString::fromStdString(dotted), typed);
        QVERIFY(LdapName::ToDotted(dn.toStdString(), true, dotted));
        QCOMPARE(QString::fromStdString(dotted), typeless);

        // The typed dotted name leads back to the same entry.
        std::vector<Rdn> parts;
        QVERIFY(LdapName::ParseDotted(typed.toStdString(), parts));
        std::string back;
        QVERIFY(LdapName::ToDn(parts, back));
        std::vector<Rdn> original;
        std::vector<Rdn> again;
        QVERIFY(LdapName::ParseDn(dn.toStdString(), original));
        QVERIFY(LdapName::ParseDn(back, again));
        QCOMPARE(LdapName::DottedOf(again, false), LdapName::DottedOf(original, false));
        QCOMPARE(LdapName::Key(parts), LdapName::Key(original));
    }

    void dottedToDnEscapes()
    {
        std::vector<Rdn> parts;
        QVERIFY(LdapName::ParseDotted("CN=Doe, John+UID=#1 .OU=a\\.b\\=c.O=Acme", parts));
        QCOMPARE(parts.size(), size_t(3));
        QCOMPARE(parts[0].size(), size_t(2));
        QCOMPARE(QString::fromStdString(parts[1][0].value), "a.b=c");
        std::string dn;
        QVERIFY(LdapName::ToDn(parts, dn));
        QCOMPARE(QString::fromStdString(dn), "CN=Doe\\, John+UID=\\#1\\ ,OU=a.b\\=c,O=Acme");
        // What libldap reads from it is what was written.
        std::vector<Rdn> read;
        QVERIFY(LdapName::ParseDn(dn, read));
        QCOMPARE(QString::fromStdString(read[0][0].value), "Doe, John");
        QCOMPARE(QString::fromStdString(read[0][1].value), "#1 ");
        QCOMPARE(QString::fromStdString(read[1][0].value), "a.b=c");
    }

    void dottedForms()
    {
        std::vector<Rdn> parts;
        for (const char *top : {"", ".", "[Root]", "[ROOT]", ".[root]"}) {
            QVERIFY2(LdapName::ParseDotted(top, parts), top);
            QVERIFY2(parts.empty(), top);
        }
        QVERIFY(LdapName::ParseDotted(".CN=jdoe.O=Acme.[Root]", parts));
        QCOMPARE(QString::fromStdString(LdapName::DottedOf(parts, false)), "CN=jdoe.O=Acme");

        QVERIFY(LdapName::ParseDotted("jdoe.Sales.Acme", parts));
        QVERIFY(!LdapName::IsTyped(parts));
        std::string dn;
        QVERIFY(!LdapName::ToDn(parts, dn));
        std::vector<Rdn> typed;
        QVERIFY(LdapName::ParseDotted("cn=JDOE.ou=sales.O=Acme", typed));
        QVERIFY(LdapName::IsTyped(typed));
        QCOMPARE(LdapName::Key(typed), LdapName::Key(parts));

        for (const char *bad : {"a..b", "a.", "CN=.O=x", "=x.O=y", "CN=x\\", "a+.b"})
            QVERIFY2(!LdapName::ParseDotted(bad, parts), bad);
        QVERIFY(LdapName::ParseDotted("CN=x\\\\", parts));
        QCOMPARE(QString::fromStdString(parts[0][0].value), "x\\");
    }

    void keysIgnoreLetterCaseBeyondAscii()
    {
        const auto key = [](const char *dotted) {
            std::vector<Rdn> parts;
            return LdapName::ParseDotted(dotted, parts) ? LdapName::Key(parts) : std::string("?");
        };
        QCOMPARE(key("CN=JDoe.O=ACME"), key("jdoe.acme"));
        QCOMPARE(key("CN=ÉCOLE.O=Acme"), key("école.acme"));
        QCOMPARE(key("JÉRÔME.Acme"), key("jérôme.ACME"));
        QVERIFY(key("jdoe.Acme") != key("jdoe2.Acme"));
    }

    // A plain first part is taken as it stands: whatever is plain must read as the
    // library reads the whole DN, and show and key as the general way makes them.
    void plainPartsReadAsTheWholeDn()
    {
        const std::string alphabet = "cnoCN-1=,. +\\\"#;<>aZ9\x7F\xC3\xA9";
        uint32_t seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 16;
        };
        int plain = 0;
        for (int i = 0; i < 20000; ++i) {
            std::string dn = (next() % 4 == 0) ? "" : "cn=";
            const size_t length = next() % 12;
            for (size_t k = 0; k < length; ++k)
                dn.push_back(alphabet[next() % alphabet.size()]);
            if (next() % 2)
                dn += ",ou=Sales,o=Acme";
            std::string_view type;
            std::string_view value;
            std::string_view rest;
            if (!LdapName::PlainRdn(dn, type, value, rest))
                continue;
            ++plain;
            std::vector<Rdn> whole;
            std::vector<Rdn> after;
            // Only the first part is vouched for: the whole reads when the rest does.
            QVERIFY2(LdapName::ParseDn(dn, whole) == LdapName::ParseDn(rest, after), dn.c_str());
            if (whole.empty())
                continue;
            QCOMPARE(whole.size(), after.size() + 1);
            for (size_t r = 0; r < after.size(); ++r) {
                QCOMPARE(whole[r + 1].size(), after[r].size());
                QCOMPARE(whole[r + 1][0].value, after[r][0].value);
            }
            QCOMPARE(whole[0].size(), size_t(1));
            QCOMPARE(whole[0][0].type, std::string(type));
            QCOMPARE(whole[0][0].value, std::string(value));
            const std::vector<Rdn> first{whole[0]};
            QCOMPARE(LdapName::DottedOf(first, true), std::string(value));
            std::string lower(value);
            for (char &c : lower)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            QCOMPARE(LdapName::Key(first), lower);
        }
        QVERIFY(plain > 1000);

        std::string_view type;
        std::string_view value;
        std::string_view rest;
        QVERIFY(LdapName::PlainRdn("cn=John Smith,o=Acme", type, value, rest));
        QCOMPARE(std::string(value), "John Smith");
        QCOMPARE(std::string(rest), "o=Acme");
        QVERIFY(LdapName::PlainRdn("o=Acme", type, value, rest));
        QVERIFY(rest.empty());
        for (const char *notPlain :
             {"cn=j.doe,o=x", "cn= a,o=x", "cn=a ,o=x", "cn=a\\,b,o=x", "cn=#41,o=x", "2.5.4.3=x,o=y", "cn=a+sn=b,o=x",
              "cn=,o=x", "cn=a,", "cn=\"a\",o=x", "cn=\xC3\xA9,o=x", "cn=a=b,o=x", " cn=a,o=x", "cn =a,o=x", "-cn=a"})
            QVERIFY2(!LdapName::PlainRdn(notPlain, type, value, rest), notPlain);
    }

    void refusesWhatIsNoDn()
    {
        std::vector<Rdn> parts;
        for (const char *bad : {"cn", "cn=a,", ",o=x", "cn=a\\"})
            QVERIFY2(!LdapName::ParseDn(bad, parts), bad);
    }

    // Every name handed out reads back to its entry: types that are OIDs (whose dots are
    // no part separators), values every form escapes, a value "[Root]" (no top of the
    // tree), alone or as the last part of a name relative to a context.
    void namesReadBackToTheirEntry()
    {
        for (const char *dn : {R"(2.5.4.3=jdoe,o=Acme)", R"(cn=[Root],o=Acme)", R"(o=[root])",
                               R"(cn=a+2.5.4.4=\5BROOT],ou=[Root],o=Acme)", R"(cn=\23x\20,o=Acme)",
                               R"(cn=a\,b\;c\<d\>e\"f\2B\3D\5C.,o=Acme)", R"(cn=\20\2E.,o=Acme)",
                               R"(cn=[Root]x,o=Acme)", R"(cn=J\C3\BCrgen,dc=example,dc=com)", R"(OID.2.5.4.3=x,o=y)"})
            QVERIFY2(NameReadBackFault(dn).empty(), (dn + (" " + NameReadBackFault(dn))).c_str());

        std::string dotted;
        QVERIFY(LdapName::ToDotted("2.5.4.3=jdoe,o=Acme", false, dotted));
        QCOMPARE(dotted, "2\\.5\\.4\\.3=jdoe.O=Acme");
        QVERIFY(LdapName::ToDotted("cn=[Root],o=Acme", true, dotted));
        QCOMPARE(dotted, "\\[Root].Acme");
        std::vector<Rdn> parts;
        QVERIFY(LdapName::ParseDn("cn=[Root],o=Acme", parts));
        QCOMPARE(LdapName::DottedOf({parts[0]}, true), "\\[Root]");
        std::string_view type;
        std::string_view value;
        std::string_view rest;
        QVERIFY(!LdapName::PlainRdn("cn=[ROOT],o=Acme", type, value, rest));
    }

    // A name that no dotted name carries back is refused, for a report: a zero byte (that
    // a caller's text would end at), an empty or binary value, a value that is not UTF-8.
    void namesThatCannotReadBackRefused()
    {
        std::vector<Rdn> parts;
        std::string dotted;
        const std::string zero("cn=a\0b,o=Acme", 13);
        for (const std::string &dn :
             {zero, std::string("cn=a\\00b,o=Acme"), std::string("cn=,o=Acme"), std::string("cn=#04026869,o=Acme"),
              std::string("cn=\\FF\\FE,o=Acme"), std::string("cn=a,o=Acme\0", 12)}) {
            QVERIFY2(!LdapName::ParseDn(dn, parts), LdapName::Shown(dn).c_str());
            QVERIFY(!LdapName::ToDotted(dn, false, dotted));
        }
        QCOMPARE(LdapName::Shown(zero), "cn=a\\00b,o=Acme");
        QCOMPARE(LdapName::Shown(std::string(300, 'x')), std::string(256, 'x') + "...");
    }
};

QTEST_GUILESS_MAIN(TestLdapName)
#include "test_ldap_name.moc"
