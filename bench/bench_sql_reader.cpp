#include "query/TSqlReader.h"

#include <QElapsedTimer>

#include <cstdio>

// Reading SQL texts of many conditions and many columns: bench_sql_reader [N]
// (40000 by default): N AND conditions on N/2 names, then N SELECT columns.

namespace {

void Time(const char *what, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    TSqlReader reader(text);
    const bool read = reader.Read();
    std::printf("%s (%lld characters): %s, %d rows in %lld ms\n", what, static_cast<long long>(text.size()),
                read ? "read" : qPrintable(reader.Status().message), reader.Rows().Count(),
                static_cast<long long>(timer.elapsed()));
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 40000;
    QString conditions = QStringLiteral("SELECT CN FROM User WHERE CN = 'x'");
    for (int i = 0; i < count; ++i)
        conditions += QStringLiteral(" AND P%1 = 'v'").arg(i / 2);
    Time("conditions", conditions);

    QString columns = QStringLiteral("SELECT C0");
    for (int i = 1; i < count; ++i)
        columns += QStringLiteral(", C%1").arg(i);
    columns += QStringLiteral(" FROM User");
    Time("columns", columns);
    return 0;
}
