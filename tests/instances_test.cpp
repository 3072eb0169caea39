// Instance control across processes: the shared instance list, the main-window
// search and the closing of running copies, watched with real stand-ins of the
// product (build\testbed\QmkShot6.exe) under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>

#include "framework/catalogue.h"
#include "framework/handles.h"
#include "instances/instance_manager.h"
#include "instances/running_copies.h"
#include "res/resource.h"
#include "support/testkit.h"

using namespace testkit;

namespace {

const char kFileMapName[] = "COXInstanceManager_FileMap_Brightwell.Quillmark-RX.v4";
const char kListMutexName[] = "COXInstanceManager_InstanceList_Mutex_Brightwell.Quillmark-RX.v4";
const char kAdditionalMutexName[] =
    "COXInstanceManager_Additional_Mutex_Brightwell.Quillmark-RX.v4";
const DWORD kMappingSize = 131072;

// Ids no process can have (process ids are multiples of four).
const DWORD kFakeA = 0x7ff00001, kFakeB = 0x7ff00005, kFakeC = 0x7ff00009;

// The shared list as raw memory, opened by name the way the product opens it.
class RawList {
  public:
    RawList() {
        m_mapping.reset(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kFileMapName));
        if (m_mapping)
            m_view.reset(
                MapViewOfFile(m_mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kMappingSize));
    }
    bool valid() const { return bool(m_view); }
    DWORD* words() const { return static_cast<DWORD*>(m_view.get()); }
    DWORD header() const { return words()[0]; }
    DWORD count() const { return words()[1]; }
    DWORD* ids() const { return words() + 2; }
    std::vector<DWORD> entries() const {
        DWORD n = std::min<DWORD>(count(), 1000);
        return std::vector<DWORD>(ids(), ids() + n);
    }

  private:
    UniqueHandle m_mapping;
    MappedView m_view;
};

bool ListExists() {
    UniqueHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kFileMapName));
    return bool(mapping);
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool LogHas(const std::string& path, const std::string& line) {
    std::vector<std::string> lines = LogLines(path);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool WaitForLogLine(const std::string& path, const std::string& line) {
    return WaitUntil([&] { return LogHas(path, line); });
}

int CountClosesIn(const std::string& path, const std::string& line) {
    std::vector<std::string> lines = LogLines(path);
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// A running stand-in of the product with its own event log.
struct StandIn {
    Process process;
    std::string log;
    DWORD pid() const { return process.pid(); }
};

// Starts `exe` with QMK_STANDIN_LOG set to a log in `dir`; `readyLine` is the
// log line ("started" or "waiting") to wait for, empty for no wait.
std::unique_ptr<StandIn> StartStandIn(const std::string& dir, const std::string& name,
                                      const std::vector<std::string>& args = {},
                                      const std::string& readyLine = "started",
                                      const std::string& exe = TestbedDir() + "\\QmkShot6.exe") {
    std::unique_ptr<StandIn> standIn(new StandIn);
    standIn->log = dir + "\\" + name + ".log";
    SetEnvironmentVariableA("QMK_STANDIN_LOG", standIn->log.c_str());
    standIn->process = Start(exe, args);
    SetEnvironmentVariableA("QMK_STANDIN_LOG", NULL);
    if (!standIn->process.valid())
        return nullptr;
    if (!readyLine.empty() &&
        !WaitForLogLine(standIn->log, readyLine + " " + std::to_string(standIn->pid())))
        return nullptr;
    return standIn;
}

// Every test starts with no list in the system: no process of the family runs.
class InstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WaitUntil([] { return !ListExists(); }))
            << "a process of the product family is still running";
        m_dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string m_dir;
};

// ---------------------------------------------------------------- the list

using InstanceList = InstanceTest;

TEST_F(InstanceList, FirstProcessCreatesTheListAndLeavesItOnNormalExit) {
    auto standIn = StartStandIn(m_dir, "first");
    ASSERT_TRUE(standIn);

    RawList list;
    ASSERT_TRUE(list.valid()) << "the mapping holds 131072 bytes";
    EXPECT_EQ(list.header(), 1u);
    EXPECT_EQ(list.entries(), std::vector<DWORD>{standIn->pid()});
    for (DWORD i = 1; i < 1000; ++i)
        ASSERT_EQ(list.ids()[i], 0u) << "entry " << i;
    UniqueHandle listMutex(OpenMutexA(SYNCHRONIZE, FALSE, kListMutexName));
    UniqueHandle additionalMutex(OpenMutexA(SYNCHRONIZE, FALSE, kAdditionalMutexName));
    EXPECT_TRUE(listMutex);
    EXPECT_TRUE(additionalMutex);

    HWND main = FindMainWindow(standIn->pid());
    ASSERT_TRUE(main);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(standIn->process.Wait(), 0u);
    EXPECT_EQ(list.count(), 0u);
}

TEST_F(InstanceList, ManyProcessesStartingAtOnceAreEachListedOnce) {
    const int kProcesses = 12;
    const std::string eventName = "QmkInstanceListStartTogether";
    UniqueHandle go(CreateEventA(NULL, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(go);
    std::vector<std::unique_ptr<StandIn>> standIns;
    for (int i = 0; i < kProcesses; ++i) {
        standIns.push_back(
            StartStandIn(m_dir, "copy" + std::to_string(i), {"--start-on", eventName}, "waiting"));
        ASSERT_TRUE(standIns.back());
    }
    ASSERT_FALSE(ListExists());
    SetEvent(go.get());
    for (auto& standIn : standIns)
        ASSERT_TRUE(WaitForLogLine(standIn->log, "started " + std::to_string(standIn->pid())));

    RawList list;
    ASSERT_TRUE(list.valid());
    EXPECT_EQ(list.header(), 1u);
    std::vector<DWORD> listed = list.entries();
    EXPECT_EQ(listed.size(), size_t(kProcesses));
    for (auto& standIn : standIns)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), standIn->pid()), 1)
            << "process " << standIn->pid();
}

TEST_F(InstanceList, NoticesReachTheMainWindowsOfListedProcesses) {
    auto watched = StartStandIn(m_dir, "watched");
    ASSERT_TRUE(watched);
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};

    ASSERT_TRUE(manager.AddInstance(kFakeA));
    EXPECT_TRUE(WaitForLogLine(watched->log, "1946 " + std::to_string(kFakeA)));
    ASSERT_TRUE(manager.RemoveInstance(kFakeA));
    EXPECT_TRUE(WaitForLogLine(watched->log, "1947 " + std::to_string(kFakeA)));

    auto second = StartStandIn(m_dir, "second");
    ASSERT_TRUE(second);
    std::string secondPid = std::to_string(second->pid());
    EXPECT_TRUE(WaitForLogLine(watched->log, "1946 " + secondPid));
    PostMessageA(FindMainWindow(second->pid()), WM_CLOSE, 0, 0);
    EXPECT_EQ(second->process.Wait(), 0u);
    EXPECT_TRUE(WaitForLogLine(watched->log, "1947 " + secondPid));
    // A process is not told about itself joining or leaving.
    EXPECT_FALSE(LogHas(second->log, "1946 " + secondPid));
    EXPECT_FALSE(LogHas(watched->log, "1946 " + std::to_string(watched->pid())));
}

TEST_F(InstanceList, FullListRefusesOneMoreAndStaysUnchanged) {
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
    RawList list;
    ASSERT_TRUE(list.valid());
    for (DWORD i = 0; i < 999; ++i)
        list.ids()[i] = kFakeA + 4 * i;
    list.words()[1] = 999;

    EXPECT_TRUE(manager.AddInstance(kFakeB));
    EXPECT_EQ(manager.CountInstances(), 1000);
    EXPECT_EQ(list.ids()[999], kFakeB);
    std::vector<DWORD> before(list.words(), list.words() + 2 + 1000);

    EXPECT_FALSE(manager.AddInstance(kFakeC));
    EXPECT_EQ(std::vector<DWORD>(list.words(), list.words() + 2 + 1000), before);
    std::vector<DWORD> listed;
    ASSERT_TRUE(manager.ListInstances(listed));
    EXPECT_EQ(listed.size(), 1000u);
}

// Removals from a list built with AddInstance, one case per row.
TEST_F(InstanceList, RemovalTakesTheFirstMatchAndKeepsTheOrder) {
    struct Case {
        const char* what;
        std::vector<DWORD> listed;
        DWORD removed;
        BOOL result;
        std::vector<DWORD> after;
    };
    const Case cases[] = {
        {"middle of three", {kFakeA, kFakeB, kFakeC}, kFakeB, TRUE, {kFakeA, kFakeC}},
        {"first of three", {kFakeA, kFakeB, kFakeC}, kFakeA, TRUE, {kFakeB, kFakeC}},
        {"last of three", {kFakeA, kFakeB, kFakeC}, kFakeC, TRUE, {kFakeA, kFakeB}},
        {"listed twice: older first", {kFakeA, kFakeB, kFakeA}, kFakeA, TRUE, {kFakeB, kFakeA}},
        {"not listed", {kFakeA, kFakeB}, kFakeC, FALSE, {kFakeA, kFakeB}},
        {"empty list", {}, kFakeA, FALSE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
        for (DWORD id : c.listed)
            ASSERT_TRUE(manager.AddInstance(id));
        EXPECT_EQ(manager.RemoveInstance(c.removed), c.result);
        std::vector<DWORD> listed{0xdead};
        ASSERT_TRUE(manager.ListInstances(listed));
        EXPECT_EQ(listed, c.after);
        EXPECT_EQ(manager.CountInstances(), int(c.after.size()));
        for (DWORD id : c.after)
            manager.RemoveInstance(id);
    }
}

TEST_F(InstanceList, IdListedTwiceIsRemovedOncePerRemoval) {
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
    for (DWORD id : {kFakeA, kFakeB, kFakeA})
        ASSERT_TRUE(manager.AddInstance(id));
    std::vector<DWORD> listed;
    ASSERT_TRUE(manager.RemoveInstance(kFakeA));
    ASSERT_TRUE(manager.RemoveInstance(kFakeA));
    EXPECT_FALSE(manager.RemoveInstance(kFakeA));
    ASSERT_TRUE(manager.ListInstances(listed));
    EXPECT_EQ(listed, std::vector<DWORD>{kFakeB});
}

// The test program's own manager holds no list: it reads as an unreachable one.
TEST_F(InstanceList, UnreachableListCountsNothingAndChangesNothing) {
    std::vector<DWORD> listed{7};
    EXPECT_EQ(theInstanceManager.CountInstances(), 0);
    EXPECT_FALSE(theInstanceManager.ListInstances(listed));
    EXPECT_EQ(listed, std::vector<DWORD>{7});
    EXPECT_FALSE(theInstanceManager.AddInstance(kFakeA));
    EXPECT_FALSE(theInstanceManager.RemoveInstance(kFakeA));
    EXPECT_FALSE(ListExists());
}

// ---------------------------------------------------------------- main window

using InstanceMainWindow = InstanceTest;

TEST_F(InstanceMainWindow, OnlyAnUnownedTitledWindowStartingWithTheProductNameCounts) {
    struct Case {
        std::vector<std::string> args;
        bool found;
    };
    const Case cases[] = {
        {{}, true},
        {{"--title", "Quillmark"}, true},
        {{"--title", "quillmark Shot 6"}, false},
        {{"--title", " Quillmark Shot 6"}, false},
        {{"--title", "My Quillmark"}, false},
        {{"--title", "DDE Server Window"}, false},
        {{"--no-main-window"}, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--no-register");
        SCOPED_TRACE(args[0]);
        auto standIn = StartStandIn(m_dir, "window", args);
        ASSERT_TRUE(standIn);
        HWND found = FindMainWindow(standIn->pid());
        EXPECT_EQ(found != NULL, c.found);
        if (found) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            EXPECT_EQ(owner, standIn->pid());
        }
    }
}

// ---------------------------------------------------------------- closing

using InstanceClosing = InstanceTest;

TEST(InstanceFamily, ProgramsOfTheFamilyAreKnownByFileName) {
    struct Case {
        const char* exe;
        const char* own;
        bool family;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Quillmark 6\\QmkShot6.exe", "C:\\pkg\\setup.exe", true},
        {"C:\\Program Files\\Quillmark 6\\QMKUNINST.EXE", "C:\\pkg\\setup.exe", true},
        {"C:\\t\\qmkhelper.exe", "C:\\pkg\\setup.exe", true},
        {"C:\\other\\Setup.exe", "C:\\pkg\\setup.exe", true},
        {"C:\\windows\\notepad.exe", "C:\\pkg\\setup.exe", false},
        {"C:\\Qmk\\notepad.exe", "C:\\pkg\\setup.exe", false},
        {"C:\\t\\Qm.exe", "C:\\pkg\\setup.exe", false},
        {"C:\\t\\MySetup.exe", "C:\\pkg\\setup.exe", false},
        {"", "C:\\pkg\\setup.exe", false},
        {"", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsFamilyProgram(c.exe, c.own), c.family) << c.exe << " / " << c.own;
}

TEST_F(InstanceClosing, EveryListedCopyIsAskedAndTerminated) {
    auto polite = StartStandIn(m_dir, "polite");
    auto stubborn = StartStandIn(m_dir, "stubborn", {"--ignore-close"});
    auto windowless = StartStandIn(m_dir, "windowless", {"--no-main-window"});
    ASSERT_TRUE(polite && stubborn && windowless);
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
    ASSERT_EQ(manager.CountInstances(), 3);

    CloseRunningCopies(manager);

    for (StandIn* standIn : {polite.get(), stubborn.get(), windowless.get()})
        EXPECT_NE(standIn->process.Wait(), STILL_ACTIVE) << standIn->log;
    EXPECT_EQ(CountClosesIn(polite->log, "WM_CLOSE 1001"), 1);
    EXPECT_EQ(CountClosesIn(stubborn->log, "WM_CLOSE 1001"), 1);
    EXPECT_EQ(LogLines(windowless->log),
              std::vector<std::string>{"started " + std::to_string(windowless->pid())});
}

// A stale id now used by an unrelated program, and the caller's own id: neither
// is asked to close nor terminated.
TEST_F(InstanceClosing, UnrelatedProcessAndTheCallerAreLeftAlone) {
    std::string unrelatedExe = m_dir + "\\Unrelated.exe";
    ASSERT_TRUE(CopyTo(TestbedDir() + "\\QmkShot6.exe", unrelatedExe));
    auto unrelated = StartStandIn(m_dir, "unrelated", {"--no-register"}, "started", unrelatedExe);
    auto copy = StartStandIn(m_dir, "copy");
    ASSERT_TRUE(unrelated && copy);
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
    ASSERT_TRUE(manager.AddInstance(GetCurrentProcessId()));
    ASSERT_TRUE(manager.AddInstance(unrelated->pid()));

    CloseRunningCopies(manager);

    EXPECT_NE(copy->process.Wait(), STILL_ACTIVE);
    // A notice posted after the closing arrives after anything posted before it.
    ASSERT_TRUE(manager.AddInstance(kFakeA));
    ASSERT_TRUE(WaitForLogLine(unrelated->log, "1946 " + std::to_string(kFakeA)));
    EXPECT_TRUE(unrelated->process.Running());
    EXPECT_EQ(CountClosesIn(unrelated->log, "WM_CLOSE 1001"), 0);
}

TEST_F(InstanceClosing, NoOtherCopyMeansNothingIsDone) {
    auto unlisted = StartStandIn(m_dir, "unlisted", {"--no-register"});
    ASSERT_TRUE(unlisted);
    COXInstanceManager manager{COXInstanceManager::WithoutRegistration()};
    ASSERT_TRUE(manager.AddInstance(GetCurrentProcessId()));
    CloseRunningCopies(manager);
    CloseRunningCopies(theInstanceManager);
    EXPECT_TRUE(unlisted->process.Running());
    EXPECT_EQ(CountClosesIn(unlisted->log, "WM_CLOSE 1001"), 0);
}

// ---------------------------------------------------------------- the installer

// The installer copied into a scratch folder of its own, where no package lies.
class InstanceInstaller : public InstanceTest {
  protected:
    void SetUp() override {
        InstanceTest::SetUp();
        m_setup = m_dir + "\\setup.exe";
        ASSERT_TRUE(CopyTo(SetupExe(), m_setup));
    }
    std::vector<std::unique_ptr<StandIn>> StartCopies(int n, const std::string& run) {
        std::vector<std::unique_ptr<StandIn>> copies;
        for (int i = 0; i < n; ++i)
            copies.push_back(StartStandIn(m_dir, run + "-copy" + std::to_string(i)));
        return copies;
    }
    std::string m_setup;
};

std::string CopiesRunningText(int n) {
    std::string text = LoadCatalogueText(IDS_COPIES_RUNNING);
    size_t at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(n));
    return text;
}

// The installer counts itself with one copy running, and the copy is told when
// the installer joins and leaves the list. Declining leaves the copies running.
TEST_F(InstanceInstaller, PromptNamesTheOtherCopiesAndNoLeavesThemRunning) {
    struct Case {
        std::vector<std::string> args;
        int copies;
        std::string text;
    };
    const Case cases[] = {
        {{}, 1, LoadCatalogueText(IDS_ONE_COPY_RUNNING)},
        {{"-s"}, 1, LoadCatalogueText(IDS_ONE_COPY_RUNNING)},
        {{"-install"}, 3, CopiesRunningText(3)},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(no arguments)") : c.args[0]);
        auto copies = StartCopies(c.copies, "run" + std::to_string(++run));
        for (auto& copy : copies)
            ASSERT_TRUE(copy);
        Process setup = Start(m_setup, c.args);
        ASSERT_TRUE(setup.valid());
        std::string setupPid = std::to_string(setup.pid());

        MessageBoxInfo question;
        ASSERT_TRUE(WaitForMessageBox(setup.pid(), question));
        EXPECT_EQ(question.caption, LoadCatalogueText(IDS_SETUP_CAPTION));
        EXPECT_EQ(question.text, c.text);
        EXPECT_TRUE(WaitForLogLine(copies[0]->log, "1946 " + setupPid));
        PressButton(question.hwnd, IDNO);

        MessageBoxInfo notice;
        ASSERT_TRUE(WaitUntil([&] {
            return WaitForMessageBox(setup.pid(), notice, 1000) && notice.hwnd != question.hwnd;
        }));
        EXPECT_EQ(notice.caption, LoadCatalogueText(IDS_SETUP_CAPTION));
        EXPECT_EQ(notice.text, LoadCatalogueText(IDS_INSTALL_ABANDONED));
        PressButton(notice.hwnd, IDOK);
        EXPECT_EQ(setup.Wait(), 0u);

        EXPECT_TRUE(WaitForLogLine(copies[0]->log, "1947 " + setupPid));
        for (auto& copy : copies) {
            EXPECT_TRUE(copy->process.Running());
            EXPECT_EQ(CountClosesIn(copy->log, "WM_CLOSE 1001"), 0);
            copy->process.Kill();
        }
        ASSERT_TRUE(WaitUntil([] { return !ListExists(); }));
    }
}

// "-s" or "/s" from the second argument on closes the copies without a question.
// A listed program outside the family stays, and shows that the installer itself
// runs on: either it is told of the installer's normal exit, or the installer is
// still there with a message box of its own.
TEST_F(InstanceInstaller, SkipSwitchClosesCopiesWithoutAskingAndKeepsTheInstaller) {
    std::string watcherExe = m_dir + "\\Watcher.exe";
    ASSERT_TRUE(CopyTo(TestbedDir() + "\\QmkShot6.exe", watcherExe));
    for (std::string skip : {"-s", "/s"}) {
        SCOPED_TRACE(skip);
        std::string run = skip.substr(0, 1) == "/" ? "slash-" : "dash-";
        auto watcher = StartStandIn(m_dir, run + "watcher", {}, "started", watcherExe);
        auto polite = StartStandIn(m_dir, run + "polite");
        auto stubborn = StartStandIn(m_dir, run + "stubborn", {"--ignore-close"});
        ASSERT_TRUE(watcher && polite && stubborn);
        Process setup = Start(m_setup, {"-install", skip});
        ASSERT_TRUE(setup.valid());
        std::string setupPid = std::to_string(setup.pid());

        for (StandIn* copy : {polite.get(), stubborn.get()}) {
            EXPECT_NE(copy->process.Wait(), STILL_ACTIVE);
            EXPECT_EQ(CountClosesIn(copy->log, "WM_CLOSE 1001"), 1);
        }
        MessageBoxInfo box;
        ASSERT_TRUE(WaitUntil([&] {
            return LogHas(watcher->log, "1947 " + setupPid) ||
                   WaitForMessageBox(setup.pid(), box, 200);
        }));
        if (box.hwnd) {
            EXPECT_NE(box.text, LoadCatalogueText(IDS_ONE_COPY_RUNNING));
            EXPECT_TRUE(setup.Running());
        }
        EXPECT_TRUE(watcher->process.Running());
        EXPECT_EQ(CountClosesIn(watcher->log, "WM_CLOSE 1001"), 0);
        setup.Kill();
        watcher->process.Kill();
        ASSERT_TRUE(WaitUntil([] { return !ListExists(); }));
    }
}

} // namespace
