#pragma once

#include "ScriptedPrompts.h"
#include "connect/TDirectoryConnection.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"
#include "ui/TForm1.h"
#include "ui/TPropertyList.h"

#include <QAbstractItemView>
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

#include <cstdlib>
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
    // A tool window of its own (the find dialog) counts as the window being active: it is
    // the window itself that must be.
    for (int tries = 0; tries < 50 && QApplication::activeWindow() != window; ++tries) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QTest::qWait(10);
    }
    if (QApplication::activeWindow() != window)
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

// Where keys go: to an open menu or list first, as the window system sends them, else
// to the widget with the focus.
inline QWidget *KeyTarget()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    return Focused();
}

// A key pressed and typed text, where the keyboard is, as a user does.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(KeyTarget(), key, modifiers);
}
inline void Type(const QString &text)
{
    QTest::keyClicks(KeyTarget(), text);
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

// Clicks the button of that name with the mouse; the test stops, naming it, when the
// button is hidden or disabled, where a click does nothing.
inline void ClickButton(const QObject *parent, const QString &name)
{
    auto *button = Find<QPushButton>(parent, name);
    if (!button->isVisible() || !button->isEnabled())
        StopTest(QStringLiteral("the button %1 cannot be clicked").arg(name), __FILE__, __LINE__);
    QTest::mouseClick(button, Qt::LeftButton);
}

// "Suivant" and "Précédent", clicked.
inline void Next(const QObject *window, int times = 1)
{
    for (int i = 0; i < times; ++i)
        ClickButton(window, QStringLiteral("NextBtn"));
}
inline void Previous(const QObject *window, int times = 1)
{
    for (int i = 0; i < times; ++i)
        ClickButton(window, QStringLiteral("PrevBtn"));
}

// On the properties page, includes these properties one after the other, in this order,
// as a user does: the entry clicked in the available list, then ">".
inline void ChooseProperties(const QObject *window, const QStringList &names)
{
    auto *available = Find<QListWidget>(window, QStringLiteral("PropertiesListBox1"));
    for (const QString &name : names) {
        if (available->findItems(name, Qt::MatchExactly).isEmpty())
            StopTest(QStringLiteral("no property %1 to include").arg(name), __FILE__, __LINE__);
        ClickEntry(available, name);
        ClickButton(window, QStringLiteral("IncludeBtn"));
    }
}

// From the class page to the results page by "Suivant", CN the one property chosen; the
// options page goes on to the results without an export.
inline void ToResultsPage(const QObject *window)
{
    Next(window);
    ChooseProperties(window, {QStringLiteral("CN")});
    Next(window, 3);
}

// Chooses item k of a drop-down from its list: F4 opens the list, the arrows go to the
// item and Return takes it.
inline void ChooseItem(QComboBox *box, int k)
{
    QTest::keyClick(box, Qt::Key_F4);
    QAbstractItemView *list = box->view();
    if (!list->isVisible())
        StopTest(QStringLiteral("the list of %1 does not open").arg(box->objectName()), __FILE__, __LINE__);
    const int steps = k - list->currentIndex().row();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
}

// Clicks a cell of the conditions grid (row 1 is the first property).
inline void ClickCell(TConditionGrid *grid, int column, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(column, row).center());
}

// Chooses operator k for a row of the conditions grid as a user does: a click on its
// Condition cell lays the drop-down there, which then gives the choice.
inline void ChooseOperator(const QObject *window, int row, int k)
{
    ClickCell(Find<TConditionGrid>(window, QStringLiteral("StringGrid1")), 1, row);
    ChooseItem(Find<QComboBox>(window, QStringLiteral("OperationsComboBox")), k);
}

// Opens a menu of the window's menu bar by its mnemonic (Alt and the letter), which
// brings its items' states up to date, and closes it again with Escape, the keyboard going
// back where it was.
inline void OpenAndCloseMenu(QWidget *window, Qt::Key letter, const QString &menuName)
{
    Activate(window);
    const auto *menu = Find<QMenu>(window, menuName);
    QTest::keyClick(window, letter, Qt::AltModifier);
    if (!menu->isVisible())
        StopTest(QStringLiteral("Alt+%1 does not open %2").arg(QKeySequence(letter).toString(), menuName), __FILE__,
                 __LINE__);
    const QWidget *before = QApplication::focusWidget();
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    // The menu bar keeps the keyboard until a second Escape gives it back.
    if (Focused() != before)
        Press(Qt::Key_Escape);
    if (Focused() != before)
        StopTest(QStringLiteral("Escape does not give the keyboard back to %1").arg(before->objectName()), __FILE__,
                 __LINE__);
}
