// IFF parsing: a raw walk over the chunks of an IFF file read through DOS.
#pragma once
#include "exec.h"

#define MAKE_ID(a, b, c, d) \
    ((ULONG)(UBYTE)(a) << 24 | (ULONG)(UBYTE)(b) << 16 | (ULONG)(UBYTE)(c) << 8 | (ULONG)(UBYTE)(d))
#define ID_FORM MAKE_ID('F', 'O', 'R', 'M')
#define ID_LIST MAKE_ID('L', 'I', 'S', 'T')
#define ID_CAT MAKE_ID('C', 'A', 'T', ' ')
#define ID_PROP MAKE_ID('P', 'R', 'O', 'P')

#define IFFF_READ 0
#define IFFF_WRITE 1

#define IFFPARSE_SCAN 0
#define IFFPARSE_STEP 1
#define IFFPARSE_RAWSTEP 2

#define IFFERR_EOF -1
#define IFFERR_EOC -2
#define IFFERR_NOSCOPE -3
#define IFFERR_NOMEM -4
#define IFFERR_READ -5
#define IFFERR_WRITE -6
#define IFFERR_SEEK -7
#define IFFERR_MANGLED -8
#define IFFERR_SYNTAX -9
#define IFFERR_NOTIFF -10

struct IFFHandle {
    uintptr_t iff_Stream;  // a DOS file handle after InitIFFasDOS
    ULONG iff_Flags;
    LONG iff_Depth;  // nesting depth of the current chunk
};

struct ContextNode {
    Node cn_Node;
    LONG cn_ID;    // chunk ID
    LONG cn_Type;  // FORM, LIST or CAT type of the enclosing group (or of the group itself)
    LONG cn_Size;  // size of the chunk's data
    LONG cn_Scan;  // bytes of the data read so far
};

IFFHandle* AllocIFF();
void InitIFFasDOS(IFFHandle* iff);
LONG OpenIFF(IFFHandle* iff, LONG rwMode);  // 0 or an IFFERR_ code
// RAWSTEP: enter the next chunk (0), or leave the current one (IFFERR_EOC), or the end of
// the file (IFFERR_EOF), or another IFFERR_ code.
LONG ParseIFF(IFFHandle* iff, LONG control);
ContextNode* CurrentChunk(const IFFHandle* iff);
ContextNode* ParentChunk(const ContextNode* contextNode);
LONG ReadChunkBytes(IFFHandle* iff, APTR buf, LONG numBytes);  // bytes read or an IFFERR_ code
void CloseIFF(IFFHandle* iff);
void FreeIFF(IFFHandle* iff);
