#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class MeasurementDocument;

// Reads a document file of either layout into doc. On failure shows the load error through the
// document's messenger, keeps what was read before it, and returns false. Either way the document
// then takes the file's name and counts as unchanged.
bool LoadDocument(MeasurementDocument& doc, const QString& fileName);

// The same from the file's bytes; fileName is only the name the document takes.
bool LoadDocumentFromBytes(MeasurementDocument& doc, const QByteArray& bytes, const QString& fileName);

// The plain reader the two above must agree with: the whole text decoded at once, then split
// into lines. They decode and split a block at a time instead, and count the lines on the bytes.
bool LoadDocumentFromBytesPlain(MeasurementDocument& doc, const QByteArray& bytes, const QString& fileName);

// Writes the current layout. On failure says why through the messenger, keeps Changed and the file
// name, leaves any existing file untouched, and returns false.
bool SaveDocument(MeasurementDocument& doc, const QString& fileName);

// The bytes SaveDocument writes. Texts the file cannot hold unchanged are named in a question
// first; nothing when the analyst declines. Does not touch the file name or Changed.
std::optional<QByteArray> SaveDocumentToBytes(const MeasurementDocument& doc);

// The same without the question, as if the analyst had agreed to it.
QByteArray DocumentFileBytes(const MeasurementDocument& doc);

// "Помилка! Неможливо завершити завантаження!"
const QString& LoadErrorText();
