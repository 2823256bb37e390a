#pragma once

#include "model/PointNote.h"

// A point's record as a test writes it, stamped by a fixed author and time.
inline PointNote TestNote(const QString& note, const QString& action, const QString& reason)
{
    PointNote result;
    result.Note = note;
    result.Action = action;
    result.ExcludeReason = reason;
    result.Author = QStringLiteral("лаборант");
    result.Time = QStringLiteral("2026-12-01T10:00:00+02:00");
    return result;
}
