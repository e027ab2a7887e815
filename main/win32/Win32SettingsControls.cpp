#include "main/win32/Win32SettingsControls.h"

#include <commctrl.h>
#include <windowsx.h>

#include "main/CountField.h"
#include "main/SettingsLayout.h"
#include "main/UserSettings.h"

namespace quillop {

namespace {

constexpr UINT_PTR kCountFieldSubclass = 1;
constexpr UINT_PTR kCountButtonsSubclass = 2;
constexpr UINT_PTR kLinkSubclass = 3;
constexpr UINT_PTR kRepeatTimer = 100;

// "MS Sans Serif" 8 pt at 96 dpi, plain or bold and underlined.
HFONT CreateFormFont(bool link) {
    return CreateFontA(-11, 0, 0, 0, link ? FW_BOLD : FW_NORMAL, FALSE, link ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}

// A place in the group box as a place in the window.
constexpr Place InGroup(const Place& place) {
    return {kGroupBoxPlace.Left + place.Left, kGroupBoxPlace.Top + place.Top, place.Width,
            place.Height};
}

// Creates one child control with the form's font.
HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle,
                   int id, const Place& place, HFONT font) {
    const HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                         place.Left, place.Top, place.Width, place.Height, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// The user's decimal separator, which the count field takes as typed.
char32_t DecimalSeparator() {
    wchar_t separator[4] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) < 2) {
        return U'.';
    }
    return static_cast<char32_t>(separator[0]);
}

std::string TextOf(HWND control) {
    char text[64] = {};
    const int length = GetWindowTextA(control, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// Sets the count field's text one step up or down from its read value.
void StepCountField(HWND field, int step) {
    SetWindowTextA(field, CountFieldStep(TextOf(field), step).c_str());
}

// The count field: refuses characters other than those of a number, steps on the arrow keys,
// and clamps its value when the focus moves to another control of the window.
LRESULT CALLBACK CountFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    switch (message) {
        case WM_CHAR:
            if (!CountFieldAccepts(static_cast<char32_t>(wParam), DecimalSeparator())) {
                MessageBeep(0);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_UP || wParam == VK_DOWN) {
                StepCountField(hwnd, wParam == VK_UP ? 1 : -1);
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            // Only a move to another control of the window clamps: hiding, deactivation and
            // the tray menu leave the typed text as it is.
            const HWND gaining = reinterpret_cast<HWND>(wParam);
            if (gaining == nullptr || !IsChild(GetParent(hwnd), gaining)) {
                break;
            }
            const std::string text = TextOf(hwnd);
            const std::string clamped = CountFieldOnExit(text);
            if (clamped != text) {
                SetWindowTextA(hwnd, clamped.c_str());
            }
            break;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, CountFieldProc, kCountFieldSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Which of the up-down's buttons lies under a client point: +1 up, -1 down, 0 neither.
int ButtonAt(HWND buttons, POINT at) {
    RECT client{};
    GetClientRect(buttons, &client);
    if (!PtInRect(&client, at)) {
        return 0;
    }
    return at.y < (client.top + client.bottom) / 2 ? 1 : -1;
}

// Which button lies under the pointer now.
int ButtonUnderPointer(HWND buttons) {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(buttons, &at);
    return ButtonAt(buttons, at);
}

// The up and down buttons: a step when a button is released over it, and while one is held,
// a step 400 ms after the press and then every 100 ms as long as the pointer stays on it. The
// control's own stepping is refused (UDN_DELTAPOS) by the window; it only draws the buttons.
LRESULT CALLBACK CountButtonsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR pressedData) {
    int& pressed = *reinterpret_cast<int*>(pressedData);
    const HWND field = reinterpret_cast<HWND>(SendMessageA(hwnd, UDM_GETBUDDY, 0, 0));
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed = ButtonAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (pressed != 0) {
                SetFocus(field);
                SetTimer(hwnd, kRepeatTimer, kCountRepeatDelayMs, nullptr);
            }
            break;
        case WM_TIMER:
            if (wParam != kRepeatTimer) {
                break;
            }
            if (pressed != 0 && ButtonUnderPointer(hwnd) == pressed) {
                StepCountField(field, pressed);
            }
            SetTimer(hwnd, kRepeatTimer, kCountRepeatIntervalMs, nullptr);
            return 0;
        case WM_LBUTTONUP:
            KillTimer(hwnd, kRepeatTimer);
            if (pressed != 0 &&
                ButtonAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == pressed) {
                StepCountField(field, pressed);
            }
            pressed = 0;
            break;
        case WM_CAPTURECHANGED:
            KillTimer(hwnd, kRepeatTimer);
            pressed = 0;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, CountButtonsProc, kCountButtonsSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The link label shows the hand cursor.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, LinkProc, kLinkSubclass);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

Win32SettingsControls::Win32SettingsControls(HWND window)
    : font_(CreateFormFont(false)), linkFont_(CreateFormFont(true)) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    // Created in the tab order; the group box and the labels take no focus.
    button1_ =
        CreateControl(window, "BUTTON", kButton1Caption, WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 0,
                      kIdButton1, kButton1Place, font_.Get());
    CreateControl(window, "BUTTON", kGroupBoxCaption, BS_GROUPBOX, 0, kIdGroupBox1, kGroupBoxPlace,
                  font_.Get());
    onTop_ =
        CreateControl(window, "BUTTON", kOnTopCaption, WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY, 0,
                      kIdOnTop, InGroup(kOnTopPlace), font_.Get());
    startup_ =
        CreateControl(window, "BUTTON", kStartupCaption, WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY,
                      0, kIdStartup, InGroup(kStartupPlace), font_.Get());
    CreateControl(window, "STATIC", kLabel1Caption, SS_LEFT, 0, kIdLabel1, InGroup(kLabel1Place),
                  font_.Get());
    count_ = CreateControl(window, "EDIT", CountFieldText(kDefaultFlies).c_str(),
                           WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kIdCount,
                           InGroup(kCountPlace), font_.Get());
    // Aligned to the field's right, the buttons take their width from it: the field's place
    // holds both.
    countButtons_ = CreateControl(window, UPDOWN_CLASSA, "", UDS_ALIGNRIGHT, 0, kIdCountButtons,
                                  Place{0, 0, 0, 0}, font_.Get());
    SendMessageA(countButtons_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(count_), 0);
    SendMessageA(countButtons_, UDM_SETRANGE32, kMinFlies, kMaxFlies);
    ok_ = CreateControl(window, "BUTTON", kOkCaption, WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 0,
                        kIdOk, kOkPlace, font_.Get());
    homePage_ = CreateControl(window, "STATIC", kHomePageCaption, SS_LEFT | SS_NOTIFY, 0,
                              kIdHomePage, kHomePagePlace, linkFont_.Get());
    Check(onTop_, kDefaultOnTop);
    Check(startup_, kDefaultStartup);
    SetWindowSubclass(count_, CountFieldProc, kCountFieldSubclass, 0);
    SetWindowSubclass(countButtons_, CountButtonsProc, kCountButtonsSubclass,
                      reinterpret_cast<DWORD_PTR>(&pressedButton_));
    SetWindowSubclass(homePage_, LinkProc, kLinkSubclass, 0);
}

std::string Win32SettingsControls::CountText() const {
    return TextOf(count_);
}

void Win32SettingsControls::SetCountText(const std::string& text) {
    SetWindowTextA(count_, text.c_str());
}

// The push button that holds the focus is drawn as the default button, or OK when none does.
void Win32SettingsControls::ShowDefaultButton(HWND focus) {
    const HWND def = focus == button1_ ? button1_ : ok_;
    for (HWND button : {button1_, ok_}) {
        const LONG_PTR type = GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK;
        const LONG_PTR wanted = button == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) {
            SendMessageA(button, BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
        }
    }
}

HBRUSH Win32SettingsControls::LinkColours(HWND control, HDC dc) const {
    if (control != homePage_) {
        return nullptr;
    }
    SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

}  // namespace quillop
