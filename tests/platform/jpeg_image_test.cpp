// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/jpeg_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using zelvara::platform::decodeJpeg;
using zelvara::platform::loadJpeg;

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Rewrites the frame header's height and width, leaving the rest of the file as it is.
QByteArray withFrameSize(QByteArray jpeg, quint16 height, quint16 width)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xFF);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

bool canWriteJpeg()
{
    return QImageWriter::supportedImageFormats().contains("jpeg");
}

} // namespace

class JpegImageTest : public QObject
{
    Q_OBJECT

private slots:
    void committedPicture_decodesWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("banner") << u":/images/banner.jpg"_s << QSize(510, 93);
        QTest::newRow("sheet for 4") << u":/images/pool4.jpg"_s << QSize(363, 363);
        QTest::newRow("sheet for 3") << u":/images/pool3.jpg"_s << QSize(363, 363);
        QTest::newRow("sheet for 2") << u":/images/pool2.jpg"_s << QSize(363, 363);
        // The drawings for a scaled screen halve the colour resolution (4:2:0), the others keep it whole.
        QTest::newRow("banner at 2x") << u":/images/banner@2x.jpg"_s << QSize(1020, 186);
        QTest::newRow("sheet for 4 at 2x") << u":/images/pool4@2x.jpg"_s << QSize(726, 726);
        QTest::newRow("sheet for 3 at 2x") << u":/images/pool3@2x.jpg"_s << QSize(726, 726);
        QTest::newRow("sheet for 2 at 2x") << u":/images/pool2@2x.jpg"_s << QSize(726, 726);
    }

    void committedPicture_decodesWhole()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QPixmap pixmap = loadJpeg(path);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.size(), size);

        // Qt's own plugin runs the same library: any difference means a wrong row stride or channel order.
        const QByteArray bytes = resourceBytes(path);
        const QImage reference = QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
        if (reference.isNull()) {
            QSKIP("no JPEG plugin to compare with");
        }
        QCOMPARE(decodeJpeg(bytes), reference);
    }

    void poolSheet_paperUnderWhistValue_inkOnFrame_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("sheet for 4") << u":/images/pool4.jpg"_s;
        QTest::newRow("sheet for 3") << u":/images/pool3.jpg"_s;
        QTest::newRow("sheet for 2") << u":/images/pool2.jpg"_s;
    }

    void poolSheet_paperUnderWhistValue_inkOnFrame()
    {
        QFETCH(QString, path);
        const QImage sheet = decodeJpeg(resourceBytes(path));
        QVERIFY(!sheet.isNull());
        // Picture coordinates: the window places the sheet at (8, 7) of its panel.
        const QColor paper = sheet.pixelColor(189 - 8, 194 - 7); // middle of the whist value field
        QVERIFY2(paper.red() > 235 && paper.green() > 230 && paper.red() > paper.blue(), qPrintable(paper.name()));
        const QColor frame = sheet.pixelColor(14 - 8, 250 - 7); // the left edge of the sheet
        QVERIFY2(frame.blue() > frame.red() + 30 && frame.red() < 90, qPrintable(frame.name()));
    }

    void otherEncodings_decode_data()
    {
        QTest::addColumn<bool>("greyscale");
        QTest::addColumn<bool>("progressive");
        QTest::newRow("greyscale") << true << false;
        QTest::newRow("progressive colour") << false << true;
        QTest::newRow("progressive greyscale") << true << true;
    }

    void otherEncodings_decode()
    {
        QFETCH(bool, greyscale);
        QFETCH(bool, progressive);
        if (!canWriteJpeg()) {
            QSKIP("no JPEG writer to make the samples");
        }
        QImage source(40, 24, greyscale ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        source.fill(greyscale ? QColor(90, 90, 90) : QColor(200, 30, 40));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(95);
        writer.setProgressiveScanWrite(progressive);
        QVERIFY(writer.write(source));

        const QImage decoded = decodeJpeg(bytes);
        QCOMPARE(decoded.size(), source.size());
        const QColor expected = source.pixelColor(20, 12);
        const QColor middle = decoded.pixelColor(20, 12);
        QVERIFY2(qAbs(middle.red() - expected.red()) <= 4 && qAbs(middle.green() - expected.green()) <= 4 &&
                     qAbs(middle.blue() - expected.blue()) <= 4,
                 qPrintable(middle.name() + u" for "_s + expected.name()));
    }

    void damagedBytes_giveNullImage_data()
    {
        const QByteArray sheet = resourceBytes(u":/images/pool4.jpg"_s);
        QVERIFY(sheet.size() > 1000);
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain text") << QByteArray("Zelvara is not a picture");
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
        QTest::newRow("start marker, then noise") << (QByteArray("\xFF\xD8", 2) + QByteArray(2000, '\x55'));
        QTest::newRow("header without image data") << sheet.left(300);
        QTest::newRow("cut in the middle") << sheet.left(sheet.size() / 2);
        QTest::newRow("end marker missing") << sheet.left(sheet.size() - 2);
        QTest::newRow("zero width") << withFrameSize(sheet, 363, 0);
        // Refused before anything is allocated for it, rather than asking for gigabytes.
        QTest::newRow("forged huge size") << withFrameSize(sheet, 65000, 65000);
    }

    void damagedBytes_giveNullImage()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(decodeJpeg(bytes).isNull());
    }

    void loadJpeg_missingOrWrongFile_givesNullPixmap_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing resource") << u":/images/no-such-picture.jpg"_s;
        QTest::newRow("a PNG picture") << u":/images/ok.png"_s;
        QTest::newRow("missing file") << u"/nonexistent/zelvara/pool4.jpg"_s;
    }

    void loadJpeg_missingOrWrongFile_givesNullPixmap()
    {
        QFETCH(QString, path);
        QVERIFY(loadJpeg(path).isNull());
    }

    void loadJpeg_readsPlainFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(u"banner.jpg"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(resourceBytes(u":/images/banner.jpg"_s));
        file.close();
        QCOMPARE(loadJpeg(file.fileName()).size(), QSize(510, 93));
    }
};

QTEST_MAIN(JpegImageTest)
#include "jpeg_image_test.moc"
