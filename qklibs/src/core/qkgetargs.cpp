// qkgetargs: the small option scanner behind qkstartup. One call finds one
// option word ("-x" or "/x") on the command line, hands back its letter and,
// for letters followed by ":" in the option string, the next word as its
// argument. The position is module-wide and only moves forward.
// Main thread only, at start-up.
#include "qkgetargs.h"

#include <cstdio>
#include <cstring>

#include "qklogsrv.h"

int qkargndx = 1;          // next argument word to look at; 0 is the program name
int qkargsend = 0;         // returned when the words are exhausted
char* qkargstr = nullptr;  // argument of the option just found
int qkargLogflag = 0;      // log each option found
int qkargdebug = 0;        // 1: scan positions, 4: each comparison (standard output)

namespace {

bool isOptionSign(char c) { return c == '-' || c == '/'; }

// A letter for the debug prints: a missing character shows as a blank.
char printable(char c) { return c ? c : ' '; }

}  // namespace

int getarg(int argc, char** argv, const char* optionstring)
{
    qklogTrace("getarg");
    const char* ostr = optionstring ? optionstring : "";
    const int ocnt = static_cast<int>(std::strlen(ostr));
    const int startndx = qkargndx;

    if (qkargdebug & 1)
        std::printf(" startndx: %d, qkargndx: %d, argc: %d, ocnt: %d\n", startndx, qkargndx, argc, ocnt);
    if (argv == nullptr || startndx >= argc) return qkargsend;

    for (int ndx = startndx < 1 ? 1 : startndx; ndx < argc; ++ndx) {
        qkargstr = nullptr;
        const char* word = argv[ndx] ? argv[ndx] : "";
        const char uchr = word[0] ? word[1] : '\0';
        if (qkargdebug & 1)
            std::printf(" ndx: %d, argc: %d, argv: %s, uchr: %c\n", ndx, argc, word, printable(uchr));
        // Only the character right after the sign is a letter; a sign on its
        // own carries no letter and is an ordinary word.
        if (!isOptionSign(word[0]) || uchr == '\0') continue;

        int found = -1;
        for (int ondx = 0; ondx < ocnt; ++ondx) {
            const char ochr = ostr[ondx];
            if (qkargdebug & 4)
                std::printf(" ondx: %d, ocnt: %d, ochr: %c, uchr: %c\n", ondx, ocnt, ochr, uchr);
            if (ochr == ':') continue;   // argument marks are not letters
            if (ochr == uchr) {
                found = ondx;
                break;
            }
        }
        if (found < 0) {
            qklogf("getarg", "Option: %c, not defined in option string", uchr);
            qkargndx = ndx + 1;
            return 63;
        }

        int next = ndx + 1;
        if (ostr[found + 1] == ':' && next < argc) {
            qkargstr = argv[next];
            ++next;
        }
        if (qkargLogflag)
            qklogf("getarg", "%s, detected user input option: %c, with argument: %s", "getarg", uchr,
                   qkargstr ? qkargstr : "(null)");
        qkargndx = next;
        return static_cast<unsigned char>(uchr);
    }
    qkargndx = argc;
    return qkargsend;
}

int getargsetlog(int flag)
{
    qklogTrace("getargsetlog");
    qkargLogflag = flag;
    return 0;
}

int getargsetdebug(int mask)
{
    qklogTrace("getargsetdebug");
    qkargdebug = mask;
    return 0;
}

void qkgetargreset()
{
    qklogTrace("qkgetargreset");
    qkargndx = 1;
    qkargstr = nullptr;
}
