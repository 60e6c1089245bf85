// The start-up dialog from Win32 controls: the banner on the left; on the right the release
// and group names, the resolution list (the record's default selected), fullscreen, sound and
// frame sync (each enabled only when the record offers the choice), Start and Quit. Enter
// starts, Escape or closing the dialog quits, Tab moves between the controls. Every size below
// is given for 96 DPI and scaled to the display's; moved to a display of another scale, the
// dialog lays itself out again.
#include "platform/win32/Win32Dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Gl.h"
#include "platform/win32/Win32Text.h"

namespace {

const wchar_t kDialogClass[] = L"ZarnoveltStartup";

enum ControlId
{
    kTitleText = 100,
    kGroupText,
    kResolutionText,
    kResolutionList,
    kFullscreenBox,
    kSoundBox,
    kFrameSyncBox,
};

constexpr int kBannerWidth = 91;
constexpr int kBannerHeight = 433;
constexpr int kFormWidth = 260;
constexpr int kPadding = 12;
constexpr int kListDropHeight = 200;

struct DialogState
{
    const StartupDialogModel* model = nullptr;
    StartupChoices* choices = nullptr;
    int dpi = kBaseDpi;
    std::unique_ptr<Win32DialogFonts> fonts;
    Win32DialogLayout layout;
    HBITMAP banner = nullptr;
    bool done = false;
    DialogOutcome outcome = DialogOutcome::Quit;
    int timerTicks = 0;
    bool autoStarted = false;
};

int LineHeight(HFONT font)
{
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

void AddControl(HWND dialog, const Win32DialogControl& control, const Win32DialogFonts& fonts)
{
    const RECT& r = control.rect;
    HWND window = CreateWindowExW(0, control.type, control.text.c_str(), WS_CHILD | WS_VISIBLE | control.style,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ModuleInstance(), nullptr);
    if (window != nullptr)
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(control.titleFont ? fonts.title : fonts.text), TRUE);
}

void BuildControls(HWND dialog, const DialogState& state)
{
    const StartupDialogModel& model = *state.model;
    const StartupChoices& choices = *state.choices;
    for (const Win32DialogControl& control : state.layout.controls)
        AddControl(dialog, control, *state.fonts);

    HWND list = GetDlgItem(dialog, kResolutionList);
    for (const DialogResolution& resolution : model.resolutions)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(resolution.label).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(model.selected), 0);
    EnableWindow(list, model.offerResolution ? TRUE : FALSE);
    const struct
    {
        int id;
        bool offered;
        bool checked;
    } boxes[] = {
        {kFullscreenBox, model.offerWindowMode, choices.fullscreen},
        {kSoundBox, model.offerSound, choices.sound},
        {kFrameSyncBox, model.offerFrameSync, choices.frameSync},
    };
    for (const auto& box : boxes)
    {
        CheckDlgButton(dialog, box.id, box.checked ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, box.id), box.offered ? TRUE : FALSE);
    }
    SetFocus(GetDlgItem(dialog, IDOK));
}

// The outer size of the dialog for its layout at its DPI.
SIZE FrameSize(const DialogState& state, DWORD style, DWORD extendedStyle)
{
    RECT frame{0, 0, state.layout.client.cx, state.layout.client.cy};
    AdjustWindowRectForDpi(&frame, style, extendedStyle, state.dpi);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// Moved to a display of another scale: new fonts, every control in its new place, and the
// dialog's new size at the place Windows suggests.
void ChangeDpi(HWND dialog, DialogState& state, int dpi, const RECT& suggested)
{
    auto fonts = std::make_unique<Win32DialogFonts>(dpi);
    state.layout = LayoutWin32StartupDialog(*state.model, dpi, *fonts);
    state.dpi = dpi;
    for (const Win32DialogControl& control : state.layout.controls)
    {
        HWND window = GetDlgItem(dialog, control.id);
        const RECT& r = control.rect;
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(control.titleFont ? fonts->title : fonts->text), FALSE);
        MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    // The old fonts go once no control uses them.
    state.fonts = std::move(fonts);
    const SIZE size = FrameSize(state, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)),
                                static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog, nullptr, TRUE);
}

// The banner at the dialog's scale, smoothed when it is stretched.
void PaintBanner(HWND dialog, const DialogState& state)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(dialog, &paint);
    BITMAP bitmap{};
    if (state.banner != nullptr && GetObjectW(state.banner, sizeof bitmap, &bitmap) != 0)
    {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(source, state.banner);
        const RECT& to = state.layout.banner;
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source, 0, 0, bitmap.bmWidth,
                   bitmap.bmHeight, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    EndPaint(dialog, &paint);
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
    case WM_PAINT:
        PaintBanner(dialog, *state);
        return 0;
    case WM_DPICHANGED:
        ChangeDpi(dialog, *state, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return DefWindowProcW(dialog, message, wParam, lParam);
    }
}

// The work area of the display the window is on (the whole primary display without one).
RECT WorkArea(HWND window)
{
    return MonitorRect(window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) : PrimaryMonitor(), true);
}

} // namespace

Win32DialogFonts::Win32DialogFonts(int dpi)
{
    const LOGFONTW message = MessageFontForDpi(dpi);
    text = CreateFontIndirectW(&message);
    LOGFONTW big = message;
    big.lfHeight = message.lfHeight * 2;
    big.lfWeight = FW_BOLD;
    title = CreateFontIndirectW(&big);
    textHeight = text != nullptr ? LineHeight(text) : 0;
    titleHeight = title != nullptr ? LineHeight(title) : 0;
}

Win32DialogFonts::~Win32DialogFonts()
{
    if (text != nullptr)
        DeleteObject(text);
    if (title != nullptr)
        DeleteObject(title);
}

Win32DialogLayout LayoutWin32StartupDialog(const StartupDialogModel& model, int dpi, const Win32DialogFonts& fonts)
{
    auto scaled = [dpi](int value) { return ScaleToDpi(value, dpi); };
    // A row is as tall as at 100 %, or as its font needs with a little air, whichever is more.
    auto row = [&](int base, int fontHeight, int air) { return std::max(scaled(base), fontHeight + scaled(air)); };

    Win32DialogLayout layout;
    const int padding = scaled(kPadding);
    const int x = scaled(kBannerWidth) + padding;
    const int width = scaled(kFormWidth) - 2 * padding;
    layout.banner = RECT{0, 0, scaled(kBannerWidth), scaled(kBannerHeight)};
    auto add = [&](const wchar_t* type, int id, const std::wstring& text, DWORD style, int top, int height,
                   bool titleFont = false) {
        Win32DialogControl control;
        control.type = type;
        control.id = id;
        control.text = text;
        control.style = style;
        control.rect = RECT{x, top, x + width, top + height};
        control.titleFont = titleFont;
        layout.controls.push_back(control);
    };

    int y = padding;
    int height = row(28, fonts.titleHeight, 2);
    add(L"STATIC", kTitleText, Utf8ToWide(model.title), SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, y, height, true);
    y += height + scaled(2);
    height = row(20, fonts.textHeight, 2);
    add(L"STATIC", kGroupText, L"by " + Utf8ToWide(model.group), SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, y, height);
    y += height + scaled(20);
    height = row(18, fonts.textHeight, 2);
    add(L"STATIC", kResolutionText, L"Resolution", SS_LEFT, y, height);
    y += height + scaled(2);
    // A drop-down list's height is that of its open list; closed, the system sizes it to its
    // font, a line and a frame.
    add(L"COMBOBOX", kResolutionList, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, y,
        std::max(scaled(kListDropHeight), 8 * fonts.textHeight));
    y += row(40, fonts.textHeight, 20);
    height = row(22, fonts.textHeight, 4);
    const int step = height + scaled(4);
    add(L"BUTTON", kFullscreenBox, L"Fullscreen", WS_TABSTOP | BS_AUTOCHECKBOX, y, height);
    y += step;
    add(L"BUTTON", kSoundBox, L"Sound", WS_TABSTOP | BS_AUTOCHECKBOX, y, height);
    y += step;
    add(L"BUTTON", kFrameSyncBox, L"Frame sync", WS_TABSTOP | BS_AUTOCHECKBOX, y, height);
    y += height + padding;

    // Start and Quit side by side at the bottom, below the check boxes however tall the fonts.
    const int buttonHeight = row(28, fonts.textHeight, 10);
    const int clientHeight = std::max(scaled(kBannerHeight), y + buttonHeight + padding);
    const int buttonY = clientHeight - padding - buttonHeight;
    const int buttonWidth = (width - padding) / 2;
    add(L"BUTTON", IDOK, L"Start", WS_TABSTOP | BS_DEFPUSHBUTTON, buttonY, buttonHeight);
    layout.controls.back().rect.right = x + buttonWidth;
    add(L"BUTTON", IDCANCEL, L"Quit", WS_TABSTOP | BS_PUSHBUTTON, buttonY, buttonHeight);
    layout.controls.back().rect.left = x + buttonWidth + padding;
    layout.client = SIZE{scaled(kBannerWidth + kFormWidth), clientHeight};
    return layout;
}

Win32DialogResult RunWin32StartupDialog(HWND owner, const StartupDialogModel& model, StartupChoices* choices)
{
    Win32DialogResult result;
    if (model.resolutions.empty())
        return result;
    // The controls of common controls 6, which the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    WNDCLASSEXW dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    dialogClass.lpfnWndProc = DialogProcedure;
    dialogClass.hInstance = ModuleInstance();
    dialogClass.hIcon = ProgramIcon();
    dialogClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    dialogClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    dialogClass.lpszClassName = kDialogClass;
    RegisterClassExW(&dialogClass);

    // Laid out for the display of the demo's window, where the dialog opens.
    DialogState state;
    state.model = &model;
    state.choices = choices;
    state.dpi = owner != nullptr ? WindowDpi(owner) : MonitorDpi(PrimaryMonitor());
    state.fonts = std::make_unique<Win32DialogFonts>(state.dpi);
    state.layout = LayoutWin32StartupDialog(model, state.dpi, *state.fonts);
    state.banner = static_cast<HBITMAP>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(140), IMAGE_BITMAP, 0, 0, 0));

    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD extendedStyle = WS_EX_DLGMODALFRAME;
    const SIZE size = FrameSize(state, style, extendedStyle);
    // Centred on the demo's window, and kept on its display so the title bar can be reached.
    RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr)
        GetWindowRect(owner, &ownerRect);
    const RECT area = WorkArea(owner);
    int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - size.cx) / 2;
    int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - size.cy) / 2;
    x = std::max<int>(area.left, std::min<int>(x, area.right - size.cx));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - size.cy));
    HWND dialog = CreateWindowExW(extendedStyle, kDialogClass, Utf8ToWide(model.title).c_str(), style, x, y, size.cx,
                                  size.cy, owner, nullptr, ModuleInstance(), &state);
    if (dialog == nullptr)
    {
        if (state.banner != nullptr)
            DeleteObject(state.banner);
        return result;
    }
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
    if (state.banner != nullptr)
        DeleteObject(state.banner);
    result.outcome = state.outcome;
    result.answeredByPerson = !state.autoStarted;
    return result;
}
