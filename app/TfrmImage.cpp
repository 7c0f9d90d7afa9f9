// The splash window: black, borderless, always on top, centred on the screen, with the
// busy cursor while the program starts. The picture is shown at its natural size from the
// top left, never stretched.
#include "app/TfrmImage.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "app/Startup.h"
#include "lang/Language.h"
#include "lang/LanguageIncludeWriter.h"

TfrmImage::TfrmImage(const QString& picturePath, const QString& version, const QString& legal,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmImage"));
    // Gone before the first translation: the translation tables leave it out.
    setProperty(lang::kNotTranslated, true);
    setFixedSize(450, 450);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setCursor(Qt::BusyCursor);

    m_img1 = new QLabel(this);
    m_img1->setObjectName(QStringLiteral("img1"));
    m_img1->setGeometry(0, 0, 450, 450);
    m_img1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QImage picture = tamarel::LoadJpeg(picturePath);
    if (picture.isNull()) m_img1->hide();
    else m_img1->setPixmap(QPixmap::fromImage(picture));

    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);

    m_lbProgram = new QLabel(QStringLiteral("Tamarel"), this);
    m_lbProgram->setObjectName(QStringLiteral("lbProgram"));
    QFont bold = m_lbProgram->font();
    bold.setBold(true);
    bold.setPixelSize(19);
    m_lbProgram->setFont(bold);
    m_lbProgram->setPalette(white);
    m_lbProgram->setGeometry(8, 392, 434, 26);

    m_lbLegal = new QLabel(this);
    m_lbLegal->setObjectName(QStringLiteral("lbLegal"));
    m_lbLegal->setPalette(white);
    m_lbLegal->setGeometry(8, 420, 434, 22);

    if (!version.isEmpty()) {
        m_lbProgram->setText(QStringLiteral("Tamarel Vs ") + version);
        m_legal = legal;
        m_lbLegal->setText(legal);
    }

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(225, 225));
    }
}

void TfrmImage::translateNotice()
{
    if (m_legal.isEmpty()) return;
    m_lbLegal->setText(TranslateMessageIfAny(m_legal));
    if (isVisible()) repaint();
}

void TfrmImage::showNow()
{
    show();
    raise();
    repaint();
}
