// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/jpeg_image.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <jpeglib.h>

namespace zelvara::platform {

namespace {

// Far beyond any picture of ours, and small enough that a forged header cannot make us allocate gigabytes.
constexpr unsigned long MaxPixels = 16UL * 1024 * 1024;

// libjpeg's default reaction to an error is exit(); ours jumps back so the caller sees a null image.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

// Warnings (level -1) mean damaged data, such as a file cut short: libjpeg would pad the picture with
// grey and go on, but a half-drawn sheet is worse than none. Trace messages are ignored.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0) {
        jumpBack(info);
    }
}

void silent(j_common_ptr) {}

// The two stages that call into libjpeg each set their own jump point and hold only trivial locals, so
// a jump out of the library skips no destructor. The QImage is allocated between them.
bool readHeader(jpeg_decompress_struct *info, ErrorManager *errors, const QByteArray &bytes)
{
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    jpeg_mem_src(info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK) {
        return false; // no conversion to RGB in the library, and nothing of ours is CMYK
    }
    // Checked before decompression starts: a progressive picture is buffered whole at that point.
    const unsigned long pixels = static_cast<unsigned long>(info->image_width) * info->image_height;
    if (pixels == 0 || pixels > MaxPixels) {
        return false;
    }
    info->out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(info);
    return true;
}

bool readPixels(jpeg_decompress_struct *info, ErrorManager *errors, uchar *bits, qsizetype bytesPerLine)
{
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = bits + static_cast<qsizetype>(info->output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            return false;
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        return {};
    }
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpBack;
    errors.pub.emit_message = onMessage;
    errors.pub.output_message = silent;
    jpeg_create_decompress(&info);

    QImage image;
    bool ok = readHeader(&info, &errors, bytes) && info.output_components == 4;
    if (ok) {
        image =
            QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGBX8888);
        ok = !image.isNull() && readPixels(&info, &errors, image.bits(), image.bytesPerLine());
    }
    jpeg_destroy_decompress(&info);
    if (!ok) {
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
