#pragma once

#include "ScriptedPrompts.h"
#include "connect/TDirectoryConnection.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"
#include "ui/TForm1.h"
#include "ui/TPropertyList.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>

#include <memory>

// The directory the window tests run on: two trees, ACME (with the class User) and LAB
// (without it).
inline TDirectorySource UiDirectory()
{
    TDirectorySource source;
    source.directoryFile = QStringLiteral(VELTRANE_TEST_DATA "/ui-directory.json");
    return source;
}

// A main window on the test directory with scripted prompts.
struct WindowFixture {
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> form;

    explicit WindowFixture(const TDirectorySource &source = UiDirectory())
    {
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        form = std::make_unique<TForm1>(prompts, source);
        form->show();
    }
};

// The widget of that name under parent; the test fails when there is none.
template <typename T> T *Find(QObject *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qWarning("no widget named %s", qPrintable(name));
    return found;
}

// The texts of a list, in order.
inline QStringList Texts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

// Selects exactly the entries with these texts (first match of each).
inline void SelectTexts(QListWidget *list, const QStringList &texts)
{
    list->clearSelection();
    for (const QString &text : texts) {
        const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
        if (!items.isEmpty())
            items.constFirst()->setSelected(true);
    }
}

// Clicks the entry with that text.
inline void ClickEntry(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    if (items.isEmpty()) {
        qWarning("no entry %s", qPrintable(text));
        return;
    }
    list->scrollToItem(items.constFirst());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.constFirst()).center());
}
