#pragma once

#include <QString>

class MeasurementDocument;

// Reads a document file of either layout into doc. On failure shows the load error through the
// document's messenger, keeps what was read before it, and returns false.
bool LoadDocument(MeasurementDocument& doc, const QString& fileName);

// Writes the current layout. On failure says why through the messenger, keeps Changed and the file
// name, leaves any existing file untouched, and returns false.
bool SaveDocument(MeasurementDocument& doc, const QString& fileName);
