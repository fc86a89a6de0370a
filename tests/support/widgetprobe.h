#pragma once
// Small helpers for tests that drive a widget as its user would.
#include <QCoreApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSlider>
#include <QStringList>
#include <QWidget>

namespace testsupport {

// The parent's child of that object name and type; a missing one ends the
// test run, as every caller needs it.
template <typename T>
T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// A user's drag of a slider with tracking off: the position follows the
// handle, the value (and what hangs on it) changes on release.
inline void dragSlider(QSlider* slider, int position)
{
    slider->setSliderDown(true);
    slider->setSliderPosition(position);
    slider->setSliderDown(false);
}

// One mouse event at `at` in widget coordinates, delivered at once.
inline void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A user's drag inside a widget: press at `press`, move to `release` with the
// button held, let go there.
inline void dragMouse(QWidget* widget, const QPoint& press, const QPoint& release)
{
    sendMouse(widget, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseMove, release, Qt::NoButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, release, Qt::LeftButton, Qt::NoButton);
}

// Every url(...) of the style sheets under root, root's own included.
inline QStringList pictureUrls(QWidget* root)
{
    QStringList urls;
    static const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets << root;
    for (QWidget* widget : widgets) {
        auto it = url.globalMatch(widget->styleSheet());
        while (it.hasNext())
            urls << it.next().captured(1);
    }
    return urls;
}

} // namespace testsupport
