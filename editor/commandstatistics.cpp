#include "editor/commandstatistics.h"

#include <QHash>
#include <QSettings>
#include <QStringList>

namespace {
QHash<QString, int> &table()
{
    static QHash<QString, int> counts;
    return counts;
}

// Every file load saves the table; writing it again unchanged would cost a
// synced store write per file when many files are opened at once.
bool &savedSinceLastChange()
{
    static bool saved = false;
    return saved;
}
} // namespace

void recordCommand(const QString &name)
{
    if (name.isEmpty())
        return;
    ++table()[name];
    savedSinceLastChange() = false;
}

void saveCommandStatistics()
{
    if (savedSinceLastChange())
        return;
    savedSinceLastChange() = true;
    QStringList list;
    list.reserve(table().size());
    for (auto it = table().cbegin(); it != table().cend(); ++it)
        list.append(QStringLiteral("%1:%2").arg(it.key()).arg(uint(it.value())));
    QSettings().setValue(QStringLiteral("cmdStatistics"), list);
}

int commandCount(const QString &name)
{
    return table().value(name);
}

void clearCommandStatistics()
{
    table().clear();
    savedSinceLastChange() = false;
}
