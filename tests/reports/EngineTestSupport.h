#pragma once

#include "reports/ReportEngine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A template around the given bands: A4, the usual margins, 9 pt Arial.
QByteArray TemplateXml(const QString& bands, const QString& pageAttributes = QString());

// Records every callback the engine makes, answering values from a fixed rule.
struct CallRecorder {
    QStringList calls; // "value:Name" and "before:Object", in order
    void attach(rpt::ReportEngine& engine);
};

// Every text line of the prepared report, page by page ("page 1: ..."), tokens substituted.
QStringList ReportLines(const rpt::PreparedReport& report);
