#pragma once
// Configuration export files: a QDataStream of three length-prefixed blocks,
// the 12-byte tag block ("Qelvo", then zeros), the 12-byte sensor-name block
// and the whole 10,428-byte record; 10,464 bytes in all.

#include "core/flashdatamap.h"

#include <QByteArray>
#include <QString>

constexpr char kConfigFileTag[] = "Qelvo";
constexpr int kConfigTextBlockSize = 12;

// Why an import is refused; the values are those of importFailReason.
enum ConfigFileResult {
    ConfigFileAccepted = 0,
    ConfigFileUnreadable = 1,   // cannot be opened, wrong tag, damaged or short, counts out of bounds
    ConfigFileMismatch = 2      // another sensor, or more DPI stages than the model has
};

// The text of a text block: its Latin-1 characters up to the first NUL.
QString configBlockText(const QByteArray& block);

// A text as a 12-byte block: cut to 12 bytes, zero-padded when shorter.
QByteArray configTextBlock(const QByteArray& text);

// Writes the file atomically; false when it cannot be written.
bool writeConfigFile(const QString& path, const QByteArray& sensorName, const FlashDataMap& record);

// Reads and checks a file against a model (its sensor name and the most DPI
// stages it allows). Only a record block of exactly one record whose key and
// macro counts fit their blocks is taken; on any refusal `out` is left
// untouched.
ConfigFileResult readConfigFile(const QString& path, const QString& sensorName, int maxDpiStages,
                                FlashDataMap* out);
