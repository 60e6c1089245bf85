// UTF-8 <-> UTF-16 for the Win32 wide-character calls. Internal to platform/win32 (and the
// other win32 folders).
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
