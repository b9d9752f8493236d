// DOS: files, locks, the current directory, commands and name patterns.
#pragma once
#include "exec.h"

#define MODE_OLDFILE 1005
#define MODE_NEWFILE 1006
#define MODE_READWRITE 1004

#define SHARED_LOCK -2
#define ACCESS_READ -2
#define EXCLUSIVE_LOCK -1

#define OFFSET_BEGINNING -1
#define OFFSET_CURRENT 0
#define OFFSET_END 1

// Paths are host paths; relative ones resolve in the current directory. "NIL:" is the null
// device; "SYS:" is the folder that holds the platform's tools.
BPTR Open(CONST_STRPTR name, LONG accessMode);  // 0 on failure
LONG Close(BPTR file);                          // DOSTRUE on success
LONG Read(BPTR file, APTR buffer, LONG length);  // bytes read, 0 at the end, -1 on error
LONG Write(BPTR file, const void* buffer, LONG length);  // bytes written, -1 on error
LONG Seek(BPTR file, LONG position, LONG mode);  // old position, -1 on error
LONG DeleteFile(CONST_STRPTR name);              // DOSTRUE on success
// Gives a file a new name, in one step: a file already of that name is replaced. DOSTRUE
// on success; on failure both names stay as they were.
LONG Rename(CONST_STRPTR oldName, CONST_STRPTR newName);
// A new file that is to take the place of `name` by Rename once it is complete. It is made
// beside `name` under a temporary name of its own, put into tempName: exclusively, never an
// existing file, never through a link. The file requester never lists temporary files, and
// the leftovers of a program killed meanwhile are removed here. 0 on failure.
BPTR OpenTemporary(CONST_STRPTR name, STRPTR tempName, LONG length);
BPTR Output();                                   // the standard output
BPTR Input();

#define DOSTRUE -1
#define DOSFALSE 0

// What IoErr() reports after a failure.
#define ERROR_NO_FREE_STORE 103
#define ERROR_REQUIRED_ARG_MISSING 116
#define ERROR_LINE_TOO_LONG 120
#define ERROR_OBJECT_IN_USE 202
#define ERROR_OBJECT_EXISTS 203
#define ERROR_DIR_NOT_FOUND 204
#define ERROR_OBJECT_NOT_FOUND 205
#define ERROR_ACTION_NOT_KNOWN 209
#define ERROR_INVALID_LOCK 211
#define ERROR_OBJECT_WRONG_TYPE 212
#define ERROR_DIRECTORY_NOT_EMPTY 216
#define ERROR_SEEK_ERROR 219
#define ERROR_DISK_FULL 221
#define ERROR_WRITE_PROTECTED 223
#define ERROR_READ_PROTECTED 224
#define ERROR_NOT_A_DOS_DISK 225
#define ERROR_NO_MORE_ENTRIES 232

BPTR Lock(CONST_STRPTR name, LONG type);  // a lock on a file or drawer, 0 on failure
void UnLock(BPTR lock);
BPTR DupLock(BPTR lock);
// Make `lock` the current directory; returns the previous one (the caller owns it again).
BPTR CurrentDir(BPTR lock);
// The full host path of a lock into buffer; DOSTRUE on success.
LONG NameFromLock(BPTR lock, STRPTR buffer, LONG length);
// Whether two locks are on the same object (a lock follows its object across a rename).
#define LOCK_SAME 0
#define LOCK_SAME_VOLUME 1
#define LOCK_DIFFERENT -1
LONG SameLock(BPTR lock1, BPTR lock2);
LONG IoErr();

// Run a command line: "run" starts without waiting, ">FILE" and "<FILE" redirect.
// Known commands: "SYS:Utilities/MultiView FILE". Nothing is handed to a host shell.
// Returns DOSTRUE when the command was started (run) or ran and succeeded.
LONG Execute(CONST_STRPTR command, BPTR input, BPTR output);

// AmigaDOS patterns, case-insensitive: #? ? #x ~(p) (a|b) % and ' as escape.
// Parse first; returns 1 when the pattern has wildcards, 0 when not, -1 when it is bad.
LONG ParsePatternNoCase(CONST_STRPTR source, STRPTR dest, LONG destLength);
BOOL MatchPatternNoCase(CONST_STRPTR parsedPattern, CONST_STRPTR string);

// Path helpers.
CONST_STRPTR FilePart(CONST_STRPTR path);
CONST_STRPTR PathPart(CONST_STRPTR path);
BOOL AddPart(STRPTR dirName, CONST_STRPTR fileName, ULONG size);
