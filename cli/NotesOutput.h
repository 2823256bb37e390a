#pragma once

#include <QString>

class ChangeLog;
class MeasurementDocument;

// The command line's forms of the points' notes and of the change log, which users' scripts rely on.

// [{"point": N, "note": "...", "action": "...", "excluded": "reason" or null}, ...] for the points
// that carry any of them, in point order; one point a line, indented for info's object.
QString PointNotesJson(const MeasurementDocument& doc);

// [{"index": 1, "time": "...", "user": "...", "change": "...", "reason": "..." or null, "hash": "..."}, ...]
QString ChangeLogJson(const ChangeLog& log);

// One block an entry: "1. time  user", then the change and any reason indented under it.
QString ChangeLogText(const ChangeLog& log);
