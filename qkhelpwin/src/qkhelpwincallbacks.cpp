// qkhelpwincallbacks: opening the document the user picks in the list.
// Main thread.
#include "qkhelpwincallbacks.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "qkfilesrv.h"
#include "qkhelpwinsrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinlist.h"
#include "qksyswinsrv.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSelectionChange = 7;
constexpr size_t kFoundSize = 128;   // the file search's name buffer

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool isProgram(const fs::path& path)
{
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (ec || !fs::is_regular_file(st)) return false;
    using p = fs::perms;
    return (st.permissions() & (p::owner_exec | p::group_exec | p::others_exec)) != p::none;
}

// Searches the folder's tree for file; the full path when found.
bool searchFolder(const std::string& folder, const char* file, char* out, size_t size)
{
    char name[kFoundSize];
    qkstrset(name, file);
    gqk_filefindstatus = 0;
    if (qkfindfilepath(folder.c_str(), name) != 1 || !isFile(name)) return false;
    qkstrlcpy(out, size, name);
    return true;
}

// The shell runs the command line: a path with blanks or other special
// characters goes in single quotes.
std::string shellWord(const char* path)
{
    bool plain = *path != '\0';
    for (const char* c = path; *c != '\0' && plain; ++c)
        plain = std::strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+,:@%=", *c) != nullptr;
    if (plain) return path;
    std::string word = "'";
    for (const char* c = path; *c != '\0'; ++c) word += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    return word + "'";
}

}  // namespace

int qkhelpwinFindDocument(const qkhelpdocIdInfo* doc, char* out, size_t size)
{
    qklogTrace("qkhelpwinFindDocument");
    if (doc == nullptr || out == nullptr || size == 0 || doc->name[0] == '\0') return -2;
    const char* file = qkhelpwinFileName(doc->name);
    if (file != doc->name) {
        std::string folder(doc->name, static_cast<size_t>(file - 1 - doc->name));
        if (searchFolder(folder, file, out, size)) return 0;
        // A folder written with backslashes names the same folder here with slashes.
        if (folder.find('\\') != std::string::npos) {
            for (char& c : folder)
                if (c == '\\') c = '/';
            if (searchFolder(folder, file, out, size)) return 0;
        }
    }
    // Not found below its folder (or no folder given): the name as configured.
    std::error_code ec;
    fs::path configured = fs::absolute(doc->name, ec).lexically_normal();
    if (ec || !isFile(configured.string())) return -2;
    qkstrlcpy(out, size, configured.c_str());
    return 0;
}

bool qkhelpwinViewerExists(const char* exec)
{
    qklogTrace("qkhelpwinViewerExists");
    if (exec == nullptr) return false;
    std::string word(exec, std::strcspn(exec, " \t"));
    if (word.empty()) return false;
    if (word.find('/') != std::string::npos) return isProgram(word);
    const char* path = qkgetenv("PATH");
    std::string dirs = path != nullptr ? path : "";
    for (size_t from = 0; from <= dirs.size();) {
        size_t end = dirs.find(':', from);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(from, end - from);
        if (isProgram(fs::path(dir.empty() ? "." : dir) / word)) return true;
        from = end + 1;
    }
    return false;
}

int qkhelpwinBuildCommand(const qkhelpdocIdInfo* doc, const char* path, char* out, size_t size)
{
    qklogTrace("qkhelpwinBuildCommand");
    if (doc == nullptr || path == nullptr || out == nullptr) return -2;
    std::string command;
    if (qkhelpwinViewerExists(doc->exec)) {
        command = std::string(doc->exec) + " " + shellWord(path);
    } else {
        qklogf("qkhelpwinlistcb", "Viewer not found: %s, opening with xdg-open", doc->exec);
        command = "xdg-open " + shellWord(path);
    }
    if (command.size() >= size) return -2;
    qkstrlcpy(out, size, command.c_str());
    return 0;
}

int qkhelpwinlistcb(qkwinInfo* window)
{
    qklogTrace("qkhelpwinlistcb");
    if (window == nullptr || window->actitemevent != kSelectionChange) return 0;
    qkhelpwinInfo* app = qkhelpwinAppOf(window);
    if (app == nullptr) return -2;
    if (window->homeDirPtr != nullptr) qkfilechgdir(window->homeDirPtr);

    int row = qkwinlistgetcursel(window, QKHELPWIN_LISTID);
    if (row < 0 || row >= app->rowCnt || app->rowDoc == nullptr) return 0;
    const int index = app->rowDoc[row];
    if (index < 0 || index >= app->doc.cnt) return -2;
    app->doc.ndx = index;
    const qkhelpdocIdInfo* doc = &app->doc.idPtr[index];

    char path[1024];
    if (qkhelpwinFindDocument(doc, path, sizeof path) != 0) {
        qklogf("qkhelpwinlistcb", "Document not found: %s", doc->name);
        char text[512];
        qkstrfmt(text, sizeof text, "Document not found: %s", doc->name);
        qkhelpwinMsgError(app, text);
        return -2;
    }
    char* command = app->outbuf;
    if (qkhelpwinBuildCommand(doc, path, command, 4096) != 0) {
        qklogf("qkhelpwinlistcb", "Command line too long for: %s", doc->name);
        return -2;
    }
    // Without the desktop's opener either, nothing could show the document.
    if (std::strncmp(command, "xdg-open ", 9) == 0 && !qkhelpwinViewerExists("xdg-open")) {
        qklogf("qkhelpwinlistcb", "No viewer for: %s (xdg-open not installed)", doc->name);
        char text[512];
        qkstrfmt(text, sizeof text, "No viewer for: %s (install xdg-utils or name a viewer in ../usercfg)", doc->name);
        qkhelpwinMsgError(app, text);
        return -2;
    }
    qklogf("qkhelpwinlistcb", "Activating document: %s", command);
    return sysWinExec(command);
}
