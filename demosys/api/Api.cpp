// Start-up configuration through the public interface: variables, effect registration and the
// loading bar's settings. All of it is taken before DEMOGL_AppRun and read by it.
#include <string>

#include "api/Library.h"
#include "support/Report.h"

namespace {

void ReportUnknownVariable(int id) { ReportWarning("unknown start-up variable " + std::to_string(id) + "; ignored"); }

bool WrongKind(int id, const char* kind)
{
    ReportWarning("start-up variable " + std::to_string(id) + " does not take a " + kind + " value; ignored");
    return false;
}

} // namespace

bool DEMOGL_SetVariable(int iVariableId, bool bValue)
{
    StartupVariables& v = Library().variables;
    switch (iVariableId)
    {
    case kVarShowStartupDialog: v.showStartupDialog = bValue; return true;
    case kVarFullScreen: v.fullScreen = bValue; return true;
    case kVarPlayMusic: v.playMusic = bValue; return true;
    case kVarShowLoadingBar: v.showLoadingBar = bValue; return true;
    case kVarShowOverlay: v.showOverlay = bValue; return true;
    case kVarEscapeEnds: v.escapeEnds = bValue; return true;
    case kVarLoopShow: v.loopShow = bValue; return true;
    case kVarWriteLogFile: v.writeLogFile = bValue; return true;
    case kVarSwapInterval:
    case kVarDataSource:
    case kVarArchiveFile:
    case kVarScriptFile:
        return WrongKind(iVariableId, "bool");
    default:
        ReportUnknownVariable(iVariableId);
        return false;
    }
}

bool DEMOGL_SetVariable(int iVariableId, int iValue)
{
    StartupVariables& v = Library().variables;
    switch (iVariableId)
    {
    case kVarSwapInterval:
        if (iValue < 0 || iValue > 1)
        {
            ReportWarning("swap interval " + std::to_string(iValue) + " is not 0 or 1; ignored");
            return false;
        }
        v.swapInterval = iValue;
        return true;
    case kVarDataSource:
        if (iValue != kDataSourceFiles && iValue != kDataSourceArchive)
        {
            ReportWarning("data source " + std::to_string(iValue) + " is not 0 or 1; ignored");
            return false;
        }
        v.dataSource = iValue;
        return true;
    case kVarShowStartupDialog:
    case kVarFullScreen:
    case kVarPlayMusic:
    case kVarShowLoadingBar:
    case kVarShowOverlay:
    case kVarEscapeEnds:
    case kVarLoopShow:
    case kVarWriteLogFile:
    case kVarArchiveFile:
    case kVarScriptFile:
        return WrongKind(iVariableId, "integer");
    default:
        ReportUnknownVariable(iVariableId);
        return false;
    }
}

bool DEMOGL_SetVariable(int iVariableId, const char* pszValue)
{
    StartupVariables& v = Library().variables;
    if (iVariableId != kVarArchiveFile && iVariableId != kVarScriptFile)
    {
        if (iVariableId >= kVarShowStartupDialog && iVariableId <= kVarWriteLogFile)
            return WrongKind(iVariableId, "text");
        ReportUnknownVariable(iVariableId);
        return false;
    }
    if (pszValue == nullptr || *pszValue == '\0')
    {
        ReportWarning("start-up variable " + std::to_string(iVariableId) + " needs a file name; ignored");
        return false;
    }
    (iVariableId == kVarArchiveFile ? v.archiveFile : v.scriptFile) = pszValue;
    return true;
}

bool DEMOGL_EffectRegister(CEffect* pEffect, const char* pszName)
{
    LibraryState& library = Library();
    if (library.showPlaying)
    {
        ReportError("effects cannot be registered while the show runs");
        return false;
    }
    if (pEffect == nullptr)
    {
        ReportError(std::string("cannot register a null effect under \"") + (pszName ? pszName : "") + "\"");
        return false;
    }
    if (pszName == nullptr || *pszName == '\0')
    {
        ReportError("cannot register an effect without a name");
        return false;
    }
    for (const RegisteredEffect& registered : library.effects)
    {
        if (registered.name == pszName)
        {
            ReportError(std::string("an effect is already registered as \"") + pszName + "\"");
            return false;
        }
        if (registered.effect == pEffect)
        {
            ReportError("the effect registered as \"" + registered.name + "\" cannot be registered again as \"" +
                        pszName + "\"");
            return false;
        }
    }
    library.effects.push_back(RegisteredEffect{pEffect, pszName});
    return true;
}

void DEMOGL_LoadingPBEnable(int iEnable, float fWidth, float fHeight, float fX, float fY)
{
    LoadingBarSettings& bar = Library().loadingBar;
    bar.enabled = iEnable != 0;
    bar.width = fWidth;
    bar.height = fHeight;
    bar.x = fX;
    bar.y = fY;
}

void DEMOGL_LoadingPBSetAppearance(bool bDrawBar, bool bBackgroundPicture, unsigned int uSrcBlend,
                                   unsigned int uDstBlend, float fOpacity, float fBarR, float fBarG,
                                   float fBarB, float fBorderR, float fBorderG, float fBorderB)
{
    LoadingBarSettings& bar = Library().loadingBar;
    bar.drawBar = bDrawBar;
    bar.backgroundPicture = bBackgroundPicture;
    bar.srcBlend = uSrcBlend;
    bar.dstBlend = uDstBlend;
    bar.opacity = fOpacity;
    bar.bar[0] = fBarR;
    bar.bar[1] = fBarG;
    bar.bar[2] = fBarB;
    bar.border[0] = fBorderR;
    bar.border[1] = fBorderG;
    bar.border[2] = fBorderB;
}
