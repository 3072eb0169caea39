#include <gtest/gtest.h>

#include "framework/handles.h"
#include "support/testkit.h"
#include "uninstall/uninstall_sequence.h"

#include <shlobj.h>

#include <string>
#include <vector>

using namespace testkit;

namespace {

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kOtherProfile = "S-1-5-21-0-0-0-4343";

// Counts the shell's association-change notifications sent to a hidden window
// of this process.
class AssociationChangeWatch {
  public:
    static constexpr UINT kMessage = WM_APP + 17;
    AssociationChangeWatch() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "QmkAssocWatch";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA("QmkAssocWatch", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance,
                               NULL);
        SHGetSpecialFolderLocation(NULL, CSIDL_DESKTOP, &m_desktop);
        SHChangeNotifyEntry entry = {m_desktop, TRUE};
        m_id = SHChangeNotifyRegister(m_hwnd, SHCNRF_ShellLevel | SHCNRF_InterruptLevel,
                                      SHCNE_ASSOCCHANGED, kMessage, 1, &entry);
        s_count = 0;
    }
    ~AssociationChangeWatch() {
        if (m_id)
            SHChangeNotifyDeregister(m_id);
        if (m_desktop)
            CoTaskMemFree(m_desktop);
        DestroyWindow(m_hwnd);
    }
    bool Registered() const { return m_id != 0; }
    // Notifications delivered so far, after the pending messages are handled.
    int Count() {
        MSG msg;
        while (PeekMessageA(&msg, m_hwnd, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        return s_count;
    }

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == kMessage)
            ++s_count;
        return DefWindowProcA(h, m, w, l);
    }
    static int s_count;
    HWND m_hwnd = NULL;
    LPITEMIDLIST m_desktop = nullptr;
    ULONG m_id = 0;
};
int AssociationChangeWatch::s_count = 0;

struct AssociationCase {
    const char* extension;
    const char* associated; // examined value before; null: none
    const char* old;        // "QmkShotOld" before; null: none
    const char* expected;   // examined value after; null: gone
    bool oldStays;
};

// The product's association is undone, with the saved one put back when
// there is one; other programs' associations are left as they are.
const AssociationCase kAssociationCases[] = {
    {".jpg", "C:\\Program Files\\Quillmark 6\\QmkShot6.exe \"%1\"", "PaintPlus.exe",
     "PaintPlus.exe", false},
    {".png", "QmkShot6.exe", nullptr, nullptr, false},
    {".bmp", "QmkShot6.exe", "", nullptr, false},
    {".gif", "OtherViewer.exe", "Something.exe", "OtherViewer.exe", true},
    {".tiff", "qmkshot6.exe", "PaintPlus.exe", "qmkshot6.exe", true},
    {".wpg", "C:\\Q\\QmkShot6.exe", "Wp.exe", "Wp.exe", false},
};

// The class registrations of the extensions used here are saved and put back.
class UninstallAssociations : public ::testing::Test {
  protected:
    struct Saved {
        std::string extension;
        bool existed;
        bool hadDefault;
        std::string value;
    };
    void SetUp() override {
        ASSERT_FALSE(RegHas(HKEY_CURRENT_USER, kFileExts)) << "the prefix keeps no FileExts key";
        for (const AssociationCase& c : kAssociationCases)
            m_saved.push_back({c.extension, RegHas(HKEY_CLASSES_ROOT, c.extension),
                               RegHas(HKEY_CLASSES_ROOT, c.extension, nullptr),
                               RegGet(HKEY_CLASSES_ROOT, c.extension, nullptr)});
    }
    void TearDown() override {
        RegDeleteAll(HKEY_CURRENT_USER, kFileExts);
        for (const Saved& s : m_saved) {
            if (!s.existed) {
                RegDeleteAll(HKEY_CLASSES_ROOT, s.extension);
                continue;
            }
            RegKey k;
            if (!k.Open(HKEY_CLASSES_ROOT, s.extension.c_str(), KEY_ALL_ACCESS))
                continue;
            RegDeleteValueA(k.get(), "QmkShotOld");
            RegDeleteValueA(k.get(), "Keep");
            if (s.hadDefault)
                RegSetValueExA(k.get(), NULL, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(s.value.c_str()),
                               static_cast<DWORD>(s.value.size() + 1));
            else
                RegDeleteValueA(k.get(), NULL);
        }
    }

    static void Arrange(HKEY hive, const std::string& parent, const char* examined) {
        for (const AssociationCase& c : kAssociationCases) {
            std::string key = parent + c.extension;
            RegDeleteAll(hive, key);
            RegSet(hive, key, "Keep", "kept");
            if (c.associated)
                RegSet(hive, key, examined, c.associated);
            if (c.old)
                RegSet(hive, key, "QmkShotOld", c.old);
        }
    }
    static void Check(HKEY hive, const std::string& parent, const char* examined) {
        for (const AssociationCase& c : kAssociationCases) {
            SCOPED_TRACE(c.extension);
            std::string key = parent + c.extension;
            // Wine reads a deleted default value back as empty.
            if (examined) {
                EXPECT_EQ(RegHas(hive, key, examined), c.expected != nullptr);
            }
            EXPECT_EQ(RegGet(hive, key, examined), c.expected ? c.expected : "");
            EXPECT_EQ(RegHas(hive, key, "QmkShotOld"), c.oldStays);
            EXPECT_EQ(RegGet(hive, key, "Keep"), "kept");
        }
    }

    std::vector<Saved> m_saved;
};

// Runs the whole sequence on an empty scratch folder.
void RemoveEmptyInstallation() {
    RemoveInstallation(ScratchDir("assoc") + "\\");
}

} // namespace

TEST_F(UninstallAssociations, RestoresTheCurrentUsersFileExtsApplication) {
    Arrange(HKEY_CURRENT_USER, kFileExts + "\\", "Application");
    // With the user's key present the class registrations are not examined.
    RegSet(HKEY_CLASSES_ROOT, ".png", nullptr, "C:\\Q\\QmkShot6.exe");
    AssociationChangeWatch watch;
    ASSERT_TRUE(watch.Registered());

    RemoveEmptyInstallation();

    Check(HKEY_CURRENT_USER, kFileExts + "\\", "Application");
    EXPECT_EQ(RegGet(HKEY_CLASSES_ROOT, ".png", nullptr), "C:\\Q\\QmkShot6.exe");
    EXPECT_EQ(watch.Count(), 1) << "one notification for all restored extensions";
}

TEST_F(UninstallAssociations, RestoresClassRegistrationsWithoutFileExts) {
    Arrange(HKEY_CLASSES_ROOT, "", nullptr);
    AssociationChangeWatch watch;
    ASSERT_TRUE(watch.Registered());

    RemoveEmptyInstallation();

    Check(HKEY_CLASSES_ROOT, "", nullptr);
    EXPECT_EQ(watch.Count(), 1);
}

TEST_F(UninstallAssociations, NothingRestoredNotifiesNobody) {
    RegSet(HKEY_CURRENT_USER, kFileExts + "\\.gif", "Application", "OtherViewer.exe");
    AssociationChangeWatch watch;
    ASSERT_TRUE(watch.Registered());

    RemoveEmptyInstallation();

    EXPECT_EQ(RegGet(HKEY_CURRENT_USER, kFileExts + "\\.gif", "Application"), "OtherViewer.exe");
    EXPECT_EQ(watch.Count(), 0);
}
