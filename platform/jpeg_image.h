// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The banner and the pool-sheet drawings are JPEG pictures compiled into the program; they are decoded
// with libjpeg-turbo's TurboJPEG API rather than through a Qt image plugin that a desktop may lack.

class QByteArray;
class QImage;
class QPixmap;
class QString;

namespace zelvara::platform {

// Decodes a baseline or progressive JPEG (colour or greyscale) into an RGB image. Any damage the decoder
// notices, a truncated file included, gives a null image; so does a header claiming an absurd size.
QImage decodeJpeg(const QByteArray &bytes);

// Reads a JPEG from a file or a Qt resource (":/images/banner.jpg") and decodes it; a null pixmap when
// the file is missing or does not decode. Needs a QGuiApplication.
QPixmap loadJpeg(const QString &resourcePath);

} // namespace zelvara::platform
