#include "ui/ChartPages.h"

#include "model/MeasurementDocument.h"
#include "paint/ChartPage.h"
#include "presentation/MainWindowState.h"
#include "ui/ChartPageView.h"
#include "ui/GroupHandlingBox.h"
#include "ui/Hints.h"

#include <QScopedValueRollback>
#include <QTabWidget>

ChartPages::ChartPages(MeasurementDocument& document, Hints& hints, QWidget* window, QTabWidget* pages, int dataTab,
    int firstChartTab, QWidget* groupBoxParent)
    : QObject(window)
    , m_document(document)
    , m_hints(hints)
    , m_window(window)
    , m_pages(pages)
    , m_dataTab(dataTab)
    , m_firstChartTab(firstChartTab)
{
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        QWidget* tab = m_pages->widget(m_firstChartTab + slot);
        auto* view = new ChartPageView(m_document, slot, tab);
        view->move(2, 2);
        m_chartViews[size_t(slot)] = view;
        m_pages->setTabVisible(m_firstChartTab + slot, false);
    }

    m_groupBox = new GroupHandlingBox(m_document, m_hints, groupBoxParent);
    m_groupBox->setObjectName(QStringLiteral("GroupHandlingBox"));
    // Below the chart image and its scroll bar, over the lower part of the chart pages.
    m_groupBox->move(
        (groupBoxParent->width() - m_groupBox->width()) / 2, groupBoxParent->height() - m_groupBox->height() - 4);
    m_groupBox->raise();
    m_groupBox->hide();
    connect(m_groupBox, &GroupHandlingBox::linesChanged, this, [this] { RedrawChartSet(); });
    // A note changed on a computed document keeps the results: the marks on the charts follow at
    // once. (A changed exclusion drops the results, and the pages with them.)
    connect(&m_document, &MeasurementDocument::notesChanged, this, [this] { NotesChanged(); });
}

void ChartPages::NotesChanged()
{
    if (!m_document.IsComputed())
        return;
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        if (SlotInUse(m_document, slot))
            m_chartViews[size_t(slot)]->Redraw();
    }
    ShowActiveSlot(); // the details of the hits name the notes
}

int ChartPages::ActiveChartSlot() const
{
    const int index = m_pages->currentIndex();
    if (index < m_firstChartTab || !m_pages->isTabVisible(index))
        return -1;
    return index - m_firstChartTab;
}

void ChartPages::DrawChartPage(int slot)
{
    if (!m_document.IsComputed() || !SlotInUse(m_document, slot))
        return;
    ChartPageView* view = m_chartViews[size_t(slot)];
    view->UpdateScrollRange();
    view->Redraw();
}

void ChartPages::RedrawChartSet()
{
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        DrawChartPage(slot);
}

void ChartPages::ShowChartTabs()
{
    const MeasurementDocument& doc = m_document;
    const MainWindowState state(doc);
    const int before = m_pages->currentIndex();
    {
        const QScopedValueRollback<bool> guard(m_updatingTabs, true);
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            const int tab = m_firstChartTab + slot;
            const bool visible = doc.HasDocument() && state.ChartTabVisible(slot);
            if (!visible && m_pages->currentIndex() == tab)
                m_pages->setCurrentIndex(m_dataTab); // the results went: back to the table
            m_pages->setTabText(tab, doc.HasDocument() ? state.TabCaption(slot) : QString());
            m_pages->setTabVisible(tab, visible);
        }
    }
    if (!doc.IsComputed()) {
        for (ChartPageView* view : m_chartViews)
            if (!view->Image().isNull())
                view->Clear();
    }
    if (m_pages->currentIndex() != before)
        PageChanged(m_pages->currentIndex());
    else
        UpdateGroupBoxVisibility();
}

void ChartPages::UpdateGroupBoxVisibility()
{
    m_groupBox->setVisible(m_pages->isVisibleTo(m_window) && ActiveChartSlot() >= 0);
}

void ChartPages::ShowActiveSlot()
{
    const int slot = ActiveChartSlot();
    if (slot >= 0)
        m_groupBox->ShowSlot(slot);
}

void ChartPages::PageChanged(int index)
{
    if (m_updatingTabs)
        return;
    if (index > 0)
        m_hints.ShowExampleHintLater(QStringLiteral("Вкладка ") + QString::number(index));
    UpdateGroupBoxVisibility();
    if (m_document.IsComputed())
        ShowActiveSlot();
}

void ChartPages::UnitsChanged()
{
    MeasurementDocument& doc = m_document;
    if (!doc.IsComputed())
        return;
    doc.SetChartFormatFromN13();
    RedrawChartSet();
    ShowActiveSlot(); // the units beside the sigma edit
}
