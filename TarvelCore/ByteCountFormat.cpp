#include "TarvelCore/ByteCountFormat.h"

#include <QCoreApplication>
#include <QLocale>

namespace tarvel {

namespace {

class ByteCount {
    Q_DECLARE_TR_FUNCTIONS(tarvel::ByteCount)
};

// value / 10^decimals, with trailing zeros (and a bare point) dropped; the default
// locale's digit grouping and decimal point ("1,500.5" in English, "1.500,5" in German).
QString decimalText(quint64 scaled, int decimals)
{
    const QLocale locale;
    quint64 divisor = 1;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10;
    QString text = locale.toString(scaled / divisor);
    QString fraction = QString::number(scaled % divisor).rightJustified(decimals, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += locale.decimalPoint() + fraction;
    return text;
}

} // namespace

QString formatByteCount(qint64 bytes)
{
    if (bytes == 0)
        return ByteCount::tr("Zero KB");
    // Whole-number arithmetic: no binary fraction can turn 999.95 into 999.9.
    const quint64 magnitude = bytes < 0 ? quint64(0) - quint64(bytes) : quint64(bytes);
    const QString sign = bytes < 0 ? QLocale().negativeSign() : QString();

    if (magnitude < 1000)
        return sign + QStringLiteral("1 KB");
    const quint64 kilobytes = (magnitude + 500) / 1000;
    if (kilobytes < 1000)
        return sign + decimalText(kilobytes, 0) + QStringLiteral(" KB");
    const quint64 tenthsOfMegabytes = (magnitude + 50'000) / 100'000;
    if (tenthsOfMegabytes < 10'000)
        return sign + decimalText(tenthsOfMegabytes, 1) + QStringLiteral(" MB");
    const quint64 hundredthsOfGigabytes = (magnitude + 5'000'000) / 10'000'000;
    return sign + decimalText(hundredthsOfGigabytes, 2) + QStringLiteral(" GB");
}

} // namespace tarvel
