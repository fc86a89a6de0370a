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

// The keys of the usual PC keyboard by X11 key code (the kernel's key code
// + 8; for the main block that is the PC scan code + 8). Position, not
// layout, gives the code: the key right of Tab is VK 'Q' whether it types q
// or a. keypadNavigation is the code of a keypad key while Num Lock is off.
struct PhysicalKey
{
    quint8 keycode;
    quint8 vk;
    quint8 keypadNavigation;
};

constexpr PhysicalKey kPhysicalKeys[] = {
    {9, 0x1B, 0},    {10, 0x31, 0},   {11, 0x32, 0},   {12, 0x33, 0},   {13, 0x34, 0},   {14, 0x35, 0},
    {15, 0x36, 0},   {16, 0x37, 0},   {17, 0x38, 0},   {18, 0x39, 0},   {19, 0x30, 0},   {20, 0xBD, 0},
    {21, 0xBB, 0},   {22, 0x08, 0},   {23, 0x09, 0},   {24, 0x51, 0},   {25, 0x57, 0},   {26, 0x45, 0},
    {27, 0x52, 0},   {28, 0x54, 0},   {29, 0x59, 0},   {30, 0x55, 0},   {31, 0x49, 0},   {32, 0x4F, 0},
    {33, 0x50, 0},   {34, 0xDB, 0},   {35, 0xDD, 0},   {36, 0x0D, 0},   {37, 0xA2, 0},   {38, 0x41, 0},
    {39, 0x53, 0},   {40, 0x44, 0},   {41, 0x46, 0},   {42, 0x47, 0},   {43, 0x48, 0},   {44, 0x4A, 0},
    {45, 0x4B, 0},   {46, 0x4C, 0},   {47, 0xBA, 0},   {48, 0xDE, 0},   {49, 0xC0, 0},   {50, 0xA0, 0},
    {51, 0xDC, 0},   {52, 0x5A, 0},   {53, 0x58, 0},   {54, 0x43, 0},   {55, 0x56, 0},   {56, 0x42, 0},
    {57, 0x4E, 0},   {58, 0x4D, 0},   {59, 0xBC, 0},   {60, 0xBE, 0},   {61, 0xBF, 0},   {62, 0xA1, 0},
    {63, 0x6A, 0},   {64, 0xA4, 0},   {65, 0x20, 0},   {66, 0x14, 0},   {67, 0x70, 0},   {68, 0x71, 0},
    {69, 0x72, 0},   {70, 0x73, 0},   {71, 0x74, 0},   {72, 0x75, 0},   {73, 0x76, 0},   {74, 0x77, 0},
    {75, 0x78, 0},   {76, 0x79, 0},   {77, 0x90, 0},   {78, 0x91, 0},   {79, 0x67, 0x24}, {80, 0x68, 0x26},
    {81, 0x69, 0x21}, {82, 0x6D, 0},  {83, 0x64, 0x25}, {84, 0x65, 0x0C}, {85, 0x66, 0x27}, {86, 0x6B, 0},
    {87, 0x61, 0x23}, {88, 0x62, 0x28}, {89, 0x63, 0x22}, {90, 0x60, 0x2D}, {91, 0x6E, 0x2E},
    {94, 0xE2, 0}, // the extra key of ISO keyboards, VK_OEM_102
    {95, 0x7A, 0},   {96, 0x7B, 0},   {104, 0x0D, 0},  {105, 0xA3, 0},  {106, 0x6F, 0},  {107, 0x2C, 0},
    {108, 0xA5, 0}, // right Alt, AltGr on national layouts
    {110, 0x24, 0},  {111, 0x26, 0},  {112, 0x21, 0},  {113, 0x25, 0},  {114, 0x27, 0},  {115, 0x23, 0},
    {116, 0x28, 0},  {117, 0x22, 0},  {118, 0x2D, 0},  {119, 0x2E, 0},  {127, 0x13, 0},  {133, 0x5B, 0},
    {134, 0x5C, 0},  {135, 0x5D, 0},
};

int physicalKey(quint32 keycode, quint32 keysym)
{
    for (const PhysicalKey& key : kPhysicalKeys) {
        if (key.keycode != keycode)
            continue;
        // A keypad digit types its navigation keysym while Num Lock is off.
        if (key.keypadNavigation && keysym >= XK_KP_Home && keysym <= XK_KP_Delete)
            return key.keypadNavigation;
        return key.vk;
    }
    return 0;
}

} // namespace

int virtualKeyOf(quint32 nativeScanCode, int qtKey, quint32 nativeKeysym, bool keypad)
{
    if (nativeScanCode != 0)
        return physicalKey(nativeScanCode, nativeKeysym);
    // No physical key (an event made by a program): the Qt key stands in.
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

void HookState::handle(int vk, bool down, bool system, bool recorderSysKeys)
{
    repeat = vk == lastVkCode;
    if (!repeat)
        lastVkCode = vk;
    keyDown = down;
    // The recorder's copy keeps the last code over a system key's release.
    if (!down && !(system && recorderSysKeys)) {
        lastVkCode = 0;
        repeat = false;
    }
    if (callback)
        callback(vk, keyDown, repeat);
}

KeyFilter::KeyFilter(HookState* state, bool recorderSysKeys)
    : state(state)
    , recorderSysKeys(recorderSysKeys)
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
    const int vk = virtualKeyOf(key->nativeScanCode(), key->key(), key->nativeVirtualKey(),
                                key->modifiers() & Qt::KeypadModifier);
    if (vk == 0)
        return false;
    state->handle(vk, down, isSystemKey(vk, key->modifiers()), recorderSysKeys);
    return true;
}

} // namespace keyhook
