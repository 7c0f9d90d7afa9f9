// The report preview window.
//
// Invariants: see PreviewWindow.h.

#include "report/PreviewWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScreen>
#include <QVBoxLayout>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/ReportRenderer.h"

namespace report {

namespace {
constexpr int kZooms[] = {50, 75, 100, 125, 150, 200};
QString shown(const char* text) { return TranslateMessageIfAny(QString::fromUtf8(text)); }
}

PreviewWindow::PreviewWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* bar = new QHBoxLayout;
    m_btPrint = new QPushButton(shown("Print"), this);
    m_btPrint->setObjectName(QStringLiteral("btPrint"));
    m_btSavePdf = new QPushButton(shown("Save as PDF"), this);
    m_btSavePdf->setObjectName(QStringLiteral("btSavePdf"));
    m_cmbZoom = new QComboBox(this);
    m_cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    for (int z : kZooms) m_cmbZoom->addItem(QString::number(z) + QLatin1Char('%'), z);
    m_lbPages = new QLabel(this);
    m_lbPages->setObjectName(QStringLiteral("lbPages"));
    m_btClose = new QPushButton(shown("Close"), this);
    m_btClose->setObjectName(QStringLiteral("btClose"));
    bar->addWidget(m_btPrint);
    bar->addWidget(m_btSavePdf);
    bar->addWidget(m_cmbZoom);
    bar->addWidget(m_lbPages);
    bar->addStretch();
    bar->addWidget(m_btClose);

    m_sheet = new QWidget;
    m_sheet->setObjectName(QStringLiteral("sheet"));
    m_sheetLayout = new QVBoxLayout(m_sheet);
    m_sheetLayout->setSpacing(12);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrollPages"));
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_sheet);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_btPrint, &QPushButton::clicked, this, &PreviewWindow::printReport);
    connect(m_btSavePdf, &QPushButton::clicked, this, &PreviewWindow::savePdf);
    connect(m_btClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmbZoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoomPercent(m_cmbZoom->itemData(index).toInt()); });
    m_cmbZoom->setCurrentIndex(m_cmbZoom->findData(100));
    resize(900, 1000);
}

void PreviewWindow::setReport(const Report& source)
{
    // Looked up without being collected: a title may be a guest's name (the account's).
    m_title = QCoreApplication::translate(lang::kContext, source.title.toUtf8().constData());
    setWindowTitle(m_title);
    m_pages = report::layout(source);
    showPages();
}

void PreviewWindow::setZoomPercent(int percent)
{
    if (percent <= 0 || percent == m_zoom) return;
    m_zoom = percent;
    const int index = m_cmbZoom->findData(percent);
    if (index >= 0 && index != m_cmbZoom->currentIndex()) m_cmbZoom->setCurrentIndex(index);
    showPages();
}

void PreviewWindow::showPages()
{
    while (QLayoutItem* item = m_sheetLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // 100 % shows the page at its real size on a 96-dpi screen.
    const double dpi = 96.0 * m_zoom / 100.0;
    for (const Page& page : m_pages) {
        auto* label = new QLabel(m_sheet);
        label->setPixmap(QPixmap::fromImage(renderPage(page, dpi)));
        label->setFrameShape(QFrame::Box);
        m_sheetLayout->addWidget(label, 0, Qt::AlignHCenter);
    }
    m_sheet->adjustSize();
    m_lbPages->setText(shown("Pages:") + QLatin1Char(' ') + QString::number(m_pages.size()));
}

bool PreviewWindow::savePdf()
{
    QString fileName = m_title.isEmpty() ? QStringLiteral("report") : m_title;
    fileName.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString path = platform::chooseSaveFile(this, shown("Save as PDF"),
                                                  QDir::home().filePath(fileName + QStringLiteral(".pdf")),
                                                  QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return false;
    if (writePdf(path, m_title, m_pages)) return true;
    platform::messageBox(this, shown("The file cannot be written:") + QStringLiteral("\r\n") + path, m_title,
                         platform::Icon::Warning, platform::Buttons::Ok);
    return false;
}

void PreviewWindow::printReport()
{
    printPages(this, m_title, m_pages);
}

int preview(QWidget* owner, const Report& report)
{
    PreviewWindow window(owner);
    window.setReport(report);
    if (window.pages().isEmpty()) return 0;
    platform::runModal(&window);
    return int(window.pages().size());
}

}  // namespace report
