// Result lines written as workbooks and read back cell by cell with an independent
// reader: every cell a text cell holding exactly the field's text.

#include "WorkbookReader.h"
#include "workbook/TWorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Types(const QJsonObject &sheet)
{
    QStringList types;
    for (const QJsonValue row : sheet.value("rows").toArray()) {
        for (const QJsonValue cell : row.toArray())
            types << (cell.toArray().at(0).isNull() ? QStringLiteral("empty") : cell.toArray().at(0).toString());
    }
    types.removeDuplicates();
    types.sort();
    return types;
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void trickyValuesComeBackAsTheSameTexts()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("out.xlsx");
        const QString longValue = QString(2000, QLatin1Char('x')) + QStringLiteral("é");
        const QStringList lines = {"SELECT CN,[Telephone Number],Title",
                                   "FROM User",
                                   "\"CN\";\"Telephone Number\";\"Title\"",
                                   "\"007\";\"0123456789\";\"01/02/2024\"",
                                   "\"1e5\";\"=1+1\";\"=HYPERLINK(\"\"http://x\"\")\"",
                                   "\"Élise Müller\";\"a \"\"quoted\"\" b\";\"\"",
                                   "\"multi\";\"01 02 03,04 05 06\";\"-2\"",
                                   "\"cr\";\"line one",
                                   "line two\";\"end\"",
                                   "\"tab\ttab\";\"_x0041_\";\"" + longValue + "\"",
                                   "erreur en lecture de bob.Sales.Acme"};
        QCOMPARE(WriteWorkbook(path, lines, {";", "\"", 2, true}), QString());

        const QJsonArray sheets = ReadWorkbook(path);
        QCOMPARE(sheets.size(), 1);
        const QJsonObject sheet = sheets.at(0).toObject();
        QCOMPARE(sheet.value("name").toString(), QStringLiteral("Résultats"));
        QCOMPARE(SheetTexts(sheet), (QList<QStringList>{{"SELECT CN,[Telephone Number],Title"},
                                                        {"FROM User"},
                                                        {"CN", "Telephone Number", "Title"},
                                                        {"007", "0123456789", "01/02/2024"},
                                                        {"1e5", "=1+1", "=HYPERLINK(\"http://x\")"},
                                                        {"Élise Müller", "a \"quoted\" b"},
                                                        {"multi", "01 02 03,04 05 06", "-2"},
                                                        {"cr", "line one\r\nline two", "end"},
                                                        {"tab\ttab", "_x0041_", longValue},
                                                        {"erreur en lecture de bob.Sales.Acme"}}));
        QCOMPARE(Types(sheet), (QStringList{"empty", "s"}));
        // The header row: bold, frozen under it, with a filter over the data.
        const QJsonArray header = sheet.value("rows").toArray().at(2).toArray();
        QVERIFY(header.at(0).toArray().at(2).toBool() && header.at(2).toArray().at(2).toBool());
        QVERIFY(!sheet.value("rows").toArray().at(3).toArray().at(0).toArray().at(2).toBool());
        QCOMPARE(sheet.value("freeze").toString(), QStringLiteral("A4"));
        QCOMPARE(sheet.value("filter").toString(), QStringLiteral("A3:C10"));
        // Widths follow the texts, within bounds.
        const QJsonObject widths = sheet.value("widths").toObject();
        QCOMPARE(int(widths.value("B").toDouble()), 20); // "line one\r\nline two" and 2
        QCOMPARE(int(widths.value("C").toDouble()), 60);
        QCOMPARE(int(widths.value("A").toDouble()), 37); // the read error's line, not the SQL text
    }

    void withoutDelimiterLinesAreSplitAtTheSeparator()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("plain.xlsx");
        QCOMPARE(WriteWorkbook(path, {"CN\tTitle", "\"a\"\t=b", "c\t", "\td"}, {"\t", "", 0, false}), QString());
        const QJsonObject sheet = ReadWorkbook(path).at(0).toObject();
        QCOMPARE(SheetTexts(sheet), (QList<QStringList>{{"CN", "Title"}, {"\"a\"", "=b"}, {"c"}, {"", "d"}}));
        QCOMPARE(sheet.value("freeze").toString(), QString());
        QCOMPARE(Types(sheet), (QStringList{"empty", "s"}));
    }

    void aFullSheetGoesOnInTheNextWithTheHeader()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("rows.xlsx");
        QStringList lines = {"SELECT CN", "CN"};
        for (int i = 1; i <= 9; ++i)
            lines << QString::number(i);
        QCOMPARE(WriteWorkbook(path, lines, {"\t", "", 1, true}, 5), QString());
        const QJsonArray sheets = ReadWorkbook(path);
        QCOMPARE(sheets.size(), 3);
        QCOMPARE(SheetTexts(sheets.at(0).toObject()), (QList<QStringList>{{"SELECT CN"}, {"CN"}, {"1"}, {"2"}, {"3"}}));
        QCOMPARE(SheetTexts(sheets.at(1).toObject()), (QList<QStringList>{{"CN"}, {"4"}, {"5"}, {"6"}, {"7"}}));
        QCOMPARE(SheetTexts(sheets.at(2).toObject()), (QList<QStringList>{{"CN"}, {"8"}, {"9"}}));
        QCOMPARE(sheets.at(1).toObject().value("name").toString(), QStringLiteral("Résultats (2)"));
        QCOMPARE(sheets.at(2).toObject().value("freeze").toString(), QStringLiteral("A2"));
        QCOMPARE(sheets.at(2).toObject().value("filter").toString(), QStringLiteral("A1:A3"));
    }

    void aFieldTooLongForACellRefusesTheWholeSave()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("long.xlsx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const QString tooLong(TWorkbookWriter::kCellCharacters + 1, QLatin1Char('y'));
        const QString fits(TWorkbookWriter::kCellCharacters, QLatin1Char('y'));
        QCOMPARE(WriteWorkbook(path, {"CN;Note", "a;" + fits, "b;" + tooLong}, {";", "", 0, true}),
                 QStringLiteral("Le champ de la ligne 3, colonne 2 a 32768 caractères, plus que les 32 767 d'une "
                                "cellule de classeur; enregistrez les résultats en texte."));
        QCOMPARE(old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray(), QByteArray("old"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"long.xlsx"});
    }

    void aWorkbookThatCannotBeWrittenSaysWhere()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("missing/out.xlsx");
        QVERIFY(WriteWorkbook(path, {"a"}, {}).startsWith(QStringLiteral("Ne peut écrire dans %1: ").arg(path)));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "test_workbook.moc"
