#pragma once

#include "reports/PreparedReport.h"
#include "reports/ReportError.h"
#include "reports/ReportObjects.h"
#include "reports/ReportTemplate.h"
#include "reports/UserDataSet.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace rpt {

// The report engine as the program drives it: load a template, address its objects by name, set
// the data sets' row counts, answer the callbacks while a section is prepared, and collect the
// pages of every section into one prepared report.
//
// Preparing fills each band instance exactly once, walking its objects in document order: the
// before-print callback for the object (a cross-tab's cells are cleared just before it), then one
// value callback per [Name] placeholder of a memo, left to right; a memo's font colour is read
// after its text is expanded, and a picture's image is taken when the walk reaches it. Nothing is
// laid out twice: "page n of m" is resolved when the pages are drawn.
class ReportEngine {
public:
    // The value of a variable, or nullopt to leave it to the engine (its own variables, then "").
    using ValueCallback = std::function<std::optional<QString>(const QString& name)>;
    using BeforePrintCallback = std::function<void(ReportObject& object)>;

    ReportEngine();
    ~ReportEngine();
    ReportEngine(const ReportEngine&) = delete;
    ReportEngine& operator=(const ReportEngine&) = delete;

    // Replaces the current template; pointers to the old one's objects die. Throws ReportError
    // (file, line and column) when the file is missing or malformed; the old template then stays.
    void loadTemplate(const QString& fileName);
    void loadTemplateXml(const QByteArray& xml, const QString& fileName); // fileName for messages only
    bool hasTemplate() const { return m_template != nullptr; }
    const ReportTemplate* reportTemplate() const { return m_template.get(); }

    // Named objects of the loaded template, compared without regard to case; null when absent or
    // of another kind.
    ReportObject* findObject(const QString& name) const;
    MemoObject* memo(const QString& name) const;
    Band* band(const QString& name) const;
    PictureObject* picture(const QString& name) const;
    CrossTabObject* crossTab(const QString& name) const;
    // The same, throwing ReportError that names the object and the template when absent.
    ReportObject& object(const QString& name) const;

    // "frxUserDataSet1", "frxUserDataSet2", "frxUserDataSet3" (without regard to case); they
    // survive loadTemplate. Null for other names.
    UserDataSet* dataSet(const QString& name);

    void setValueCallback(ValueCallback callback) { m_valueCallback = std::move(callback); }
    void setBeforePrintCallback(BeforePrintCallback callback) { m_beforePrint = std::move(callback); }

    // Variables the engine answers itself when the value callback leaves a name (any case).
    void setVariable(const QString& name, const QString& value);
    void setDate(const QDate& date) { m_date = date; } // [Date]; today when not set

    // Lays the loaded template out and appends its pages; clear discards the pages prepared so
    // far first. Exceptions of the callbacks propagate; the pages of this call are then dropped.
    void prepare(bool clear);
    const PreparedReport& prepared() const { return m_prepared; }
    void clearPrepared() { m_prepared.clear(); }

private:
    std::unique_ptr<ReportTemplate> m_template;
    std::array<UserDataSet, 3> m_dataSets;
    ValueCallback m_valueCallback;
    BeforePrintCallback m_beforePrint;
    QHash<QString, QString> m_variables; // folded name -> value
    QDate m_date;
    PreparedReport m_prepared;
};

} // namespace rpt
