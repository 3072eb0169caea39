#include <gtest/gtest.h>
#include <windows.h>

#include "app/setup_app.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "instances/instance_manager.h"
#include "support/testkit.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

using namespace testkit;

namespace {

// What a start of the built program did: it showed a message box (which the
// test answered with No), or it ended by itself with an exit code.
struct StartOutcome {
    bool asked = false;
    MessageBoxInfo box;
    DWORD exitCode = STILL_ACTIVE;
};

StartOutcome StartAs(const std::string& name, const std::vector<std::string>& args) {
    std::string dir = ScratchDir("startup");
    std::string exe = dir + "\\" + name;
    EXPECT_TRUE(CopyTo(SetupExe(), exe));
    Process p = Start(exe, args);
    EXPECT_TRUE(p.valid());
    StartOutcome out;
    WaitUntil([&] {
        if (!p.Running())
            return true;
        if (WaitForMessageBox(p.pid(), out.box, 0)) {
            out.asked = true;
            return true;
        }
        return false;
    });
    if (out.asked)
        PressButton(out.box.hwnd, IDNO);
    out.exitCode = p.Wait();
    return out;
}

const std::string kConfirm = "Ez elt\xE1vol\xEDtja a Quillmark 6 programot.\nVal\xF3"
                             "ban folytatja?";

} // namespace

// Started under the uninstaller's name (or with options that leave it there) the
// program asks string 6 under caption string 2; No ends it with exit code 0.
TEST(StartupRun, UninstallModeAsksConfirmation) {
    const std::vector<std::vector<std::string>> argLists = {
        {}, {"-x", "-install"}, {"-DELSELF", "C:\\qmk-tests\\none\\QmkUnInst.exe"}, {"-delself"}};
    for (const auto& args : argLists) {
        std::string shown = args.empty() ? "(none)" : args[0];
        StartOutcome out = StartAs("QmkUnInst.exe", args);
        ASSERT_TRUE(out.asked) << shown;
        EXPECT_EQ(out.box.text, kConfirm) << shown;
        EXPECT_EQ(out.box.caption, LoadCatalogueText(2)) << shown;
        EXPECT_TRUE(out.box.hasIcon) << shown;
        EXPECT_EQ(out.exitCode, 0u) << shown;
        EXPECT_FALSE(FileExists("C:\\qmk-tests\\startup\\QmkUnInst.log")) << shown;
    }
}

// No is the default button of the confirmation.
TEST(StartupRun, ConfirmationDefaultsToNo) {
    std::string dir = ScratchDir("startup-default");
    std::string exe = dir + "\\QmkUnInst.exe";
    ASSERT_TRUE(CopyTo(SetupExe(), exe));
    Process p = Start(exe);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(p.pid(), box));
    // The default button is the one drawn with the default-button style.
    auto isDefault = [&](int id) {
        return (GetWindowLongA(GetDlgItem(box.hwnd, id), GWL_STYLE) & BS_TYPEMASK) ==
               BS_DEFPUSHBUTTON;
    };
    EXPECT_TRUE(WaitUntil([&] { return isDefault(IDNO); }, 5000));
    EXPECT_FALSE(isDefault(IDYES));
    PressButton(box.hwnd, IDNO);
    EXPECT_EQ(p.Wait(), 0u);
}

// Install mode by name or by "-install" first, and uninstall mode with "-s":
// none of them asks the uninstall confirmation.
TEST(StartupRun, NoConfirmationInInstallModeOrWhenSilent) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
    };
    const Case cases[] = {{"SETUP.EXE", {}},
                          {"MySetup.exe", {}},
                          {"setup.exe", {"-s"}},
                          {"QmkUnInst.exe", {"-install"}},
                          {"QmkUnInst.exe", {"-INSTALL"}},
                          {"QmkUnInst.exe", {"-S"}},
                          {"QmkUnInst.exe", {"x", "-s"}}};
    for (const Case& c : cases) {
        std::string shown = std::string(c.name) + (c.args.empty() ? "" : " " + c.args[0]);
        StartOutcome out = StartAs(c.name, c.args);
        if (out.asked)
            EXPECT_NE(out.box.text, kConfirm) << shown;
        else
            EXPECT_EQ(out.exitCode, 0u) << shown;
    }
}

// The program names that select install mode, and those that do not; the search
// is over characters, so a trail byte never starts a match.
TEST(StartupMode, InstallModeByFirstArgumentOrProgramName) {
    struct Case {
        std::vector<const char*> argv;
        const char* path;
        bool install;
    };
    const Case cases[] = {
        {{"a"}, "C:\\Pkg\\setup.exe", true},
        {{"a"}, "C:\\Pkg\\SETUP.EXE", true},
        {{"a"}, "C:\\Pkg\\MySetup.exe", true},
        {{"a"}, "C:\\setup.exe.d\\QmkUnInst.exe", true},
        {{"a"}, "C:\\Program Files\\Quillmark 6\\QmkUnInst.exe", false},
        {{"a", "-install"}, "C:\\x\\QmkUnInst.exe", true},
        {{"a", "-InStAlL"}, "C:\\x\\QmkUnInst.exe", true},
        {{"a", "-s", "-install"}, "C:\\x\\QmkUnInst.exe", false},
        {{"a", "/install"}, "C:\\x\\QmkUnInst.exe", false},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv;
        for (const char* a : c.argv)
            argv.push_back(const_cast<char*>(a));
        EXPECT_EQ(IsInstallMode(static_cast<int>(argv.size()), argv.data(), c.path), c.install)
            << c.path << " " << argv.size();
    }
}

namespace {

// Recording stand-ins for the operations the start-up hands over to.
struct Recorder {
    int instances = 1;
    int installResult = 0;
    std::vector<std::string> calls;
};
Recorder g_rec;

const SetupOperations kRecording = {
    [] {
        g_rec.calls.push_back("count");
        return g_rec.instances;
    },
    [] { g_rec.calls.push_back("close"); },
    [] {
        g_rec.calls.push_back("install");
        return g_rec.installResult;
    },
    []() -> BOOL {
        g_rec.calls.push_back("selfremoval");
        return FALSE;
    },
    [](const std::string& path) { g_rec.calls.push_back("delself " + path); },
};

class StartupDispatch : public testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        g_rec = Recorder();
    }
    void TearDown() override { ResetProgramState(); }

    BOOL Run(std::vector<const char*> args) {
        m_argv.clear();
        m_argv.push_back(const_cast<char*>("qmk_tests.exe"));
        for (const char* a : args)
            m_argv.push_back(const_cast<char*>(a));
        CSetupApp app(kRecording);
        app.m_argc = static_cast<int>(m_argv.size());
        app.m_argv = m_argv.data();
        return app.InitInstance();
    }

    // Answers the next message boxes of this process in turn, recording them.
    std::thread Answer(std::vector<int> buttons, std::vector<MessageBoxInfo>& seen) {
        return std::thread([buttons, &seen] {
            for (int button : buttons) {
                MessageBoxInfo box;
                if (!WaitForMessageBox(GetCurrentProcessId(), box))
                    return;
                seen.push_back(box);
                PressButton(box.hwnd, button);
                WaitUntil([&] { return !IsWindow(box.hwnd); });
            }
        });
    }

    std::vector<char*> m_argv;
};

using Calls = std::vector<std::string>;

} // namespace

// The dispatch without questions: which operation runs, with what, and the silent flag.
TEST_F(StartupDispatch, HandOverWithoutQuestions) {
    struct Case {
        std::vector<const char*> args;
        int instances;
        BOOL silent;
        Calls calls;
        BOOL result;
    };
    const Case cases[] = {
        {{"-delself", "C:\\Inst\\QmkUnInst.exe"},
         1,
         FALSE,
         {"delself C:\\Inst\\QmkUnInst.exe"},
         FALSE},
        {{"-delself", "C:\\Inst\\QmkUnInst.exe", "-s"},
         1,
         TRUE,
         {"delself C:\\Inst\\QmkUnInst.exe"},
         FALSE},
        {{"-install"}, 1, FALSE, {"count", "install"}, 0},
        {{"-install"}, 0, FALSE, {"count", "install"}, 0},
        {{"-install", "-S"}, 3, TRUE, {"count", "close", "install"}, 0},
        {{"-install", "/s"}, 2, FALSE, {"count", "close", "install"}, 0},
        {{"-install", "x", "-s"}, 2, TRUE, {"count", "close", "install"}, 0},
        {{"-s"}, 1, TRUE, {"count", "selfremoval"}, FALSE},
        {{"x", "-S"}, 3, TRUE, {"count", "close", "selfremoval"}, FALSE},
    };
    for (const Case& c : cases) {
        g_rec = Recorder();
        g_rec.instances = c.instances;
        g_rec.installResult = 0;
        BOOL result = Run(c.args);
        EXPECT_EQ(g_rec.calls, c.calls) << c.args[0] << " / " << c.args.size();
        EXPECT_EQ(bSilent, c.silent) << c.args[0] << " / " << c.args.size();
        EXPECT_EQ(result, c.result) << c.args[0] << " / " << c.args.size();
    }
}

// The install driver's result is what the start-up returns.
TEST_F(StartupDispatch, ReturnsTheInstallDriversResult) {
    g_rec.installResult = 1;
    EXPECT_EQ(Run({"-install"}), 1);
}

// One other copy: string 1; Yes closes the copies and installs.
TEST_F(StartupDispatch, OneCopyRunningAsksStringOne) {
    g_rec.instances = 2;
    std::vector<MessageBoxInfo> seen;
    std::thread answer = Answer({IDYES}, seen);
    BOOL result = Run({"-install"});
    answer.join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, LoadCatalogueText(1));
    EXPECT_EQ(seen[0].caption, LoadCatalogueText(2));
    EXPECT_EQ(g_rec.calls, (Calls{"count", "close", "install"}));
    EXPECT_EQ(result, 0);
}

// Three other copies: string 4 with 3 in it; No shows string 3, closes nothing,
// installs nothing and returns TRUE.
TEST_F(StartupDispatch, DecliningToCloseCopiesAbandonsTheInstallation) {
    g_rec.instances = 4;
    std::vector<MessageBoxInfo> seen;
    std::thread answer = Answer({IDNO, IDOK}, seen);
    BOOL result = Run({"-install", "x"});
    answer.join();
    ASSERT_EQ(seen.size(), 2u);
    std::string expected = LoadCatalogueText(4);
    expected.replace(expected.find("%d"), 2, "3");
    EXPECT_EQ(seen[0].text, expected);
    EXPECT_EQ(seen[1].text, LoadCatalogueText(3));
    EXPECT_EQ(seen[1].caption, LoadCatalogueText(2));
    EXPECT_EQ(g_rec.calls, Calls{"count"});
    EXPECT_EQ(result, TRUE);
}

// Declining the uninstall confirmation changes nothing and returns FALSE;
// accepting it closes the running copies without a further question.
TEST_F(StartupDispatch, UninstallConfirmation) {
    g_rec.instances = 3;
    std::vector<MessageBoxInfo> seen;
    std::thread answer = Answer({IDNO}, seen);
    EXPECT_EQ(Run({}), FALSE);
    answer.join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, LoadCatalogueText(6));
    EXPECT_TRUE(g_rec.calls.empty());

    g_rec = Recorder();
    g_rec.instances = 3;
    seen.clear();
    answer = Answer({IDYES}, seen);
    EXPECT_EQ(Run({"-delself"}), FALSE);
    answer.join();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(g_rec.calls, (Calls{"count", "close", "selfremoval"}));
}

// The instance manager is built before the application object, so by the time
// the start-up asks its first question the process is in the shared list.
TEST(StartupRun, RegisteredInInstanceListBeforeStartUp) {
    COXInstanceManager list{COXInstanceManager::WithoutRegistration()};
    std::vector<DWORD> ids;
    std::string dir = ScratchDir("startup-order");
    std::string exe = dir + "\\QmkUnInst.exe";
    ASSERT_TRUE(CopyTo(SetupExe(), exe));
    Process p = Start(exe);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(p.pid(), box));
    EXPECT_TRUE(list.ListInstances(ids));
    EXPECT_NE(std::find(ids.begin(), ids.end(), p.pid()), ids.end());
    PressButton(box.hwnd, IDNO);
    EXPECT_EQ(p.Wait(), 0u);
}
