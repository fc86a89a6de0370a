#pragma once
// Fails the running test when a dialog runs exec() that no ModalAnswer
// answers: without it such a test hangs until ctest's time limit. The guard is
// part of every test executable and switches itself on with the application
// object. A dialog that a ModalAnswer took an answer for is that
// ModalAnswer's to close; any other dialog still in exec()
// kModalGuardDelayMs after it showed fails the test with its class and title,
// and is closed so that the test goes on. A modal window shown without
// exec() blocks no test, and is no business of the guard's.
#include <QVariant>
#include <QWidget>

namespace testsupport {

// Long enough for any wait the program closes by itself, however loaded the
// machine (its longest, the wait dialog's, runs 2.5 s by the clock), and far
// short of ctest's limit.
constexpr int kModalGuardDelayMs = 10000;

// Sets the delay of the guard for the dialogs shown from now on (the guard's
// own test shortens it).
void setModalGuardDelayMs(int delayMs);

// The property that marks a dialog as answered by a test until it hides:
// the guard leaves it alone.
constexpr char kModalAnsweredProperty[] = "_testsupport_modal_answered";

// ModalAnswer marks every dialog it takes an answer for.
inline void markModalAnswered(QWidget* window)
{
    window->setProperty(kModalAnsweredProperty, QVariant(true));
}

} // namespace testsupport
