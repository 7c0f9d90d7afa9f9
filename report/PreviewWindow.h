#pragma once
// The preview window of the reports: the pages one below the other, a zoom choice, Print
// (through the printer seam) and Save as PDF (through the save chooser). It is modal and
// shown through platform::runModal, so tests look at it without blocking.
//
// Invariants: the pages shown are the pages printed and saved (one layout, made once per
// preview); zoom changes only the drawing scale.

#include <QDialog>
#include <QList>

#include "report/Report.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace report {

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);

    void setReport(const Report& report);
    const QList<Page>& pages() const { return m_pages; }
    int zoomPercent() const { return m_zoom; }
    void setZoomPercent(int percent);

    // Save as PDF: asks for a file name; true when a file was written.
    bool savePdf();
    void printReport();

private:
    void showPages();

    QString m_title;
    QList<Page> m_pages;
    int m_zoom = 100;
    QComboBox* m_cmbZoom = nullptr;
    QLabel* m_lbPages = nullptr;
    QPushButton* m_btPrint = nullptr;
    QPushButton* m_btSavePdf = nullptr;
    QPushButton* m_btClose = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_sheet = nullptr;
    QVBoxLayout* m_sheetLayout = nullptr;
};

// Lays the report out and shows it in a modal preview; nothing is shown for a report
// without pages. Returns the number of pages shown.
int preview(QWidget* owner, const Report& report);

}  // namespace report
