// The owned text: a heap buffer sized exactly to its text, NUL-terminated, or no buffer.
#pragma once
#include <cstdint>

class cstring {
public:
    char* text;    // owned, allocated as an array; nullptr when there is none
    int32_t size;  // bytes allocated for text (length + 1), 0 without a buffer

    cstring();
    cstring(const char* s);
    // Copies own their buffer; a moved-from text is left without one.
    cstring(const cstring& other);
    cstring(cstring&& other) noexcept;
    ~cstring();

    cstring& operator=(const char* s);
    cstring& operator=(const cstring& other);
    cstring& operator=(cstring&& other) noexcept;
    // Append s; when the longer buffer cannot be had, the old one keeps what fits.
    cstring& operator+=(const char* s);

    // Bounded copy: at most size - 1 characters and always a NUL; nothing at all when
    // size <= 0 or dst is nullptr.
    void cstrcopy(const char* src, char* dst, int size);
    int cstrlength(const char* s) const;  // 0 for nullptr
    bool operator==(const char* s) const;  // nullptr and "" are equal
    int lastchar() const;                  // 0..255; 0 when empty

private:
    void destroy();
};
