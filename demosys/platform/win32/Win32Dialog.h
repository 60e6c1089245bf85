// The start-up dialog on Windows: a window of standard controls owned by the demo's window,
// with the executable's banner (bitmap 140) beside them. Internal to platform/win32.
#pragma once

#include <windows.h>

#include "ui/StartupDialog.h"

struct Win32DialogResult
{
    DialogOutcome outcome = DialogOutcome::Start;
    bool answeredByPerson = false;   // false when Start pressed itself (ZARNOVELT_DIALOG_AUTOSTART)
};

// Runs the dialog until Start or Quit, starting from *choices and leaving the person's choices
// there. The owner window is disabled meanwhile.
Win32DialogResult RunWin32StartupDialog(HWND owner, const StartupDialogModel& model, StartupChoices* choices);
