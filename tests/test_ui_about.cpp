#include "GuiHelpers.h"

#include "ui/TAboutBox.h"

#include <QTimer>

class TestUiAbout : public QObject
{
    Q_OBJECT

private slots:
    // The box is shown from the Help menu, modally, and its texts follow the application
    // title each time it becomes active, not the main window's caption.
    void theMenuShowsTheBoxWithTheApplicationsTexts()
    {
        WindowFixture w;
        TAboutBox about;
        w.form->SetDialogs(&about, nullptr);
        QApplication::setApplicationName(QStringLiteral("Autre titre"));
        QString title, product, version, maker, link;
        bool modal = false, iconShown = false;
        QTimer::singleShot(0, &about, [&] {
            QTRY_VERIFY(about.isActiveWindow());
            title = about.windowTitle();
            product = about.ProductName->text();
            version = about.Version->text();
            maker = about.Copyright->text();
            link = about.Comments->text();
            modal = QApplication::activeModalWidget() == &about;
            iconShown = !about.ProgramIcon->pixmap().isNull() || QApplication::windowIcon().isNull();
            about.OKButton->click();
        });
        Find<QAction>(w.form.get(), "Apropos1")->trigger();
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        QCOMPARE(title, QStringLiteral("A Propos de Autre titre"));
        QCOMPARE(product, QStringLiteral("Autre titre"));
        QCOMPARE(version, QStringLiteral("Version 1.26 du 14/03/2000"));
        QVERIFY(!maker.isEmpty() && !link.isEmpty());
        QVERIFY(modal && iconShown);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Veltrane 1.26"));
    }

    void theBoxIsFixedAndNoTextIsClipped()
    {
        TAboutBox about;
        about.show();
        QVERIFY(about.width() >= 298 && about.height() >= 213);
        QCOMPARE(about.minimumSize(), about.maximumSize());
        for (QLabel *label : {about.ProductName, about.Version, about.Copyright})
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        QVERIFY(about.Comments->height() >= about.Comments->heightForWidth(about.Comments->width()));
        QVERIFY(about.OKButton->isDefault());
    }
};

QTEST_MAIN(TestUiAbout)
#include "test_ui_about.moc"
