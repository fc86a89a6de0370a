#include "core/product.h"

#include <QCoreApplication>
#include <QDir>

const char* const kProductName = "Quembrel";

QString installDir()
{
    return QCoreApplication::applicationDirPath();
}

QString userDir()
{
    return QDir::homePath() + QStringLiteral("/AppData/Local/") + QLatin1String(kProductName);
}
