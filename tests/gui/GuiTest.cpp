// The Windows program in-process, under Wine and a virtual display: pages, the clean with
// backup and its restore, keys, placement and languages.
#include "gui/GuiFixture.h"

#include "gui/BackupNameDialog.h"
#include "gui/Win32Prompts.h"

namespace kestrover::gui {
namespace {

TEST_F(GuiTest, OpensOnTheAboutPageAndSwitchesPages) {
    Open();
    EXPECT_EQ(Text(idPageTitle), "About");
    EXPECT_TRUE(Visible(idAboutText));
    EXPECT_FALSE(Visible(idBtGo));
    EXPECT_FALSE(Visible(idProgress));
    EXPECT_FALSE(Visible(idBtStop));

    struct Case {
        int button;
        const char* title;
        int shown;
    } cases[] = {
        {idBtRegistry, "Registry", idBtGo},
        {idBtPrivacy, "Computer cleaning", idPrivacyText},
        {idBtApps, "Applications and startup", idApplicationsText},
        {idBtTools, "Tools and system", idToolsText},
        {idBtAbout, "About", idAboutText},
    };
    for (const Case& page : cases) {
        Click(page.button);
        SCOPED_TRACE(page.title);
        EXPECT_EQ(Text(idPageTitle), page.title);
        EXPECT_TRUE(Visible(page.shown));
        for (const Case& other : cases) {
            if (other.shown != page.shown) {
                EXPECT_FALSE(Visible(other.shown));
            }
        }
    }
}

TEST_F(GuiTest, ComClassesBoxFollowsTheClassesRootBox) {
    Open();
    Click(idBtRegistry);
    ASSERT_TRUE(Checked(idCkClassesRoot));
    ASSERT_TRUE(Checked(idCkActiveX));
    Click(idCkClassesRoot);
    EXPECT_FALSE(Checked(idCkActiveX)) << "the COM classes are judged in the classes-root pass";
    Click(idCkActiveX);
    EXPECT_TRUE(Checked(idCkClassesRoot));
    Click(idCkBackup);
    EXPECT_FALSE(window_->Model().deletes->ckBack);
    Click(idCkBackup);
    EXPECT_TRUE(window_->Model().deletes->ckBack);
}

// The whole registry clean through the window: scan, select green, Delete with a backup, the
// backup on the backups page, restore, and the registry is as it was.
TEST_F(GuiTest, CleanWithBackupThenRestoreThroughTheWindow) {
    Open();
    ScanPlants();
    ASSERT_TRUE(Visible(idResultList));
    const LRESULT rows = ListCount(idResultList, LB_GETCOUNT);
    ASSERT_GE(rows, 2) << "the Run value and the tool value are listed";
    const ResultList& results = window_->Model().results;
    ASSERT_EQ(static_cast<std::size_t>(rows), results.RowCount());
    for (std::size_t row = 0; row < results.RowCount(); ++row) {
        EXPECT_NE(results.Row(row).text.find("KestroverGuiTest"), std::string::npos);
    }
    EXPECT_EQ(Text(idCountLabel), std::to_string(rows) + " Items");

    MenuCommand(idMnSelectGreen);
    EXPECT_EQ(ListCount(idResultList, LB_GETSELCOUNT), rows) << "missing files are green";
    EXPECT_EQ(Text(idBtSelectAll), "Select All (" + std::to_string(rows) + ")");

    PressKey(idResultList, VK_DELETE);
    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[0].caption, "Confirmation");
    EXPECT_EQ(prompts_.Calls()[0].text, "Delete all selected items ?");
    EXPECT_EQ(prompts_.Calls()[1].kind, kestrover::testing::RecordedPrompt::Kind::Name);
    EXPECT_EQ(prompts_.Calls()[1].text, "Name :");
    EXPECT_FALSE(ReadString(kToolKey, L"Tool").has_value());
    EXPECT_FALSE(ReadString(kRunKey, kRunValue).has_value());
    EXPECT_TRUE(Enabled(idBtGo)) << "the window is free again after the deletion";
    EXPECT_LT(ListCount(idResultList, LB_GETCOUNT), rows);

    Click(idBtBackup);
    EXPECT_EQ(Text(idPageTitle), "Backups");
    ASSERT_EQ(ListCount(idBackupList, LVM_GETITEMCOUNT), 1);
    wchar_t name[MAX_PATH]{};
    LVITEMW item{};
    item.pszText = name;
    item.cchTextMax = MAX_PATH;
    SendMessageW(Control(idBackupList), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(std::filesystem::exists(folder_ / L"Backup" / name)) << Narrow(name);
    EXPECT_FALSE(Enabled(idBtRestore)) << "nothing selected yet";

    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Control(idBackupList), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    Pump();
    ASSERT_TRUE(Enabled(idBtRestore));
    Click(idBtRestore);

    EXPECT_EQ(ReadString(kToolKey, L"Tool"), std::wstring(kToolData));
    EXPECT_EQ(ReadString(kRunKey, kRunValue), std::wstring(kRunData));
    EXPECT_GE(ListCount(idBackupTree, TVM_GETCOUNT), 4) << "two keys with a value each";
    EXPECT_FALSE(Enabled(idBtProtect)) << "every key was written";
}

// Keys typed as a user types them, through the system's input queue, so that the window
// sees the modifier keys held.
void TypeChord(WORD modifier, WORD key) {
    INPUT inputs[4]{};
    for (INPUT& input : inputs) input.type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = modifier;
    inputs[1].ki.wVk = key;
    inputs[2].ki.wVk = key;
    inputs[2].ki.dwFlags = KEYEVENTF_KEYUP;
    inputs[3].ki.wVk = modifier;
    inputs[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, inputs, sizeof(INPUT));
}

TEST_F(GuiTest, ControlKeysSelectAllNoneAndTheOthers) {
    Open();
    ScanPlants();
    const LRESULT rows = ListCount(idResultList, LB_GETCOUNT);
    ASSERT_GE(rows, 2);
    SetForegroundWindow(window_->Handle());
    SetFocus(Control(idResultList));
    Pump();

    TypeChord(VK_CONTROL, 'A');
    Pump(200);
    EXPECT_EQ(ListCount(idResultList, LB_GETSELCOUNT), rows) << "Ctrl+A";
    EXPECT_EQ(window_->Model().results.SelectedCount(), static_cast<std::size_t>(rows));

    TypeChord(VK_CONTROL, 'U');
    Pump(200);
    EXPECT_EQ(ListCount(idResultList, LB_GETSELCOUNT), 0) << "Ctrl+U";

    // One row clicked, then the others chosen instead.
    SendMessageW(Control(idResultList), LB_SETSEL, TRUE, 0);
    SendMessageW(window_->Handle(), WM_COMMAND, MAKEWPARAM(idResultList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(idResultList)));
    TypeChord(VK_CONTROL, 'I');
    Pump(200);
    EXPECT_EQ(ListCount(idResultList, LB_GETSELCOUNT), rows - 1) << "Ctrl+I";
    EXPECT_EQ(SendMessageW(Control(idResultList), LB_GETSEL, 0, 0), 0);
    EXPECT_EQ(Text(idBtSelectAll), "Select All (" + std::to_string(rows - 1) + ")");

    // In the filter box the letters are the box's own.
    SetFocus(Control(idFilterEdit));
    TypeChord(VK_CONTROL, 'U');
    Pump(200);
    EXPECT_EQ(ListCount(idResultList, LB_GETSELCOUNT), rows - 1) << "Ctrl+U in the filter box";
}

TEST_F(GuiTest, DeletingWithoutConsentChangesNothing) {
    Open();
    ScanPlants();
    MenuCommand(idMnSelectAll);
    const LRESULT rows = ListCount(idResultList, LB_GETCOUNT);
    prompts_.QueueAnswer(PromptAnswer::Cancel);
    MenuCommand(idMnDelete);
    EXPECT_EQ(ReadString(kToolKey, L"Tool"), std::wstring(kToolData));
    EXPECT_EQ(ListCount(idResultList, LB_GETCOUNT), rows);
    EXPECT_TRUE(std::filesystem::is_empty(folder_ / L"Backup"));
}

// A close asked while a scan processes messages waits for the scan to end; the window is then
// closed and its settings written.
TEST_F(GuiTest, CloseDuringAScanClosesWhenTheScanEnds) {
    Open();
    Click(idBtRegistry);
    PostMessageW(window_->Handle(), WM_CLOSE, 0, 0);
    SendMessageW(Control(idBtGo), BM_CLICK, 0, 0);
    Pump(200);
    EXPECT_EQ(window_->Handle(), nullptr) << "the window closed after the scan";
    EXPECT_TRUE(std::filesystem::exists(folder_ / L"lang.ini"));
}

TEST_F(GuiTest, PlacementIsSavedAtCloseAndRestoredAtStart) {
    Open();
    SetWindowPos(window_->Handle(), nullptr, 40, 30, 820, 540, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    Close();
    const std::string settings = ReadFile(folder_ / L"lang.ini");
    EXPECT_NE(settings.find("current_lang = English.lng"), std::string::npos) << settings;
    EXPECT_NE(settings.find("posx = 40"), std::string::npos) << settings;
    EXPECT_NE(settings.find("posy = 30"), std::string::npos) << settings;
    EXPECT_NE(settings.find("width = 820"), std::string::npos) << settings;
    EXPECT_NE(settings.find("height = 540"), std::string::npos) << settings;

    Open();
    RECT rect{};
    GetWindowRect(window_->Handle(), &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right - rect.left, 820);
    EXPECT_EQ(rect.bottom - rect.top, 540);
}

constexpr char kFrenchFile[] =
    "\xEF\xBB\xBFLanguageName=Fran\xC3\xA7" "ais\r\n"
    "[bigbutton]\r\nbtRegistry=Registre\r\nbtAbout=\xC3\x80 propos\r\n"
    "[buttons]\r\nbtSelectAll=Tout s\xC3\xA9lectionner\r\nmsgitems=\xC3\xA9l\xC3\xA9ments\r\n"
    "[listbox messages]\r\nlbFILE=Le fichier n'existe pas\r\n";

TEST_F(GuiTest, StartsInTheLanguageOfLangIni) {
    WriteDataFile(L"languages\\French.lng", kFrenchFile);
    WriteDataFile(L"lang.ini", "current_lang = French.lng\r\n");
    Open();
    EXPECT_EQ(Text(idPageTitle), "\xC3\x80 propos");
    EXPECT_EQ(Text(idBtRegistry), "Registre");
    EXPECT_EQ(Text(idBtApps), "Applications and startup") << "a key the file lacks";
    ScanPlants();
    EXPECT_EQ(Text(idTotalLabel).substr(Text(idTotalLabel).find(' ') + 1),
              "\xC3\xA9l\xC3\xA9ments");
    EXPECT_EQ(window_->Model().results.Texts().categories[1], "Le fichier n'existe pas");
    EXPECT_EQ(Text(idBtSelectAll), "Tout s\xC3\xA9lectionner");
}

// The language menu, opened with its button and answered from the keyboard: the second item.
void CALLBACK PickSecondMenuItem(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu == nullptr || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, timer);
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(menu, WM_KEYDOWN, key, 0);
        PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
    }
}

TEST_F(GuiTest, LanguageMenuSwitchesTheWindowAndTheChoiceIsKept) {
    WriteDataFile(L"languages\\English.lng", "LanguageName=English\r\n[bigbutton]\r\nbtRegistry=Registry\r\n");
    WriteDataFile(L"languages\\French.lng", kFrenchFile);
    Open();
    ASSERT_TRUE(Visible(idBtLanguage));
    SetTimer(nullptr, 0, 100, &PickSecondMenuItem);
    Click(idBtLanguage);
    EXPECT_EQ(Text(idBtRegistry), "Registre");
    EXPECT_EQ(Text(idPageTitle), "\xC3\x80 propos") << "the page on show follows its button";
    Close();
    EXPECT_NE(ReadFile(folder_ / L"lang.ini").find("current_lang = French.lng"), std::string::npos);
}

// The user's own dialogs: a thread timer finds the open dialog, reads it and answers.
struct DialogAnswer {
    std::wstring typed;   // for the name dialog
    int button = IDOK;
    std::wstring caption;
    std::wstring text;
};
DialogAnswer* pendingAnswer = nullptr;

void CALLBACK AnswerOpenDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetActiveWindow();
    wchar_t name[32]{};
    GetClassNameW(dialog, name, 32);
    if (pendingAnswer == nullptr || wcscmp(name, L"#32770") != 0) return;
    KillTimer(nullptr, timer);
    wchar_t caption[128]{};
    GetWindowTextW(dialog, caption, 128);
    pendingAnswer->caption = caption;
    wchar_t text[256]{};
    GetDlgItemTextW(dialog, 0xFFFF, text, 256);  // a message box's text
    pendingAnswer->text = text;
    if (!pendingAnswer->typed.empty()) {
        SetDlgItemTextW(dialog, kBackupNameEditId, pendingAnswer->typed.c_str());
    }
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(pendingAnswer->button), 0);
}

UINT_PTR AnswerNextDialog(DialogAnswer& answer) {
    pendingAnswer = &answer;
    return SetTimer(nullptr, 0, 100, &AnswerOpenDialog);
}

TEST(Win32PromptsTest, BackupNameDialogGivesTheTypedNameOnOkAndOnCancel) {
    for (int button : {IDOK, IDCANCEL}) {
        DialogAnswer answer{L"Before cleaning", button, {}, {}};
        AnswerNextDialog(answer);
        const std::string name = RunBackupNameDialog(nullptr, "Backup", "Name :", "Clean.reg");
        pendingAnswer = nullptr;
        EXPECT_EQ(name, "Before cleaning") << "button " << button;
        EXPECT_EQ(answer.caption, L"Backup");
    }
}

TEST(Win32PromptsTest, MessageBoxesCarryTheCaptionAndMapTheButtons) {
    Win32Prompts prompts;
    struct Case {
        PromptButtons buttons;
        int pressed;
        PromptAnswer expected;
    } cases[] = {
        {PromptButtons::OkCancel, IDOK, PromptAnswer::Ok},
        {PromptButtons::OkCancel, IDCANCEL, PromptAnswer::Cancel},
        {PromptButtons::YesNo, IDYES, PromptAnswer::Yes},
        {PromptButtons::YesNo, IDNO, PromptAnswer::No},
        {PromptButtons::Ok, IDOK, PromptAnswer::Ok},
    };
    for (const Case& box : cases) {
        DialogAnswer answer{{}, box.pressed, {}, {}};
        AnswerNextDialog(answer);
        const PromptAnswer got = prompts.Ask("Confirmation", "Delete all selected items ?", box.buttons);
        pendingAnswer = nullptr;
        EXPECT_EQ(got, box.expected) << "button " << box.pressed;
        EXPECT_EQ(answer.caption, L"Confirmation");
        EXPECT_EQ(answer.text, L"Delete all selected items ?");
    }
}

}  // namespace
}  // namespace kestrover::gui
