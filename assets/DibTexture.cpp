// Reading a .bmp file into memory and making a GL texture of it. The decoding itself is
// DecodeDib (DibDecode.cpp); this file adds the file, the user's messages and the upload.
#include "DibTexture.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DemoGL.h"
#include "FileBytes.h"

namespace {

void ShowError(const std::string& text)
{
    MessageBoxA(GetFocus(), text.c_str(), "Error", MB_OK);
}

} // namespace

RgbImage* ReadDibFile(const char* pszFileName)
{
    if (pszFileName == nullptr)
        return nullptr;
    unsigned char* bytes = nullptr;
    size_t size = 0;
    const FileRead read = ReadFileBytes(pszFileName, &bytes, &size);
    if (read == FileRead::CannotOpen)
    {
        ShowError(std::string("Failed to open DIB file ") + pszFileName + ".\n");
        return nullptr;
    }
    if (read == FileRead::OutOfMemory)
    {
        ShowError(DibStatusMessage(DibStatus::OutOfMemory));
        return nullptr;
    }
    RgbImage* image = nullptr;
    const DibStatus status = DecodeDib(bytes, size, &image);
    std::free(bytes);
    if (status != DibStatus::Ok)
    {
        ShowError(DibStatusMessage(status));
        return nullptr;
    }
    return image;
}

RgbImage* LoadDibImage(const char* pszFileName)
{
    if (pszFileName == nullptr)
        return nullptr;
    // A file that cannot be opened at all is not worth a message: the material stays plain.
    FILE* file = std::fopen(pszFileName, "r");
    if (file == nullptr)
        return nullptr;
    std::fclose(file);
    return ReadDibFile(pszFileName);
}

unsigned int LoadBitmapTexture(const char* pszFileName)
{
    RgbImage* image = LoadDibImage(pszFileName);
    if (image == nullptr || image->data == nullptr)
    {
        FreeRgbImage(image);
        return 0;
    }

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The rows are packed to 3 x width bytes. Whatever unpack state the caller left (an
    // alignment of 4 would skew every width not a multiple of 4) is set aside for the upload.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->data);
    glPopClientAttrib();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    FreeRgbImage(image);
    return texture;
}
