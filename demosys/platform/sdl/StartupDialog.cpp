#include "ui/StartupDialog.h"

#include <SDL2/SDL.h>

#include <GL/gl.h>
#include <imgui.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/GlFunctions.h"

namespace {

struct ResolutionEntry
{
    int width;
    int height;
    std::string label;
};

// The record's list, plus the size asked for on the command line when it is not one of them.
std::vector<ResolutionEntry> ResolutionList(const StartupChoices& choices, int* selected)
{
    std::vector<ResolutionEntry> list;
    *selected = -1;
    for (int i = 0; i < kResolutionCount; ++i)
    {
        list.push_back({kResolutions[i].m_iWidth, kResolutions[i].m_iHeight,
                        std::to_string(kResolutions[i].m_iWidth) + " x " + std::to_string(kResolutions[i].m_iHeight)});
        if (kResolutions[i].m_iWidth == choices.width && kResolutions[i].m_iHeight == choices.height)
            *selected = i;
    }
    if (*selected < 0)
    {
        list.push_back({choices.width, choices.height,
                        std::to_string(choices.width) + " x " + std::to_string(choices.height) + " (command line)"});
        *selected = static_cast<int>(list.size()) - 1;
    }
    return list;
}

std::string RecordText(const char* text) { return std::string(text, strnlen(text, 256)); }

} // namespace

DialogOutcome RunStartupDialog(Backend& backend, WindowUi& ui, const SStartupDat& record, StartupChoices* choices,
                               int autoStartFrames)
{
    SDL_Window* window = static_cast<SDL_Window*>(backend.Window());
    if (window == nullptr || !ui.Init(backend.Window()))
        return DialogOutcome::Start;
    int selected = 0;
    const std::vector<ResolutionEntry> resolutions = ResolutionList(*choices, &selected);
    const std::string title = RecordText(record.m_szDemoName);
    const std::string group = RecordText(record.m_szGroupName);

    for (int frame = 0;; ++frame)
    {
        bool start = autoStartFrames >= 0 && frame >= autoStartFrames;
        bool quit = false;
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
            ui.ProcessEvent(&event);
            if (event.type == SDL_QUIT ||
                (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE))
                quit = true;
            else if (event.type == SDL_KEYDOWN && event.key.repeat == 0)
            {
                if (event.key.keysym.sym == SDLK_ESCAPE)
                    quit = true;
                else if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER)
                    start = true;
            }
        }

        ui.BeginFrame();
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                                ImVec2(0.5f, 0.5f));
        ImGui::Begin("##startup", nullptr,
                     ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoCollapse);
        ImGui::TextUnformatted(title.c_str());
        ImGui::TextDisabled("by %s", group.c_str());
        ImGui::Separator();
        if (record.m_bResolutionChoice)
        {
            ImGui::SetNextItemWidth(220.0f);
            if (ImGui::BeginCombo("Resolution", resolutions[selected].label.c_str()))
            {
                for (size_t i = 0; i < resolutions.size(); ++i)
                    if (ImGui::Selectable(resolutions[i].label.c_str(), static_cast<int>(i) == selected))
                        selected = static_cast<int>(i);
                ImGui::EndCombo();
            }
        }
        else
        {
            ImGui::Text("Resolution: %s", resolutions[selected].label.c_str());
        }
        if (record.m_bWindowModeChoice)
            ImGui::Checkbox("Fullscreen", &choices->fullscreen);
        if (record.m_bSoundChoice)
            ImGui::Checkbox("Sound", &choices->sound);
        if (record.m_bFrameSyncChoice)
            ImGui::Checkbox("Frame sync", &choices->frameSync);
        ImGui::Separator();
        if (ImGui::Button("Start", ImVec2(100.0f, 0.0f)))
            start = true;
        ImGui::SameLine();
        if (ImGui::Button("Quit", ImVec2(100.0f, 0.0f)))
            quit = true;
        ImGui::End();

        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
        Gl().BindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, drawableWidth, drawableHeight);
        glClearColor(0.05f, 0.05f, 0.07f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ui.Render();
        SDL_GL_SwapWindow(window);
        // Without frame sync the loop would spin; a dialog needs no more than ~100 frames a second.
        SDL_Delay(10);

        if (quit)
            return DialogOutcome::Quit;
        if (start)
        {
            choices->width = resolutions[selected].width;
            choices->height = resolutions[selected].height;
            return DialogOutcome::Start;
        }
    }
}
