// qkstrsrv (core): in-place text functions used throughout the library (split, trim,
// filter, token replacement, numeric validation, case, binary renderings) and
// the one bounded-copy helper every fixed field is written through.
// Reentrant: every function works only on the caller's buffers (the audit mask
// is module-wide and read-only while work is under way).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

// ---- bounded copies ------------------------------------------------------
// Copies at most size-1 characters of src into dst and always terminates it
// (when size > 0). Returns the length of src, so a result >= size means the
// text was cut. A null src copies an empty text.
inline size_t qkstrlcpy(char* dst, size_t size, const char* src)
{
    size_t len = src ? std::strlen(src) : 0;
    if (size == 0 || dst == nullptr) return len;
    size_t n = len < size - 1 ? len : size - 1;
    if (n) std::memmove(dst, src, n);
    dst[n] = '\0';
    return len;
}

// Appends src to the text in dst without passing size; returns the length the
// whole text would have had.
inline size_t qkstrlcat(char* dst, size_t size, const char* src)
{
    size_t have = dst ? strnlen(dst, size) : 0;
    if (have >= size) return have + (src ? std::strlen(src) : 0);
    return have + qkstrlcpy(dst + have, size - have, src);
}

// Bounded formatter: vsnprintf into dst; returns the length the text would
// have had (>= size means it was cut). Never writes past size.
int qkstrfmt(char* dst, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
int qkstrvfmt(char* dst, size_t size, const char* fmt, va_list ap);

// Fixed char arrays of the records: the size is taken from the array.
template <size_t N> inline size_t qkstrset(char (&dst)[N], const char* src) { return qkstrlcpy(dst, N, src); }
template <size_t N> inline size_t qkstradd(char (&dst)[N], const char* src) { return qkstrlcat(dst, N, src); }

// ---- the system's string services ----------------------------------------
int qkstrsetaudit(int mask);
int qkstrprsbuf(char* text, int delimiter, char** pointers, int maximum);
int qkstrprtprs(int count, char** pointers);
int qkstrcpy(char* destination, int destinationOffset, const char* source, int sourceOffset, int length);
int qkstrTrim(char* text, int character);
int qkstrLtrim(char* text, int character);
int qkstrRtrim(char* text, int character);
int qkstrFltr(char* text, const char* remove);
// work must hold the result; workSize bounds it (the result is cut, never overflows).
int qkstrReplace(char* text, char* work, const char* token, const char* value, size_t workSize);
int qkstrValNum(int kind, const char* text);
int qkstrToUpper(char* text);
int qkstrToLower(char* text);
int qkstrBinToASCII(int length, const unsigned char* data, int outSize, char* out);
int qkstrASCIIToBin(int length, char* text, int marker);
int qkstrToHexFormat(int length, const unsigned char* data, int outSize, char* out);
