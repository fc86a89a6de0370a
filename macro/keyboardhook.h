#pragma once
// Key press and release reports to one callback while a window of ours is
// active. An application-wide event filter that never consumes an event; Qt
// key events become Windows virtual-key codes.
//
// Each consumer has its own copy: KeyboardHook<1> the macro recorder,
// KeyboardHook<2> the single-key capture, KeyboardHook<3> the key-combination
// capture. Copies share the code and keep separate state.
#include <QObject>
#include <QtGlobal>

#include <functional>

class QKeyEvent;

// The virtual-key code of a key. A physical key (nativeScanCode, the X11 key
// code, not 0) gets the code of its place on the usual PC keyboard whatever
// the layout, and 0 when it has none there; nativeKeysym (the X11 keysym)
// tells only whether a keypad key is a digit or, Num Lock off, a navigation
// key. An event without a key code (made by a program) is mapped from its Qt
// key: the keysym tells left from right modifiers and the keypad keys, and
// keypad is Qt's keypad modifier.
int virtualKeyOf(quint32 nativeScanCode, int qtKey, quint32 nativeKeysym, bool keypad);

// A system key: Windows reports it as a "sys" key message. Alt itself, F10,
// and any key while Alt is held without Ctrl.
bool isSystemKey(int vk, Qt::KeyboardModifiers modifiers);

namespace keyhook {

// The state and the message handling one copy keeps.
struct HookState
{
    int lastVkCode = 0;
    bool keyDown = false;
    bool repeat = false;
    std::function<void(int vkCode, bool keyDown, bool repeat)> callback;

    // One key message. A system key is a key like any other, except in the
    // macro recorder's copy (recorderSysKeys), where its release keeps
    // lastVkCode and repeat.
    void handle(int vk, bool down, bool system, bool recorderSysKeys);
};

// The filter installed on the application while a copy's hook is on.
class KeyFilter : public QObject
{
public:
    KeyFilter(HookState* state, bool recorderSysKeys);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // What the filter does with one key event; false when it reports nothing.
    bool report(QObject* watched, const QKeyEvent* key);

private:
    HookState* state;
    bool recorderSysKeys;
};

} // namespace keyhook

template <int Copy>
class KeyboardHook
{
    static_assert(Copy >= 1 && Copy <= 3, "three copies");

public:
    KeyboardHook() = default;

    static void install()
    {
        if (!hook)
            hook = new keyhook::KeyFilter(&state, Copy == 1);
    }
    static void uninstall()
    {
        delete hook;
        hook = nullptr;
    }
    static bool installed() { return hook != nullptr; }
    static keyhook::HookState& data() { return state; }
    static void setCallback(std::function<void(int, bool, bool)> callback) { state.callback = std::move(callback); }

private:
    static inline keyhook::KeyFilter* hook = nullptr;
    static inline keyhook::HookState state;
};
