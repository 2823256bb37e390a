#pragma once

#include "model/MeasurementDocument.h"

#include <QString>

// What the main window shows of a document: its captions and the enabled, checked and visible
// states of its menus, pages and data controls. Every answer is computed from the document when
// asked, so it is in step whenever the document has told of a change (viewStateChanged,
// changedFlagChanged); the window copies it onto its widgets.
class MainWindowState {
public:
    explicit MainWindowState(const MeasurementDocument& document)
        : m_document(document)
    {
    }

    QString WindowCaption() const; // "Мерідан", then " - " and the file name if there is one
    QString Label18Caption() const; // the point or subgroup count; empty without a document
    bool PagesVisible() const { return m_document.HasDocument(); } // PageControl1
    bool DocumentCommandsEnabled() const
    {
        return m_document.HasDocument();
    } // Зберегти, Зберегти як..., Карти, Обчислити
    bool PrintReportEnabled() const { return m_document.IsComputed(); } // N7
    bool MedianChartEnabled() const { return m_document.SubgroupSize() <= 10; } // N21
    bool NormalisedChoiceEnabled() const { return !m_document.ExponentForced(); } // N13
    bool SubgroupControlsVisible() const { return m_document.HasDocument() && !m_document.IndividualMode(); }
    bool SpreadSeparatorVisible() const { return !m_document.HasDocument() || !m_document.IndividualMode(); } // N16
    int ElementsComboIndex() const { return m_document.SubgroupSize() - 2; } // -1 and below: no entry

    // The chart tabs: a slot's tab shows once a compute ran to the end, when the mode draws the
    // slot and its "Карти" item is checked.
    bool ChartTabVisible(int slot) const;
    QString TabCaption(int slot) const; // empty for a slot the mode does not use

    // The "Карти" items N11 .. N61 and N13.
    bool ChartChoiceVisible(ChartChoice item) const;
    QString ChartChoiceCaption(ChartChoice item) const; // the tab's caption, "Карта n" without one

private:
    const MeasurementDocument& m_document;
};
