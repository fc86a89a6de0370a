#include "widgets/pagedialogs.h"

#include <QDialog>
#include <QList>
#include <QPointer>

namespace {

// Counts the departures from the device page: a dialog that ends in another
// count than it started in has outlived its page.
unsigned pageLeaves = 0;

QList<QPointer<QDialog>>& pageDialogs()
{
    static QList<QPointer<QDialog>> dialogs;
    return dialogs;
}

void forget(QDialog* dialog)
{
    pageDialogs().removeAll(QPointer<QDialog>(dialog));
}

} // namespace

bool execForDevicePage(QDialog* dialog)
{
    const unsigned leavesAtStart = pageLeaves;
    const bool watchedAlready = pageDialogs().contains(QPointer<QDialog>(dialog));
    if (!watchedAlready)
        pageDialogs().append(dialog);
    dialog->exec();
    if (!watchedAlready)
        forget(dialog);
    return leavesAtStart == pageLeaves;
}

void closeWithDevicePage(QDialog* dialog)
{
    if (!pageDialogs().contains(QPointer<QDialog>(dialog)))
        pageDialogs().append(dialog);
}

void leaveDevicePage()
{
    ++pageLeaves;
    pageDialogs().removeAll(QPointer<QDialog>());
    // A rejection may run code that opens or ends others: work on a copy.
    const QList<QPointer<QDialog>> dialogs = pageDialogs();
    for (const QPointer<QDialog>& dialog : dialogs) {
        if (dialog && dialog->isVisible())
            dialog->reject();
    }
}
