// qkwintable (win): the growth and release of the window framework's tables. Every
// widget table has the shape {audit, cnt, ndx, idPtr}; a table grows by one
// zeroed record at a time through the counted allocator, so the current record
// of a kind is always its last one.
#pragma once

#include <cstdint>
#include <cstring>

#include "qklogsrv.h"
#include "qksyssrv.h"

// Appends one zeroed record to idPtr (cnt records) and returns it.
template <class T> T* qkwintableadd(T*& idPtr, int& cnt)
{
    qklogTrace("qkwintableadd");
    if (cnt < 0) cnt = 0;
    idPtr = static_cast<T*>(qksysMemAllocate(idPtr, sizeof(T) * (static_cast<size_t>(cnt) + 1)));
    T* rec = &idPtr[cnt];
    std::memset(static_cast<void*>(rec), 0, sizeof(T));
    ++cnt;
    return rec;
}

// The last record of a table, or null when it is empty.
template <class T> T* qkwintablelast(T* idPtr, int cnt)
{
    qklogTrace("qkwintablelast");
    return (idPtr != nullptr && cnt > 0) ? &idPtr[cnt - 1] : nullptr;
}

// Releases a table and empties it.
template <class T> void qkwintablefree(T*& idPtr, int& cnt, int& ndx)
{
    qklogTrace("qkwintablefree");
    qksysMemFree(idPtr);
    idPtr = nullptr;
    cnt = 0;
    ndx = 0;
}

// A pointer as the hexadecimal number the record-creation audit lines show.
inline unsigned qkwinptrval(const void* p)
{
    qklogTrace("qkwinptrval");
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p));
}
