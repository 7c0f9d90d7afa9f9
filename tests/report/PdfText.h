#pragma once
// Test helpers: the text and page count of a PDF through poppler's pdftotext and pdfinfo.
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace testpdf {

// The text of the PDF in reading layout (-layout keeps each printed line on one line).
inline QString text(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                          QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int pageCount(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(30000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The texts squeezed: runs of blanks become one blank, so tests do not depend on columns.
inline QString squeezed(const QString& pdfText)
{
    QString t = pdfText;
    t.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return t;
}

}  // namespace testpdf
