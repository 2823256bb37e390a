#pragma once

#include "model/GroupRecord.h"

#include <QObject>
#include <array>

class ChartPageView;
class GroupHandlingBox;
class Hints;
class MeasurementDocument;
class QTabWidget;
class QWidget;

// The six chart tabs of PageControl1 (slot s on tab firstChartTab + s) with their chart views, and
// the group box that works on the current chart page. It shows the tabs the document's results
// call for, with their captions, and keeps the group box on the slot of the current page.
class ChartPages : public QObject {
    Q_OBJECT
public:
    // window: the main window the group box is shown in; groupBoxParent its client area.
    ChartPages(MeasurementDocument& document, Hints& hints, QWidget* window, QTabWidget* pages, int dataTab,
        int firstChartTab, QWidget* groupBoxParent);

    ChartPageView* ChartView(int slot) const { return m_chartViews[size_t(slot)]; }
    GroupHandlingBox* GroupBox() const { return m_groupBox; }
    int ActiveChartSlot() const; // -1 when the active tab is no chart page

    void DrawChartPage(int slot); // extent, scroll range, drawing
    void RedrawChartSet(); // the redraw set: every chart page the mode draws

    void ShowChartTabs(); // captions and visibility; a hidden current tab gives way to the table
    void UpdateGroupBoxVisibility();
    void ShowActiveSlot(); // the group box fills itself for the current chart page, if any
    void PageChanged(int index); // PageControl1's current tab moved
    void UnitsChanged(); // the charts and the sigma edit's units follow the header's units
    void NotesChanged(); // the marks of the notes on every page, the details of the active one

private:
    MeasurementDocument& m_document;
    Hints& m_hints;
    QWidget* m_window;
    QTabWidget* m_pages; // PageControl1
    const int m_dataTab;
    const int m_firstChartTab;
    bool m_updatingTabs = false; // the program shows or hides tabs: no page change to react to

    std::array<ChartPageView*, ChartSlotCount> m_chartViews {};
    GroupHandlingBox* m_groupBox = nullptr;
};
