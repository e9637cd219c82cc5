// qkversion (core): the library's version and build-date texts.
#pragma once

extern char gqk_version[32];
extern char gqk_builddate[32];

int qkgetversion(char* buffer);        // at least 8 bytes
int qkgetverblddate(char* buffer);     // at least 21 bytes
void qkloadverblddate();
void qkprtverblddate();
void qklogverblddate();
