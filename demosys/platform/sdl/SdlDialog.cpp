#include "platform/sdl/SdlDialog.h"

#include <SDL2/SDL.h>

#include <GL/gl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdint>

#include "platform/GlFunctions.h"
#include "platform/sdl/SdlBanner.h"
#include "platform/sdl/SdlUi.h"

namespace {

// The banner as a GL texture for as long as the dialog is open.
class BannerTexture
{
public:
    BannerTexture()
    {
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glGenTextures(1, &m_name);
        glBindTexture(GL_TEXTURE_2D, m_name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kDialogBannerWidth, kDialogBannerHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     DialogBannerRgb());
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    }
    ~BannerTexture() { glDeleteTextures(1, &m_name); }
    BannerTexture(const BannerTexture&) = delete;
    BannerTexture& operator=(const BannerTexture&) = delete;

    // Draws the banner as tall as the window leaves room for, at most its own 433 pixels.
    void Draw() const
    {
        const float room = ImGui::GetIO().DisplaySize.y - 4.0f * ImGui::GetStyle().WindowPadding.y;
        const float height = std::clamp(room, 64.0f, static_cast<float>(kDialogBannerHeight));
        const float width = height * kDialogBannerWidth / kDialogBannerHeight;
        ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(m_name)), ImVec2(width, height));
    }

private:
    GLuint m_name = 0;
};

// The form itself, the banner at its side; sets *start or *quit when a button is pressed.
void DrawForm(const StartupDialogModel& model, const BannerTexture& banner, int* selected, StartupChoices* choices,
              bool* start, bool* quit)
{
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::Begin("##startup", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoCollapse);
    banner.Draw();
    ImGui::SameLine();
    ImGui::BeginGroup();
    ImGui::TextUnformatted(model.title.c_str());
    ImGui::TextDisabled("by %s", model.group.c_str());
    ImGui::Separator();
    const std::vector<DialogResolution>& resolutions = model.resolutions;
    if (model.offerResolution)
    {
        ImGui::SetNextItemWidth(220.0f);
        if (ImGui::BeginCombo("Resolution", resolutions[*selected].label.c_str()))
        {
            for (size_t i = 0; i < resolutions.size(); ++i)
                if (ImGui::Selectable(resolutions[i].label.c_str(), static_cast<int>(i) == *selected))
                    *selected = static_cast<int>(i);
            ImGui::EndCombo();
        }
    }
    else
    {
        ImGui::Text("Resolution: %s", resolutions[*selected].label.c_str());
    }
    if (model.offerWindowMode)
        ImGui::Checkbox("Fullscreen", &choices->fullscreen);
    if (model.offerSound)
        ImGui::Checkbox("Sound", &choices->sound);
    if (model.offerFrameSync)
        ImGui::Checkbox("Frame sync", &choices->frameSync);
    ImGui::Separator();
    if (ImGui::Button("Start", ImVec2(100.0f, 0.0f)))
        *start = true;
    ImGui::SameLine();
    if (ImGui::Button("Quit", ImVec2(100.0f, 0.0f)))
        *quit = true;
    ImGui::EndGroup();
    ImGui::End();
}

} // namespace

DialogOutcome RunSdlStartupDialog(SDL_Window* window, SdlUi& ui, const StartupDialogModel& model,
                                  StartupChoices* choices)
{
    if (window == nullptr || model.resolutions.empty() || !ui.Init(window))
        return DialogOutcome::Start;
    int selected = model.selected;
    const BannerTexture banner;
    for (int frame = 0;; ++frame)
    {
        bool start = model.autoStartFrames >= 0 && frame >= model.autoStartFrames;
        bool quit = false;
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
            ui.ProcessEvent(event);
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
        DrawForm(model, banner, &selected, choices, &start, &quit);
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
            choices->width = model.resolutions[selected].width;
            choices->height = model.resolutions[selected].height;
            return DialogOutcome::Start;
        }
    }
}
