// Text through GDI fonts (see host/system_text.h), drawn into a DIB section that
// holds the part of the surface under the text, so that smoothed edges blend
// with what is there, and copied back.
#include "host/system_text.h"

#include "host/win32/win32_host_impl.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>
#include <vector>

namespace host {

namespace {

using win32::DibSection;

// The faces of a Japanese Gothic in order of preference: the dialog's own
// first, then those of other Windows versions, then those Linux
// distributions give Wine.
constexpr const wchar_t* kGothicFaces[] = {
    L"MS UI Gothic", L"MS PGothic", L"MS Gothic", L"Meiryo UI", L"Yu Gothic UI",
    L"IPAPGothic", L"IPAGothic", L"IPAexGothic", L"VL PGothic", L"Noto Sans CJK JP",
};

bool has_non_ascii(std::wstring_view text)
{
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 0x7F; });
}

struct FaceSearch {
    const wchar_t* wanted = nullptr; // null: any Gothic face
    std::wstring found;
};

int CALLBACK note_face(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    auto* search = reinterpret_cast<FaceSearch*>(data);
    const std::wstring_view face = font->lfFaceName;
    if (face.empty() || face.front() == L'@') // vertical-writing variants
        return 1;
    if (search->wanted || face.find(L"Gothic") != std::wstring_view::npos
        || face.find(L"\u30B4\u30B7\u30C3\u30AF") != std::wstring_view::npos) { // ゴシック
        search->found = face;
        return 0;
    }
    return 1;
}

// The installed face `wanted` in `charset`, or with a null `wanted` the
// first Gothic face of it; empty when there is none.
std::wstring installed_face(HDC dc, const wchar_t* wanted, BYTE charset)
{
    LOGFONTW query{};
    query.lfCharSet = charset;
    if (wanted)
        wcsncpy(query.lfFaceName, wanted, LF_FACESIZE - 1);
    FaceSearch search{wanted, {}};
    EnumFontFamiliesExW(dc, &query, note_face, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

// The faces of a list "A, B, C", blanks around each taken off.
std::vector<std::wstring> face_list(const std::wstring& list)
{
    std::vector<std::wstring> faces;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(L',', start);
        if (end == std::wstring::npos)
            end = list.size();
        std::size_t first = start, last = end;
        while (first < last && list[first] == L' ')
            ++first;
        while (last > first && list[last - 1] == L' ')
            --last;
        if (last > first)
            faces.push_back(list.substr(first, last - first));
        start = end + 1;
    }
    return faces;
}

std::wstring choose_face(HDC dc, const std::wstring& wanted, BYTE charset)
{
    const std::vector<std::wstring> faces = face_list(wanted);
    for (const std::wstring& face : faces)
        if (!installed_face(dc, face.c_str(), charset).empty())
            return face;
    if (charset != SHIFTJIS_CHARSET)
        // The system's own substitution serves Latin text well.
        return faces.empty() ? std::wstring() : faces.front();
    for (const wchar_t* face : kGothicFaces)
        if (!installed_face(dc, face, charset).empty())
            return face;
    const std::wstring any = installed_face(dc, nullptr, charset);
    return !any.empty() || faces.empty() ? any : faces.front();
}

// A font for `text` in the device context's resolution; the caller deletes it.
HFONT create_font(HDC dc, const Font& font, std::wstring_view text)
{
    LOGFONTW description{};
    const double dots_per_inch = GetDeviceCaps(dc, LOGPIXELSY);
    // A negative height asks for the character height without the leading,
    // which is what a size in points means.
    description.lfHeight = -LONG(std::lround(font.size_pt * dots_per_inch / 72.0));
    description.lfWeight = std::clamp(font.weight, 0, 1000);
    description.lfCharSet = has_non_ascii(text) ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = choose_face(dc, utf16_from_utf8(font.face), description.lfCharSet);
    wcsncpy(description.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&description);
}

// The extent of `text` in `font`, measured in a screen-compatible context.
SIZE measure(HDC dc, HFONT font, std::wstring_view text)
{
    SIZE size{};
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    SelectObject(dc, previous);
    return size;
}

} // namespace

int SystemText::draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                       gfx::Pixel colour)
{
    const std::wstring text = utf16_from_utf8(utf8);
    if (text.empty() || into.empty())
        return 0;
    HDC screen = CreateCompatibleDC(nullptr);
    HFONT handle = create_font(screen, font, text);
    const SIZE size = measure(screen, handle, text);
    DeleteDC(screen);

    // The part of the surface the text covers.
    const int left = std::max(at.x, 0), top = std::max(at.y, 0);
    const int right = std::min(at.x + int(size.cx), into.width());
    const int bottom = std::min(at.y + int(size.cy), into.height());
    DibSection canvas;
    if (right > left && bottom > top && canvas.ensure(right - left, bottom - top)) {
        for (int y = top; y < bottom; ++y)
            std::copy_n(into.row(y) + left, right - left,
                        canvas.bits() + std::size_t(y - top) * std::size_t(right - left));
        HGDIOBJ previous = SelectObject(canvas.dc(), handle);
        SetBkMode(canvas.dc(), TRANSPARENT);
        SetTextColor(canvas.dc(), RGB(gfx::red_of(colour), gfx::green_of(colour), gfx::blue_of(colour)));
        TextOutW(canvas.dc(), at.x - left, at.y - top, text.data(), int(text.size()));
        SelectObject(canvas.dc(), previous);
        GdiFlush();
        for (int y = top; y < bottom; ++y) {
            const gfx::Pixel* from = canvas.bits() + std::size_t(y - top) * std::size_t(right - left);
            gfx::Pixel* to = into.row(y) + left;
            for (int x = 0; x < right - left; ++x)
                to[x] = from[x] & 0xFFFFFFu;
        }
    }
    DeleteObject(handle);
    return int(size.cx);
}

int SystemText::text_width(std::string_view utf8, const Font& font)
{
    const std::wstring text = utf16_from_utf8(utf8);
    if (text.empty())
        return 0;
    HDC screen = CreateCompatibleDC(nullptr);
    HFONT handle = create_font(screen, font, text);
    const SIZE size = measure(screen, handle, text);
    DeleteObject(handle);
    DeleteDC(screen);
    return int(size.cx);
}

int SystemText::text_height(std::string_view utf8, const Font& font)
{
    const std::wstring text = utf16_from_utf8(utf8);
    HDC screen = CreateCompatibleDC(nullptr);
    HFONT handle = create_font(screen, font, text);
    // An empty text still has the font's height.
    const SIZE size = measure(screen, handle, text.empty() ? std::wstring_view(L" ") : text);
    DeleteObject(handle);
    DeleteDC(screen);
    return int(size.cy);
}

} // namespace host
