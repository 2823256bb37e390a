#pragma once

#include <QString>

// What the analyst recorded on one point: what happened and the corrective action taken, and the
// reason the point is kept out of the limits (empty while it feeds them). Who changed the record
// last and when (ISO 8601 with the offset) go with it into the report.
struct PointNote {
    QString Note;
    QString Action;
    QString ExcludeReason;
    QString Author;
    QString Time;

    bool Excluded() const { return !ExcludeReason.isEmpty(); }
    bool HasNote() const { return !Note.isEmpty() || !Action.isEmpty(); }
    // A record with nothing in it is not kept.
    bool Empty() const { return !HasNote() && !Excluded(); }
    friend bool operator==(const PointNote&, const PointNote&) = default;
};

// The longest note, action or reason text the analyst can give.
constexpr int PointNoteMaxChars = 2000;
