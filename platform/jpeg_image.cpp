// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/jpeg_image.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QSysInfo>

#include <memory>
#include <turbojpeg.h>

namespace zelvara::platform {

namespace {

// Far beyond any picture of ours, and small enough that a forged header cannot make us allocate gigabytes.
constexpr unsigned long MaxPixels = 16UL * 1024 * 1024;

constexpr TJPF NativePixels = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;

} // namespace

QImage decodeJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        return {};
    }
    const std::unique_ptr<void, decltype(&tjDestroy)> decoder(tjInitDecompress(), &tjDestroy);
    if (!decoder) {
        return {};
    }
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto size = static_cast<unsigned long>(bytes.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourSpace = 0;
    if (tjDecompressHeader3(decoder.get(), data, size, &width, &height, &subsampling, &colourSpace) != 0) {
        return {};
    }
    if (colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK) {
        return {}; // no conversion to RGB in the library, and nothing of ours is CMYK
    }
    // Checked before decoding: a progressive picture is buffered whole.
    if (width <= 0 || height <= 0 ||
        static_cast<unsigned long>(width) * static_cast<unsigned long>(height) > MaxPixels) {
        return {};
    }
    // Decoded straight into the format a window's pixmaps use, so that making the pixmap copies the
    // pixels instead of converting each of them: 0xffRRGGBB words, whose bytes lie in memory as B, G, R, X
    // on a little-endian machine.
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    // A warning means damaged data, such as a file cut short: the library would pad the picture with
    // grey and go on, but a half-drawn sheet is worse than none.
    if (tjDecompress2(decoder.get(), data, size, image.bits(), width, static_cast<int>(image.bytesPerLine()), height,
                      NativePixels, TJFLAG_STOPONWARNING) != 0) {
        return {};
    }
    return image;
}
QPixmap loadJpeg(const QString &resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QImage image = decodeJpeg(file.readAll());
    if (image.isNull()) {
        return {};
    }
    return QPixmap::fromImage(image);
}

} // namespace zelvara::platform
