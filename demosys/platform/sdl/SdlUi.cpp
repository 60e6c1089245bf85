#include "platform/sdl/SdlUi.h"

#include <SDL2/SDL.h>

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

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
    ImGui_ImplOpenGL2_Init();
    m_ready = true;
    return true;
}

void SdlUi::Shutdown()
{
    if (!m_ready)
        return;
    ImGui_ImplOpenGL2_Shutdown();
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
    ImGui_ImplOpenGL2_NewFrame();
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
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
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
