#pragma once

#include "reports/PreparedReport.h"

#include <QDialog>
#include <QString>
#include <memory>

class Messenger;
class QLabel;
class QLineEdit;
class QPrinter;
class ReportPageView;
class QSpinBox;

// The preview of a prepared report, from which the analyst prints, sets up the page, zooms,
// moves between pages, searches the text and exports PDF, HTML, RTF or ODT. It only reads the
// report, which must outlive the window. Every message goes through the messenger.
class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    enum class Format { Pdf, Html, Rtf, Odt };

    ReportPreviewDialog(const rpt::PreparedReport& report, Messenger& messenger, QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

    int pageCount() const; // pages the preview shows
    int currentPage() const; // from 1
    void setCurrentPage(int page);
    double zoomFactor() const;
    void setZoomFactor(double factor);

    // Moves to the next page (after the current one, wrapping) whose text contains what; false,
    // with a message, when none does.
    bool findNext(const QString& what);
    // Writes the report to fileName; false, with a message, on failure. Opens the file afterwards
    // unless told not to (never on the offscreen platform).
    bool exportTo(Format format, const QString& fileName, bool openAfterwards = true);

    QPrinter& printer() { return *m_printer; }
    // Prints the pages of the printer's range, chart pictures as vectors; print() after its dialog.
    void paintPages(QPrinter& printer);

public Q_SLOTS:
    void print(); // QPrintDialog, then prints every page
    void pageSetup();
    void exportWithDialog(Format format);

private:
    void updatePageLabel();
    void find();

    const rpt::PreparedReport& m_report;
    Messenger& m_messenger;
    std::unique_ptr<QPrinter> m_printer;
    ReportPageView* m_view = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageCountLabel = nullptr;
    QLineEdit* m_findEdit = nullptr;
    QString m_lastExportFolder;
};
