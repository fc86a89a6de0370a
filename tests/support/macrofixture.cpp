#include "support/macrofixture.h"

#include "support/buttonfixture.h"
#include "support/widgetprobe.h"

#include "macro/macrofile.h"

#include <QFile>
#include <QTest>

namespace testsupport {

QVector<MacroRow> eventRowsOf(const QString& description)
{
    QVector<MacroRow> rows;
    for (const QString& word : description.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        MacroRow row;
        row.text = word.mid(2);
        row.type = word.startsWith(QLatin1String("R:")) ? 1 : 0;
        rows.append(row);
    }
    return rows;
}

QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QString describeEvents(const QListWidget* list)
{
    QStringList words;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        const QString kind = isDelayText(item->text()) ? QStringLiteral("D:")
            : item->type() == 0                        ? QStringLiteral("P:")
                                                       : QStringLiteral("R:");
        words << kind + item->text();
    }
    return words.join(QLatin1Char(' '));
}

void MacroPageFixture::open(const QStringList& files)
{
    page.reset();
    writeMacroFiles(files);
    page = std::make_unique<Macro>();
    macros = child<QListWidget>(page.get(), "listWidgetHong");
    events = child<QListWidget>(page.get(), "listWidgetKey");
}

void MacroPageFixture::select(const QString& name)
{
    const QList<QListWidgetItem*> found = macros->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    macros->setCurrentItem(found.first());
    QMetaObject::invokeMethod(page.get(), "on_listWidgetHong_clicked", Q_ARG(QModelIndex, macros->currentIndex()));
}

} // namespace testsupport
