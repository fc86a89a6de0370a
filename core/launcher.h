#pragma once
// What the program starts outside itself: the desktop's mouse settings and
// web addresses. Everything goes through one seam, so tests can watch the
// requests and start nothing.
#include <QString>

#include <functional>

enum class LaunchKind {
    MouseSettings, // the desktop's mouse settings; the text is not used
    Url            // a web address, read tolerantly
};

void launchExternal(LaunchKind kind, const QString& text = QString());

using LaunchHandler = std::function<void(LaunchKind kind, const QString& text)>;
// Tests: every request goes to `handler` instead; an empty handler brings the
// real launching back.
void setLaunchHandlerForTests(LaunchHandler handler);
