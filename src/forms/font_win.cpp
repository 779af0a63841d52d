#include "forms/font_win.h"

#include <cmath>
#include <map>

namespace corvalinth::forms {
namespace {

bool FaceInstalled(const std::wstring& face, BYTE charset)
{
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    ScopedGetDC screen(nullptr);
    LOGFONTW query{};
    query.lfCharSet = charset;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(
        screen.Get(), &query,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM context) -> int {
            *reinterpret_cast<bool*>(context) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

std::wstring ResolveFace(const FontRequest& request)
{
    static std::map<std::pair<std::wstring, BYTE>, std::wstring> resolved;
    const auto key = std::make_pair(request.face, request.charset);
    if (auto it = resolved.find(key); it != resolved.end()) return it->second;
    std::wstring face;
    if (FaceInstalled(request.face, request.charset)) {
        face = request.face;
    } else if (request.charset == SHIFTJIS_CHARSET) {
        for (const wchar_t* candidate : {L"MS PGothic", L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI",
                                         L"Noto Sans CJK JP", L"Noto Sans JP", L"IPAPGothic",
                                         L"VL PGothic", L"TakaoPGothic", L"Droid Sans Japanese"}) {
            if (FaceInstalled(candidate, request.charset)) {
                face = candidate;
                break;
            }
        }
    }
    resolved.emplace(key, face);
    return face;
}

int FontHeightForDpi(double points, int dpi)
{
    return -static_cast<int>(std::lround(points * dpi / 72.0));
}

Font CreateUiFont(const FontRequest& request, int dpi)
{
    LOGFONTW lf{};
    lf.lfHeight = FontHeightForDpi(request.points, dpi);
    lf.lfWeight = request.weight;
    lf.lfItalic = request.italic;
    lf.lfUnderline = request.underline;
    lf.lfStrikeOut = request.strikeOut;
    lf.lfCharSet = request.charset;
    lf.lfQuality = CLEARTYPE_QUALITY;
    ResolveFace(request).copy(lf.lfFaceName, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&lf));
}

}  // namespace corvalinth::forms
