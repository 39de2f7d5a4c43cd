// The window on a directory server: a bind password that no password file gives is
// asked through the prompts, and the tree is read once it is given.

#include "GuiHelpers.h"
#include "LdapFixture.h"
#include "LdapResponder.h"
#include "ui/TExportForm.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <functional>

namespace {

// Exports in a window on source the names of the objects of a class in a context, the
// export form handed to prepare before the export starts; the results view's text.
QString ExportNames(ScriptedPrompts &prompts, const TDirectorySource &source, const QString &className,
                    const QString &context, const std::function<void(TExportForm &)> &prepare = {})
{
    QTemporaryDir folder;
    const QString query = folder.filePath("names.req");
    QFile file(query);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("the query file cannot be written");
    file.write(QStringLiteral("[options]\r\nclass=%1\r\ncontext=%2\r\nrecursive=0\r\nsortbycn=0\r\n"
                              "nbproperties=1\r\n[Properties]\r\n0=cn\r\n[Filter0]\r\nop=0\r\n")
                   .arg(className, context)
                   .toUtf8());
    file.close();
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
    if (prepare)
        prepare(exportForm);
    ClickButton(&form, "FinishBtn");
    return Find<QPlainTextEdit>(&form, "Memo1")->toPlainText();
}

} // namespace

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
        TDirectorySource source = Server();
        source.ldapServers.front().bindDn = "cn=small,o=Acme";
        ScriptedPrompts prompts;
        prompts.passwords.push_back(QStringLiteral("secret"));
        QCOMPARE(ExportNames(prompts, source, "inetOrgPerson", "Many.Acme"), QString());
        QList<ScriptedPrompts::Shown> reports;
        for (const ScriptedPrompts::Shown &shown : prompts.shown) {
            if (shown.kind == "report")
                reports.append(shown);
        }
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.constFirst().text, QStringLiteral("NWDSList Failed for Many.Acme\rError Code: -5004"));
        QCOMPARE(reports.constFirst().detail,
                 QStringLiteral("the server's size limit was reached: Size limit exceeded"));
    }

    // Cancel ends a run that waits for a server which sent half a reply and then nothing:
    // at once, without a report.
    void cancelEndsAWaitForTheServer()
    {
        // The window lists the context before the export: only the export's listing stalls.
        std::atomic<bool> exporting{false};
        std::atomic<bool> stalled{false};
        LdapResponder server([&](int message, const std::string &base, int scope) {
            if (base != "o=Acme" || scope != 1)
                return LdapResponder::Done(message, 32);
            if (!exporting)
                return LdapResponder::Person(message, "good") + LdapResponder::Done(message);
            stalled = true;
            const std::string half = LdapResponder::Person(message, "half");
            return LdapResponder::Person(message, "good") + half.substr(0, half.size() / 2);
        });
        TDirectorySource source;
        LdapServerConfig config;
        config.uri = QString::fromStdString(server.Uri());
        config.tls = LdapServerConfig::Tls::None;
        config.operationTimeout = 20; // a Cancel that does not work fails the test sooner
        source.ldapServers = {config};
        ScriptedPrompts prompts;
        QElapsedTimer sinceCancel;
        QTimer cancel;
        cancel.setInterval(100);
        const QString results = ExportNames(prompts, source, "person", "Acme", [&](TExportForm &exportForm) {
            exporting = true;
            connect(&cancel, &QTimer::timeout, &exportForm, [&] {
                if (!stalled || sinceCancel.isValid())
                    return;
                sinceCancel.start();
                QTest::mouseClick(Find<QPushButton>(&exportForm, "BitBtn1"), Qt::LeftButton);
            });
            cancel.start();
        });
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
        QVERIFY2(prompts.Texts("report").isEmpty(), qPrintable(prompts.Texts("report").join('|')));
        QCOMPARE(results, QString());
    }
};

QTEST_MAIN(TestUiLdap)
#include "test_ui_ldap.moc"
