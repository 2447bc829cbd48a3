// Opening faces with a reason for each refusal, and their sizes: a bitmap face takes the
// smallest bitmap size at least as large as the line (else its largest), so scaling only ever
// shrinks it, which keeps it sharp.
#include "tools/lib/glyphs/FontChain.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

namespace {

int roundedPixels(FT_Pos sixtyFourths)
{
    return int((sixtyFourths + 32) >> 6);
}

// Why a file is no font the chain can open, before FreeType is asked.
std::optional<std::string> unreadable(const std::string& path)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "no such file";
    if (std::filesystem::is_directory(status))
        return "a folder, not a font file";
    if (!std::filesystem::is_regular_file(status))
        return "not a regular file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::string("cannot be read: ") + std::strerror(errno);
    std::fclose(file);
    return std::nullopt;
}

}  // namespace

FontChain::FontChain(const std::vector<std::string>& paths)
{
    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        for (const std::string& path : paths)
            openProblems.push_back({path, "FreeType cannot start"});
        return;
    }
    for (const std::string& path : paths)
        if (std::optional<std::string> reason = open(path))
            openProblems.push_back({path, *reason});
}

std::optional<std::string> FontChain::open(const std::string& path)
{
    if (std::optional<std::string> reason = unreadable(path))
        return reason;
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(library, path.c_str(), 0, &face);
    if (error == FT_Err_Unknown_File_Format)
        return "not a font file FreeType can read, or a damaged one";
    if (error != 0) {
        char code[64];
        std::snprintf(code, sizeof code, "a damaged font file (FreeType error 0x%02X)", unsigned(error));
        return std::string(code);
    }
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return "it has no Unicode character map, so no character can be looked up in it";
    }
    bool bitmapsOnly = !FT_IS_SCALABLE(face);
    if (bitmapsOnly && face->num_fixed_sizes == 0) {
        FT_Done_Face(face);
        return "it has neither outlines nor bitmap sizes";
    }
    Face entry{path, face, hb_ft_font_create_referenced(face), bitmapsOnly, 1.0};
    faces.push_back(entry);
    hb_ft_font_set_load_flags(entry.font, loadFlags(faces.size() - 1));
    return std::nullopt;
}

FontChain::~FontChain()
{
    for (Face& entry : faces) {
        hb_font_destroy(entry.font);
        FT_Done_Face(entry.face);
    }
    if (library != nullptr)
        FT_Done_FreeType(library);
}

std::optional<FontProblem> FontChain::setPixelSize(int size)
{
    for (Face& entry : faces) {
        FT_Face face = entry.face;
        if (!entry.bitmapsOnly) {
            if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
                return FontProblem{entry.path, "it cannot be set to " + std::to_string(size) + " pixels"};
        } else {
            int chosen = 0;
            for (int i = 1; i < face->num_fixed_sizes; ++i) {
                FT_Pos best = face->available_sizes[chosen].y_ppem;
                FT_Pos candidate = face->available_sizes[i].y_ppem;
                bool bestLarge = best >= FT_Pos(size) * 64;
                bool candidateLarge = candidate >= FT_Pos(size) * 64;
                if ((candidateLarge && (!bestLarge || candidate < best)) || (!bestLarge && candidate > best))
                    chosen = i;
            }
            if (FT_Select_Size(face, chosen) != 0)
                return FontProblem{entry.path, "its bitmap size cannot be selected"};
            entry.scale = double(size) * 64.0 / double(face->available_sizes[chosen].y_ppem);
        }
        hb_ft_font_changed(entry.font);
    }
    pixels = size;
    return std::nullopt;
}

int FontChain::ascent(std::size_t face) const
{
    const Face& entry = faces.at(face);
    return int(std::lround(roundedPixels(entry.face->size->metrics.ascender) * entry.scale));
}

int FontChain::descent(std::size_t face) const
{
    const Face& entry = faces.at(face);
    return int(std::lround(-roundedPixels(entry.face->size->metrics.descender) * entry.scale));
}

const std::string& FontChain::path(std::size_t face) const
{
    return faces.at(face).path;
}

bool FontChain::hasCharacter(std::size_t face, char32_t codePoint) const
{
    return FT_Get_Char_Index(faces.at(face).face, FT_ULong(codePoint)) != 0;
}

bool FontChain::isColour(std::size_t face) const
{
    return FT_HAS_COLOR(faces.at(face).face);
}

double FontChain::scale(std::size_t face) const
{
    return faces.at(face).scale;
}

hb_font_t* FontChain::shapingFont(std::size_t face) const
{
    return faces.at(face).font;
}

FT_FaceRec_* FontChain::freetypeFace(std::size_t face) const
{
    return faces.at(face).face;
}

int FontChain::loadFlags(std::size_t face) const
{
    return isColour(face) ? FT_LOAD_DEFAULT | FT_LOAD_COLOR : FT_LOAD_DEFAULT;
}
