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
    // The boundaries of the whole text: in a head cut short the finder cannot
    // see what belongs to its last letter (a variation selector is a
    // surrogate pair) and would cut the letter from it.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    int kept = 0;
    // Every character takes a byte at least, but for a half of a surrogate
    // pair at the end: a start longer than maxBytes + 1 never fits.
    for (int next = boundaries.toNextBoundary(); next > 0 && next <= maxBytes + 1;
         next = boundaries.toNextBoundary()) {
        // Never after the first half of a surrogate pair (the finder puts a
        // boundary inside a pair after some letters): the encoders write
        // nothing for a first half at the end of a text, so the half would
        // seem to fit.
        if (text.at(next - 1).isHighSurrogate())
            continue;
        if (encode(text.left(next)).size() > maxBytes)
            break;
        kept = next;
    }
    return text.left(kept);
}

// The name without what its local 8-bit bytes would not give back: a lone half
// of a surrogate pair (written as '?' or not at all) and a byte order mark at
// the start (the decoder drops it; the next one is then at the start).
QString readableName(const QString& name)
{
    QString kept;
    kept.reserve(name.size());
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += name.at(++i);
        } else if (!c.isSurrogate() && !(c == QChar::ByteOrderMark && kept.isEmpty())) {
            kept += c;
        }
    }
    return kept;
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

QString fitMacroName(const QString& name)
{
    return cutToLocal8Bit(readableName(name), kMacroNameBytes);
}

QString cleanMacroName(const QString& edited)
{
    QString name = edited;
    if (name.endsWith(QLatin1Char(' ')))
        name.remove(QLatin1Char(' '));
    return fitMacroName(name);
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
        && !hasControlCharacter(name) && readableName(name) == name;
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
        safe = fitMacroName(safe);
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
    const QByteArray bytes = fitMacroName(QString(name).remove(QChar(0))).toLocal8Bit();
    std::memset(block.name, 0, sizeof block.name);
    std::memcpy(block.name, bytes.constData(), size_t(bytes.size()));
    block.nameLength = uint8_t(bytes.size());
}
