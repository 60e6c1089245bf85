// Start-up configuration through the public interface: variables, effect registration and the
// loading bar's settings. All of it is taken before DEMOGL_AppRun and read by it.
#include <cstdio>
#include <string>

#include "api/Library.h"

namespace {

bool WrongKind(int id, const char* kind)
{
    std::fprintf(stderr, "Warning: start-up variable %d does not take a %s value; ignored\n", id, kind);
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
        std::fprintf(stderr, "Warning: unknown start-up variable %d; ignored\n", iVariableId);
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
            std::fprintf(stderr, "Warning: swap interval %d is not 0 or 1; ignored\n", iValue);
            return false;
        }
        v.swapInterval = iValue;
        return true;
    case kVarDataSource:
        if (iValue != kDataSourceFiles && iValue != kDataSourceArchive)
        {
            std::fprintf(stderr, "Warning: data source %d is not 0 or 1; ignored\n", iValue);
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
        return WrongKind(iVariableId, "integer");
    case kVarArchiveFile:
    case kVarScriptFile:
        return WrongKind(iVariableId, "integer");
    default:
        std::fprintf(stderr, "Warning: unknown start-up variable %d; ignored\n", iVariableId);
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
        std::fprintf(stderr, "Warning: unknown start-up variable %d; ignored\n", iVariableId);
        return false;
    }
    if (pszValue == nullptr || *pszValue == '\0')
    {
        std::fprintf(stderr, "Warning: start-up variable %d needs a file name; ignored\n", iVariableId);
        return false;
    }
    (iVariableId == kVarArchiveFile ? v.archiveFile : v.scriptFile) = pszValue;
    return true;
}

bool DEMOGL_EffectRegister(CEffect* pEffect, const char* pszName)
{
    LibraryState& library = Library();
    if (library.running)
    {
        std::fprintf(stderr, "Error: effects cannot be registered while the show runs\n");
        return false;
    }
    if (pEffect == nullptr)
    {
        std::fprintf(stderr, "Error: cannot register a null effect under \"%s\"\n", pszName ? pszName : "");
        return false;
    }
    if (pszName == nullptr || *pszName == '\0')
    {
        std::fprintf(stderr, "Error: cannot register an effect without a name\n");
        return false;
    }
    for (const RegisteredEffect& registered : library.effects)
    {
        if (registered.name == pszName)
        {
            std::fprintf(stderr, "Error: an effect is already registered as \"%s\"\n", pszName);
            return false;
        }
        if (registered.effect == pEffect)
        {
            std::fprintf(stderr, "Error: the effect registered as \"%s\" cannot be registered again as \"%s\"\n",
                         registered.name.c_str(), pszName);
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
