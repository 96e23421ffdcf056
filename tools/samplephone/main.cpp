// tarvel-sample-phone FOLDER: writes the sample phone that tarvel-demo opens when it is
// given no folder: a camera folder of photos with EXIF dates and thumbnails and a few
// videos, screenshots, music, documents, a download and an empty folder. Every file's
// date is the one it claims, so the window's dates and the photos' agree.

#include "tools/samplephone/SamplePhotos.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

const QDateTime firstPhoto(QDate(2024, 6, 1), QTime(9, 12, 4), Qt::UTC);

bool write(const QString &path, const QByteArray &bytes, const QDateTime &when)
{
    QFile file(path);
    // Flushed first: bytes written after the date would stamp the file with the time now.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.setFileTime(when, QFileDevice::FileModificationTime);
    return true;
}

// A second of a tone, as 16-bit mono PCM in a WAV file.
QByteArray tone(double frequency, int seconds)
{
    constexpr int rate = 22050;
    QByteArray samples;
    for (int i = 0; i < rate * seconds; ++i) {
        const double fade = std::min(1.0, (rate * seconds - i) / 2000.0);
        const auto value = qint16(8000 * fade * std::sin(2 * M_PI * frequency * i / rate));
        samples.append(reinterpret_cast<const char *>(&value), 2); // the machine is little-endian, as WAV is
    }
    const auto le32 = [](quint32 v) { v = qToLittleEndian(v); return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const auto le16 = [](quint16 v) { v = qToLittleEndian(v); return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    return "RIFF" + le32(36 + samples.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate) + le32(rate * 2)
           + le16(2) + le16(16) + "data" + le32(samples.size()) + samples;
}

// The smallest PDF a viewer opens: one page with one line.
QByteArray pdf(const QByteArray &line)
{
    const QByteArray stream = "BT /F1 18 Tf 72 720 Td (" + line + ") Tj ET";
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    QByteArray out = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(out.size());
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
           + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QString cameraName(const QString &prefix, const QDateTime &when, const QString &suffix)
{
    return prefix + when.toString(QStringLiteral("yyyyMMdd_HHmmsszzz")) + suffix;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tarvel-sample-phone FOLDER [PHOTOS]\n");
        return 2;
    }
    const QDir root(args.at(1));
    const int photos = args.size() > 2 ? args.at(2).toInt() : 240;
    QDir(root.filePath(QStringLiteral("DCIM/Camera"))).removeRecursively();
    for (const char *folder : {"DCIM/Camera", "Pictures/Screenshots", "Music", "Documents", "Download", "Alarms"})
        root.mkpath(QString::fromLatin1(folder));
    bool ok = true;

    // Photos in bursts: a few an afternoon, an outing now and then, over a summer.
    QDateTime when = firstPhoto;
    for (int i = 0; i < photos; ++i) {
        when = when.addSecs(i % 9 == 8 ? 26 * 3600 + i * 53 : 40 + (i * 137) % 900);
        const QString name = cameraName(QStringLiteral("PXL_"), when, QStringLiteral(".jpg"));
        const QByteArray jpeg = tarvel::sample::cameraJPEG(tarvel::sample::picture(i, QSize(800, 600)), when);
        ok = write(root.filePath(QStringLiteral("DCIM/Camera/") + name), jpeg, when) && ok;
        // Now and then a short clip beside the photos. It holds no playable video: it shows
        // what the window does with one, its icon.
        if (i % 60 == 30) {
            const QDateTime clip = when.addSecs(20);
            ok = write(root.filePath(QStringLiteral("DCIM/Camera/") + cameraName(QStringLiteral("PXL_"), clip, QStringLiteral(".mp4"))),
                       QByteArray("\0\0\0\x18" "ftypmp42", 12) + QByteArray(48 * 1024, '\0'), clip) && ok;
        }
    }
    for (int i = 0; i < 6; ++i) {
        QImage screen(360, 780, QImage::Format_RGB32);
        screen.fill(QColor::fromHsv((i * 60) % 360, 40, 245));
        const QImage card = tarvel::sample::picture(100 + i, QSize(320, 240));
        for (int y = 0; y < card.height(); ++y)
            std::copy_n(card.constScanLine(y), card.bytesPerLine(), screen.scanLine(120 + y) + 20 * 4);
        const QDateTime shot = firstPhoto.addDays(3 * i).addSecs(5 * 3600);
        ok = write(root.filePath(QStringLiteral("Pictures/Screenshots/") + cameraName(QStringLiteral("Screenshot_"), shot, QStringLiteral(".png"))),
                   png(screen), shot) && ok;
    }
    const QList<std::pair<const char *, double>> songs{{"Morning Tone.wav", 440}, {"Evening Tone.wav", 330},
                                                       {"Low Hum.wav", 220}};
    for (int i = 0; i < songs.size(); ++i)
        ok = write(root.filePath(QStringLiteral("Music/") + QString::fromLatin1(songs[i].first)), tone(songs[i].second, 3),
                   firstPhoto.addDays(i)) && ok;
    ok = write(root.filePath(QStringLiteral("Documents/Boarding pass.pdf")), pdf("Boarding pass: seat 14C"),
               firstPhoto.addDays(10)) && ok;
    ok = write(root.filePath(QStringLiteral("Documents/Shopping list.txt")), "Bread\nTomatoes\nCoffee\n",
               firstPhoto.addDays(12)) && ok;
    ok = write(root.filePath(QStringLiteral("Download/Timetable.pdf")), pdf("Trains from 7:05, every 20 minutes"),
               firstPhoto.addDays(20)) && ok;
    if (!ok) {
        std::fprintf(stderr, "tarvel-sample-phone: could not write into %s\n", qPrintable(root.path()));
        return 1;
    }
    return 0;
}
