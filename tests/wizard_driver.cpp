#include "wizard_driver.h"

#include "app/state.h"
#include "support/testkit.h"
#include "wizard/folder_dlg.h"
#include "wizard/setup_dlg.h"

#include <vector>

namespace wizard_test {

const char kFrameCaption[] = "Quillmark Telep\xED"
                             "t\xF5";

namespace {
constexpr DWORD kTimeoutMs = 20000;

std::string ClassOf(HWND h) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    return cls;
}

struct ThreadWindows {
    DWORD tid;
    HWND owner;
    HWND found = NULL;
};

BOOL CALLBACK FindOwnedBox(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<ThreadWindows*>(lp);
    if (GetWindowThreadProcessId(h, NULL) != q->tid || !IsWindowVisible(h))
        return TRUE;
    if (ClassOf(h) != "#32770" || GetWindow(h, GW_OWNER) != q->owner)
        return TRUE;
    q->found = h;
    return FALSE;
}

struct ChildQuery {
    HWND parent;
    HWND found = NULL;
};

BOOL CALLBACK FindVisiblePage(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<ChildQuery*>(lp);
    if (GetParent(h) == q->parent && IsWindowVisible(h) && ClassOf(h) == "#32770") {
        q->found = h;
        return FALSE;
    }
    return TRUE;
}

// The text of a message box: its static control that is not an icon.
BOOL CALLBACK FindBoxText(HWND h, LPARAM lp) {
    auto* text = reinterpret_cast<std::string*>(lp);
    if (ClassOf(h) == "Static" && (GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        std::string t = testkit::WindowText(h);
        if (!t.empty()) {
            *text = t;
            return FALSE;
        }
    }
    return TRUE;
}
} // namespace

WizardRun::WizardRun() {
    m_thread = std::thread([this] {
        m_tid = GetCurrentThreadId();
        CSetupDlg dlg;
        m_result = dlg.DoModal();
        m_done = true;
    });
    testkit::WaitUntil(
        [&] {
            if (m_tid == 0)
                return false;
            // Any top-level dialog of the wizard's thread without an owner is the frame.
            ThreadWindows q{m_tid, NULL};
            EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&q));
            m_frame = q.found;
            return m_frame != NULL && Page() != NULL;
        },
        kTimeoutMs);
}

WizardRun::~WizardRun() {
    bool cancelPosted = false;
    testkit::WaitUntil(
        [&] {
            if (m_done)
                return true;
            for (HWND owner : {m_frame, Page()}) {
                ThreadWindows q{m_tid, owner};
                EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&q));
                if (owner && q.found) {
                    PostMessageA(q.found, WM_COMMAND, IDYES, 0);
                    PostMessageA(q.found, WM_COMMAND, IDOK, 0);
                    cancelPosted = false;
                    return false;
                }
            }
            if (!cancelPosted && m_frame) {
                PostMessageA(m_frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                cancelPosted = true;
            }
            return false;
        },
        kTimeoutMs);
    if (m_thread.joinable()) {
        if (m_done)
            m_thread.join();
        else
            m_thread.detach(); // a wizard that never ended: the test has failed already
    }
}

INT_PTR WizardRun::Wait() {
    if (!testkit::WaitUntil([&] { return m_done.load(); }, kTimeoutMs))
        return -1;
    if (m_thread.joinable())
        m_thread.join();
    return m_result;
}

HWND WizardRun::Page() const {
    if (!m_frame)
        return NULL;
    ChildQuery q{m_frame};
    EnumChildWindows(m_frame, FindVisiblePage, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

PageKind WizardRun::Kind() const {
    HWND page = Page();
    if (!page)
        return PageKind::None;
    if (GetDlgItem(page, 1003))
        return PageKind::Welcome;
    if (GetDlgItem(page, 1013))
        return PageKind::Folder;
    if (GetDlgItem(page, 1008))
        return PageKind::Group;
    if (GetDlgItem(page, 1010))
        return PageKind::Ready;
    if (GetDlgItem(page, 1000))
        return PageKind::Agreement;
    return PageKind::None;
}

bool WizardRun::WaitForPage(PageKind kind) const {
    bool shown = testkit::WaitUntil([&] { return Kind() == kind; }, kTimeoutMs);
    Settle();
    return shown;
}

void WizardRun::Settle() const {
    // A sent message is handled only once the wizard's thread is back in its
    // message loop, that is after the handler that is running now.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(m_frame, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &ignored);
}

void WizardRun::Click(HWND dialog, int id) const {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HWND WizardRun::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(m_tid, &info))
        return NULL;
    return info.hwndFocus;
}

void WizardRun::Key(WPARAM vk) const {
    HWND target = Focus();
    PostMessageA(target ? target : m_frame, WM_KEYDOWN, vk, 1);
    PostMessageA(target ? target : m_frame, WM_KEYUP, vk, 0xC0000001);
}

bool WizardRun::WaitForBox(Box& box, HWND owner) const {
    ThreadWindows q{m_tid, owner ? owner : m_frame};
    bool found = testkit::WaitUntil(
        [&] {
            q.found = NULL;
            EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&q));
            if (!q.found)
                return false;
            box.text.clear();
            EnumChildWindows(q.found, FindBoxText, reinterpret_cast<LPARAM>(&box.text));
            return !box.text.empty();
        },
        kTimeoutMs);
    if (!found)
        return false;
    box.hwnd = q.found;
    box.caption = testkit::WindowText(q.found);
    return true;
}

void WizardRun::Answer(const Box& box, int id) const {
    testkit::PressButton(box.hwnd, id);
    testkit::WaitUntil([&] { return !IsWindow(box.hwnd); }, kTimeoutMs);
}

std::string WizardRun::Text(HWND dialog, int id) const {
    return testkit::WindowText(GetDlgItem(dialog, id));
}

void WizardRun::SetText(HWND dialog, int id, const std::string& text) const {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool WizardRun::Checked(HWND dialog, int id) const {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WizardRun::SetChecked(HWND dialog, int id, bool checked) const {
    if (Checked(dialog, id) != checked)
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool WizardRun::Visible(HWND dialog, int id) const {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

bool WizardRun::Enabled(HWND dialog, int id) const {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

RECT WizardRun::ClientRect(HWND h) const {
    RECT r = {};
    GetWindowRect(h, &r);
    MapWindowPoints(NULL, m_frame, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void WizardTest::SetUp() {
    ResetProgramState();
    m_dir = testkit::ScratchDir("wizard");
    m_workDir = m_dir + "\\package";
    CreateDirectoryA(m_workDir.c_str(), NULL);
    testkit::WriteFile(m_workDir + "\\agreement.txt", "First line\r\nSecond line\r\n");
    std::vector<char> cwd(MAX_PATH + 1, '\0');
    GetCurrentDirectoryA(MAX_PATH, cwd.data());
    m_oldCwd = cwd.data();
    SetCurrentDirectoryA(m_workDir.c_str());
    m_strInstDir = m_dir + "\\Quillmark 6";
    m_strGroup = "Quillmark 6";
    bNewInstall = TRUE;
    nVerMajor = 6;
    nVerMinor = 30;
    nVerBuild = 2;
}

void WizardTest::TearDown() {
    SetCurrentDirectoryA(m_oldCwd.c_str());
    CFolderDlg::s_pfnBrowse = SHBrowseForFolderA;
    ResetProgramState();
}

void WizardTest::GoTo(WizardRun& run, PageKind kind) {
    for (int i = 0; i < 5 && run.Kind() != kind; ++i) {
        PageKind before = run.Kind();
        run.Next();
        ASSERT_TRUE(testkit::WaitUntil(
            [&] { return run.Kind() != before && run.Kind() != PageKind::None; }, kTimeoutMs));
        run.Settle();
    }
    ASSERT_EQ(run.Kind(), kind);
}

} // namespace wizard_test
