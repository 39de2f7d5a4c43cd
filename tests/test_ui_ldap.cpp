// The window on a directory server: a bind password that no password file gives is
// asked through the prompts, and the tree is read once it is given.

#include "GuiHelpers.h"
#include "LdapFixture.h"
#include "ui/TExportForm.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

class TestUiLdap : public QObject
{
    Q_OBJECT

    SlapdServer server_;

    TDirectorySource Server() const
    {
        TDirectorySource source;
        source.ldapServers = {LdapFixture::Admin(server_)};
        return source;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        QVERIFY2(LdapFixture::Start(server_, &error), qPrintable(error));
    }

    void thePasswordIsAskedInADialog()
    {
        ScriptedPrompts prompts;
        prompts.passwords.push_back(QStringLiteral("secret"));
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        TForm1 form(prompts, Server());
        const QStringList asked = prompts.Texts("password");
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.constFirst().contains("cn=admin,o=Acme"), qPrintable(asked.constFirst()));
        QVERIFY2(prompts.Texts("report").isEmpty(), qPrintable(prompts.Texts("report").join('|')));
        QCOMPARE(Find<QComboBox>(&form, "TreeComboBox")->currentText(), QStringLiteral("ACME"));
        QVERIFY(!Find<QListWidget>(&form, "ClassListBox")->findItems("inetOrgPerson", Qt::MatchFixedString).isEmpty());
        QCOMPARE(Find<QLineEdit>(&form, "ContextEdit")->text(), QStringLiteral("Acme"));
    }

    void aDeclinedPasswordOpensTheWindowWithoutTheTree()
    {
        ScriptedPrompts prompts;
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        TForm1 form(prompts, Server());
        QCOMPARE(prompts.Texts("password").size(), 1);
        QCOMPARE(prompts.Texts("report").size(), 1);
        QVERIFY(!form.Directory());
        QCOMPARE(Find<QListWidget>(&form, "ClassListBox")->count(), 0);
    }

    void aLimitTheServerHitsIsOneBoxWithTheServersWordsAsDetail()
    {
        QTemporaryDir folder;
        const QString query = folder.filePath("many.req");
        QFile file(query);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[options]\r\nclass=inetOrgPerson\r\ncontext=Many.Acme\r\nrecursive=0\r\nsortbycn=0\r\n"
                   "nbproperties=1\r\n[Properties]\r\n0=cn\r\n[Filter0]\r\nop=0\r\n");
        file.close();
        TDirectorySource source = Server();
        source.ldapServers.front().bindDn = "cn=small,o=Acme";
        ScriptedPrompts prompts;
        prompts.passwords.push_back(QStringLiteral("secret"));
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        TForm1 form(prompts, source);
        TExportForm exportForm(prompts);
        exportForm.SetStartDelay(0);
        exportForm.SetProgressInterval(0);
        form.SetDialogs(nullptr, &exportForm);
        form.show();
        prompts.files.push_back(query);
        Find<QAction>(&form, "Ouvrir1")->trigger();
        Next(&form, 3);
        ClickButton(&form, "FinishBtn");
        QList<ScriptedPrompts::Shown> reports;
        for (const ScriptedPrompts::Shown &shown : prompts.shown) {
            if (shown.kind == "report")
                reports.append(shown);
        }
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.constFirst().text, QStringLiteral("NWDSList Failed for Many.Acme\rError Code: -5004"));
        QCOMPARE(reports.constFirst().detail,
                 QStringLiteral("the server's size limit was reached: Size limit exceeded"));
        QCOMPARE(Find<QPlainTextEdit>(&form, "Memo1")->toPlainText(), QString());
    }
};

QTEST_MAIN(TestUiLdap)
#include "test_ui_ldap.moc"
