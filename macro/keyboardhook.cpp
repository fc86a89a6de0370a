#include "keyboardhook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// X11 keysyms that Qt's key codes do not tell apart.
enum : quint32 {
    XK_KP_Home = 0xff95, XK_KP_Left = 0xff96, XK_KP_Up = 0xff97, XK_KP_Right = 0xff98, XK_KP_Down = 0xff99,
    XK_KP_Prior = 0xff9a, XK_KP_Next = 0xff9b, XK_KP_End = 0xff9c, XK_KP_Begin = 0xff9d, XK_KP_Insert = 0xff9e,
    XK_KP_Delete = 0xff9f, XK_KP_Enter = 0xff8d, XK_KP_Multiply = 0xffaa, XK_KP_Add = 0xffab,
    XK_KP_Separator = 0xffac, XK_KP_Subtract = 0xffad, XK_KP_Decimal = 0xffae, XK_KP_Divide = 0xffaf,
    XK_KP_0 = 0xffb0, XK_KP_9 = 0xffb9,
    XK_Shift_L = 0xffe1, XK_Shift_R = 0xffe2, XK_Control_L = 0xffe3, XK_Control_R = 0xffe4,
    XK_Meta_L = 0xffe7, XK_Meta_R = 0xffe8, XK_Alt_L = 0xffe9, XK_Alt_R = 0xffea,
    XK_Super_L = 0xffeb, XK_Super_R = 0xffec, XK_ISO_Level3_Shift = 0xfe03,
};

int keypadKeysym(quint32 keysym)
{
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return 0x60 + int(keysym - XK_KP_0);
    switch (keysym) {
    // Without NumLock the keypad digits are the cursor block's keys, and
    // the middle one is VK_CLEAR.
    case XK_KP_Insert: return 0x2D;
    case XK_KP_End: return 0x23;
    case XK_KP_Down: return 0x28;
    case XK_KP_Next: return 0x22;
    case XK_KP_Left: return 0x25;
    case XK_KP_Begin: return 0x0C;
    case XK_KP_Right: return 0x27;
    case XK_KP_Home: return 0x24;
    case XK_KP_Up: return 0x26;
    case XK_KP_Prior: return 0x21;
    case XK_KP_Delete: return 0x2E;
    case XK_KP_Enter: return 0x0D;
    case XK_KP_Multiply: return 0x6A;
    case XK_KP_Add: return 0x6B;
    case XK_KP_Separator: return 0x6C;
    case XK_KP_Subtract: return 0x6D;
    case XK_KP_Decimal: return 0x6E;
    case XK_KP_Divide: return 0x6F;
    default: return 0;
    }
}

int sidedKeysym(quint32 keysym)
{
    switch (keysym) {
    case XK_Shift_L: return 0xA0;
    case XK_Shift_R: return 0xA1;
    case XK_Control_L: return 0xA2;
    case XK_Control_R: return 0xA3;
    case XK_Alt_L: case XK_Meta_L: return 0xA4;
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: return 0xA5;
    case XK_Super_L: return 0x5B;
    case XK_Super_R: return 0x5C;
    default: return 0;
    }
}

int keypadQtKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 0x60 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: case Qt::Key_Comma: case Qt::Key_Delete: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    case Qt::Key_Clear: return 0x0C;
    default: return 0;
    }
}

} // namespace

int virtualKeyOf(int qtKey, quint32 nativeKeysym, bool keypad)
{
    if (const int vk = sidedKeysym(nativeKeysym))
        return vk;
    if (const int vk = keypadKeysym(nativeKeysym))
        return vk;
    if (keypad)
        if (const int vk = keypadQtKey(qtKey))
            return vk;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 0x41 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 0x30 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    // Without a keysym the side is unknown; the left key stands in.
    case Qt::Key_Shift: return 0xA0;
    case Qt::Key_Control: return 0xA2;
    case Qt::Key_Alt: return 0xA4;
    case Qt::Key_AltGr: return 0xA5;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 0x5B;
    case Qt::Key_Super_R: return 0x5C;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: case Qt::Key_SysReq: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    // The shifted symbols of the digit row are their digit keys.
    case Qt::Key_ParenRight: return 0x30;
    case Qt::Key_Exclam: return 0x31;
    case Qt::Key_At: return 0x32;
    case Qt::Key_NumberSign: return 0x33;
    case Qt::Key_Dollar: return 0x34;
    case Qt::Key_Percent: return 0x35;
    case Qt::Key_AsciiCircum: return 0x36;
    case Qt::Key_Ampersand: return 0x37;
    case Qt::Key_Asterisk: return 0x38;
    case Qt::Key_ParenLeft: return 0x39;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal: case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period: case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0xDE;
    default: return 0;
    }
}

bool isSystemKey(int vk, Qt::KeyboardModifiers modifiers)
{
    if (vk == 0xA4 || vk == 0xA5 || vk == 0x12 || vk == 0x79)
        return true;
    return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
}

namespace keyhook {

void HookState::handle(int vk, bool down, bool system, bool sysKeysChangeDown)
{
    repeat = vk == lastVkCode;
    if (!repeat)
        lastVkCode = vk;
    if (!system) {
        keyDown = down;
        if (!down) {
            lastVkCode = 0;
            repeat = false;
        }
    } else if (sysKeysChangeDown) {
        keyDown = down;
    }
    if (callback)
        callback(vk, keyDown, repeat);
}

KeyFilter::KeyFilter(HookState* state, bool sysKeysChangeDown)
    : state(state)
    , sysKeysChangeDown(sysKeysChangeDown)
{
    if (qApp)
        qApp->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        report(watched, static_cast<QKeyEvent*>(event));
    return false; // never consumed
}

bool KeyFilter::report(QObject* watched, const QKeyEvent* key)
{
    // Only while a window of ours is active, and once per key event: the
    // application filter sees it again on each parent it propagates to.
    if (!QApplication::activeWindow() || !watched->isWidgetType())
        return false;
    QWidget* const focus = QApplication::focusWidget();
    if (focus ? watched != focus : watched != QApplication::activeWindow())
        return false;
    const bool down = key->type() == QEvent::KeyPress;
    // X11 auto-repeat is a release and press pair: the release is dropped
    // and the press becomes the system's repeated key-down.
    if (!down && key->isAutoRepeat())
        return false;
    const int vk = virtualKeyOf(key->key(), key->nativeVirtualKey(), key->modifiers() & Qt::KeypadModifier);
    if (vk == 0)
        return false;
    state->handle(vk, down, isSystemKey(vk, key->modifiers()), sysKeysChangeDown);
    return true;
}

} // namespace keyhook
