#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Writes bytes to a file; false when it cannot.
bool WriteBytes(const QString& path, const QByteArray& bytes);

// A zip archive of the given entries (name, content), as an office suite stores a workbook.
bool WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries);

// A part of a zip archive that inflates far beyond its size: head, then pattern repeated count
// times, then tail. Deflated by hand (back-references of 258 bytes), so a part of gigabytes
// costs a few megabytes and a fraction of a second to make.
struct RepeatedPart {
    QString Name;
    QByteArray Head;
    QByteArray Pattern; // at most 32 KB
    qint64 Count = 0;
    QByteArray Tail;
};
bool WriteZipWithRepeatedPart(
    const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries, const RepeatedPart& part);
