#include "widgets/macroname.h"

#include <QStringList>
#include <QTextBoundaryFinder>

QString cutToLocal8Bit(const QString& text, int maxBytes)
{
    if (text.toLocal8Bit().size() <= maxBytes)
        return text;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    int kept = 0;
    for (int next = boundaries.toNextBoundary(); next > 0; next = boundaries.toNextBoundary()) {
        if (text.left(next).toLocal8Bit().size() > maxBytes)
            break;
        kept = next;
    }
    return text.left(kept);
}

QString cleanMacroName(const QString& edited)
{
    QString name = edited;
    if (name.endsWith(QLatin1Char(' ')))
        name.remove(QLatin1Char(' '));
    return cutToLocal8Bit(name, kMacroNameBytes);
}

bool isBlockedNameKeyText(const QString& text)
{
    static const QStringList blocked = {
        QStringLiteral("-"), QStringLiteral("="), QStringLiteral("["), QStringLiteral("]"),
        QStringLiteral(";"), QStringLiteral("'"), QStringLiteral(","), QStringLiteral("."),
        QStringLiteral("/"), QStringLiteral("`"), QStringLiteral("\\"), QStringLiteral("*"),
        QStringLiteral("+"), QStringLiteral("【"), QStringLiteral("；"), QStringLiteral("’"),
        QStringLiteral("，"), QStringLiteral("。"),
    };
    return blocked.contains(text);
}

bool isBlockedNameCommitText(const QString& commit)
{
    static const QStringList blocked = {
        QStringLiteral("【"), QStringLiteral("】"), QStringLiteral("-"), QStringLiteral("="),
        QStringLiteral("、"), QStringLiteral("；"), QStringLiteral("’"), QStringLiteral("，"),
        QStringLiteral("。"), QStringLiteral("/"), QStringLiteral("*"), QStringLiteral("·"),
        QStringLiteral("‘"),
    };
    return blocked.contains(commit);
}
