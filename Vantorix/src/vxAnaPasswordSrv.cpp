// vxAnaPasswordSrv: the analyzer user passwords.
#include "vxAnaPasswordSrv.h"

#include <algorithm>

#include "qklogsrv.h"
#include "vxInit.h"

namespace {

constexpr vxValidPasswordInfo kPasswords[8] = {
    {6, 1, VX_PW_LEVEL1}, {6, 3, 4931},
    {7, 1, VX_PW_LEVEL1}, {7, 2, 8374}, {7, 3, 6059},
    {8, 1, VX_PW_LEVEL1}, {8, 2, 8374}, {8, 3, 6059},
};

}  // namespace

int vxLoadValidPassword(vxInfo* app)
{
    qklogTrace("vxLoadValidPassword");
    if (app == nullptr) return -2;
    std::copy(std::begin(kPasswords), std::end(kPasswords), app->validPW.pw);
    app->validPW.cnt = 8;
    return 0;
}

int vxValidatePassword(vxInfo* app)
{
    qklogTrace("vxValidatePassword");
    if (app == nullptr) return -2;
    const int appType = app->anaVerPtr != nullptr ? app->anaVerPtr->appType : app->anaDetails.version.appType;
    const vxUserPasswordInfo& table = app->validPW;
    const int cnt = std::clamp(table.cnt, 0, 8);
    for (int i = 0; i < cnt; ++i) {
        if (table.pw[i].appType == appType && table.pw[i].pwID == app->userPW) {
            app->userPWtype = table.pw[i].pwType;
            return 0;
        }
    }
    vxMsgInfo("Invalid Password");
    app->userPW = VX_PW_LEVEL1;
    return -2;
}
