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

namespace {

// A loaded profile of another user whose shell folders point into a scratch
// folder, holding the default shortcuts and program group.
class UninstallDefaultShortcuts : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = ScratchDir("default-shortcuts");
        for (const char* sub : {"\\Startup", "\\Desktop", "\\Programs", "\\install"})
            CreateDirectoryA((m_root + sub).c_str(), NULL);
        RegSet(HKEY_USERS, kOtherProfile + "\\" + kShellFolders, "Startup", m_root + "\\Startup");
        RegSet(HKEY_USERS, kOtherProfile + "\\" + kShellFolders, "Desktop", m_root + "\\Desktop");
        RegSet(HKEY_USERS, kOtherProfile + "\\" + kShellFolders, "Programs", m_root + "\\Programs");
        CreateDirectoryA((m_root + "\\Programs\\Quillmark 6").c_str(), NULL);
        for (const char* file :
             {"\\Startup\\Quillmark 6.lnk", "\\Desktop\\Quillmark 6.lnk", "\\Desktop\\Other.lnk",
              "\\Programs\\Other.lnk", "\\Programs\\Quillmark 6\\Quillmark 6.lnk",
              "\\Programs\\Quillmark 6\\Help.lnk"})
            WriteFile(m_root + file, "L");
        m_commonDesktop = RegGet(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
    }
    void TearDown() override {
        RegDeleteAll(HKEY_USERS, kOtherProfile);
        if (!m_commonDesktop.empty())
            DeleteFileA((m_commonDesktop + "\\Quillmark 6.lnk").c_str());
    }
    std::string m_root, m_commonDesktop;
};

} // namespace

TEST_F(UninstallDefaultShortcuts, GoInEveryProfileAndMachineWide) {
    ASSERT_FALSE(m_commonDesktop.empty());
    WriteFile(m_commonDesktop + "\\Quillmark 6.lnk", "L");

    RemoveInstallation(m_root + "\\install");

    EXPECT_FALSE(FileExists(m_commonDesktop + "\\Quillmark 6.lnk"));
    EXPECT_FALSE(FileExists(m_root + "\\Startup\\Quillmark 6.lnk"));
    EXPECT_FALSE(FileExists(m_root + "\\Desktop\\Quillmark 6.lnk"));
    EXPECT_FALSE(DirExists(m_root + "\\Programs\\Quillmark 6"));
    EXPECT_TRUE(FileExists(m_root + "\\Desktop\\Other.lnk"));
    EXPECT_TRUE(FileExists(m_root + "\\Programs\\Other.lnk"));
}

// A shell folder whose path, with the shortcut or group name appended, would
// not fit the 512-byte value buffer is passed over; the others are handled.
TEST_F(UninstallDefaultShortcuts, OverlongShellFolderIsSkipped) {
    std::string longFolder = "C:\\" + std::string(500, 'd');
    RegSet(HKEY_USERS, kOtherProfile + "\\" + kShellFolders, "Desktop", longFolder);

    RemoveInstallation(m_root + "\\install");

    EXPECT_FALSE(FileExists(m_root + "\\Startup\\Quillmark 6.lnk"));
    EXPECT_TRUE(FileExists(m_root + "\\Desktop\\Quillmark 6.lnk"));
    EXPECT_FALSE(DirExists(m_root + "\\Programs\\Quillmark 6"));
}

// The folder is removed when nothing is left in it, also when it is the
// current directory and is given without a trailing backslash; a file the
// user added keeps it.
TEST(UninstallFolder, RemovedOnlyWhenEmpty) {
    std::string empty = ScratchDir("uninstall-folder-empty");
    ASSERT_TRUE(SetCurrentDirectoryA(empty.c_str()));
    RemoveInstallation(empty);
    EXPECT_FALSE(DirExists(empty));

    std::string kept = ScratchDir("uninstall-folder-kept");
    WriteFile(kept + "\\mine.txt", "mine");
    RemoveInstallation(kept + "\\");
    EXPECT_TRUE(FileExists(kept + "\\mine.txt"));
}

// Every logged item goes; what the user added stays, and with it the folder.
TEST(UninstallFolder, LoggedItemsGoUserFileStays) {
    std::string folder = ScratchDir("uninstall-logged");
    CreateDirectoryA((folder + "\\plugins").c_str(), NULL);
    for (const char* f : {"\\QmkShot6.exe", "\\b.dll", "\\plugins\\p1.dll", "\\mine.txt"})
        WriteFile(folder + f, "x");
    SetFileAttributesA((folder + "\\b.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteFile(folder + "\\QmkUnInst.log", "File Copy: QmkShot6.exe\r\n"
                                          "File Copy: a.dll > b.dll\r\n"
                                          "Make Dir: plugins\r\n"
                                          "File Copy: plugins\\*.dll | plug-ins\r\n");
    SetFileAttributesA((folder + "\\QmkUnInst.log").c_str(), FILE_ATTRIBUTE_HIDDEN);

    RemoveInstallation(folder + "\\");

    for (const char* f : {"\\QmkShot6.exe", "\\b.dll", "\\plugins\\p1.dll", "\\QmkUnInst.log"})
        EXPECT_FALSE(FileExists(folder + f)) << f;
    EXPECT_FALSE(DirExists(folder + "\\plugins"));
    EXPECT_TRUE(FileExists(folder + "\\mine.txt"));
    EXPECT_TRUE(DirExists(folder));
}
