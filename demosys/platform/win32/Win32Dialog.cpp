// The start-up dialog from Win32 controls: the banner on the left; on the right the release
// and group names, the resolution list (the record's default selected), fullscreen, sound and
// frame sync (each enabled only when the record offers the choice), Start and Quit. Enter
// starts, Escape or closing the dialog quits, Tab moves between the controls.
#include "platform/win32/Win32Dialog.h"

#include "platform/win32/Win32Gl.h"
#include "platform/win32/Win32Text.h"

namespace {

const wchar_t kDialogClass[] = L"ZarnoveltStartup";

enum ControlId
{
    kResolutionList = 100,
    kFullscreenBox,
    kSoundBox,
    kFrameSyncBox,
};

constexpr int kBannerWidth = 91;
constexpr int kBannerHeight = 433;
constexpr int kFormWidth = 260;
constexpr int kPadding = 12;

struct DialogState
{
    const StartupDialogModel* model = nullptr;
    StartupChoices* choices = nullptr;
    HFONT font = nullptr;
    HFONT titleFont = nullptr;
    bool done = false;
    DialogOutcome outcome = DialogOutcome::Quit;
    int timerTicks = 0;
    bool autoStarted = false;
};

HWND AddControl(HWND dialog, const wchar_t* type, const std::wstring& text, DWORD style, int x, int y, int width,
                int height, int id, HFONT font)
{
    HWND control = CreateWindowExW(0, type, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (control != nullptr && font != nullptr)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

void AddCheckBox(HWND dialog, const wchar_t* label, int id, bool offered, bool checked, int y, HFONT font)
{
    HWND box = AddControl(dialog, L"BUTTON", label, WS_TABSTOP | BS_AUTOCHECKBOX, kBannerWidth + kPadding, y,
                          kFormWidth - 2 * kPadding, 22, id, font);
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(box, offered ? TRUE : FALSE);
}

void BuildControls(HWND dialog, DialogState& state)
{
    const StartupDialogModel& model = *state.model;
    const StartupChoices& choices = *state.choices;
    const HBITMAP banner = static_cast<HBITMAP>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(140), IMAGE_BITMAP, 0, 0, LR_SHARED));
    HWND picture = AddControl(dialog, L"STATIC", L"", SS_BITMAP, 0, 0, kBannerWidth, kBannerHeight, -1, nullptr);
    if (banner != nullptr)
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner));

    const int x = kBannerWidth + kPadding;
    const int width = kFormWidth - 2 * kPadding;
    int y = kPadding;
    AddControl(dialog, L"STATIC", Utf8ToWide(model.title), SS_LEFT, x, y, width, 28, -1, state.titleFont);
    y += 30;
    AddControl(dialog, L"STATIC", L"by " + Utf8ToWide(model.group), SS_LEFT, x, y, width, 20, -1, state.font);
    y += 40;
    AddControl(dialog, L"STATIC", L"Resolution", SS_LEFT, x, y, width, 18, -1, state.font);
    y += 20;
    HWND list = AddControl(dialog, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, y, width, 200,
                           kResolutionList, state.font);
    for (const DialogResolution& resolution : model.resolutions)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(resolution.label).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(model.selected), 0);
    EnableWindow(list, model.offerResolution ? TRUE : FALSE);
    y += 40;
    AddCheckBox(dialog, L"Fullscreen", kFullscreenBox, model.offerWindowMode, choices.fullscreen, y, state.font);
    y += 26;
    AddCheckBox(dialog, L"Sound", kSoundBox, model.offerSound, choices.sound, y, state.font);
    y += 26;
    AddCheckBox(dialog, L"Frame sync", kFrameSyncBox, model.offerFrameSync, choices.frameSync, y, state.font);

    const int buttonWidth = (width - kPadding) / 2;
    const int buttonY = kBannerHeight - kPadding - 28;
    HWND start = AddControl(dialog, L"BUTTON", L"Start", WS_TABSTOP | BS_DEFPUSHBUTTON, x, buttonY, buttonWidth, 28,
                            IDOK, state.font);
    AddControl(dialog, L"BUTTON", L"Quit", WS_TABSTOP | BS_PUSHBUTTON, x + buttonWidth + kPadding, buttonY,
               buttonWidth, 28, IDCANCEL, state.font);
    SetFocus(start);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Finish(HWND dialog, DialogState& state, DialogOutcome outcome)
{
    if (state.done)
        return;
    if (outcome == DialogOutcome::Start)
    {
        const StartupDialogModel& model = *state.model;
        const LRESULT selected = SendDlgItemMessageW(dialog, kResolutionList, CB_GETCURSEL, 0, 0);
        if (selected >= 0 && static_cast<size_t>(selected) < model.resolutions.size())
        {
            state.choices->width = model.resolutions[static_cast<size_t>(selected)].width;
            state.choices->height = model.resolutions[static_cast<size_t>(selected)].height;
        }
        if (model.offerWindowMode)
            state.choices->fullscreen = Checked(dialog, kFullscreenBox);
        if (model.offerSound)
            state.choices->sound = Checked(dialog, kSoundBox);
        if (model.offerFrameSync)
            state.choices->frameSync = Checked(dialog, kFrameSyncBox);
    }
    state.outcome = outcome;
    state.done = true;
}

LRESULT CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (state == nullptr)
        return DefWindowProcW(dialog, message, wParam, lParam);
    switch (message)
    {
    case WM_CREATE:
        BuildControls(dialog, *state);
        if (state->model->autoStartFrames >= 0)
            SetTimer(dialog, 1, 10, nullptr);
        return 0;
    case WM_TIMER:
        // The frames a window test waits, counted as the SDL dialog counts its frames.
        if (++state->timerTicks > state->model->autoStartFrames)
        {
            state->autoStarted = true;
            Finish(dialog, *state, DialogOutcome::Start);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            Finish(dialog, *state, DialogOutcome::Start);
        else if (LOWORD(wParam) == IDCANCEL)
            Finish(dialog, *state, DialogOutcome::Quit);
        return 0;
    case WM_CLOSE:
        Finish(dialog, *state, DialogOutcome::Quit);
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return DefWindowProcW(dialog, message, wParam, lParam);
    }
}

} // namespace

Win32DialogResult RunWin32StartupDialog(HWND owner, const StartupDialogModel& model, StartupChoices* choices)
{
    Win32DialogResult result;
    if (model.resolutions.empty())
        return result;
    WNDCLASSEXW dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    dialogClass.lpfnWndProc = DialogProcedure;
    dialogClass.hInstance = ModuleInstance();
    dialogClass.hIcon = ProgramIcon();
    dialogClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    dialogClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    dialogClass.lpszClassName = kDialogClass;
    RegisterClassExW(&dialogClass);

    DialogState state;
    state.model = &model;
    state.choices = choices;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    {
        state.font = CreateFontIndirectW(&metrics.lfMessageFont);
        LOGFONTW title = metrics.lfMessageFont;
        title.lfHeight = title.lfHeight * 2;
        title.lfWeight = FW_BOLD;
        state.titleFont = CreateFontIndirectW(&title);
    }
    if (state.font == nullptr)
        state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, kBannerWidth + kFormWidth, kBannerHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr)
        GetWindowRect(owner, &ownerRect);
    const int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - width) / 2;
    const int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - height) / 2;
    HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME, kDialogClass, Utf8ToWide(model.title).c_str(), style, x, y,
                                  width, height, owner, nullptr, ModuleInstance(), &state);
    if (dialog == nullptr)
        return result;
    if (owner != nullptr)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);

    MSG message;
    while (!state.done && GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (IsDialogMessageW(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (owner != nullptr)
        EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    if (state.font != nullptr && state.font != GetStockObject(DEFAULT_GUI_FONT))
        DeleteObject(state.font);
    if (state.titleFont != nullptr)
        DeleteObject(state.titleFont);
    result.outcome = state.outcome;
    result.answeredByPerson = !state.autoStarted;
    return result;
}
