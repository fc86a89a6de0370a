#pragma once
#include <QString>

// The product name: the per-user folder's name, the window title, the
// start of the single-instance key and the key word of the registry paths.
extern const char* const kProductName;

// The installation folder: the executable's folder, holding usersetting/,
// Language/, Picture/, bin/ and driver_sensor.h.
QString installDir();

// The per-user folder: the home folder + "/AppData/Local/" + the product name.
QString userDir();
