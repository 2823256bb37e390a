#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Writes bytes to a file; false when it cannot.
bool WriteBytes(const QString& path, const QByteArray& bytes);

// A zip archive of the given entries (name, content), as an office suite stores a workbook.
bool WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries);
