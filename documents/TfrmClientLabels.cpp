// TfrmClientLabels: the label report fed the client cards, and its export file.
//
// Invariants: see TfrmClientLabels.h.

#include "documents/TfrmClientLabels.h"

#include <memory>

#include "engine/Engine.h"
#include "platform/Platform.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"

using documents::LabelLines;

namespace {

constexpr double kLabelWidth = 264;   // three across fill the sheet's width
constexpr double kTextLeft = 32;
constexpr int kAcross = 3;

report::Font labelFont(bool country)
{
    report::Font f;
    f.family = QStringLiteral("Arial CE");
    f.pixelSize = 13;
    f.bold = true;
    f.italic = country;
    f.underline = country;
    return f;
}

}  // namespace

TfrmClientLabels::TfrmClientLabels(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmClientLabels"));
    setWindowTitle(QStringLiteral("Labels"));
}

report::Report TfrmClientLabels::LabelsReport(const QList<LabelLines>& labels, int labelHeight, const QString& title)
{
    report::Report rep;
    rep.title = title;
    rep.marginsMm = QMarginsF(0, 0, 0, 5);
    const double textWidth = kLabelWidth - kTextLeft;
    for (int first = 0; first < labels.size(); first += kAcross) {
        report::Band row(report::Band::Kind::Detail, labelHeight);
        for (int i = first; i < std::min<int>(first + kAcross, labels.size()); ++i) {
            const double left = (i - first) * kLabelWidth + kTextLeft;
            const LabelLines& l = labels.at(i);
            row.add(report::Item::textAt(left, 24, l.name, labelFont(false), textWidth));
            row.add(report::Item::textAt(left, 46, l.street, labelFont(false), textWidth));
            row.add(report::Item::textAt(left, 68, l.town, labelFont(false), textWidth));
            row.add(report::Item::textAt(left, 100, l.country, labelFont(true), textWidth));
        }
        rep.body.append(row);
    }
    return rep;
}

QList<LabelLines> TfrmClientLabels::loadLabels()
{
    QList<LabelLines> labels;
    try {
        TdmDataModule* dm = dmDataModule();
        std::unique_ptr<engine::Query> qryContacts = dm->Open(documents::LabelsSql(dm->DbPrefix()));
        auto field = [&qryContacts](const char* name) { return QString::fromStdString(qryContacts->text(name)); };
        while (qryContacts->next()) {
            const documents::LabelAddress address{field("TITLE"), field("NAME"),   field("SURNAME"), field("ADDRESS"),
                                                  field("POSTAL"), field("CITY"), field("COUNTRY")};
            labels.append(documents::MakeLabelLines(address));
        }
    } catch (const std::exception&) {
        platform::messageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Labels"),
                             platform::Icon::Warning, platform::Buttons::Ok);
        labels.clear();
    }
    return labels;
}

void TfrmClientLabels::RunReport(bool print)
{
    m_export.clear();
    const QList<LabelLines> labels = loadLabels();
    const int height = documents::LabelHeight(LabelsDown);
    for (const LabelLines& l : labels) m_export += documents::ExportLine(l);
    const report::Report labelsReport = LabelsReport(labels, height, windowTitle());
    if (!labels.isEmpty()) {
        if (print)
            report::print(parentWidget(), labelsReport);
        else
            report::preview(parentWidget(), labelsReport);
    }
    documents::WriteExportFile(documents::ExportFilePath(), m_export);
}
