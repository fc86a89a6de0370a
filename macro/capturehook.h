#pragma once
// What the key-capture dialogs share: their own copy of the keyboard hook,
// bound to the dialog while it captures and never beyond its life, and the
// keys they keep from QDialog's own handling.
#include "macro/keyboardhook.h"

#include <QKeyEvent>

#include <functional>

template <int Copy>
class CaptureHook
{
public:
    using Hook = KeyboardHook<Copy>;

    CaptureHook() = default;
    CaptureHook(const CaptureHook&) = delete;
    CaptureHook& operator=(const CaptureHook&) = delete;
    // No callback may outlive the dialog it is bound to.
    ~CaptureHook()
    {
        Hook::uninstall();
        Hook::setCallback(nullptr);
    }

    // Installs the hook and binds the callback, replacing any bound before.
    void start(std::function<void(int vkCode, bool keyDown, bool repeat)> callback)
    {
        Hook::install();
        Hook::setCallback(std::move(callback));
    }
    // Capturing ends; the callback stays bound until the dialog goes.
    void stop() { Hook::uninstall(); }
};

// Escape and F12 never reach a capture dialog's QDialog handling: Escape
// would close it. The hook has already seen them, so they are captured.
inline bool isSwallowedCaptureKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12;
}
