// ASL: the file requester.
#pragma once
#include "intuition.h"

#define ASL_FileRequest 0

#define ASL_TB (TAG_USER + 0x80000)
#define ASLFR_Window (ASL_TB + 2)
#define ASLFR_TitleText (ASL_TB + 1)
#define ASLFR_PositiveText (ASL_TB + 18)
#define ASLFR_NegativeText (ASL_TB + 19)
#define ASLFR_InitialFile (ASL_TB + 8)
#define ASLFR_InitialDrawer (ASL_TB + 9)
#define ASLFR_InitialPattern (ASL_TB + 10)

struct FileRequester {
    STRPTR fr_File;    // the chosen file name (owned by the requester)
    STRPTR fr_Drawer;  // the chosen drawer
    WORD fr_LeftEdge;
    WORD fr_TopEdge;
    WORD fr_Width;
    WORD fr_Height;
};

APTR AllocAslRequest(ULONG reqType, const TagItem* tagList);
APTR AllocAslRequestTags(ULONG reqType, ...);
// Show it and wait; TRUE when the user chose a file (fr_File and fr_Drawer hold it).
BOOL AslRequest(APTR requester, const TagItem* tagList);
void FreeAslRequest(APTR requester);
