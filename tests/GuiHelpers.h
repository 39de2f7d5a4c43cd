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
#include <stdexcept>

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

// Stops the test with that message, from a helper where QVERIFY cannot return.
[[noreturn]] inline void StopTest(const QString &message, const char *file, int line)
{
    QTest::qFail(qPrintable(message), file, line);
    throw std::runtime_error(message.toStdString());
}

// The widget of that name under parent; the test stops, naming it, when there is none.
template <typename T = QWidget> T *Find(const QObject *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        StopTest(QStringLiteral("no widget named %1").arg(name), __FILE__, __LINE__);
    return found;
}

// Makes the window the active one, so that the keyboard focus and shortcuts work as they
// do for a user.
inline void Activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        StopTest(QStringLiteral("the window %1 is not active").arg(window->objectName()), __FILE__, __LINE__);
}

// The widget with the keyboard focus; the test stops when none has it.
inline QWidget *Focused()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        StopTest(QStringLiteral("no widget has the keyboard focus"), __FILE__, __LINE__);
    return focus;
}

// A key pressed and typed text, where the keyboard focus is, as a user does.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(Focused(), key, modifiers);
}
inline void Type(const QString &text)
{
    QTest::keyClicks(Focused(), text);
}

// Presses Tab (Shift+Tab when backwards) until the focus is on target or inside it; the
// test stops, naming the target, when the keyboard never reaches it.
inline void TabTo(const QWidget *target, bool backwards = false)
{
    for (int presses = 0; presses < 60; ++presses) {
        const QWidget *focus = Focused();
        if (focus == target || target->isAncestorOf(focus))
            return;
        // A text that takes Tab is left with Ctrl+Tab.
        const auto *text = qobject_cast<const QPlainTextEdit *>(focus);
        const Qt::KeyboardModifiers control =
            text && !text->isReadOnly() && !text->tabChangesFocus() ? Qt::ControlModifier : Qt::NoModifier;
        if (backwards)
            Press(Qt::Key_Backtab, Qt::ShiftModifier | control);
        else
            Press(Qt::Key_Tab, control);
    }
    StopTest(QStringLiteral("Tab never reaches %1").arg(target->objectName()), __FILE__, __LINE__);
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
