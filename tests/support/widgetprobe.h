#pragma once
// Small helpers for tests that drive a widget as its user would.
#include <QSlider>
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

} // namespace testsupport
