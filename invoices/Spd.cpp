// The QR payment's text and code; see Spd.h.
#include "invoices/Spd.h"

#include <QPainter>
#include <qrencode.h>

namespace invoices {

namespace {
QString acc(const SpdPayment& p) { return p.iban; }
QString am(const SpdPayment& p) { return QString::number(shell::fromHundredths(p.amount), 'f', 2); }
QString cc(const SpdPayment& p) { return p.currency; }
QString vs(const SpdPayment& p) { return p.variableSymbol; }
QString dt(const SpdPayment& p) { return p.due.isValid() ? p.due.toString(QStringLiteral("yyyyMMdd")) : QString(); }
QString msg(const SpdPayment& p) { return p.message; }

const QList<SpdField> kFields = {
    {"ACC", 46, acc}, {"AM", 10, am}, {"CC", 3, cc}, {"X-VS", 10, vs}, {"DT", 8, dt}, {"MSG", 60, msg},
};
}  // namespace

const QList<SpdField>& spdFields() { return kFields; }

QString spdText(const SpdPayment& payment)
{
    QString text = QStringLiteral("SPD*1.0");
    for (const SpdField& f : kFields) {
        QString value = f.value(payment);
        if (f.maxLength > 0) value.truncate(f.maxLength);
        if (value.isEmpty()) continue;
        value.replace(QLatin1Char('*'), QStringLiteral("%2A"));
        text += QLatin1Char('*') + QLatin1String(f.key) + QLatin1Char(':') + value;
    }
    return text;
}

QImage qrImage(const QString& text, int modulePixels)
{
    const QByteArray utf8 = text.toUtf8();
    QRcode* code = QRcode_encodeData(int(utf8.size()), reinterpret_cast<const unsigned char*>(utf8.constData()), 0, QR_ECLEVEL_M);
    if (!code) return {};
    constexpr int kQuiet = 4;
    const int side = (code->width + 2 * kQuiet) * modulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + kQuiet) * modulePixels, (y + kQuiet) * modulePixels, modulePixels, modulePixels, Qt::black);
    painter.end();
    QRcode_free(code);
    return image;
}

}  // namespace invoices
