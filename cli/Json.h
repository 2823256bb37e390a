#pragma once

#include <QString>

// Small helpers for the command line's JSON output, whose form users' scripts rely on.
QString JsonString(const QString& text); // quoted and escaped
QString JsonNumber(double value); // reads back to the same double; a non-finite value is written as 0
QString JsonBool(bool value);
