// window_font.cpp: the console font. "ＭＳ 明朝" wherever the system has it; where it has not
// (Wine with no Japanese fonts of its own, a Windows without the Japanese supplement), the
// system's font mapper may give a face that lacks the glyphs and draws boxes. Then the console
// takes the best face that the system lists for the Shift-JIS character set: fixed pitch first,
// since the grid gives every byte one cell; a Mincho face before a Gothic one, as the named face
// is a Mincho; never a vertical ("@") face, whose glyphs lie on their side.
//
// The cell size follows from whichever font this makes (WM_CREATE measures it).
#include "platform/win32/window.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

// Mincho 2, Gothic 1, other 0: the face's name in either script.
static int FaceStyle(const wchar_t *face) {
    static const wchar_t *const kMincho[] = {L"\x660E\x671D", L"Mincho", L"MINCHO", L"mincho"};
    static const wchar_t *const kGothic[] = {L"\x30B4\x30B7\x30C3\x30AF", L"Gothic", L"GOTHIC",
                                             L"gothic"};
    for (const wchar_t *m : kMincho)
        if (std::wcsstr(face, m) != nullptr)
            return 2;
    for (const wchar_t *g : kGothic)
        if (std::wcsstr(face, g) != nullptr)
            return 1;
    return 0;
}

int WinFontChoose(const WinFontCandidate *c, int n) {
    int best = -1, bestRank = -1;
    for (int i = 0; i < n; i++) {
        if (c[i].face[0] == L'@' || c[i].face[0] == 0)
            continue;
        int rank = (c[i].fixedPitch ? 4 : 0) + FaceStyle(c[i].face);
        if (rank > bestRank) {
            best = i;
            bestRank = rank;
        }
    }
    return best;
}

struct Listed {
    std::vector<std::wstring> faces;
    std::vector<bool> fixed;
};

static int CALLBACK ListFace(const LOGFONTW *font, const TEXTMETRICW *, DWORD, LPARAM data) {
    Listed *l = (Listed *)data;
    l->faces.push_back(font->lfFaceName);
    l->fixed.push_back((font->lfPitchAndFamily & 3) == FIXED_PITCH);
    return 1;
}

// The face the system actually gives for font.
static std::wstring SelectedFace(HDC dc, HFONT font) {
    wchar_t face[LF_FACESIZE] = {0};
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    return face;
}

static std::wstring BestListedFace(HDC dc) {
    LOGFONTW want;
    std::memset(&want, 0, sizeof want);
    want.lfCharSet = SHIFTJIS_CHARSET;
    Listed listed;
    EnumFontFamiliesExW(dc, &want, ListFace, (LPARAM)&listed, 0);
    std::vector<WinFontCandidate> candidates;
    for (size_t i = 0; i < listed.faces.size(); i++)
        candidates.push_back(WinFontCandidate{listed.faces[i].c_str(), listed.fixed[i]});
    int best = WinFontChoose(candidates.data(), (int)candidates.size());
    return best < 0 ? std::wstring() : listed.faces[best];
}

void WinFontFromSpec(const LOGFONTA *desc, LOGFONTW *out) {
    // The two descriptions differ only in the face name's characters, their last member.
    std::memset(out, 0, sizeof *out);
    std::memcpy(out, desc, offsetof(LOGFONTA, lfFaceName));
    int n = (int)strnlen(desc->lfFaceName, sizeof desc->lfFaceName);
    int k = WinTextToWide((const uint8_t *)desc->lfFaceName, n, out->lfFaceName);
    out->lfFaceName[k < LF_FACESIZE ? k : LF_FACESIZE - 1] = 0;
}

HFONT WinFontCreate(LOGFONTA *desc) {
    LOGFONTW font;
    WinFontFromSpec(desc, &font);
    HFONT named = CreateFontIndirectW(&font);
    HDC dc = GetDC(nullptr);
    if (named == nullptr || dc == nullptr) {
        if (dc != nullptr)
            ReleaseDC(nullptr, dc);
        return named;
    }
    // A Windows in another language may name the very face by its English name.
    std::wstring face = SelectedFace(dc, named);
    bool itself = face == font.lfFaceName || face == L"MS Mincho";
    std::wstring best = itself ? std::wstring() : BestListedFace(dc);
    ReleaseDC(nullptr, dc);
    if (best.empty() || best == face)
        return named;

    uint8_t bytes[sizeof desc->lfFaceName - 1];
    uint32_t n = WinWideToCp932(best.c_str(), (uint32_t)best.size(), bytes, sizeof bytes);
    std::wcsncpy(font.lfFaceName, best.c_str(), LF_FACESIZE - 1);
    HFONT chosen = CreateFontIndirectW(&font);
    if (chosen == nullptr)
        return named;
    DeleteObject(named);
    std::memset(desc->lfFaceName, 0, sizeof desc->lfFaceName);
    std::memcpy(desc->lfFaceName, bytes, n);   // the input method's font follows
    return chosen;
}
