// qkwinscale: display scale arithmetic and the stored scale (see the header).
#include "qkwinscale.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"

int qkwinsetscale(int percent, int value)
{
    qklogTrace("qkwinsetscale");
    if (percent == 0) return value;
    long long r = std::llround(static_cast<double>(value) * percent / 100.0);
    if (r == 0) return 1;
    return static_cast<int>(r);
}

int qkwinfillscrncalc(qkwinInfo* window, int screenWidth, int screenHeight)
{
    qklogTrace("qkwinfillscrncalc");
    if (window == nullptr) return -2;
    if (!window->opts.fillscreen) return 0;
    if (window->xsize > 0) window->scale.xval = static_cast<int>(static_cast<double>(screenWidth) / window->xsize * 100.0);
    if (window->ysize > 0) window->scale.yval = static_cast<int>(static_cast<double>(screenHeight) / window->ysize * 100.0);
    return 0;
}

size_t qkwinscalesettext(const char* text, int value, char* out, size_t size)
{
    qklogTrace("qkwinscalesettext");
    std::string in = text ? text : "";
    char line[64];
    qkstrfmt(line, sizeof line, "USER$SCALE\t%d\r\n", value);
    std::string result;
    size_t at = in.find("USER$SCALE");
    if (at == std::string::npos) {
        result = in;
        if (!result.empty() && result.back() != '\n') result += "\r\n";
        result += line;
    } else {
        size_t begin = in.rfind('\n', at);
        begin = begin == std::string::npos ? 0 : begin + 1;
        size_t end = in.find('\n', at);
        end = end == std::string::npos ? in.size() : end + 1;
        result = in.substr(0, begin) + line + in.substr(end);
    }
    return qkstrlcpy(out, size, result.c_str());
}

int qkwinscalesetfile(const char* path, int value)
{
    qklogTrace("qkwinscalesetfile");
    if (path == nullptr) return -1;
    int size = qkFileSize(path, 1);
    if (size < 0) return -1;
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    if (size > 0 && qkfilerd(path, text.data(), size + 1, 3) < 0) return -1;
    text[static_cast<size_t>(size)] = '\0';
    std::vector<char> out(static_cast<size_t>(size) + 64, '\0');
    qkwinscalesettext(text.data(), value, out.data(), out.size());
    return qkfilewr(path, out.data(), 2) < 0 ? -1 : 0;
}
