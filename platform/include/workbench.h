// Workbench start-up: the message a program started from its icon receives.
#pragma once
#include "exec.h"

struct WBArg {
    BPTR wa_Lock;    // the drawer
    STRPTR wa_Name;  // the name in it (the program's file; its icon is NAME.info)
};

struct WBStartup {
    Message sm_Message;
    MsgPort* sm_Process;
    BPTR sm_Segment;
    LONG sm_NumArgs;
    char* sm_ToolWindow;
    WBArg* sm_ArgList;
};

// Set by the start-up code when the program was started from its icon, else nullptr.
extern WBStartup* __WBenchMsg;
