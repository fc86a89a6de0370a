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

} // namespace

void closeWithDevicePage(QDialog* dialog)
{
    if (!pageDialogs().contains(dialog))
        pageDialogs().append(dialog);
}

bool execForDevicePage(QDialog* dialog)
{
    const unsigned leavesAtStart = pageLeaves;
    // One shown without exec() at other times stays watched afterwards.
    const bool watchedAlready = pageDialogs().contains(dialog);
    closeWithDevicePage(dialog);
    dialog->exec();
    if (!watchedAlready)
        pageDialogs().removeAll(dialog);
    return leavesAtStart == pageLeaves;
}

void leaveDevicePage()
{
    ++pageLeaves;
    pageDialogs().removeAll(QPointer<QDialog>());
    // A rejection may run code that opens or ends others: work on a copy.
    const QList<QPointer<QDialog>> dialogs = pageDialogs();
    for (const QPointer<QDialog>& dialog : dialogs) {
        if (!dialog)
            continue;
        // What the dialog opened on top of itself (a file dialog's own
        // message box) runs inside it and would outlive it: the newest goes
        // first, so each returns into the one below.
        QList<QPointer<QDialog>> opened;
        for (QDialog* box : dialog->findChildren<QDialog*>())
            opened.prepend(box);
        for (const QPointer<QDialog>& box : qAsConst(opened)) {
            if (box && box->isVisible())
                box->reject();
        }
        if (dialog && dialog->isVisible())
            dialog->reject();
    }
}
