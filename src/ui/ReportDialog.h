#pragma once

#include "reports/ReportAssembler.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class Hints;
class MeasurementDocument;
class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
namespace rpt {
class ReportEngine;
}

// The report options window "Опції звіту": which sections the report has and the range of points
// of each. "Підготувати звіт" checks the choices, assembles the report and shows its preview;
// the window stays open until "Повернутися".
class TfmReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfmReportDialog(QWidget* parent = nullptr);
    ~TfmReportDialog() override;

    // The document the next showing reports on, and the folder that holds the templates.
    void SetDocument(MeasurementDocument* doc) { m_doc = doc; }
    void SetTemplateFolder(const QString& folder) { m_templateFolder = folder; }
    void SetLaboratoryNames(const LaboratoryNames& names) { m_lab = names; }

    // The print command's first step: each chart box's caption from its chart page's caption,
    // with a blank before and after; index by chart slot, empty for a page the mode lacks.
    void SetChartCaptions(const std::array<QString, ChartSlotCount>& pageCaptions);

    // How the prepared report is shown; the preview window by default. Tests replace it.
    void SetPreviewHandler(std::function<void(rpt::ReportEngine&)> handler) { m_preview = std::move(handler); }

    // The report engine that holds the last prepared report.
    rpt::ReportEngine& Engine() { return *m_engine; }
    const SectionContext& Context() const { return m_context; }

    QCheckBox* NotesCheck() const { return m_notes; }
    QCheckBox* ChangeLogCheck() const { return m_changeLog; }
    QCheckBox* RulesCheck() const { return m_rules; }

    // The request the window's controls make now.
    ReportRequest Request() const;

public Q_SLOTS:
    void Button2Click(); // "Підготувати звіт"
    void Button1Click(); // "Повернутися"

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct RangeBox {
        QGroupBox* Box = nullptr;
        QCheckBox* Check = nullptr;
        QComboBox* First = nullptr;
        QComboBox* Last = nullptr;
        QCheckBox* Detail = nullptr; // none on the data table
    };
    RangeBox makeBox(const QString& name, const QString& caption, QPoint pos, const QString& checkName,
        const QString& checkText, const QString& firstName, const QString& lastName, const QString& detailName);
    void FormShow();
    void fillRanges(RangeBox& box, QAbstractItemModel* firstModel, QAbstractItemModel* lastModel);
    void CheckBoxClick(RangeBox& box);

    MeasurementDocument* m_doc = nullptr;
    QString m_templateFolder;
    LaboratoryNames m_lab;
    std::unique_ptr<rpt::ReportEngine> m_engine;
    SectionContext m_context;
    std::function<void(rpt::ReportEngine&)> m_preview;

    RangeBox m_data; // GroupBox7
    QGroupBox* m_records = nullptr; // GroupBox8: the notes and the change log
    QCheckBox* m_notes = nullptr;
    QCheckBox* m_changeLog = nullptr;
    QCheckBox* m_rules = nullptr;
    std::array<RangeBox, ChartSlotCount> m_charts; // by chart slot
    QPushButton* m_button1 = nullptr;
    QPushButton* m_button2 = nullptr;
    QLabel* m_tempLabel = nullptr;
    QAbstractItemModel* m_pointNumbers = nullptr;
    QAbstractItemModel* m_rangeNumbers = nullptr;
};

// The print-report command of the main window: each chart box takes its chart page's caption, the
// hint "Роздрукувати" is asked for after the window shows, and the options window opens modally.
// The window is made once, as a child of parent, and reused. A document without results has no
// report: nothing happens.
void ShowReportOptions(QWidget* parent, MeasurementDocument& doc, Hints& hints, const LaboratoryNames& laboratory,
    const QString& programFolder);
