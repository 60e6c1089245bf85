#include "platform/sdl/WindowUi.h"

#include <SDL2/SDL.h>

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

WindowUi::~WindowUi() { Shutdown(); }

bool WindowUi::Init(HWND window)
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
    ImGui_ImplSDL2_InitForOpenGL(static_cast<SDL_Window*>(window), SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL2_Init();
    m_ready = true;
    return true;
}

void WindowUi::Shutdown()
{
    if (!m_ready)
        return;
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    m_ready = false;
}

void WindowUi::ProcessEvent(const void* event)
{
    if (m_ready)
        ImGui_ImplSDL2_ProcessEvent(static_cast<const SDL_Event*>(event));
}

void WindowUi::BeginFrame()
{
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void WindowUi::Render()
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
