// Icons: a program's NAME.info with its tool types.
#pragma once
#include "exec.h"

#define WB_DISKMAGIC 0xE310
#define WBTOOL 3

struct DiskObject {
    UWORD do_Magic;
    UWORD do_Version;
    UBYTE do_Type;
    STRPTR do_DefaultTool;
    STRPTR* do_ToolTypes;  // nullptr-terminated list of "KEY=value" texts
};

// The icon of `name` (the file name + ".info"), or nullptr when it is missing or unreadable.
DiskObject* GetDiskObject(CONST_STRPTR name);
// Write it back (through a temporary file renamed over the old one); TRUE on success.
BOOL PutDiskObject(CONST_STRPTR name, const DiskObject* diskobj);
void FreeDiskObject(DiskObject* diskobj);
// The value of tool type `typeName` (after its '='), or nullptr. Case-insensitive key.
STRPTR FindToolType(CONST_STRPTR const* toolTypeArray, CONST_STRPTR typeName);
// Whether `value` is one of the '|'-separated values of `typeString`, case-insensitive.
BOOL MatchToolValue(CONST_STRPTR typeString, CONST_STRPTR value);
