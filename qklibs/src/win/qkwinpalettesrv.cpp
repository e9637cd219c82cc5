// qkwinpalettesrv: the named colour palette (see the header). The built-in list
// below and the shipped colour list file hold the same 324 colours; a test
// keeps the two in step.
#include "qkwinpalettesrv.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkxmlsrv.h"

namespace {

struct BuiltinColour {
    const char* name;
    uint32_t value;
};

// The built-in list: the framework's thirteen basic colours first (so a look-up
// by value finds "Red" before "Red1"), then the desktop names in alphabetical
// order, their numbered shades (1 brightest, 4 darkest) and a few web names.
const BuiltinColour kBuiltin[] = {
    {"Black", 0x000000}, {"White", 0xFFFFFF}, {"Red", 0xFF0000}, {"Green", 0x00FF00},
    {"Blue", 0x0000FF}, {"Yellow", 0xFFFF00}, {"Green3", 0x4CC417}, {"DodgerBlue2", 0x157DEC},
    {"LightGray", 0xD3D3D3}, {"Gray", 0x736F6E}, {"DarkSlateGray", 0x2F4F4F}, {"Brown", 0xA62A2A},
    {"AntiqueWhite", 0xF0EEFF}, {"AliceBlue", 0xF0F8FF}, {"Aquamarine", 0x7FFFD4}, {"Azure", 0xF0FFFF},
    {"Beige", 0xF5F5DC}, {"Bisque", 0xFFE4C4}, {"BlanchedAlmond", 0xFFEBCD}, {"BlueViolet", 0x8A2BE2},
    {"Burlywood", 0xDEB887}, {"CadetBlue", 0x5F9EA0}, {"Chartreuse", 0x7FFF00},
    {"Chocolate", 0xD2691E}, {"Coral", 0xFF7F50}, {"CornflowerBlue", 0x6495ED}, {"Cornsilk", 0xFFF8DC},
    {"Cyan", 0x00FFFF}, {"DarkBlue", 0x00008B}, {"DarkCyan", 0x008B8B}, {"DarkGoldenrod", 0xB8860B},
    {"DarkGray", 0xA9A9A9}, {"DarkGreen", 0x006400}, {"DarkKhaki", 0xBDB76B},
    {"DarkMagenta", 0x8B008B}, {"DarkOliveGreen", 0x556B2F}, {"DarkOrange", 0xFF8C00},
    {"DarkOrchid", 0x9932CC}, {"DarkRed", 0x8B0000}, {"DarkSalmon", 0xE9967A},
    {"DarkSeaGreen", 0x8FBC8F}, {"DarkSlateBlue", 0x483D8B}, {"DarkTurquoise", 0x00CED1},
    {"DarkViolet", 0x9400D3}, {"DeepPink", 0xFF1493}, {"DeepSkyBlue", 0x00BFFF}, {"DimGray", 0x696969},
    {"DodgerBlue", 0x1E90FF}, {"Firebrick", 0xB22222}, {"FloralWhite", 0xFFFAF0},
    {"ForestGreen", 0x228B22}, {"Gainsboro", 0xDCDCDC}, {"GhostWhite", 0xF8F8FF}, {"Gold", 0xFFD700},
    {"Goldenrod", 0xDAA520}, {"GreenYellow", 0xADFF2F}, {"Honeydew", 0xF0FFF0}, {"HotPink", 0xFF69B4},
    {"IndianRed", 0xCD5C5C}, {"Ivory", 0xFFFFF0}, {"Khaki", 0xF0E68C}, {"Lavender", 0xE6E6FA},
    {"LavenderBlush", 0xFFF0F5}, {"LawnGreen", 0x7CFC00}, {"LemonChiffon", 0xFFFACD},
    {"LightBlue", 0xADD8E6}, {"LightCoral", 0xF08080}, {"LightCyan", 0xE0FFFF},
    {"LightGoldenrod", 0xEEDD82}, {"LightGoldenrodYellow", 0xFAFAD2}, {"LightGreen", 0x90EE90},
    {"LightPink", 0xFFB6C1}, {"LightSalmon", 0xFFA07A}, {"LightSeaGreen", 0x20B2AA},
    {"LightSkyBlue", 0x87CEFA}, {"LightSlateBlue", 0x8470FF}, {"LightSlateGray", 0x778899},
    {"LightSteelBlue", 0xB0C4DE}, {"LightYellow", 0xFFFFE0}, {"LimeGreen", 0x32CD32},
    {"Linen", 0xFAF0E6}, {"Magenta", 0xFF00FF}, {"Maroon", 0xB03060}, {"MediumAquamarine", 0x66CDAA},
    {"MediumBlue", 0x0000CD}, {"MediumOrchid", 0xBA55D3}, {"MediumPurple", 0x9370DB},
    {"MediumSeaGreen", 0x3CB371}, {"MediumSlateBlue", 0x7B68EE}, {"MediumSpringGreen", 0x00FA9A},
    {"MediumTurquoise", 0x48D1CC}, {"MediumVioletRed", 0xC71585}, {"MidnightBlue", 0x191970},
    {"MintCream", 0xF5FFFA}, {"MistyRose", 0xFFE4E1}, {"Moccasin", 0xFFE4B5},
    {"NavajoWhite", 0xFFDEAD}, {"Navy", 0x000080}, {"NavyBlue", 0x000080}, {"OldLace", 0xFDF5E6},
    {"OliveDrab", 0x6B8E23}, {"Orange", 0xFFA500}, {"OrangeRed", 0xFF4500}, {"Orchid", 0xDA70D6},
    {"PaleGoldenrod", 0xEEE8AA}, {"PaleGreen", 0x98FB98}, {"PaleTurquoise", 0xAFEEEE},
    {"PaleVioletRed", 0xDB7093}, {"PapayaWhip", 0xFFEFD5}, {"PeachPuff", 0xFFDAB9}, {"Peru", 0xCD853F},
    {"Pink", 0xFFC0CB}, {"Plum", 0xDDA0DD}, {"PowderBlue", 0xB0E0E6}, {"Purple", 0xA020F0},
    {"RosyBrown", 0xBC8F8F}, {"RoyalBlue", 0x4169E1}, {"SaddleBrown", 0x8B4513}, {"Salmon", 0xFA8072},
    {"SandyBrown", 0xF4A460}, {"SeaGreen", 0x2E8B57}, {"Seashell", 0xFFF5EE}, {"Sienna", 0xA0522D},
    {"SkyBlue", 0x87CEEB}, {"SlateBlue", 0x6A5ACD}, {"SlateGray", 0x708090}, {"Snow", 0xFFFAFA},
    {"SpringGreen", 0x00FF7F}, {"SteelBlue", 0x4682B4}, {"Tan", 0xD2B48C}, {"Thistle", 0xD8BFD8},
    {"Tomato", 0xFF6347}, {"Turquoise", 0x40E0D0}, {"Violet", 0xEE82EE}, {"VioletRed", 0xD02090},
    {"Wheat", 0xF5DEB3}, {"WhiteSmoke", 0xF5F5F5}, {"YellowGreen", 0x9ACD32}, {"Red1", 0xFF0000},
    {"Red2", 0xEE0000}, {"Red3", 0xCD0000}, {"Red4", 0x8B0000}, {"Green1", 0x00FF00},
    {"Green2", 0x00EE00}, {"Green4", 0x008B00}, {"Blue1", 0x0000FF}, {"Blue2", 0x0000EE},
    {"Blue3", 0x0000CD}, {"Blue4", 0x00008B}, {"Yellow1", 0xFFFF00}, {"Yellow2", 0xEEEE00},
    {"Yellow3", 0xCDCD00}, {"Yellow4", 0x8B8B00}, {"Cyan1", 0x00FFFF}, {"Cyan2", 0x00EEEE},
    {"Cyan3", 0x00CDCD}, {"Cyan4", 0x008B8B}, {"Magenta1", 0xFF00FF}, {"Magenta2", 0xEE00EE},
    {"Magenta3", 0xCD00CD}, {"Magenta4", 0x8B008B}, {"Orange1", 0xFFA500}, {"Orange2", 0xEE9A00},
    {"Orange3", 0xCD8500}, {"Orange4", 0x8B5A00}, {"DarkOrange1", 0xFF7F00}, {"DarkOrange2", 0xEE7600},
    {"DarkOrange3", 0xCD6600}, {"DarkOrange4", 0x8B4500}, {"OrangeRed1", 0xFF4500},
    {"OrangeRed2", 0xEE4000}, {"OrangeRed3", 0xCD3700}, {"OrangeRed4", 0x8B2500},
    {"Tomato1", 0xFF6347}, {"Tomato2", 0xEE5C42}, {"Tomato3", 0xCD4F39}, {"Tomato4", 0x8B3626},
    {"Coral1", 0xFF7256}, {"Coral2", 0xEE6A50}, {"Coral3", 0xCD5B45}, {"Coral4", 0x8B3E2F},
    {"DodgerBlue1", 0x1E90FF}, {"DodgerBlue3", 0x1874CD}, {"DodgerBlue4", 0x104E8B},
    {"DeepSkyBlue1", 0x00BFFF}, {"DeepSkyBlue2", 0x00B2EE}, {"DeepSkyBlue3", 0x009ACD},
    {"DeepSkyBlue4", 0x00688B}, {"SkyBlue1", 0x87CEFF}, {"SkyBlue2", 0x7EC0EE}, {"SkyBlue3", 0x6CA6CD},
    {"SkyBlue4", 0x4A708B}, {"SteelBlue1", 0x63B8FF}, {"SteelBlue2", 0x5CACEE},
    {"SteelBlue3", 0x4F94CD}, {"SteelBlue4", 0x36648B}, {"RoyalBlue1", 0x4876FF},
    {"RoyalBlue2", 0x436EEE}, {"RoyalBlue3", 0x3A5FCD}, {"RoyalBlue4", 0x27408B},
    {"SlateBlue1", 0x836FFF}, {"SlateBlue2", 0x7A67EE}, {"SlateBlue3", 0x6959CD},
    {"SlateBlue4", 0x473C8B}, {"LightBlue1", 0xBFEFFF}, {"LightBlue2", 0xB2DFEE},
    {"LightBlue3", 0x9AC0CD}, {"LightBlue4", 0x68838B}, {"CadetBlue1", 0x98F5FF},
    {"CadetBlue2", 0x8EE5EE}, {"CadetBlue3", 0x7AC5CD}, {"CadetBlue4", 0x53868B},
    {"Turquoise1", 0x00F5FF}, {"Turquoise2", 0x00E5EE}, {"Turquoise3", 0x00C5CD},
    {"Turquoise4", 0x00868B}, {"Aquamarine1", 0x7FFFD4}, {"Aquamarine2", 0x76EEC6},
    {"Aquamarine3", 0x66CDAA}, {"Aquamarine4", 0x458B74}, {"SeaGreen1", 0x54FF9F},
    {"SeaGreen2", 0x4EEE94}, {"SeaGreen3", 0x43CD80}, {"SeaGreen4", 0x2E8B57},
    {"PaleGreen1", 0x9AFF9A}, {"PaleGreen2", 0x90EE90}, {"PaleGreen3", 0x7CCD7C},
    {"PaleGreen4", 0x548B54}, {"SpringGreen1", 0x00FF7F}, {"SpringGreen2", 0x00EE76},
    {"SpringGreen3", 0x00CD66}, {"SpringGreen4", 0x008B45}, {"Chartreuse1", 0x7FFF00},
    {"Chartreuse2", 0x76EE00}, {"Chartreuse3", 0x66CD00}, {"Chartreuse4", 0x458B00},
    {"OliveDrab1", 0xC0FF3E}, {"OliveDrab2", 0xB3EE3A}, {"OliveDrab3", 0x9ACD32},
    {"OliveDrab4", 0x698B22}, {"DarkOliveGreen1", 0xCAFF70}, {"DarkOliveGreen2", 0xBCEE68},
    {"DarkOliveGreen3", 0xA2CD5A}, {"DarkOliveGreen4", 0x6E8B3D}, {"Khaki1", 0xFFF68F},
    {"Khaki2", 0xEEE685}, {"Khaki3", 0xCDC673}, {"Khaki4", 0x8B864E}, {"Gold1", 0xFFD700},
    {"Gold2", 0xEEC900}, {"Gold3", 0xCDAD00}, {"Gold4", 0x8B7500}, {"Goldenrod1", 0xFFC125},
    {"Goldenrod2", 0xEEB422}, {"Goldenrod3", 0xCD9B1D}, {"Goldenrod4", 0x8B6914},
    {"DarkGoldenrod1", 0xFFB90F}, {"DarkGoldenrod2", 0xEEAD0E}, {"DarkGoldenrod3", 0xCD950C},
    {"DarkGoldenrod4", 0x8B6508}, {"IndianRed1", 0xFF6A6A}, {"IndianRed2", 0xEE6363},
    {"IndianRed3", 0xCD5555}, {"IndianRed4", 0x8B3A3A}, {"Sienna1", 0xFF8247}, {"Sienna2", 0xEE7942},
    {"Sienna3", 0xCD6839}, {"Sienna4", 0x8B4726}, {"Burlywood1", 0xFFD39B}, {"Burlywood2", 0xEEC591},
    {"Burlywood3", 0xCDAA7D}, {"Burlywood4", 0x8B7355}, {"Wheat1", 0xFFE7BA}, {"Wheat2", 0xEED8AE},
    {"Wheat3", 0xCDBA96}, {"Wheat4", 0x8B7E66}, {"Tan1", 0xFFA54F}, {"Tan2", 0xEE9A49},
    {"Tan3", 0xCD853F}, {"Tan4", 0x8B5A2B}, {"Chocolate1", 0xFF7F24}, {"Chocolate2", 0xEE7621},
    {"Chocolate3", 0xCD661D}, {"Chocolate4", 0x8B4513}, {"Firebrick1", 0xFF3030},
    {"Firebrick2", 0xEE2C2C}, {"Firebrick3", 0xCD2626}, {"Firebrick4", 0x8B1A1A}, {"Brown1", 0xFF4040},
    {"Brown2", 0xEE3B3B}, {"Brown3", 0xCD3333}, {"Brown4", 0x8B2323}, {"Salmon1", 0xFF8C69},
    {"Salmon2", 0xEE8262}, {"Salmon3", 0xCD7054}, {"Salmon4", 0x8B4C39}, {"DeepPink1", 0xFF1493},
    {"DeepPink2", 0xEE1289}, {"DeepPink3", 0xCD1076}, {"DeepPink4", 0x8B0A50}, {"HotPink1", 0xFF6EB4},
    {"HotPink2", 0xEE6AA7}, {"HotPink3", 0xCD6090}, {"HotPink4", 0x8B3A62}, {"Pink1", 0xFFB5C5},
    {"Pink2", 0xEEA9B8}, {"Pink3", 0xCD919E}, {"Pink4", 0x8B636C}, {"Orchid1", 0xFF83FA},
    {"Orchid2", 0xEE7AE9}, {"Orchid3", 0xCD69C9}, {"Orchid4", 0x8B4789}, {"Purple1", 0x9B30FF},
    {"Purple2", 0x912CEE}, {"Purple3", 0x7D26CD}, {"Purple4", 0x551A8B}, {"Aqua", 0x00FFFF},
    {"Crimson", 0xDC143C}, {"Fuchsia", 0xFF00FF}, {"Indigo", 0x4B0082}, {"Lime", 0x00FF00},
    {"Olive", 0x808000}, {"Silver", 0xC0C0C0}, {"Teal", 0x008080},
};

static_assert(sizeof kBuiltin / sizeof kBuiltin[0] == QKWIN_PALETTEBUILTIN,
              "the built-in list holds 324 colours");

// One line of the colour list: a NAME value names the colour being built, an
// RGB value completes it and moves on to the next record. Returns the index of
// the record being built after the line.
int takeLine(const char* line, qkwinpalettedef* table, int cur, int capacity)
{
    char val[QKWIN_TEXTSIZE];
    qkxmlgetval("NAME", line, val, sizeof val);
    if (val[0] != '\0' && cur < capacity) qkstrset(table[cur].name, val);
    qkxmlgetval("RGB", line, val, sizeof val);
    if (val[0] == '\0') return cur;
    if (cur >= capacity) {
        // More colours than lines counted (a line longer than a record reads as
        // several): the table is full and the rest is ignored.
        return cur;
    }
    table[cur].value = static_cast<uint32_t>(std::strtoul(val, nullptr, 0));
    return cur + 1;
}

int readColourFile(FILE* f, qkwinpalettedef* table, int capacity)
{
    char line[QKCFG_RECSIZE];
    int cur = 0;
    while (qkfilerdrec(f, sizeof line, line, '\n') > 0) cur = takeLine(line, table, cur, capacity);
    if (cur >= capacity) qklogf("qkwinpalettecreate", "color table full: %d colors, the rest of the list is ignored", capacity);
    return cur;
}

int takeBuiltin(qkwinpalettedef* table)
{
    int n = 0;
    for (const BuiltinColour& c : kBuiltin) {
        qkstrset(table[n].name, c.name);
        table[n].value = c.value;
        ++n;
    }
    return n;
}

}  // namespace

int qkwinpalettevaluetoref(uint32_t value)
{
    qklogTrace("qkwinpalettevaluetoref");
    uint32_t red = (value >> 16) & 0xFF;
    uint32_t green = (value >> 8) & 0xFF;
    uint32_t blue = value & 0xFF;
    return static_cast<int>(red + green * 256 + blue * 65536);
}

uint32_t qkwinpalettereftovalue(int colorRef)
{
    qklogTrace("qkwinpalettereftovalue");
    uint32_t ref = static_cast<uint32_t>(colorRef);
    uint32_t red = ref & 0xFF;
    uint32_t green = (ref >> 8) & 0xFF;
    uint32_t blue = (ref >> 16) & 0xFF;
    return red * 65536 + green * 256 + blue;
}

int qkwinpalettecapacity(int recordCount)
{
    qklogTrace("qkwinpalettecapacity");
    int count = recordCount < QKWIN_PALETTEMINSIZE ? QKWIN_PALETTEMINSIZE : recordCount;
    return count + 1;
}

int qkwinpalettecreate(qkwinInfo* window)
{
    qklogTrace("qkwinpalettecreate");
    return qkwinpalettecreatefrom(window, QKWIN_COLORLISTPATH);
}

int qkwinpalettecreatefrom(qkwinInfo* window, const char* path)
{
    qklogTrace("qkwinpalettecreatefrom");
    if (window == nullptr) return -2;
    qkwinpaletteInfo& pal = window->palette;
    qkwinpalettefreemem(window);

    // A missing colour list is no fault: the built-in list stands in, silently.
    qkfileHandle f = qkfileopenhandle(path, "rb");
    int records = f ? qkFileRecCnt(path) : 0;
    int capacity = qkwinpalettecapacity(records);
    size_t bytes = sizeof(qkwinpalettedef) * static_cast<size_t>(capacity);
    pal.idPtr = static_cast<qkwinpalettedef*>(qksysMemAllocate(nullptr, bytes));
    std::memset(pal.idPtr, 0, bytes);
    pal.cnt = 0;
    pal.ndx = 0;

    int filled = f ? readColourFile(f.get(), pal.idPtr, capacity) : takeBuiltin(pal.idPtr);
    pal.cnt = filled;
    pal.ndx = filled - 1;
    for (int i = 0; i < filled; ++i) qkwinpalettesetrgb(window, &pal.idPtr[i]);
    if (pal.audit & QKWIN_PALAUD_COUNT) qklogf("qkwinpalettecreate", "color count: %d", pal.cnt);
    return 0;
}

int qkwinpalettefreemem(qkwinInfo* window)
{
    qklogTrace("qkwinpalettefreemem");
    if (window == nullptr) return -2;
    qksysMemFree(window->palette.idPtr);
    window->palette.idPtr = nullptr;
    window->palette.cnt = 0;
    window->palette.ndx = 0;
    return 0;
}

int qkwinpalettegetvalue(qkwinInfo* window, const char* name)
{
    qklogTrace("qkwinpalettegetvalue");
    if (window != nullptr && name != nullptr && window->palette.idPtr != nullptr) {
        const qkwinpaletteInfo& pal = window->palette;
        for (int i = 0; i < pal.cnt; ++i)
            if (std::strcmp(pal.idPtr[i].name, name) == 0) return qkwinpalettevaluetoref(pal.idPtr[i].value);
    }
    qklogf("qkwinpalettegetvalue", "could not find color name: %s", name ? name : "");
    return -2;
}

int qkwinpalettecolorref(qkwinInfo* window, uint32_t value)
{
    qklogTrace("qkwinpalettecolorref");
    if (window != nullptr && window->palette.idPtr != nullptr) {
        const qkwinpaletteInfo& pal = window->palette;
        for (int i = 0; i < pal.cnt; ++i)
            if (pal.idPtr[i].value == value) return qkwinpalettevaluetoref(pal.idPtr[i].value);
    }
    qklogf("qkwinpalettecolorref", "could not find color value: %d", static_cast<int>(value));
    return qkwinpalettevaluetoref(value);
}

qkwinpalettedef* qkwinpalettegetname(qkwinInfo* window, uint32_t value)
{
    qklogTrace("qkwinpalettegetname");
    if (window != nullptr && window->palette.idPtr != nullptr) {
        qkwinpaletteInfo& pal = window->palette;
        for (int i = 0; i < pal.cnt; ++i)
            if (pal.idPtr[i].value == value) return &pal.idPtr[i];
    }
    qklogf("qkwinpalettegetname", "could not find color value: %x", value);
    return nullptr;
}

int qkwinpalettesetrgb(qkwinInfo* /*window*/, qkwinpalettedef* colour)
{
    qklogTrace("qkwinpalettesetrgb");
    if (colour == nullptr) return -2;
    colour->rgb.red = static_cast<uint16_t>((colour->value >> 16) & 0xFF);
    colour->rgb.green = static_cast<uint16_t>((colour->value >> 8) & 0xFF);
    colour->rgb.blue = static_cast<uint16_t>(colour->value & 0xFF);
    return 0;
}

int qkwinpalettesetcolorbyrgb(qkwinInfo* /*window*/, qkwinpalettedef* colour)
{
    qklogTrace("qkwinpalettesetcolorbyrgb");
    if (colour == nullptr) return -2;
    colour->value = static_cast<uint32_t>(colour->rgb.red) * 65536u +
                    static_cast<uint32_t>(colour->rgb.green) * 256u + colour->rgb.blue;
    return 0;
}
