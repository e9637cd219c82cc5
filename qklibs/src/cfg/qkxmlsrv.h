// qkxmlsrv (cfg): the small writer and reader of tagged messages. The window
// framework builds its event messages and user-window requests with the
// writer; the configuration reader takes every key value through
// qkxmlgetval, which also decodes the character references of a value.
//
// Every function writes only into the caller's buffer and never past the size
// given with it. The current and next positions of the last call are kept per
// thread (each window thread builds its own messages); they point into the
// caller's text and stay valid until the next call on the same thread.
#pragma once

#include <cstddef>
#include <string>

// Flag bits of the writer functions.
enum : int {
    QKXML_LF = 1,        // a line feed after the piece
    QKXML_CR = 2,        // a carriage return after the piece (before the line feed)
    QKXML_BEFOREEND = 4, // insertions go right before the closing tag
    QKXML_LAST = 8,      // insertions go into the last element of that name
};

// ---- writer ---------------------------------------------------------------
// The appending functions return the new length of the text, or -2 (text left
// unchanged) when the result would not fit in size bytes.
int qkxmlbldelmstart(const char* name, char* buffer, size_t size, int flags);
int qkxmlbldelmend(const char* name, char* buffer, size_t size, int flags);
// Writes "<name>value</name>\n" (replacing what out held) and the flag
// characters; returns the length, or -2 (out emptied) when it does not fit.
int qkxmlbldval(const char* name, char* out, size_t size, const char* value, int flags);
// Appends the opening tag and the closing tag, each followed by the flag characters.
int qkxmlbldroot(char* buffer, size_t size, const char* name, int flags);
// Writes "<?xml version=" version "?>" and the flag characters (replacing what buffer held).
int qkxmlbldversion(char* buffer, size_t size, const char* version, int flags);

// ---- reader ---------------------------------------------------------------
// When text contains "\"1.0\"", copies the quoted version following
// "version=" (quotes included) into out; else out is emptied. Returns its length.
int qkxmlgetversion(const char* text, char* out, size_t size);
// Skips the declaration and any leading "<?...?>" or "<!...>" tag, copies the
// name of the first tag into out; current = its "<", next = behind its ">".
// Returns the name's length, or -2 when there is no tag (or it does not fit).
int qkxmlgetroot(const char* text, char* out, size_t size);
// Copies the whole first element name (opening tag to closing tag) into out;
// current = its opening tag, next = behind its closing tag. Returns its
// length, or -2 (out emptied) when it is missing or does not fit.
int qkxmlgetelement(const char* name, const char* text, char* out, size_t size);
// The value between the first "<name>" and the next "</name>", with its
// character references decoded (qkxmldecode). Missing tags give an empty
// value. Returns the decoded length; when that is size or more, out holds the
// value cut to size-1 characters (callers refuse such a value).
// current = start of the value, next = behind the closing tag.
int qkxmlgetval(const char* name, const char* text, char* out, size_t size);
// Decodes the character references of a value, in place, in this order:
// &quot; to '"', &apos; to a grave accent (code 96), &amp; to '&', &lt; to
// '<', &gt; to '>', each everywhere; then the first numeric reference
// ("&#x" with 1-4 hex digits or "&#" with 1-4 decimal digits, then ";") is
// decoded together with every identical copy of it. A code of 0 or above 255
// is not a character here: the reference text stays as it is.
void qkxmldecode(std::string& value);

// ---- insertions -----------------------------------------------------------
// text holds size bytes. Each returns the new length of the text, or -2 (text
// unchanged) when the element is missing or the result would not fit.
// qkxmladdbuf: inserts item (and the flag characters) into the element name:
// with QKXML_BEFOREEND right before its closing tag, else right behind its
// opening tag; with QKXML_LAST into the last element of that name.
int qkxmladdbuf(const char* name, const char* item, char* text, size_t size, int flags);
// The same with the empty element "<child></child>".
int qkxmladdelement(const char* name, const char* child, char* text, size_t size, int flags);
// Inserts item (and the flag characters) right before the closing tag of the
// first element name.
int qkxmlinselement(const char* name, const char* item, char* text, size_t size, int flags);

// ---- positions ------------------------------------------------------------
char* qkxmlgetcurptr();
char* qkxmlgetnxtptr();
void qkxmlsetptr(char* position);       // sets both positions (null clears them)
void qkxmlsetnxtptr(char* position);
// Sets the next position behind the closing tag of the first element name;
// returns 0, or -2 (positions cleared) when there is no such closing tag.
int qkxmlsetptrtoelm(char* text, const char* name);

// ---- encoding -------------------------------------------------------------
// "&quot;", "&amp;", "&lt;", "&gt;" or "&apos;" for '"', '&', '<', '>' and the
// grave accent; any other character gives an empty text. Returns the length.
int qkxmlencodechar(int c, char* out, size_t size);
// kind 1: "&#" value "%4.4d" ";", kind 2: "&#x" value "%4.4x" ";"; another
// kind gives an empty text. Returns the length.
int qkxmlencodenum(int kind, int value, char* out, size_t size);
