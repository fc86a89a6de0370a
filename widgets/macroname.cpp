#include "widgets/macroname.h"

#include "core/flashdatamap.h"
#include "core/product.h"

#include <QDir>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <cstring>

namespace {

template<typename Encode>
QString cutToBytes(const QString& text, int maxBytes, Encode encode)
{
    if (encode(text).size() <= maxBytes)
        return text;
    // Every character takes a byte at least: a longer start never fits, and
    // the one character after it is all a boundary needs to be seen.
    const QString head = text.left(maxBytes + 1);
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, head);
    int kept = 0;
    for (int next = boundaries.toNextBoundary(); next > 0; next = boundaries.toNextBoundary()) {
        // Never after the first half of a surrogate pair (the head may end
        // inside one): the encoders write nothing for a first half at the end
        // of a text, so the half would seem to fit.
        if (head.at(next - 1).isHighSurrogate())
            continue;
        if (encode(head.left(next)).size() > maxBytes)
            break;
        kept = next;
    }
    return head.left(kept);
}

} // namespace

QString cutToLocal8Bit(const QString& text, int maxBytes)
{
    return cutToBytes(text, maxBytes, [](const QString& s) { return s.toLocal8Bit(); });
}

QString cutToUtf8(const QString& text, int maxBytes)
{
    return cutToBytes(text, maxBytes, [](const QString& s) { return s.toUtf8(); });
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

QString macroFolder()
{
    return userDir() + QStringLiteral("/usersetting/MacroPage");
}

QString macroFilePath(const QString& name)
{
    // Only what could lead out of the folder; an odd but harmless name that
    // is already listed keeps its file.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return QString();
    return macroFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QString macroNameOfFile(const QString& fileName)
{
    return QString(fileName).remove(QStringLiteral(".ini"));
}

QFileInfoList macroFolderFiles()
{
    return QDir(macroFolder()).entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
}

namespace {

bool hasControlCharacter(const QString& name)
{
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

bool isMacroFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QLatin1String("..")) && !name.startsWith(QLatin1Char('.'))
        && !name.contains(QLatin1String("xml")) && !name.contains(QLatin1String(".ini"))
        && !hasControlCharacter(name);
}

QString safeMacroName(const QString& name)
{
    QString safe;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            safe += QLatin1Char('_');
        else if (c.category() != QChar::Other_Control)
            safe += c;
    }
    // Removing one part can join the pieces of another ("xxmlml"): until none is left.
    for (QString before; before != safe;) {
        before = safe;
        safe.replace(QLatin1String(".."), QLatin1String("_"));
        safe.remove(QLatin1String("xml"));
        safe.remove(QLatin1String(".ini"));
        while (safe.startsWith(QLatin1Char('.')))
            safe.remove(0, 1);
        safe = cutToLocal8Bit(safe, kMacroNameBytes);
    }
    return safe.isEmpty() ? QStringLiteral("Macro") : safe;
}

QString macroBlockName(const MacroBlock& block)
{
    const void* end = std::memchr(block.name, 0, sizeof block.name);
    const int length = end ? int(static_cast<const uint8_t*>(end) - block.name) : int(sizeof block.name);
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(block.name), length);
}

void setMacroBlockName(MacroBlock& block, const QString& name)
{
    const QByteArray bytes = cutToLocal8Bit(QString(name).remove(QChar(0)), kMacroNameBytes).toLocal8Bit();
    std::memset(block.name, 0, sizeof block.name);
    std::memcpy(block.name, bytes.constData(), size_t(bytes.size()));
    block.nameLength = uint8_t(bytes.size());
}
