#pragma once
// TfrmClientLabels (form frmClientLabels, "Labels"): the address label report. Every client
// card with a surname, an address and a city gets one label, by surname and first name,
// three labels across an A4 sheet, 7 or 8 down; every run also writes the same addresses to
// the export file "stitky.csv" in the user's home folder.
//
// Invariants: the form is never shown itself, its caption names the preview; LabelsDown is
// 7 or 8 after a run (anything but 8 counts as 7); the export holds exactly the labels
// produced, in print order, and replaces the older file after the printing or preview has
// ended, even when there was nothing to print; a file that cannot be written is not
// reported and does not stop the printing.

#include <QString>
#include <QWidget>

#include "documents/LabelsLogic.h"
#include "report/Report.h"

class TfrmClientLabels : public QWidget {
    Q_OBJECT
public:
    explicit TfrmClientLabels(QWidget* parent = nullptr);

    // Labels down the sheet, set by the print dialog: 7 ("3x7") or 8 ("3x8").
    int LabelsDown = 7;

    // Reads the clients, prints the labels (print) or previews them, and writes the export.
    void RunReport(bool print);

    // The label report of these labels, each label labelHeight design pixels tall.
    static report::Report LabelsReport(const QList<documents::LabelLines>& labels, int labelHeight,
                                       const QString& title);

    // The export text of the last run.
    const QString& exportText() const { return m_export; }

private:
    QList<documents::LabelLines> loadLabels();

    QString m_export;
};
