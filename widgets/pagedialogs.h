#pragma once
// The dialogs of a device page belong to the device that is open. Leaving the
// device page (the back arrow, the device's departure, anything that goes
// home) closes them as cancelled, so that none answers later for a device,
// a macro or a list that is gone.
class QDialog;

// Runs the dialog modally for the open device's page. False when the device
// page was left while it ran (the dialog was closed as cancelled, or, where
// it refuses to close, ended after the page had gone): the caller then acts
// on nothing the page held.
bool execForDevicePage(QDialog* dialog);

// A dialog of the page that is shown without exec() (a colour picker, a
// member dialog) is closed as cancelled too when the device page is left.
void closeWithDevicePage(QDialog* dialog);

// Every way home ends here: each dialog above is rejected, with every dialog
// it opened on top of itself (a file dialog's message box), and each
// execForDevicePage() still running will answer false.
void leaveDevicePage();
