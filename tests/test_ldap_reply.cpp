// Replies of a server read through libldap as the client reads them (LdapSocketReply).

#include "LdapSocketReply.h"
#include "directory/ldap/LdapPageControl.h"

#include <QTest>

#include <string>

namespace {

std::string Tlv(unsigned char tag, const std::string &contents)
{
    return std::string(1, char(tag)) + char(contents.size()) + contents;
}

// The end of search 1 (success), with a paged-results control of the given value, or
// without a value.
std::string SearchDone(const std::string *pageValue)
{
    std::string control = Tlv(0x04, "1.2.840.113556.1.4.319");
    if (pageValue)
        control += Tlv(0x04, *pageValue);
    const std::string done = Tlv(0x65, Tlv(0x0A, std::string(1, '\0')) + Tlv(0x04, "") + Tlv(0x04, ""));
    return Tlv(0x30, Tlv(0x02, "\x01") + done + Tlv(0xA0, Tlv(0x30, control)));
}

LdapPageControl::Page PageOf(const std::string &reply, std::string &cookie)
{
    LdapSocketReply read(reply);
    LDAPMessage *result = read.Next();
    if (!result)
        qFatal("the reply does not read");
    return LdapPageControl::Next(read.Handle(), result, cookie);
}

} // namespace

class TestLdapReply : public QObject
{
    Q_OBJECT
private slots:
    // A page control without a value, on which libldap asserts, or whose value does not
    // read: no end of the listing, and no crash.
    void pageControlThatDoesNotReadIsNoEnd()
    {
        std::string cookie = "left";
        QCOMPARE(PageOf(SearchDone(nullptr), cookie), LdapPageControl::Page::Unreadable);
        QVERIFY(cookie.empty());
        const std::string notASequence = "\x04\x03"
                                         "abc";
        QCOMPARE(PageOf(SearchDone(&notASequence), cookie), LdapPageControl::Page::Unreadable);

        const std::string next = Tlv(0x30, Tlv(0x02, std::string(1, '\0')) + Tlv(0x04, "abc"));
        QCOMPARE(PageOf(SearchDone(&next), cookie), LdapPageControl::Page::More);
        QCOMPARE(cookie, "abc");
        const std::string last = Tlv(0x30, Tlv(0x02, std::string(1, '\0')) + Tlv(0x04, ""));
        QCOMPARE(PageOf(SearchDone(&last), cookie), LdapPageControl::Page::Last);
        QVERIFY(cookie.empty());
    }
};

QTEST_GUILESS_MAIN(TestLdapReply)
#include "test_ldap_reply.moc"
