#pragma once

#include <QByteArrayView>
#include <QImage>

namespace r5setup {

// Decodes JPEG bytes with libjpeg-turbo into an RGB image; a null image when the bytes are not
// a JPEG it can read (or the picture is unreasonably large).
QImage decodeJpeg(QByteArrayView bytes);

// The maker's logo stored with the program (`ImgLogo` of the About window).
QImage makerLogo();

} // namespace r5setup
