// What Windows cannot make, the program reports: through the program's table
// of fallible calls, every window and control of start-up, the pictures and
// the timer are made to fail in turn. Each failure is named in one box, and
// a failed start-up leaves no window of the program behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/resource.h"
#include "ui/win32/fallible_calls.h"

namespace tarnvel {
namespace {

std::vector<std::string> boxes;
int createCalls = 0;
int failingCreate = 0;
int failingResource = 0;
bool truncateResource = false;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
    boxes.emplace_back(text);
    return IDOK;
}

HWND WINAPI CreateFailingAt(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID data) {
    if (++createCalls == failingCreate) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, data);
}

ResourceBytes ReadFailing(int resourceId) {
    ResourceBytes bytes = ReadEmbeddedResource(resourceId);
    if (resourceId != failingResource)
        return bytes;
    if (!truncateResource)
        return {};
    bytes.size /= 2;  // a picture cut off halfway
    return bytes;
}

UINT_PTR WINAPI SetTimerFailing(HWND, UINT_PTR, UINT, TIMERPROC) {
    ::SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return 0;
}

BOOL CALLBACK CountOwn(HWND window, LPARAM count) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name).rfind("Tarnvel", 0) == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int WindowsOfTheProgram() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountOwn, reinterpret_cast<LPARAM>(&count));
    return count;
}

class FailingCalls : public ::testing::Test {
protected:
    void SetUp() override {
        boxes.clear();
        createCalls = failingCreate = failingResource = 0;
        Win32Calls().messageBox = &RecordBox;
        Win32Calls().createWindowEx = &CreateFailingAt;
        Win32Calls().readResource = &ReadFailing;
    }
    void TearDown() override { Win32Calls() = FallibleCalls(); }

    // One start-up; returns whether the main window opened.
    bool OpenOnce() {
        createCalls = 0;
        Application application;
        const bool opened = application.Open(SW_HIDE);
        EXPECT_EQ(opened ? 1 : 0, WindowsOfTheProgram()) << "windows left after " << (opened ? "" : "a failed ")
                                                          << "start-up";
        return opened;
    }
};

TEST_F(FailingCalls, EveryWindowOfStartUpThatCannotBeMadeIsNamedAndNothingIsLeft) {
    std::set<std::string> named;
    for (failingCreate = 1; failingCreate < 30; ++failingCreate) {
        boxes.clear();
        if (OpenOnce())
            break;
        ASSERT_EQ(boxes.size(), 1u) << "start-up failing at window " << failingCreate;
        EXPECT_NE(boxes[0].find(" could not be made (CreateWindowExA error==8)."), std::string::npos) << boxes[0];
        named.insert(boxes[0].substr(0, boxes[0].find(" could not")));
    }
    // The window, its skin box, three fields with their labels, the title,
    // four buttons and the close button, each once.
    EXPECT_EQ(failingCreate, 15) << "start-up made another number of windows";
    EXPECT_EQ(named, (std::set<std::string>{"The main window", "The skin box", "The Hour label", "The hours field",
                                            "The Min label", "The minutes field", "The Sec label", "The seconds field",
                                            "The Start button", "The Reset button", "The About button",
                                            "The Option button", "The title", "The close button"}));
    EXPECT_TRUE(boxes.empty()) << "a box at the start-up that worked: " << boxes.front();
}

TEST_F(FailingCalls, PictureThatCannotBeLoadedOrDecodedIsNamed) {
    struct Case {
        int resource;
        bool truncate;
        const char* box;
    };
    for (const Case& c : {Case{IDR_SKIN_GIF, false, "The skin picture could not be loaded."},
                          Case{IDR_SKIN_GIF, true, "The skin picture could not be decoded."},
                          Case{IDR_CLOSE_GIF, false, "The close picture could not be loaded."},
                          Case{IDR_CLOSE_GIF, true, "The close picture could not be decoded."}}) {
        boxes.clear();
        failingResource = c.resource;
        truncateResource = c.truncate;
        EXPECT_FALSE(OpenOnce()) << c.box;
        EXPECT_EQ(boxes, std::vector<std::string>{c.box});
    }
}

TEST_F(FailingCalls, TimerThatCannotStartLeavesTheCountIdleAndSaysSo) {
    Application application;
    ASSERT_TRUE(application.Open(SW_HIDE));
    HWND main = ::FindWindowA("TarnvelMain", nullptr);
    HWND skin = ::GetDlgItem(main, IDC_PIC1);
    HWND seconds = ::GetDlgItem(skin, IDC_TEXT1_2);
    HWND start = ::GetDlgItem(skin, IDC_COMMAND1);
    ::SetWindowTextA(seconds, "05");
    Win32Calls().setTimer = &SetTimerFailing;
    ::SendMessageA(start, BM_CLICK, 0, 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"SetTimer error==1816"});
    char caption[16] = {};
    ::GetWindowTextA(start, caption, sizeof caption);
    EXPECT_STREQ(caption, "Start");
    EXPECT_TRUE(::IsWindowEnabled(seconds));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(skin, IDC_COMMAND2)));
    Win32Calls().setTimer = &::SetTimer;
    ::SendMessageA(start, BM_CLICK, 0, 0);
    ::GetWindowTextA(start, caption, sizeof caption);
    EXPECT_STREQ(caption, "Pause") << "the count did not start once the timer could";
}

}  // namespace
}  // namespace tarnvel
