#include "platform/sdl/SdlUi.h"

#include <SDL2/SDL.h>

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_sdl.h>

// Dear ImGui draws with its own GL calls: OpenGL 2 beside the driver's fixed-function pipeline,
// or OpenGL ES 3 beside the fixed-function layer, which then sets its state again.
#ifdef ZARNOVELT_GLES
#include <backends/imgui_impl_opengl3.h>

#include "fixedfunction/FixedFunction.h"
#define ImGui_ImplRenderer_Init() ImGui_ImplOpenGL3_Init("#version 300 es")
#define ImGui_ImplRenderer_Shutdown ImGui_ImplOpenGL3_Shutdown
#define ImGui_ImplRenderer_NewFrame ImGui_ImplOpenGL3_NewFrame
#define ImGui_ImplRenderer_RenderDrawData ImGui_ImplOpenGL3_RenderDrawData
#else
#include <backends/imgui_impl_opengl2.h>
#define ImGui_ImplRenderer_Init() ImGui_ImplOpenGL2_Init()
#define ImGui_ImplRenderer_Shutdown ImGui_ImplOpenGL2_Shutdown
#define ImGui_ImplRenderer_NewFrame ImGui_ImplOpenGL2_NewFrame
#define ImGui_ImplRenderer_RenderDrawData ImGui_ImplOpenGL2_RenderDrawData
#endif

SdlUi::~SdlUi() { Shutdown(); }

bool SdlUi::Init(SDL_Window* window)
{
    if (m_ready)
        return true;
    if (window == nullptr)
        return false;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // The demo runs in its data directory: no imgui.ini or log beside the data.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window, SDL_GL_GetCurrentContext());
    ImGui_ImplRenderer_Init();
    m_ready = true;
    return true;
}

void SdlUi::Shutdown()
{
    if (!m_ready)
        return;
    ImGui_ImplRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    m_ready = false;
}

void SdlUi::ProcessEvent(const SDL_Event& event)
{
    if (m_ready)
        ImGui_ImplSDL2_ProcessEvent(&event);
}

void SdlUi::BeginFrame(bool ownsPointer)
{
    ImGuiIO& io = ImGui::GetIO();
    if (ownsPointer)
        io.ConfigFlags &= ~ImGuiConfigFlags_NoMouseCursorChange;
    else
        io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    ImGui_ImplRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void SdlUi::Render()
{
    ImGui::Render();
    // The effects' state carries over from frame to frame; leave all of it as it was.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    ImGui_ImplRenderer_RenderDrawData(ImGui::GetDrawData());
#ifdef ZARNOVELT_GLES
    FixedFunctionInvalidate();
#endif
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

void SdlUi::DrawOverlay(const std::vector<std::string>& lines)
{
    if (!m_ready || lines.empty())
        return;
    BeginFrame(false);
    ImGui::SetNextWindowPos(ImVec2(8.0f, 8.0f), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("##overlay", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoInputs);
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 30.0f);
    for (const std::string& line : lines)
    {
        if (line.empty())
            ImGui::Separator();
        else
            ImGui::TextUnformatted(line.c_str());
    }
    ImGui::PopTextWrapPos();
    ImGui::End();
    Render();
}
