// Where a person's files go on Windows: settings under %APPDATA% (roaming with the profile), the
// log under %LOCALAPPDATA% (this machine only).
#include "platform/UserFolders.h"

#include <windows.h>

#include <cstdlib>

#include "platform/win32/Win32Text.h"

namespace {

std::string FolderFromEnvironment(const wchar_t* variable)
{
    const wchar_t* value = _wgetenv(variable);
    return value != nullptr && *value != L'\0' ? WideToUtf8(value) : std::string();
}

} // namespace

std::string UserConfigFolder() { return FolderFromEnvironment(L"APPDATA"); }

std::string UserStateFolder()
{
    const std::string local = FolderFromEnvironment(L"LOCALAPPDATA");
    return local.empty() ? UserConfigFolder() : local;
}
