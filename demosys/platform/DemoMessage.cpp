#include "platform/DemoMessage.h"

#include <string>

#include "Win32Shim.h"
#include "platform/Backend.h"
#include "platform/CurrentContext.h"
#include "support/Report.h"

int ShowDemoMessage(const char* text, const char* caption)
{
    const std::string message = text != nullptr ? text : "";
    const std::string title = caption != nullptr ? caption : "";
    ReportMessageBox(message, title);
    Backend* backend = CurrentBackend();
    if (backend != nullptr && backend->IsInteractive())
        backend->ShowMessage(message, title);
    return IDOK;
}
