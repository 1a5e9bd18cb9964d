// Reads the windows of other processes on the same Wine desktop and prints
// them as JSON (UTF-8), one answer per line, for the end-to-end harness.
//
//   tarnvel_inspect windows            every top-level window
//   tarnvel_inspect tree CLASS         all descendants of the first window of CLASS
//   tarnvel_inspect region CLASS       the window region of that window
//   tarnvel_inspect msgbox [--press]   standard dialogs (#32770); --press answers OK
//   tarnvel_inspect guires PID         GDI and USER object counts of a process
//   tarnvel_inspect count PID          the windows a process owns, hidden and message-only ones too
//   tarnvel_inspect dpi                the DPI setting and caption height the session reports
//   tarnvel_inspect at X Y             the window at a screen point, and its hit test
//   tarnvel_inspect setclip TEXT       puts TEXT on the clipboard
//   tarnvel_inspect dpichanged CLASS DPI  tells that window its DPI changed
//                                      (WM_DPICHANGED, with no suggested rectangle)
//   tarnvel_inspect acc CLASS          what Active Accessibility tells of that window and its controls
//   tarnvel_inspect accdo CLASS ID     does the default action of a control (ID 0: the window)
//   tarnvel_inspect serve              reads such commands from stdin, one a line
//
// The serve mode exists because starting a process under Wine costs far more
// than a query: the harness polls through one long-lived inspector.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "accessible_objects.h"
#include "json_out.h"

namespace tarnvel_inspect {
namespace {

// How long a window may take to answer: a second here, more where the
// harness says programs run slower (TARNVEL_SLOWDOWN, in a virtual machine).
UINT MessageTimeoutMs() {
    static const UINT timeout = [] {
        char factor[16] = {};
        const DWORD length = ::GetEnvironmentVariableA("TARNVEL_SLOWDOWN", factor, sizeof factor);
        const int slower = length > 0 && length < sizeof factor ? std::atoi(factor) : 1;
        return 1000u * static_cast<UINT>(slower > 1 ? slower : 1);
    }();
    return timeout;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// WM_GETTEXT is marshalled across processes; GetWindowText would only see the
// caption the system keeps, which edit controls do not update.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs(), &length))
        return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                          MessageTimeoutMs(), &copied);
    return std::wstring(buffer.data(), copied);
}

long long HandleValue(HWND window) {
    return static_cast<long long>(reinterpret_cast<UINT_PTR>(window));
}

RECT ClientRectOnScreen(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> found;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The first window of the class, preferring a visible one.
HWND FindTopLevel(const std::wstring& className) {
    HWND hidden = nullptr;
    for (HWND window : TopLevelWindows()) {
        if (ClassOf(window) != className)
            continue;
        if (::IsWindowVisible(window))
            return window;
        if (!hidden)
            hidden = window;
    }
    return hidden;
}

void WriteTopLevel(Json& json, HWND window) {
    // Visibility first, the rectangles next and the text (a round trip to the
    // owner, which may move the window meanwhile) last: a window seen visible
    // then has the rectangles it was shown with.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const bool visible = ::IsWindowVisible(window) != FALSE;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const RECT client = ClientRectOnScreen(window);
    json.BeginObject();
    json.Key("hwnd").Num(HandleValue(window));
    json.Key("class").Str(ClassOf(window));
    json.Key("title").Str(TextOf(window));
    json.Key("rect").Rect(rect);
    json.Key("client").Rect(client);
    json.Key("visible").Bool(visible);
    json.Key("enabled").Bool(::IsWindowEnabled(window) != FALSE);
    json.Key("style").Num(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)));
    json.Key("exstyle").Num(static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));
    json.Key("owner").Num(HandleValue(::GetWindow(window, GW_OWNER)));
    json.Key("pid").Num(pid);
    json.EndObject();
}

std::string ListWindows() {
    Json json;
    json.BeginObject().Key("windows").BeginArray();
    for (HWND window : TopLevelWindows())
        WriteTopLevel(json, window);
    json.EndArray().EndObject();
    return json.Text();
}

// The keyboard focus of the thread that owns the window.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool IsButton(HWND window) {
    return ::lstrcmpiW(ClassOf(window).c_str(), L"Button") == 0;
}

void WriteControl(Json& json, HWND control, HWND focus) {
    HWND parent = ::GetParent(control);
    RECT screen{};
    ::GetWindowRect(control, &screen);
    RECT inParent = screen;
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inParent), 2);
    json.BeginObject();
    json.Key("hwnd").Num(HandleValue(control));
    json.Key("parent").Num(HandleValue(parent));
    json.Key("id").Num(::GetDlgCtrlID(control));
    json.Key("class").Str(ClassOf(control));
    json.Key("text").Str(TextOf(control));
    json.Key("rect").Rect(screen);
    json.Key("rect_in_parent").Rect(inParent);
    json.Key("enabled").Bool(::IsWindowEnabled(control) != FALSE);
    json.Key("visible").Bool(::IsWindowVisible(control) != FALSE);
    json.Key("style").Num(static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE)));
    json.Key("exstyle").Num(static_cast<DWORD>(::GetWindowLongW(control, GWL_EXSTYLE)));
    json.Key("focused").Bool(control == focus);
    if (::lstrcmpiW(ClassOf(control).c_str(), L"Edit") == 0) {
        DWORD_PTR selection = 0;
        ::SendMessageTimeoutW(control, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs(), &selection);
        json.Key("selection").BeginArray().Num(LOWORD(selection)).Num(HIWORD(selection)).EndArray();
    }
    if (IsButton(control)) {
        DWORD_PTR state = 0;
        ::SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs(), &state);
        json.Key("checked").Num(static_cast<long long>(state));
    }
    json.EndObject();
}

std::string Error(const std::string& message) {
    Json json;
    json.BeginObject().Key("error").Str(message).EndObject();
    return json.Text();
}

std::string Tree(HWND top) {
    Json json;
    json.BeginObject().Key("window");
    WriteTopLevel(json, top);
    const HWND focus = FocusOf(top);
    // The owning thread's focus, which may be in another of its windows, and
    // its modal loops: a menu being tracked, a window being moved or sized.
    json.Key("focus").Num(HandleValue(focus));
    json.Key("foreground").Num(HandleValue(::GetForegroundWindow()));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &thread);
    json.Key("gui_flags").Num(static_cast<long long>(thread.flags));
    json.Key("menu_owner").Num(HandleValue(thread.hwndMenuOwner));
    json.Key("move_size").Num(HandleValue(thread.hwndMoveSize));
    json.Key("controls").BeginArray();
    for (HWND control : Descendants(top))
        WriteControl(json, control, focus);
    json.EndArray().EndObject();
    return json.Text();
}

// Region rectangles are relative to the window's top-left corner.
std::string Region(HWND top) {
    RECT rect{};
    ::GetWindowRect(top, &rect);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetWindowRgn(top, region);
    std::vector<char> data;
    if (kind != ERROR) {
        data.resize(::GetRegionData(region, 0, nullptr));
        if (!data.empty())
            ::GetRegionData(region, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    }
    ::DeleteObject(region);
    Json json;
    json.BeginObject();
    json.Key("hwnd").Num(HandleValue(top));
    json.Key("rect").Rect(rect);
    json.Key("kind").Num(kind);
    json.Key("rects").BeginArray();
    if (data.size() >= sizeof(RGNDATAHEADER)) {
        const auto* header = reinterpret_cast<const RGNDATA*>(data.data());
        const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
        for (DWORD i = 0; i < header->rdh.nCount; ++i)
            json.Rect(rects[i]);
    }
    json.EndArray().EndObject();
    return json.Text();
}

void WriteDialog(Json& json, HWND dialog) {
    json.BeginObject();
    json.Key("hwnd").Num(HandleValue(dialog));
    json.Key("title").Str(TextOf(dialog));
    json.Key("owner").Num(HandleValue(::GetWindow(dialog, GW_OWNER)));
    json.Key("visible").Bool(::IsWindowVisible(dialog) != FALSE);
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    json.Key("rect").Rect(rect);
    // Statics carry the message text and the icon (SS_ICON style).
    for (const bool buttons : {false, true}) {
        json.Key(buttons ? "buttons" : "statics").BeginArray();
        for (HWND child : Descendants(dialog)) {
            if (buttons ? !IsButton(child) : ::lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0)
                continue;
            ::GetWindowRect(child, &rect);
            json.BeginObject().Key("id").Num(::GetDlgCtrlID(child)).Key("text").Str(TextOf(child));
            json.Key("rect").Rect(rect).Key("style").Num(static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE)));
            json.EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
}

std::string MessageBoxes(bool press) {
    Json json;
    json.BeginObject().Key("dialogs").BeginArray();
    for (HWND window : TopLevelWindows()) {
        if (ClassOf(window) != L"#32770")
            continue;
        WriteDialog(json, window);
        if (press)
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    json.EndArray().EndObject();
    return json.Text();
}

std::string GuiResources(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process)
        return Error("OpenProcess failed: " + std::to_string(::GetLastError()));
    const DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = ::GetGuiResources(process, GR_USEROBJECTS);
    ::CloseHandle(process);
    Json json;
    json.BeginObject().Key("pid").Num(pid).Key("gdi").Num(gdi).Key("user").Num(user).EndObject();
    return json.Text();
}

// Windows are the USER objects another process can count under Wine, where
// GetGuiResources answers 0 for other processes.
std::string WindowCount(DWORD pid) {
    auto owned = [pid](HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        return owner == pid;
    };
    long long top = 0;
    long long children = 0;
    long long messageOnly = 0;
    for (HWND window : TopLevelWindows()) {
        if (!owned(window))
            continue;
        ++top;
        children += static_cast<long long>(Descendants(window).size());
    }
    for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
        if (owned(window))
            ++messageOnly;
    }
    Json json;
    json.BeginObject().Key("pid").Num(pid).Key("top").Num(top).Key("children").Num(children);
    json.Key("message_only").Num(messageOnly).Key("windows").Num(top + children + messageOnly).EndObject();
    return json.Text();
}

std::string DisplaySettings() {
    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    Json json;
    json.BeginObject().Key("logpixelsx").Num(dpiX).Key("logpixelsy").Num(dpiY);
    json.Key("caption").Num(::GetSystemMetrics(SM_CYCAPTION)).EndObject();
    return json.Text();
}

std::string SetClipboard(const std::wstring& text) {
    if (!::OpenClipboard(nullptr))
        return Error("OpenClipboard failed");
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool stored = false;
    if (memory) {
        std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
        ::GlobalUnlock(memory);
        stored = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!stored)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
    if (!stored)
        return Error("SetClipboardData failed");
    Json json;
    json.BeginObject().Key("clipboard").Str(text).EndObject();
    return json.Text();
}

// What a click at the point would reach: the deepest window there, its
// top-level window, and that window's answer to WM_NCHITTEST (HTCLOSE, ...).
std::string WindowAt(const std::string& argument) {
    POINT point{};
    if (std::sscanf(argument.c_str(), "%ld %ld", &point.x, &point.y) != 2)
        return Error("usage: at X Y");
    HWND window = ::WindowFromPoint(point);
    if (!window)
        return Error("no window at the point");
    HWND top = ::GetAncestor(window, GA_ROOT);
    DWORD_PTR hit = 0;
    ::SendMessageTimeoutW(top, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_ABORTIFHUNG, MessageTimeoutMs(),
                          &hit);
    Json json;
    json.BeginObject();
    json.Key("hwnd").Num(HandleValue(window)).Key("class").Str(ClassOf(window));
    json.Key("id").Num(window == top ? 0 : ::GetDlgCtrlID(window));
    json.Key("top").Num(HandleValue(top)).Key("top_class").Str(ClassOf(top));
    json.Key("hittest").Num(static_cast<LONG>(static_cast<LONG_PTR>(hit)));
    json.EndObject();
    return json.Text();
}

// WM_DPICHANGED as Windows sends it when a window moves to a monitor of
// another DPI; Wine does not send it. The suggested rectangle would be a
// pointer into this process, so none is passed.
std::string DpiChanged(HWND top, int dpi) {
    if (dpi <= 0)
        return Error("usage: dpichanged CLASS DPI");
    constexpr UINT kWmDpiChanged = 0x02E0;
    DWORD_PTR result = 0;
    const bool answered = ::SendMessageTimeoutW(top, kWmDpiChanged, MAKEWPARAM(dpi, dpi), 0, SMTO_ABORTIFHUNG,
                                                MessageTimeoutMs(), &result) != 0;
    Json json;
    json.BeginObject().Key("hwnd").Num(HandleValue(top)).Key("answered").Bool(answered).EndObject();
    return json.Text();
}

std::string Accessible(HWND top) {
    Json json;
    WriteAccessibleTree(json, top, Descendants(top));
    return json.Text();
}

std::string AccessibleAction(HWND top, int id) {
    HWND target = id ? nullptr : top;
    for (HWND control : id ? Descendants(top) : std::vector<HWND>())
        if (::GetDlgCtrlID(control) == id)
            target = control;
    if (!target)
        return Error("no control " + std::to_string(id));
    Json json;
    json.BeginObject().Key("hr").Num(DoDefaultAction(target)).EndObject();
    return json.Text();
}

// A command about the first window of a class: its argument is the class
// name, then for some a number.
std::string RunOnWindow(const std::string& command, const std::string& argument) {
    char className[256] = {};
    int number = 0;
    const int read = std::sscanf(argument.c_str(), "%255s %d", className, &number);
    HWND top = read > 0 ? FindTopLevel(Widen(className)) : nullptr;
    if (!top)
        return Error("no window of class " + argument);
    if (command == "tree")
        return Tree(top);
    if (command == "region")
        return Region(top);
    if (command == "acc")
        return Accessible(top);
    if (read != 2)
        return Error("usage: " + command + " CLASS NUMBER");
    return command == "dpichanged" ? DpiChanged(top, number) : AccessibleAction(top, number);
}

// One command: its name, and the rest of the line as its argument.
std::string Run(const std::string& command, const std::string& argument) {
    if (command == "windows")
        return ListWindows();
    if (command == "tree" || command == "region" || command == "acc" || command == "dpichanged" || command == "accdo")
        return RunOnWindow(command, argument);
    if (command == "msgbox")
        return MessageBoxes(argument == "--press");
    if (command == "guires")
        return GuiResources(static_cast<DWORD>(std::strtoul(argument.c_str(), nullptr, 0)));
    if (command == "count")
        return WindowCount(static_cast<DWORD>(std::strtoul(argument.c_str(), nullptr, 0)));
    if (command == "dpi")
        return DisplaySettings();
    if (command == "at")
        return WindowAt(argument);
    if (command == "setclip")
        return SetClipboard(Widen(argument));
    return Error("unknown command: " + command);
}

// WriteFile keeps the bytes as they are: no text-mode line-end translation.
void Answer(const std::string& line) {
    const std::string out = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

void Serve() {
    std::string line;
    while (std::getline(std::cin, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.empty())
            continue;
        if (line == "quit")
            break;
        const size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
        Answer(Run(command, argument));
    }
}

}  // namespace
}  // namespace tarnvel_inspect

int main(int argc, char** argv) {
    using namespace tarnvel_inspect;
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: tarnvel_inspect windows|tree CLASS|region CLASS|msgbox [--press]|"
                     "at X Y|guires PID|count PID|dpi|setclip TEXT|dpichanged CLASS DPI|acc CLASS|"
                     "accdo CLASS ID|serve\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "serve") {
        Serve();
        return 0;
    }
    std::string argument;
    for (int i = 2; i < argc; ++i)
        argument += (i > 2 ? " " : "") + std::string(argv[i]);
    const std::string answer = Run(command, argument);
    Answer(answer);
    return answer.rfind("{\"error\"", 0) == 0 ? 1 : 0;
}
