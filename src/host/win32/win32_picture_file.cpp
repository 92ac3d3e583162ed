// Picture files through the system's decoders. OLE's picture loader reads
// the classic formats (bitmaps, GIF, JPEG, metafiles);
// what it refuses goes to the Windows Imaging Component, which reads PNG
// and whatever codecs the system has. See win32_picture_file.h.
#include "host/win32/win32_picture_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include "host/long_path.h"
#include "host/win32/com_helpers.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_present.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace host {

namespace {

using win32::ComForCall;
using win32::ComRef;

// A file larger than this is no picture we would show: the largest
// uncompressed bitmap of kMaxPicturePixels is 256 MiB.
constexpr LONGLONG kMaxFileBytes = LONGLONG(256) * 1024 * 1024 + 4096;

// OLE measures pictures in hundredths of a millimetre.
constexpr int kHimetricPerInch = 2540;

bool acceptable_size(std::int64_t width, std::int64_t height, std::int64_t max_pixels)
{
    return width > 0 && height > 0 && width * height <= max_pixels;
}

// The path as every function below opens it: made full by the system (a
// relative path, "." and "..", trailing dots and blanks tidied as for any
// Win32 path), then in its long form, so that a picture deep in a folder
// tree opens as well as any other (an ordinary path stops at 260
// characters). Empty when the system cannot make it full.
std::wstring openable_path(const std::wstring& path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (size == 0 || size >= full.size())
        return {};
    full.resize(size);
    return long_path_form(full);
}

// The whole file in global memory, as a stream over it wants; null when it
// cannot be read or is too large to be a picture.
HGLOBAL read_whole_file(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    // A pipe or a device would block the read or never end.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    LARGE_INTEGER size{};
    HGLOBAL memory = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxFileBytes) {
        memory = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(size.QuadPart));
        void* bytes = memory ? GlobalLock(memory) : nullptr;
        DWORD read = 0;
        const bool complete = bytes && ReadFile(file, bytes, DWORD(size.QuadPart), &read, nullptr)
                              && read == DWORD(size.QuadPart);
        if (bytes)
            GlobalUnlock(memory);
        if (!complete && memory) {
            GlobalFree(memory);
            memory = nullptr;
        }
    }
    CloseHandle(file);
    return memory;
}

// The picture's size in pixels: a bitmap's own, a metafile's from its
// physical size at the screen's resolution.
bool picture_pixels(IPicture* picture, int& width, int& height)
{
    SHORT type = PICTYPE_UNINITIALIZED;
    picture->get_Type(&type);
    OLE_HANDLE handle = 0;
    if (type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle))) {
        BITMAP bitmap{};
        if (GetObjectW(reinterpret_cast<HBITMAP>(std::uintptr_t(handle)), sizeof bitmap, &bitmap)) {
            width = bitmap.bmWidth;
            height = bitmap.bmHeight < 0 ? -bitmap.bmHeight : bitmap.bmHeight;
            return true;
        }
    }
    OLE_XSIZE_HIMETRIC himetric_width = 0;
    OLE_YSIZE_HIMETRIC himetric_height = 0;
    if (FAILED(picture->get_Width(&himetric_width)) || FAILED(picture->get_Height(&himetric_height)))
        return false;
    HDC screen = GetDC(nullptr);
    const int dpi_x = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpi_y = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    width = MulDiv(himetric_width, dpi_x, kHimetricPerInch);
    height = MulDiv(himetric_height, dpi_y, kHimetricPerInch);
    return true;
}

// The size the Windows Imaging Component reads from the header of the
// file's first frame, before anything is decoded; nothing when it does not
// know the format (a metafile).
std::optional<std::pair<UINT, UINT>> declared_size(const std::wstring& path)
{
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()))))
        return std::nullopt;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out())))
        return std::nullopt;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&width, &height)))
        return std::nullopt;
    return std::pair{width, height};
}

bool decode_with_ole(const std::wstring& path, gfx::Surface& out, std::int64_t max_pixels)
{
    HGLOBAL memory = read_whole_file(path);
    if (!memory)
        return false;
    const LONG size = LONG(GlobalSize(memory));
    ComRef<IStream> stream;
    // The stream frees the memory when it goes.
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.out()))) {
        GlobalFree(memory);
        return false;
    }
    ComRef<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.p, size, FALSE, IID_IPicture,
                              reinterpret_cast<void**>(picture.out()))))
        return false;
    int width = 0, height = 0;
    if (!picture_pixels(picture.p, width, height) || !acceptable_size(width, height, max_pixels))
        return false;
    win32::DibSection canvas; // black where the picture leaves it bare
    if (!canvas.ensure(width, height))
        return false;
    OLE_XSIZE_HIMETRIC himetric_width = 0;
    OLE_YSIZE_HIMETRIC himetric_height = 0;
    picture->get_Width(&himetric_width);
    picture->get_Height(&himetric_height);
    // The source rectangle runs upward in HIMETRIC, as OLE's y axis does.
    if (FAILED(picture->Render(canvas.dc(), 0, 0, width, height, 0, himetric_height,
                               himetric_width, -himetric_height, nullptr)))
        return false;
    gfx::Surface decoded(width, height);
    canvas.copy_to(decoded);
    out = std::move(decoded);
    return true;
}

bool decode_with_wic(const std::wstring& path, gfx::Surface& out, std::int64_t max_pixels)
{
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()))))
        return false;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out())))
        return false;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.out())))
        return false;
    UINT width = 0, height = 0;
    // The header's size is judged before a single pixel is decoded.
    if (FAILED(frame->GetSize(&width, &height)) || !acceptable_size(width, height, max_pixels))
        return false;
    // Premultiplied alpha over black is the colour channels as they stand.
    ComRef<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.p, converted.out())))
        return false;
    gfx::Surface decoded{int(width), int(height)};
    const UINT stride = width * 4;
    auto* bytes = reinterpret_cast<BYTE*>(decoded.pixels().data());
    if (FAILED(converted->CopyPixels(nullptr, stride, stride * height, bytes)))
        return false;
    for (gfx::Pixel& p : decoded.pixels())
        p &= 0xFFFFFFu; // the alpha byte goes
    out = std::move(decoded);
    return true;
}

} // namespace

PictureResult decode_picture_file(const std::string& path_utf8, gfx::Surface& out,
                                  std::int64_t max_pixels)
{
    const std::wstring given = utf16_from_utf8(path_utf8);
    const std::wstring path = given.empty() ? given : openable_path(given);
    if (path.empty())
        return PictureResult::Unreadable;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return PictureResult::Unreadable;
    ComForCall com;
    // OLE decodes a picture whole before its size can be asked (a JPEG
    // declaring 13000 x 13000 would take gigabytes): a picture whose header
    // declares more than the limit never reaches it.
    if (const auto size = declared_size(path); size && !acceptable_size(size->first, size->second, max_pixels))
        return PictureResult::TooLarge;
    if (decode_with_ole(path, out, max_pixels) || decode_with_wic(path, out, max_pixels))
        return PictureResult::Decoded;
    return PictureResult::Broken;
}

namespace {

// What the decoding thread and its caller share; whichever lets go last
// frees it, so a caller that gives up never waits for the thread.
struct DecodeJob {
    std::string path;
    std::int64_t max_pixels = 0;
    gfx::Surface picture;
    PictureResult result = PictureResult::Broken;
    HANDLE done = nullptr;
    LONG holders = 2;

    void let_go()
    {
        if (InterlockedDecrement(&holders) == 0) {
            CloseHandle(done);
            delete this;
        }
    }
};

DWORD WINAPI run_decode_job(void* parameter)
{
    auto* job = static_cast<DecodeJob*>(parameter);
    try {
        job->result = decode_picture_file(job->path, job->picture, job->max_pixels);
    } catch (const std::bad_alloc&) {
        job->result = PictureResult::TooLarge;
    }
    SetEvent(job->done);
    job->let_go();
    return 0;
}

} // namespace

PictureResult decode_picture_file_off_thread(const std::string& path_utf8, gfx::Surface& out,
                                             std::int64_t max_pixels,
                                             const std::function<void(void* done, int timeout_ms)>& wait,
                                             int deadline_ms)
{
    auto* job = new DecodeJob{path_utf8, max_pixels, {}, PictureResult::Broken, nullptr, 2};
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = job->done ? CreateThread(nullptr, 0, run_decode_job, job, 0, nullptr) : nullptr;
    if (!thread) {
        // No thread to decode on: decoded here, as bounded as the decoder is.
        if (job->done)
            CloseHandle(job->done);
        delete job;
        return decode_picture_file(path_utf8, out, max_pixels);
    }
    CloseHandle(thread);
    // The caller's hold, let go however the wait ends.
    struct Hold {
        DecodeJob* job;
        ~Hold() { job->let_go(); }
    } hold{job};

    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(deadline_ms, 0));
    while (WaitForSingleObject(job->done, 0) != WAIT_OBJECT_0) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return PictureResult::TooLarge;
        wait(job->done, int(deadline - now));
    }
    if (job->result == PictureResult::Decoded)
        out = std::move(job->picture);
    return job->result;
}

} // namespace host
