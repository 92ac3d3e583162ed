// PNG files through the Windows Imaging Component's PNG encoder; see
// win32_png_file.h.
#include "host/win32/win32_png_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include "host/win32/com_helpers.h"
#include "host/win32/win32_host.h"

#include <cstdio>

namespace host::win32 {

namespace {

std::string failure(const std::string& path, const char* step, HRESULT result)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(result));
    return path + ": " + step + " failed (" + code + ")";
}

} // namespace

bool write_png_file(const std::string& path, const gfx::Surface& surface,
                  std::vector<unsigned char>& rgb, std::string& error)
{
    const UINT width = UINT(surface.width());
    const UINT height = UINT(surface.height());
    // Blue, green, red in memory: the encoder's 24-bit format.
    const UINT stride = width * 3;
    rgb.resize(std::size_t(stride) * height);
    unsigned char* out = rgb.data();
    for (UINT y = 0; y < height; ++y) {
        const gfx::Pixel* row = surface.row(int(y));
        for (UINT x = 0; x < width; ++x) {
            *out++ = std::uint8_t(gfx::blue_of(row[x]));
            *out++ = std::uint8_t(gfx::green_of(row[x]));
            *out++ = std::uint8_t(gfx::red_of(row[x]));
        }
    }

    ComForCall com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> image;
    ComRef<IPropertyBag2> properties;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
    const char* step = "starting the imaging component";
    if (SUCCEEDED(result) && (step = "creating the file", true))
        result = factory->CreateStream(stream.out());
    if (SUCCEEDED(result))
        result = stream->InitializeFromFilename(utf16_from_utf8(path).c_str(), GENERIC_WRITE);
    if (SUCCEEDED(result) && (step = "encoding", true))
        result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out());
    if (SUCCEEDED(result))
        result = encoder->Initialize(stream.p, WICBitmapEncoderNoCache);
    if (SUCCEEDED(result))
        result = encoder->CreateNewFrame(image.out(), properties.out());
    if (SUCCEEDED(result))
        result = image->Initialize(properties.p);
    if (SUCCEEDED(result))
        result = image->SetSize(width, height);
    if (SUCCEEDED(result))
        result = image->SetPixelFormat(&format);
    if (SUCCEEDED(result) && format != GUID_WICPixelFormat24bppBGR)
        result = E_FAIL; // the encoder would not take our pixels as they are
    if (SUCCEEDED(result))
        result = image->WritePixels(height, stride, UINT(rgb.size()), rgb.data());
    if (SUCCEEDED(result))
        result = image->Commit();
    if (SUCCEEDED(result) && (step = "writing the file", true))
        result = encoder->Commit();
    if (FAILED(result)) {
        error = failure(path, step, result);
        return false;
    }
    return true;
}

} // namespace host::win32
