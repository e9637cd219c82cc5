// qkstartup: command-line options of all three programs. A program registers
// the letters it accepts with their value types, then calls
// qkstartupgetinput once; afterwards it walks its slots and acts on those
// whose state is set. Main thread only, at start-up.
#include "qkstartup.h"

#include <cstdlib>
#include <cstring>

#include "qkgetargs.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"

namespace {

constexpr int kSlots = static_cast<int>(sizeof(qkstartupCmdLnInfo::args) / sizeof(qkstartupCmdArgInfo));
constexpr size_t kStrMax = sizeof(qkstartupCmdArgValInfo::str) - 1;   // 127 characters

enum { kBool = 0, kShort = 1, kLong = 2, kFloat = 3, kChar = 4, kString = 5 };

// Converts qkargstr into the slot by its type; false when the argument is
// refused (too long for the text field).
bool storeArgument(qkstartupCmdArgInfo& slot, const char* arg)
{
    switch (slot.type) {
    case kBool: slot.val.bol = 1; break;
    case kShort: slot.val.sht = static_cast<int16_t>(std::strtol(arg, nullptr, 0)); break;
    case kLong: slot.val.lng = static_cast<int32_t>(std::strtol(arg, nullptr, 0)); break;
    case kFloat: slot.val.flt = std::strtof(arg, nullptr); break;
    case kChar: slot.val.chr = arg[0]; break;
    case kString:
        if (std::strlen(arg) > kStrMax) return false;
        qkstrset(slot.val.str, arg);
        break;
    default: break;
    }
    return true;
}

void auditValue(const qkstartupCmdLnInfo* record, const qkstartupCmdArgInfo& slot)
{
    const int id = slot.id;
    switch (slot.type) {
    case kBool:
        if (record->audit & QKSTARTUP_AUD_BOOL) qklogf("qkstartupgetinput", "Bool ID: %c, val: %d", id, slot.val.bol);
        break;
    case kShort:
        if (record->audit & QKSTARTUP_AUD_SHORT) qklogf("qkstartupgetinput", "Short ID: %c, val: %d", id, slot.val.sht);
        break;
    case kLong:
        if (record->audit & QKSTARTUP_AUD_LONG) qklogf("qkstartupgetinput", "Long ID: %c, val: %d", id, slot.val.lng);
        break;
    case kFloat:
        if (record->audit & QKSTARTUP_AUD_FLOAT)
            qklogf("qkstartupgetinput", "Float ID: %c, val: %f", id, static_cast<double>(slot.val.flt));
        break;
    case kChar:
        if (record->audit & QKSTARTUP_AUD_CHAR) qklogf("qkstartupgetinput", "Char ID: %c, val: %c", id, slot.val.chr);
        break;
    case kString:
        if (record->audit & QKSTARTUP_AUD_STRING)
            qklogf("qkstartupgetinput", "String ID: %c, val: %s", id, slot.val.str);
        break;
    default: break;
    }
}

}  // namespace

qkstartupCmdLnInfo* qkstartupallocate()
{
    qklogTrace("qkstartupallocate");
    auto* record = static_cast<qkstartupCmdLnInfo*>(qksysMemAllocate(nullptr, sizeof(qkstartupCmdLnInfo)));
    std::memset(record, 0, sizeof(qkstartupCmdLnInfo));
    return record;
}

qkstartupCmdLnInfo* qkstartupsetargs(qkstartupCmdLnInfo* record, int argc, char** argv)
{
    qklogTrace("qkstartupsetargs");
    if (record == nullptr) return nullptr;
    record->argc = argc;
    record->argv = argv;
    return record;
}

int qkstartupaddflag(qkstartupCmdLnInfo* record, int id, int type)
{
    qklogTrace("qkstartupaddflag");
    // The record holds 32 options; a registration past them is refused
    // instead of writing beyond the table.
    if (record == nullptr || record->argCnt < 0 || record->argCnt >= kSlots) return -2;
    qkstartupCmdArgInfo& slot = record->args[record->argCnt];
    slot.id = id;
    slot.type = type;

    const char letter[3] = {static_cast<char>(id), type != kBool ? ':' : '\0', '\0'};
    qkstradd(record->optionstring, letter);

    if (record->audit & QKSTARTUP_AUD_ADD)
        qklogf("qkstartupaddflag", "Added count: %d, id: %c, type: %d, option string: %s", record->argCnt, id, type,
               record->optionstring);
    ++record->argCnt;
    return 0;
}

int qkstartupgetinput(qkstartupCmdLnInfo* record)
{
    qklogTrace("qkstartupgetinput");
    if (record == nullptr) return -2;
    const int slots = record->argCnt < kSlots ? record->argCnt : kSlots;

    for (int letter; (letter = getarg(record->argc, record->argv, record->optionstring)) != 0;) {
        if (letter == 63) continue;   // not in the option string: reported by the scanner
        for (int i = 0; i < slots; ++i) {
            qkstartupCmdArgInfo& slot = record->args[i];
            if (slot.id != letter || slot.type < kBool || slot.type > kString) continue;
            slot.state = 1;
            if (slot.type != kBool && qkargstr == nullptr) return qkstartuperrmsg(record, i);
            if (!storeArgument(slot, qkargstr)) return qkstartuperrmsg(record, i);
            auditValue(record, slot);
            ++record->cnt;
        }
    }
    return 0;
}

int qkstartupgetdatandx(qkstartupCmdLnInfo* record, int id)
{
    qklogTrace("qkstartupgetdatandx");
    if (record != nullptr) {
        const int slots = record->argCnt < kSlots ? record->argCnt : kSlots;
        for (int i = 0; i < slots; ++i)
            if (record->args[i].id == id) return i;
    }
    qklogf("qkstartupgetdatandx", "data index for id: %d not found", id);
    return -2;
}

int qkstartupisset(const qkstartupCmdLnInfo* record, int id)
{
    if (record == nullptr) return 0;
    const int slots = record->argCnt < kSlots ? record->argCnt : kSlots;
    for (int i = 0; i < slots; ++i)
        if (record->args[i].id == id && record->args[i].state) return 1;
    return 0;
}

int qkstartupsetaudit(qkstartupCmdLnInfo* record, int mask)
{
    qklogTrace("qkstartupsetaudit");
    if (record == nullptr) return -2;
    record->audit = mask;
    return 0;
}

int qkstartuperrmsg(qkstartupCmdLnInfo* record, int index)
{
    qklogTrace("qkstartuperrmsg");
    const int id = (record != nullptr && index >= 0 && index < kSlots) ? record->args[index].id : '?';
    qklogf("qkstartuperrmsg", "command startup error for ID: %c", id);
    return -2;
}
