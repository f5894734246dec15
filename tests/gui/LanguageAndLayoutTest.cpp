// The window in a language buried in junk, the compact layout of the command-line switches, and
// the keyboard: Tab through a page, Enter on a button, Alt and a caption's letter.
#include "gui/GuiFixture.h"

#include <algorithm>
#include <vector>

#include "gui/JunkLanguageFile.h"

namespace kestrover::gui {
namespace {

class LanguageAndLayoutTest : public GuiTest {
protected:
    void OpenWith(std::vector<std::string> arguments) {
        window_ = std::make_unique<MainWindow>(platform_->Ports(), &prompts_, QuitOnClose::No);
        ShellStartOptions options;
        options.arguments = std::move(arguments);
        options.dataFolder = Narrow(folder_.wstring()) + "\\";
        ASSERT_TRUE(window_->Create(options, SW_SHOWNORMAL));
        Pump();
    }

    // Keys as a user types them, through the system's input queue to the focused control.
    void Press(WORD key, WORD modifier = 0) {
        std::vector<INPUT> inputs;
        auto add = [&](WORD virtualKey, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = virtualKey;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (modifier != 0) add(modifier, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        if (modifier != 0) add(modifier, KEYEVENTF_KEYUP);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        Pump(50);
    }

    int FocusedId() const { return GetDlgCtrlID(GetFocus()); }

    RECT ClientRectOf(int id) const {
        RECT rect{};
        GetWindowRect(Control(id), &rect);
        MapWindowPoints(nullptr, window_->Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

TEST_F(LanguageAndLayoutTest, ALanguageFileBuriedInJunkStillGivesAWorkingWindow) {
    WriteDataFile(L"languages\\Junk.lng", testing_junk::JunkLanguageFile());
    WriteDataFile(L"lang.ini", "current_lang = Junk.lng\r\n");
    const ULONGLONG start = GetTickCount64();
    Open();
    EXPECT_LT(GetTickCount64() - start, 5000u) << "opening with the junk file";

    EXPECT_EQ(Text(idBtRegistry), "Registre") << "a text among the junk";
    EXPECT_EQ(Text(idBtApps), "Applications and startup") << "a key the file lacks";
    EXPECT_EQ(Text(idPageTitle), "About");
    Click(idBtRegistry);
    EXPECT_EQ(Text(idPageTitle), "Registre");
    ScanPlants();
    const LRESULT rows = ListCount(idResultList, LB_GETCOUNT);
    EXPECT_GE(rows, 2) << "the scan works in that language";
    MenuCommand(idMnSelectAll);
    EXPECT_EQ(Text(idBtSelectAll), "Tout (" + std::to_string(rows) + ")")
        << "from a section written with a trailing blank";
    EXPECT_EQ(window_->Model().results.Texts().categories[1], "Fichier absent");
}

TEST_F(LanguageAndLayoutTest, ProcessAndMonitorSwitchesOpenTheCompactLayout) {
    struct Case {
        const char* argument;
        const char* title;
        const char* text;
        ActiveView view;
    } cases[] = {
        {"/p", "Task manager", "The process list comes with a later version of Kestrover.",
         ActiveView::Processes},
        {"/MF", "File and process monitor",
         "The file and process monitor comes with a later version of Kestrover.",
         ActiveView::Monitor},
    };
    for (const Case& start : cases) {
        SCOPED_TRACE(start.argument);
        WriteDataFile(L"lang.ini",
                      "current_lang = English.lng\r\nposx = 40\r\nposy = 30\r\nwidth = 820\r\n"
                      "height = 540\r\n");
        OpenWith({start.argument});
        ASSERT_TRUE(window_->CompactLayout());
        RECT frame{};
        GetWindowRect(window_->Handle(), &frame);
        EXPECT_EQ(frame.right - frame.left, 550);
        EXPECT_EQ(frame.left, 40) << "the window stays where it was placed";
        for (int button : {idBtRegistry, idBtPrivacy, idBtApps, idBtTools, idBtAbout}) {
            EXPECT_FALSE(Visible(button)) << "page button " << button;
        }
        EXPECT_EQ(Text(idPageTitle), start.title);
        ASSERT_TRUE(Visible(idToolsText));
        EXPECT_EQ(Text(idToolsText), start.text);
        EXPECT_LT(ClientRectOf(idToolsText).left, 165) << "the page lies over the left bar";
        EXPECT_LT(ClientRectOf(idPageTitle).left, 165);
        EXPECT_EQ(window_->Model().window.view, start.view);

        Close();
        EXPECT_EQ(ReadFile(folder_ / L"lang.ini"), "current_lang = English.lng\r\n")
            << "the next start is centred";
    }
}

// Tab and Shift+Tab walk the registry page in the order a reader sees it; Enter presses the
// focused button; Alt and a caption's marked letter press that button; after a page change the
// page's first control has the focus.
TEST_F(LanguageAndLayoutTest, TheKeyboardReachesEveryControlInOrder) {
    WriteDataFile(L"languages\\Keys.lng", "LanguageName=Keys\r\n[bigbutton]\r\nbtRegistry=&Registry\r\n");
    WriteDataFile(L"lang.ini", "current_lang = Keys.lng\r\n");
    Open();
    SetForegroundWindow(window_->Handle());
    SetFocus(Control(idBtAbout));
    Pump();

    Press('R', VK_MENU);
    EXPECT_EQ(Text(idPageTitle), "Registry") << "Alt+R, the title without its mark";
    EXPECT_EQ(FocusedId(), idBtGo) << "the page's first control";

    // After the scan the list and its toolbar are on show; every control that takes the
    // keyboard is reached once, in this order (controls of other features may lie between).
    for (int box : {idCkClassesRoot, idCkLocalMachine, idCkUsers}) {
        if (Checked(box)) Click(box);
    }
    Click(idBtGo);
    Type(idFilterEdit, L"KestroverGuiTest");
    ASSERT_TRUE(Visible(idResultList));
    SetFocus(Control(idBtGo));
    Pump();
    std::vector<int> forward{idBtGo};
    for (int step = 0; step < 60; ++step) {
        Press(VK_TAB);
        if (FocusedId() == idBtGo) break;
        forward.push_back(FocusedId());
        EXPECT_TRUE(IsWindowVisible(GetFocus()) && IsWindowEnabled(GetFocus()))
            << "control " << FocusedId();
    }
    ASSERT_EQ(FocusedId(), idBtGo) << "Tab comes round again";
    const std::vector<int> order{idBtGo,        idCkClassesRoot, idCkCurrentUser, idCkLocalMachine,
                                 idCkUsers,     idCkActiveX,     idCkBackup,      idBtBackup,
                                 idBtSelect,    idBtSelectAll,   idBtInvertSel,   idFilterEdit,
                                 idResultList,  idBtRegistry,    idBtPrivacy,     idBtApps,
                                 idBtTools,     idBtAbout};
    std::size_t found = 0;
    std::string walked;
    for (int id : forward) {
        if (found < order.size() && id == order[found]) ++found;
        walked += " " + std::to_string(id);
    }
    EXPECT_EQ(found, order.size())
        << "the first out of order: " << order[std::min(found, order.size() - 1)] << "; Tab went"
        << walked;

    std::vector<int> backward;
    for (std::size_t step = 0; step < forward.size(); ++step) {
        Press(VK_TAB, VK_SHIFT);
        backward.push_back(FocusedId());
    }
    std::vector<int> expected(forward.rbegin(), forward.rend() - 1);
    expected.push_back(idBtGo);
    EXPECT_EQ(backward, expected) << "Shift+Tab walks back";

    SetFocus(Control(idBtBackup));
    Pump();
    Press(VK_RETURN);
    EXPECT_EQ(Text(idPageTitle), "Backups") << "Enter pressed the focused button";
    HWND focus = GetFocus();
    EXPECT_TRUE(focus != nullptr && IsWindowVisible(focus)) << "the focus went to the backups page";
}

}  // namespace
}  // namespace kestrover::gui
