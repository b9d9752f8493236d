// The owned text.
#include "app/cstring.h"

#include <new>

cstring::cstring() : text(nullptr), size(0) {}

cstring::cstring(const char* s) : text(nullptr), size(0) { *this = s; }

cstring::cstring(const cstring& other) : text(nullptr), size(0) { *this = other.text; }

cstring::cstring(cstring&& other) noexcept : text(other.text), size(other.size) {
    other.text = nullptr;
    other.size = 0;
}

cstring::~cstring() { destroy(); }

void cstring::destroy() {
    delete[] text;
    text = nullptr;
    size = 0;
}

void cstring::cstrcopy(const char* src, char* dst, int size) {
    if (size <= 0 || dst == nullptr) return;
    dst[0] = '\0';
    if (src == nullptr) return;
    for (int i = 0; i < size; ++i) {
        dst[i] = src[i];
        if (src[i] == '\0') break;
    }
    dst[size - 1] = '\0';
}

int cstring::cstrlength(const char* s) const {
    if (s == nullptr) return 0;
    int n = 0;
    while (s[n] != '\0') ++n;
    return n;
}

cstring& cstring::operator=(const char* s) {
    const int n = cstrlength(s) + 1;
    // The new buffer is filled before the old one goes, so s may point into our own text.
    char* buffer = new (std::nothrow) char[n];
    if (buffer != nullptr) {
        buffer[0] = '\0';
        cstrcopy(s, buffer, n);
    }
    destroy();
    if (buffer != nullptr) {
        text = buffer;
        size = n;
    }
    return *this;
}

cstring& cstring::operator=(const cstring& other) {
    if (this != &other) *this = other.text;
    return *this;
}

cstring& cstring::operator=(cstring&& other) noexcept {
    if (this != &other) {
        destroy();
        text = other.text;
        size = other.size;
        other.text = nullptr;
        other.size = 0;
    }
    return *this;
}

cstring& cstring::operator+=(const char* s) {
    const int old = cstrlength(text);
    const int added = cstrlength(s);
    const int n = old + added + 1;
    char* buffer = new (std::nothrow) char[n];
    if (buffer != nullptr) {
        cstrcopy(text, buffer, n);
        // Copy s before the old buffer goes: it may be our own text.
        cstrcopy(s, buffer + old, n - old);
        delete[] text;
        text = buffer;
        size = n;
    } else if (text != nullptr) {
        cstrcopy(s, text + old, size - old);
    }
    return *this;
}

bool cstring::operator==(const char* s) const {
    const int n = cstrlength(text);
    if (n != cstrlength(s)) return false;
    for (int i = 0; i < n; ++i)
        if (text[i] != s[i]) return false;
    return true;
}

int cstring::lastchar() const {
    const int n = cstrlength(text);
    return n == 0 ? 0 : static_cast<unsigned char>(text[n - 1]);
}
