#pragma once

#include <QString>
#include <QStringList>

// The items offered for the three layout choices of a query, and what each choice
// means on an output line. A choice is an item index, or -1 for none; a text that is
// not one of the items chooses none.
namespace QueryLayout {

// "Tab", ",", ";", ".".
const QStringList &SeparatorItems();
// "Space", ",", ";", ".", "Tab" and the empty text.
const QStringList &ValSeparatorItems();
// The double quote and the apostrophe.
const QStringList &DelimiterItems();

// The index of the first item equal to text without regard to case, or -1.
int ItemIndex(const QStringList &items, const QString &text);
// The item equal to text without regard to case, in the items' spelling; text itself
// when none is.
QString ItemText(const QStringList &items, const QString &text);

// Between the properties of a line: a tab for no choice or "Tab", else the item.
QString SeparatorChars(int chosenItem);
// Between the values of one property: a blank for no choice or "Space", a tab for
// "Tab", else the item (nothing at all for the empty sixth item).
QString ValSeparatorChars(int chosenItem);
// Around each value: the item when values are enclosed and an item is chosen, else
// nothing.
QString DelimiterChars(bool usedelimiter, int chosenItem);

// The same for a stored text, which chooses the item it equals (case ignored) or none.
QString SeparatorChars(const QString &text);
QString ValSeparatorChars(const QString &text);
QString DelimiterChars(bool usedelimiter, const QString &text);

} // namespace QueryLayout
