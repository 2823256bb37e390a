#pragma once

#include "presentation/AnalysisPresentation.h"

#include <QDialog>
#include <vector>

class Hints;
class MeasurementDocument;
struct TSlotHits;
class QPushButton;
class QTableView;
class DetailsGridModel;

// The details window of the analysis results: for one chart of one group, the criteria of each
// analysis with their type and the points that met them. Two grids, one shown at a time.
class TFDet : public QDialog {
    Q_OBJECT
public:
    explicit TFDet(Hints& hints, QWidget* parent = nullptr);
    ~TFDet() override;

    // Both grids take the rows of the results shown last (row 0 is the header row).
    void SetResults(const std::vector<DetailsRow>& westgard, const std::vector<DetailsRow>& iso);
    // Both grids from one chart's hits of a group, with the dates and the notes of the hits' points.
    void SetHits(const TSlotHits& hits, const MeasurementDocument& doc, int slot);
    // Caption, size and the grid shown for one analysis opened from a chart page; the hint key
    // is shown when the window becomes active.
    void Prepare(CriteriaFamily family, const QString& pageCaption, int pageIndex);
    // Prepare, then show modally.
    void ShowDetails(CriteriaFamily family, const QString& pageCaption, int pageIndex);

    QTableView* WestgardGrid() const { return m_westgardGrid; } // StringGrid1
    QTableView* IsoGrid() const { return m_isoGrid; } // StringGrid3
    QString HintKey() const { return m_hintKey; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override; // centred on the desktop

private:
    Hints& m_hints;
    DetailsGridModel* m_westgardModel = nullptr;
    DetailsGridModel* m_isoModel = nullptr;
    QTableView* m_westgardGrid = nullptr;
    QTableView* m_isoGrid = nullptr;
    QPushButton* m_closeButton = nullptr; // Button1
    QString m_hintKey;
    bool m_hintDue = false; // the hint once per showing
};
