// A stand-in for the demo-system library that only records what the program asks of it: every
// DEMOGL_* call with its overload and arguments, every CEffect constructed and destroyed, in
// order. The shell test links the real shell and effects against it, so nothing is drawn and
// nothing runs; it sees exactly what WinMain hands over.
#pragma once

#include <string>
#include <vector>

#include "DemoGL.h"

namespace RecordingLibrary
{
// One line per call, e.g. "SetVariable(1, bool true)", "Register(BALLS, effect 0)",
// "AppRun(instance 0x1234, record, \"zarnovelt\", false, 0, 0, 1)", "AppEnd()",
// "Delete(effect 0)". Effects are numbered in the order they were constructed.
const std::vector<std::string>& Calls();

// The record's bytes when DEMOGL_AppRun was called and when DEMOGL_AppEnd was (empty if not).
const std::vector<unsigned char>& RecordAtAppRun();
const std::vector<unsigned char>& RecordAtAppEnd();

// Forgets every call and sets what DEMOGL_AppRun returns next.
void Reset(int appRunResult = kAppRunOk);
} // namespace RecordingLibrary
