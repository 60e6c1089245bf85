// JPEG decoding through libjpeg(-turbo), from memory: errors and corrupt-data warnings end the
// decode (ImageCodec.h says which warnings pass).
//
// libjpeg reports fatal errors through a callback that must not return; ours longjmps back to
// the function that set the jump. A longjmp must not skip a C++ destructor, so the code that
// runs between setjmp and the library calls lives in helpers that hold only plain data; every
// vector they fill belongs to the caller and was created before the setjmp.
#include "codecs/ImageCodec.h"

#include <jpeglib.h>
#include <jerror.h>

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/CodecCommon.h"

namespace {

// ---------------------------------------------------------------------------------------------
// JPEG
// ---------------------------------------------------------------------------------------------

struct JpegErrorManager
{
    // First member: libjpeg only knows the pointer to this part.
    jpeg_error_mgr base;
    jmp_buf jump;
    // Set once every scanline has been read: a warning after that point (stray bytes before
    // the end marker) cannot change a single pixel.
    bool pixelsComplete;
    char message[JMSG_LENGTH_MAX + 64];
};

[[noreturn]] void JpegErrorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// libjpeg classes a level -1 message as "recoverable corrupt-data warning": it goes on with
// made-up data (a truncated file gets a fake end marker, a bad Huffman code grey blocks).
// A texture decoded that way is not the picture in the file, so such a warning ends the decode
// like an error. The one exception is an unknown JFIF revision, which says nothing about the
// pixels. Trace and advisory messages (levels >= 0) are ignored.
void JpegEmitMessage(j_common_ptr info, int level)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level >= 0 || manager->pixelsComplete || info->err->msg_code == JWRN_JFIF_MAJOR)
        return;
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::snprintf(manager->message, sizeof manager->message, "damaged JPEG data: %s", text);
    std::longjmp(manager->jump, 1);
}

// Nothing goes to standard error from here: the caller reports the reason once, with the path.
void JpegOutputMessage(j_common_ptr) {}

// The decode proper, after the caller has set the jump. Holds only plain data (see the top of
// the file). False with the reason in `reason` for pictures we refuse ourselves.
bool DecodeJpegBody(jpeg_decompress_struct* info, JpegErrorManager* errors, const uint8_t* bytes,
                    size_t size, DecodedImage* image, char* reason, size_t reasonSize)
{
    jpeg_create_decompress(info);
    jpeg_mem_src(info, bytes, static_cast<unsigned long>(size));
    // With require_image TRUE a file without a picture is an error (longjmp), never a return.
    jpeg_read_header(info, TRUE);
    if (info->image_width == 0 || info->image_height == 0 || info->image_width > kMaxImageSide ||
        info->image_height > kMaxImageSide)
    {
        std::snprintf(reason, reasonSize, "picture size %ux%u is outside 1..%d per side",
                      static_cast<unsigned>(info->image_width),
                      static_cast<unsigned>(info->image_height), kMaxImageSide);
        return false;
    }
    switch (info->jpeg_color_space)
    {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        std::snprintf(reason, reasonSize, "CMYK JPEG pictures are not supported");
        return false;
    default:
        std::snprintf(reason, reasonSize, "unsupported JPEG colour space %d",
                      static_cast<int>(info->jpeg_color_space));
        return false;
    }
    // Greyscale expands to RGB inside libjpeg.
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    if (info->output_components != 3)
    {
        std::snprintf(reason, reasonSize, "decoder produced %d channels instead of 3",
                      info->output_components);
        return false;
    }
    image->width = static_cast<int>(info->output_width);
    image->height = static_cast<int>(info->output_height);
    image->channels = 3;
    const size_t stride = static_cast<size_t>(image->width) * 3;
    image->pixels.resize(stride * static_cast<size_t>(image->height));
    // libjpeg delivers the top row first; ours is the bottom row first.
    while (info->output_scanline < info->output_height)
    {
        const size_t row = static_cast<size_t>(image->height) - 1 - info->output_scanline;
        JSAMPROW target = image->pixels.data() + row * stride;
        jpeg_read_scanlines(info, &target, 1);
    }
    errors->pixelsComplete = true;
    jpeg_finish_decompress(info);
    return true;
}

// True when the picture was decoded; false with the reason in errors->message when libjpeg
// reported an error or we refused the picture. The jump is set here, where no local changes
// after it.
bool RunJpegDecode(jpeg_decompress_struct* info, JpegErrorManager* errors, const uint8_t* bytes,
                   size_t size, DecodedImage* image)
{
    if (setjmp(errors->jump) != 0)
        return false;
    return DecodeJpegBody(info, errors, bytes, size, image, errors->message,
                          sizeof errors->message);
}

} // namespace

bool DecodeJpegWithPlatformLibrary(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (size > ULONG_MAX)
        return CodecFail(error, "file too large");

    // Zeroed so that destroying it is safe even if creating it failed half-way. Both live in
    // this frame, outside the function that sets the jump, so nothing libjpeg changed in them
    // is lost by the jump.
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    JpegErrorManager errors;
    std::memset(&errors, 0, sizeof errors);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegErrorExit;
    errors.base.emit_message = JpegEmitMessage;
    errors.base.output_message = JpegOutputMessage;
    bool decoded = false;
    try
    {
        decoded = RunJpegDecode(&info, &errors, bytes, size, image);
    }
    catch (const std::bad_alloc&)
    {
        std::snprintf(errors.message, sizeof errors.message, "out of memory");
    }
    jpeg_destroy_decompress(&info);
    if (!decoded)
    {
        *image = DecodedImage();
        return CodecFail(error, errors.message);
    }
    return true;
}
