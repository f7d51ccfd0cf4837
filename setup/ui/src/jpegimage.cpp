#include "r5setup/ui/jpegimage.h"

#include <QFile>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void silence(j_common_ptr) {}

// libjpeg reports errors by longjmp to here. Only trivially destructible locals live in this
// frame, so the jump skips no destructor; the image is written through a pointer.
bool decodeInto(jpeg_decompress_struct *cinfo, ErrorManager *err, QByteArrayView bytes, QImage *out)
{
    if (setjmp(err->jump))
        return false;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char *>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (cinfo->image_width > kMaxSide || cinfo->image_height > kMaxSide)
        return false;
    cinfo->out_color_space = JCS_RGB;
    if (!jpeg_start_decompress(cinfo))
        return false;
    *out = QImage(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB888);
    if (out->isNull() || cinfo->output_components != 3)
        return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->scanLine(int(cinfo->output_scanline));
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = silence;
    jpeg_create_decompress(&cinfo);
    QImage image;
    const bool ok = decodeInto(&cinfo, &err, bytes, &image);
    jpeg_destroy_decompress(&cinfo);
    return ok ? image : QImage();
}

QImage makerLogo()
{
    QFile file(u":/r5setup/logo.jpg"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

} // namespace r5setup
