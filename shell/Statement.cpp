// One-pass composition of statement texts: see Statement.h.

#include "shell/Statement.h"

namespace shell {

QString Compose(QStringView pattern, std::span<const QString> parts)
{
    QString out;
    out.reserve(pattern.size() + 64);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%') || i + 1 >= pattern.size() || !pattern[i + 1].isDigit()) {
            out += c;
            continue;
        }
        // Two digits when the second names a part (%10 .. %99), else one.
        int n = pattern[i + 1].digitValue();
        qsizetype used = 1;
        if (i + 2 < pattern.size() && pattern[i + 2].isDigit()) {
            const int two = n * 10 + pattern[i + 2].digitValue();
            if (two >= 1 && two <= static_cast<int>(parts.size())) { n = two; used = 2; }
        }
        if (n >= 1 && n <= static_cast<int>(parts.size())) {
            out += parts[n - 1];
            i += used;
        } else {
            out += c;
        }
    }
    return out;
}

QString Table(const QString& prefix, QStringView file)
{
    QString path = prefix;
    path += file;
    path.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

}  // namespace shell
