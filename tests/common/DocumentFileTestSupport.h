#pragma once

#include "model/MeasurementDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// The lines joined with lineEnd after each, in the file's code page.
QByteArray FileBytes(const QStringList& lines, const char* lineEnd = "\r\n");

// The lines of a file in the file's code page, split as the reader splits them.
QStringList FileLines(const QByteArray& bytes);

// Saves without questions (the test fails when one is asked).
QByteArray SavedBytes(const MeasurementDocument& doc);

// SavedBytes of the document without its change log: what an undo restores (the log only grows).
QByteArray ContentBytes(const MeasurementDocument& doc);

// The invariants every load must leave, whether it succeeded or not.
void ExpectConsistent(const MeasurementDocument& doc);

// Everything the file holds, compared field by field (fixed values bit for bit).
void ExpectSameStoredContent(const MeasurementDocument& actual, const MeasurementDocument& expected);

// A temporary folder for one test.
QString TemporaryFolder();
