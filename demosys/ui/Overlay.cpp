#include "ui/Overlay.h"

#include <imgui.h>

#include <cinttypes>
#include <cstdio>

std::string FormatDemoTime(int64_t timeMs)
{
    const bool negative = timeMs < 0;
    const int64_t magnitude = negative ? -timeMs : timeMs;
    char text[48];
    std::snprintf(text, sizeof(text), "%s%" PRId64 ":%02" PRId64 ".%03" PRId64, negative ? "-" : "",
                  magnitude / 60000, magnitude / 1000 % 60, magnitude % 1000);
    return text;
}

void DrawOverlay(WindowUi& ui, const OverlayInfo& info)
{
    if (!ui.IsReady())
        return;
    ui.BeginFrame();
    ImGui::SetNextWindowPos(ImVec2(8.0f, 8.0f), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("##overlay", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoInputs);
    ImGui::Text("%.1f fps  %.2f ms", info.framesPerSecond, info.frameMs);
    ImGui::Text("time %s / %s%s", FormatDemoTime(info.demoTimeMs).c_str(), FormatDemoTime(info.endTimeMs).c_str(),
                info.paused ? "  (paused)" : "");
    ImGui::Text("clock: %s", info.musicClock ? "sound device" : "steady clock");
    ImGui::Separator();
    if (info.layers.empty())
        ImGui::TextDisabled("no effect running");
    for (const std::string& layer : info.layers)
        ImGui::TextUnformatted(layer.c_str());
    if (!info.message.empty())
    {
        ImGui::Separator();
        ImGui::PushTextWrapPos(ImGui::GetFontSize() * 30.0f);
        ImGui::TextUnformatted(info.message.c_str());
        ImGui::PopTextWrapPos();
    }
    ImGui::End();
    ui.Render();
}
