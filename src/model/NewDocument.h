#pragma once

class MeasurementDocument;

// Points of the empty table a new document starts with.
constexpr int NewDocumentPointCount = 10;
// Subgroup size of a new document of subgroup values (ElementsComboBox starts with "5").
constexpr int NewDocumentSubgroupSize = 5;

// Replaces the document by a new, unnamed, unchanged one of the given kind: one group of
// NewDocumentPointCount empty points, the header fields as at program start (only the operator's
// box checked), no units, the chart choices as at program start.
void CreateNewDocument(MeasurementDocument& doc, bool individual);
