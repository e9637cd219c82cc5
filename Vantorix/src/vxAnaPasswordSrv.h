// vxAnaPasswordSrv: the analyzer user passwords by application type and the
// check of the password the user entered (userPW), which grants a user level
// (userPWtype). Window thread.
#pragma once

#include "vxMain.h"

// The password of user level 1, valid on every analyzer.
constexpr int VX_PW_LEVEL1 = 5206;

// Loads the table of 8 valid passwords into validPW.
int vxLoadValidPassword(vxInfo* app);
// 0 and userPWtype set when userPW is valid for the analyzer's application
// type; otherwise the box "Invalid Password", userPW back to 5206, -2.
int vxValidatePassword(vxInfo* app);
