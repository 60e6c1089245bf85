// The demo-system library's public interface: the only header of demosys/ that effects,
// assets and the shell include. It offers what a separately shipped library would: the
// CEffect base class the library drives, the start-up record and variables, the DEMOGL_*
// functions, the shared random source and the Win32 names the demo's code is written with.
//
// Sections:
//   1. CEffect                 the effect base class and when each slot is called
//   2. SStartupDat             the 544-byte start-up record
//   3. Start-up variables      ids 1..12 and their meanings
//   4. Library functions       DEMOGL_*
//   5. Shared random source    DemoRand / DemoSrand
#pragma once

#include <cstddef>
#include <cstdint>

#include "Win32Shim.h"

// ---------------------------------------------------------------------------------------------
// 1. CEffect
// ---------------------------------------------------------------------------------------------

// Base of every effect. The library calls the slots below, always on its own thread, and in
// this order for each registered effect: Init once, before anything else; then, each time the
// script starts the effect, Prepare, RenderFrame once per frame, and End after its last frame.
// ReceiveInt (and the other Receive* slots) may come at any time after Init. A restart is End
// followed by Prepare. No slot is called after DEMOGL_AppEnd has returned.
//
// All effects of a frame draw into the same buffers and the same GL state: whatever an effect
// leaves outside its own attribute push is what the next one starts from.
class CEffect
{
public:
    CEffect();

    // Slot 0. Runs when the shell deletes the effect, after DEMOGL_AppEnd; no GL context.
    virtual ~CEffect();

    // Slot 1. Called once during loading with the render size in pixels; a GL context is
    // current. Load textures and models here. Returns 0 on success; any other value keeps
    // the effect out of the show (reported once). Default: returns 0.
    virtual int Init(int iWidth, int iHeight);

    // Slot 2. Draws one frame. lElapsedTime is milliseconds since the script started the
    // effect (may be negative only when called directly). The frame's earlier effects have
    // drawn already; no state is guaranteed beyond what they left. Default: draws nothing.
    virtual void RenderFrame(long lElapsedTime);

    // Slot 3. A free-form text parameter. Default: ignored.
    virtual void ReceiveParam(char* pszParam);

    // Slot 4. The script starts the effect; upload textures here. A GL context is current.
    // Default: nothing.
    virtual void Prepare();

    // Slot 5. The script stops the effect after its last frame; release uploads here.
    // Default: nothing.
    virtual void End();

    // Slot 6. A window message. Default: ignored.
    virtual void MessageHandler(HWND hWnd, unsigned int uMsg, unsigned int wParam, long lParam);

    // Slot 7. A named integer from the script ("TIME int EFFECT NAME VALUE"); the third
    // argument is always 0. Default: ignored.
    virtual void ReceiveInt(char* pszName, int iValue, long lParam);

    // Slot 8. A named float parameter. Default: ignored.
    virtual void ReceiveFloat(char* pszName, float fValue, long lParam);

    // Slot 9. A named text parameter. Default: ignored.
    virtual void ReceiveString(char* pszName, char* pszValue, long lParam);

    // Slot 10. Draws one frame with extra flags. Default: calls RenderFrame(lElapsedTime).
    virtual void RenderFrameEx(long lElapsedTime, long lFlags);
};

// ---------------------------------------------------------------------------------------------
// 2. SStartupDat
// ---------------------------------------------------------------------------------------------

// The start-up record the shell fills and hands to DEMOGL_AppRun. Its layout is a binary
// interface: 544 bytes, little-endian, every padding byte zero (fill it with memset first).
// The record must stay in place, unchanged, until DEMOGL_AppEnd has returned. The library reads
// it once, when DEMOGL_AppRun starts. The command line, where given, overrides the size, the
// window mode and the sound.
struct SStartupDat
{
    bool m_bResolutionChoice;          // 0: the start-up dialog offers the resolution list
    unsigned char m_padding1[3];       // 1
    int32_t m_iDefaultResolution;      // 4: index into kResolutions (2 = 640x480); out of range: 640x480
    bool m_bWindowModeChoice;          // 8: the dialog offers windowed / fullscreen
    bool m_bSoundChoice;               // 9: the dialog offers sound on / off
    bool m_bFrameSyncChoice;           // 10: the dialog offers frame sync on / off
    char m_szDemoName[256];            // 11: release name: window title, dialog, --version
    char m_szGroupName[256];           // 267: releasing group's name: dialog, --version
    bool m_bSound;                     // 523: sound on (with variable 7)
    bool m_bFrameSync;                 // 524: frame sync on (with variable 2)
    bool m_bFullScreen;                // 525: start in fullscreen (or variable 6)
    unsigned char m_padding2[2];       // 526
    int32_t m_iDisplayIndex;           // 528: the display the window opens and goes fullscreen on
                                       //      (one that does not exist: the first)
    bool m_b32BitColour;               // 532: 8 bits a colour channel, else 5-6-5; for the window
                                       //      and for the offscreen frame the show is drawn into
    bool m_bDepthBuffer;               // 533: a 24-bit depth buffer (window and offscreen frame)
    bool m_bStencilBuffer;             // 534: an 8-bit stencil buffer (window and offscreen frame)
    bool m_bRememberSettings;          // 535: the dialog opens with the choices last started with
                                       //      and saves the new ones: "<id>.ini" in the user's
                                       //      settings folder (only when the dialog is shown)
    bool m_bAlwaysOnTop;               // 536: keep the window above others
    unsigned char m_padding3[3];       // 537
    int32_t m_iMusicVolume;            // 540: music volume in percent (0..100), window and video
};

static_assert(sizeof(bool) == 1, "the start-up record stores flags as single bytes");
static_assert(sizeof(SStartupDat) == 544, "SStartupDat is 544 bytes");
static_assert(offsetof(SStartupDat, m_bResolutionChoice) == 0, "offset 0");
static_assert(offsetof(SStartupDat, m_padding1) == 1, "offset 1");
static_assert(offsetof(SStartupDat, m_iDefaultResolution) == 4, "offset 4");
static_assert(offsetof(SStartupDat, m_bWindowModeChoice) == 8, "offset 8");
static_assert(offsetof(SStartupDat, m_bSoundChoice) == 9, "offset 9");
static_assert(offsetof(SStartupDat, m_bFrameSyncChoice) == 10, "offset 10");
static_assert(offsetof(SStartupDat, m_szDemoName) == 11, "offset 11");
static_assert(offsetof(SStartupDat, m_szGroupName) == 267, "offset 267");
static_assert(offsetof(SStartupDat, m_bSound) == 523, "offset 523");
static_assert(offsetof(SStartupDat, m_bFrameSync) == 524, "offset 524");
static_assert(offsetof(SStartupDat, m_bFullScreen) == 525, "offset 525");
static_assert(offsetof(SStartupDat, m_padding2) == 526, "offset 526");
static_assert(offsetof(SStartupDat, m_iDisplayIndex) == 528, "offset 528");
static_assert(offsetof(SStartupDat, m_b32BitColour) == 532, "offset 532");
static_assert(offsetof(SStartupDat, m_bDepthBuffer) == 533, "offset 533");
static_assert(offsetof(SStartupDat, m_bStencilBuffer) == 534, "offset 534");
static_assert(offsetof(SStartupDat, m_bRememberSettings) == 535, "offset 535");
static_assert(offsetof(SStartupDat, m_bAlwaysOnTop) == 536, "offset 536");
static_assert(offsetof(SStartupDat, m_padding3) == 537, "offset 537");
static_assert(offsetof(SStartupDat, m_iMusicVolume) == 540, "offset 540");

// The resolutions m_iDefaultResolution indexes.
struct SResolution
{
    int m_iWidth;
    int m_iHeight;
};
constexpr int kResolutionCount = 7;
constexpr SResolution kResolutions[kResolutionCount] = {
    {320, 240}, {512, 384}, {640, 480}, {800, 600}, {1024, 768}, {1280, 720}, {1920, 1080},
};

// ---------------------------------------------------------------------------------------------
// 3. Start-up variables (DEMOGL_SetVariable)
// ---------------------------------------------------------------------------------------------

constexpr int kVarShowStartupDialog = 1;   // bool: the start-up dialog, in a window run (not with --no-dialog)
constexpr int kVarSwapInterval = 2;        // int: 0 free-running, 1 synchronised to the display (with byte 524)
constexpr int kVarDataSource = 3;          // int: 0 files under the data directory; 1 the data archive, which
                                           //      this library cannot read: loads that name it fail, reported
constexpr int kVarArchiveFile = 4;         // string: the data archive's file name; kept, never opened
constexpr int kVarScriptFile = 5;          // string: timeline script file name (--script overrides it)
constexpr int kVarFullScreen = 6;          // bool: start in fullscreen (or byte 525; --windowed overrides)
constexpr int kVarPlayMusic = 7;           // bool: play the soundtrack (with byte 523; --no-music overrides)
constexpr int kVarShowLoadingBar = 8;      // bool: draw the loading bar (when DEMOGL_LoadingPBEnable enabled it)
constexpr int kVarShowOverlay = 9;         // bool: the frame-rate and timeline overlay is on at the start (F1)
constexpr int kVarEscapeEnds = 10;         // bool: Escape ends the show
constexpr int kVarLoopShow = 11;           // bool: loop the show at its end (window runs only)
constexpr int kVarWriteLogFile = 12;       // bool: every message line also goes to "<id>.log" in the user's
                                           //      state folder (~/.local/state on Linux), appended

constexpr int kDataSourceFiles = 0;
constexpr int kDataSourceArchive = 1;

// ---------------------------------------------------------------------------------------------
// 4. Library functions
// ---------------------------------------------------------------------------------------------

// Start-up variables, set before DEMOGL_AppRun. An unknown id, or a value of the wrong kind for
// the id, is reported on standard error and ignored. Each returns true when the value was taken.
bool DEMOGL_SetVariable(int iVariableId, bool bValue);
bool DEMOGL_SetVariable(int iVariableId, int iValue);
bool DEMOGL_SetVariable(int iVariableId, const char* pszValue);

// Registers an effect under the name the script uses for it. A null object, an empty or null
// name, a name already registered or an object already registered is reported and refused
// (returns false). The library calls the object until DEMOGL_AppEnd returns; the caller owns it.
bool DEMOGL_EffectRegister(CEffect* pEffect, const char* pszName);

// The loading progress bar, drawn and presented after each effect's Init. Sizes and position
// are fractions of the view, from its bottom-left corner: (1, 1.0, 0.02, 0.0, 0.0) is a
// full-width bar 2 % high at the bottom. iEnable 0 switches the bar off.
void DEMOGL_LoadingPBEnable(int iEnable, float fWidth, float fHeight, float fX, float fY);

// The bar's look: bDrawBar draws the filled part; bBackgroundPicture is accepted and unused (no
// loading picture exists: the screen behind the bar is black either way); the bar is blended
// onto the screen with glBlendFunc(uSrcBlend, uDstBlend) at fOpacity; bar colour and border
// colour in RGB.
void DEMOGL_LoadingPBSetAppearance(bool bDrawBar, bool bBackgroundPicture, unsigned int uSrcBlend,
                                   unsigned int uDstBlend, float fOpacity, float fBarR, float fBarG,
                                   float fBarB, float fBorderR, float fBorderG, float fBorderB);

// Runs the whole show and returns when it has ended: opens the window or headless context,
// shows the start-up dialog if asked, reads the timeline script, initialises every effect with
// the loading bar, plays the show, and leaves the GL context open for DEMOGL_AppEnd.
//   hInstance        the instance handed to WinMain
//   pStartupDat      the start-up record (must stay valid until DEMOGL_AppEnd)
//   pszAppId         names the log file ("<id>.log", variable 12) and the settings file ("<id>.ini",
//                    record byte 535); letters, digits, '.', '-' and '_' are kept, others become '_'
//   bDebugMode       extra checks: glGetError after every effect call, named in a message
//   ucVersionMajor   release version, major part, shown by --version beside the build's own version
//   ucVersionMinor   release version, minor part
//   iVersionBuild    release build number
// Returns kAppRunOk when the show ran (to its end, Escape, window close or --frames),
// another value when it could not run (see kAppRun* below).
int DEMOGL_AppRun(HINSTANCE hInstance, const SStartupDat* pStartupDat, const char* pszAppId,
                  bool bDebugMode, unsigned char ucVersionMajor, unsigned char ucVersionMinor,
                  int iVersionBuild);

constexpr int kAppRunOk = 0;
constexpr int kAppRunFailed = 1;

// Tears the window, audio and GL context down. No effect is called afterwards.
void DEMOGL_AppEnd();

// Texture image types for DEMOGL_TextureLoad.
constexpr int kImageTypeJpeg = 1;
constexpr int kImageTypeTga = 3;

// Loads and decodes an image file and reserves a GL texture name for it; the name is the id.
//   pszFileName      path relative to the data directory, "/" separators
//   iImageType       kImageTypeJpeg or kImageTypeTga
//   iDataSource      0: the file on disk; 1: the data archive (as variable 3)
//   iWrapS, iWrapT   GL_CLAMP or GL_REPEAT. GL_CLAMP is set up as GL_CLAMP_TO_EDGE when the
//                    context has it (OpenGL 1.2 and later, OpenGL ES, the edge-clamp extension):
//                    linear filtering then repeats the edge texel instead of blending in the
//                    black border colour, so a clamped mask leaves no dark line along its quad's
//                    edges. The command line's --strict-clamp keeps GL_CLAMP (for comparisons).
//                    Other modes are used as given.
//   iMinFilter, iMagFilter  GL_LINEAR or GL_NEAREST
//   bMipMaps         build mipmaps on upload (the min filter should then be a mipmap filter)
//   bCompressed      ask for a compressed internal format (ignored: never compressed)
//   iBorder          texture border width, 0
//   iInternalFormat  GL_RGB5_A1, or 0 for 8 bits per channel (RGB, or RGBA when the file has alpha)
//   iDimensions      2 for a 2D texture
// Returns the id, or 0 when the file could not be read or decoded (reported once with the
// path and the reason). Needs a current GL context.
unsigned int DEMOGL_TextureLoad(const char* pszFileName, int iImageType, int iDataSource, int iWrapS,
                                int iWrapT, int iMinFilter, int iMagFilter, bool bMipMaps,
                                bool bCompressed, int iBorder, int iInternalFormat, int iDimensions);

// Gives the texture id its GL storage (image, wrap, filters, internal format); afterwards the id
// can be bound with glBindTexture(GL_TEXTURE_2D, id). Uploading an uploaded id does nothing.
// Returns 0 on success, non-zero for an unknown id (0 included).
int DEMOGL_TextureUpload(unsigned int uId);

// Frees the texture's GL storage but keeps its name reserved, so a later upload reuses it.
// Returns 0 on success, non-zero for an unknown id.
int DEMOGL_TextureUnUpload(unsigned int uId);

// Extension numbers for DEMOGL_ExtensionCheckIfAvailable.
constexpr int kExtensionMultitexture = 0;   // GL_ARB_multitexture: glActiveTextureARB, glMultiTexCoord2fARB
constexpr int kExtensionTexEnvCombine = 35; // GL_ARB_texture_env_combine or GL_EXT_texture_env_combine

// True when the extension is present in the current context (and extensions are not switched
// off with --no-extensions). Unknown numbers are false.
bool DEMOGL_ExtensionCheckIfAvailable(int iExtension);

// ---------------------------------------------------------------------------------------------
// 5. Shared random source
// ---------------------------------------------------------------------------------------------

// One process-wide generator, the same on every platform: x = x * 214013 + 2531011 (mod 2^32),
// returning (x >> 16) & 0x7FFF, from the seed 1. Effects draw from it in the order they call it,
// so PARTY and STARFIELD share one sequence.
int DemoRand();

// Restarts the sequence from a seed (1 is the start-up state). For tests and tools.
void DemoSrand(unsigned int uSeed);
