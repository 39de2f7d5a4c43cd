#include "query/QueryLayout.h"

namespace QueryLayout {

const QStringList &SeparatorItems()
{
    static const QStringList items = {QStringLiteral("Tab"), QStringLiteral(","), QStringLiteral(";"),
                                      QStringLiteral(".")};
    return items;
}

const QStringList &ValSeparatorItems()
{
    static const QStringList items = {QStringLiteral("Space"), QStringLiteral(","),   QStringLiteral(";"),
                                      QStringLiteral("."),     QStringLiteral("Tab"), QString()};
    return items;
}

const QStringList &DelimiterItems()
{
    static const QStringList items = {QStringLiteral("\""), QStringLiteral("'")};
    return items;
}

int ItemIndex(const QStringList &items, const QString &text)
{
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ItemText(const QStringList &items, const QString &text)
{
    const int index = ItemIndex(items, text);
    return index < 0 ? text : items.at(index);
}

QString SeparatorChars(int chosenItem)
{
    if (chosenItem <= 0 || chosenItem >= SeparatorItems().size())
        return QStringLiteral("\t");
    return SeparatorItems().at(chosenItem);
}

QString ValSeparatorChars(int chosenItem)
{
    if (chosenItem <= 0 || chosenItem >= ValSeparatorItems().size())
        return QStringLiteral(" ");
    if (chosenItem == 4)
        return QStringLiteral("\t");
    return ValSeparatorItems().at(chosenItem);
}

QString DelimiterChars(bool usedelimiter, int chosenItem)
{
    if (!usedelimiter || chosenItem < 0 || chosenItem >= DelimiterItems().size())
        return {};
    return DelimiterItems().at(chosenItem);
}

QString SeparatorChars(const QString &text)
{
    return SeparatorChars(ItemIndex(SeparatorItems(), text));
}

QString ValSeparatorChars(const QString &text)
{
    return ValSeparatorChars(ItemIndex(ValSeparatorItems(), text));
}

QString DelimiterChars(bool usedelimiter, const QString &text)
{
    return DelimiterChars(usedelimiter, ItemIndex(DelimiterItems(), text));
}

} // namespace QueryLayout
