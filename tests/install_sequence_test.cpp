#include <gtest/gtest.h>

#include "app/product.h"
#include "app/state.h"
#include "framework/handles.h"
#include "install/install_sequence.h"
#include "install/uninstall_log.h"
#include "support/testkit.h"

#include <vector>

using namespace testkit;

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The shell rewrites "Shell Folders" from these whenever it looks a folder up.
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kProductName[] = "Quillmark 6";
const char kHelpName[] = "Quillmark 6 S\xFAg\xF3";
const char kReadmeName[] = "Olvasson a Quillmark 6-r\xF3l";
const char kUninstallName[] = "A Quillmark 6 elt\xE1vol\xEDt\xE1sa";

// A registry value kept with its type and bytes, and put back as it was.
class SavedValue {
  public:
    SavedValue(HKEY hive, const char* key, const char* name)
        : m_hive(hive), m_key(key), m_name(name) {
        RegKey k;
        DWORD size = 0;
        if (k.Open(hive, key) &&
            RegQueryValueExA(k.get(), name, NULL, &m_type, NULL, &size) == ERROR_SUCCESS) {
            m_data.resize(size);
            m_had =
                RegQueryValueExA(k.get(), name, NULL, &m_type,
                                 reinterpret_cast<BYTE*>(m_data.data()), &size) == ERROR_SUCCESS;
        }
    }
    void Restore() const {
        RegKey k;
        if (!k.Open(m_hive, m_key, KEY_SET_VALUE))
            return;
        if (m_had)
            RegSetValueExA(k.get(), m_name, 0, m_type, reinterpret_cast<const BYTE*>(m_data.data()),
                           static_cast<DWORD>(m_data.size()));
        else
            RegDeleteValueA(k.get(), m_name);
    }

  private:
    HKEY m_hive;
    const char* m_key;
    const char* m_name;
    bool m_had = false;
    DWORD m_type = REG_SZ;
    std::vector<char> m_data;
};

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    StdioFile f(path.c_str(), "rt");
    std::string line;
    while (f && ReadLogLine(f.get(), line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Tagged(const std::vector<std::string>& lines, const char* tag) {
    std::vector<std::string> out;
    std::string argument;
    for (const std::string& l : lines)
        if (MatchLogTag(l, tag, argument))
            out.push_back(argument);
    return out;
}

// A package, an installation folder and shell folders of the test's own: the six
// shell-folder values point into the scratch folder while the test runs and are put
// back afterwards, with the product's registry entries removed.
class InstallSeq : public testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        m_root = ScratchDir(std::string("seq-") +
                            testing::UnitTest::GetInstance()->current_test_info()->name());
        m_src = m_root + "\\package";
        m_inst = m_root + "\\inst\\Quillmark 6";
        CreateDirectoryA(m_src.c_str(), NULL);
        for (const char* name : {"QmkShot6.exe", "QmkUnInst.exe", "readme.txt"})
            WriteFile(m_src + "\\" + name, name);
        WriteFile(m_src + "\\QmkUnInst.log",
                  "Files of the product\r\nFile Copy: *.exe\r\nFile Copy: readme.txt");
        const char* values[][2] = {{"Common Programs", "common\\Programs"},
                                   {"Common Desktop", "common\\Desktop"},
                                   {"Common Startup", "common\\Startup"},
                                   {"Programs", "user\\Programs"},
                                   {"Desktop", "user\\Desktop"},
                                   {"Startup", "user\\Startup"}};
        CreateDirectoryA((m_root + "\\common").c_str(), NULL);
        CreateDirectoryA((m_root + "\\user").c_str(), NULL);
        for (auto& v : values) {
            HKEY hive = v[0][0] == 'C' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
            CreateDirectoryA((m_root + "\\" + v[1]).c_str(), NULL);
            for (const char* key : {kShellFolders, kUserShellFolders}) {
                m_saved.emplace_back(hive, key, v[0]);
                RegSet(hive, key, v[0], m_root + "\\" + v[1]);
            }
        }
        RemoveProductKeys();
        m_strSrcDir = m_src;
        m_strInstDir = m_inst;
        m_strGroup = kProductName;
        bNewInstall = TRUE;
        bDeskIcon = FALSE;
        nVerMajor = 6;
        nVerMinor = 20;
        nVerBuild = 1;
    }
    void TearDown() override {
        for (const SavedValue& v : m_saved)
            v.Restore();
        RemoveProductKeys();
        SetEnvironmentVariableA("sfxname", NULL);
        ResetProgramState();
    }
    static void RemoveProductKeys() {
        RegDeleteAll(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPathsKey);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    void Unset(HKEY hive, const char* value) {
        for (const char* path : {kShellFolders, kUserShellFolders}) {
            RegKey key;
            if (key.Open(hive, path, KEY_SET_VALUE))
                RegDeleteValueA(key.get(), value);
        }
    }
    std::string UserFolder(const char* name) { return m_root + "\\user\\" + name; }
    std::string Log() { return m_inst + "\\QmkUnInst.log"; }

    std::string m_root, m_src, m_inst;
    std::vector<SavedValue> m_saved;
};

} // namespace

TEST_F(InstallSeq, NewInstallationRecordsGroupAndShortcutsInOrder) {
    // A log left in the target folder is no earlier installation of ours.
    CreateDirectoryA((m_root + "\\inst").c_str(), NULL);
    CreateDirectoryA(m_inst.c_str(), NULL);
    WriteFile(m_root + "\\left.lnk", "x");
    WriteFile(Log(), "Shell Link: " + m_root + "\\left.lnk\r\n");
    CreateDirectoryA((m_root + "\\sfx").c_str(), NULL);
    WriteFile(m_root + "\\sfx\\QmkShot6.ini", "settings");
    SetEnvironmentVariableA("sfxname", (m_root + "\\sfx\\package.exe").c_str());
    m_strGroup = " /Tools/Quillmark 6/ ";
    bDeskIcon = TRUE;
    bAutoStart = TRUE;

    EXPECT_EQ(InstallSequence(), 0);

    EXPECT_TRUE(FileExists(m_root + "\\left.lnk"));
    EXPECT_EQ(m_strGroup, "Tools\\Quillmark 6");
    std::string group = UserFolder("Programs") + "\\Tools\\Quillmark 6";
    EXPECT_TRUE(DirExists(group));
    std::vector<std::string> lines = LogLines(Log());
    std::vector<std::string> expected = {
        "Files of the product",
        "File Copy: *.exe",
        "File Copy: readme.txt",
        "Made Dir: " + group,
        "Shell Link: " + group + "\\" + kProductName + ".lnk",
        "Shell Link: " + group + "\\" + kHelpName + ".lnk",
        "Shell Link: " + group + "\\" + kReadmeName + ".lnk",
        "Shell Link: " + group + "\\" + kUninstallName + ".lnk",
        "Shell Link: " + UserFolder("Desktop") + "\\" + kProductName + ".lnk",
        "Shell Link: " + UserFolder("Startup") + "\\" + kProductName + ".lnk"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ReadFile(m_inst + "\\QmkShot6.exe"), "QmkShot6.exe");
    EXPECT_EQ(ReadFile(m_inst + "\\QmkShot6.ini"), "settings");

    struct Expect {
        std::string link, target, workingFolder;
    } links[] = {
        {group + "\\" + kProductName + ".lnk", m_inst + "\\QmkShot6.exe", "%APPDATA%"},
        {group + "\\" + kHelpName + ".lnk", m_inst + "\\QmkShot6Man.chm", ""},
        {group + "\\" + kReadmeName + ".lnk", m_inst + "\\readme.txt", ""},
        {group + "\\" + kUninstallName + ".lnk", m_inst + "\\QmkUnInst.exe", ""},
        {UserFolder("Desktop") + "\\" + kProductName + ".lnk", m_inst + "\\QmkShot6.exe",
         "%APPDATA%"},
        {UserFolder("Startup") + "\\" + kProductName + ".lnk", m_inst + "\\QmkShot6.exe",
         "%APPDATA%"},
    };
    for (const Expect& e : links) {
        ShortcutInfo info = ReadShortcut(e.link);
        ASSERT_TRUE(info.loaded) << e.link;
        EXPECT_EQ(info.target, e.target) << e.link;
        EXPECT_EQ(info.workingFolder, e.workingFolder) << e.link;
        EXPECT_EQ(info.description, "") << e.link;
    }
}

TEST_F(InstallSeq, InstallingOverAnEarlierOneRemovesItsRecordsFirst) {
    std::string oldGroup = UserFolder("Programs") + "\\Old\\Group";
    std::string otherGroup = UserFolder("Programs") + "\\Other";
    CreateDirectoryA((UserFolder("Programs") + "\\Old").c_str(), NULL);
    CreateDirectoryA(oldGroup.c_str(), NULL);
    CreateDirectoryA(otherGroup.c_str(), NULL);
    WriteFile(oldGroup + "\\A.lnk", "x");
    WriteFile(otherGroup + "\\B.lnk", "x");
    WriteFile(UserFolder("Desktop") + "\\Old.lnk", "x");
    CreateDirectoryA((m_root + "\\inst").c_str(), NULL);
    CreateDirectoryA(m_inst.c_str(), NULL);
    WriteFile(m_inst + "\\install.log",
              "Made Dir: " + oldGroup + "\nShell Link: " + oldGroup + "\\A.lnk\n");
    WriteFile(Log(), "File Copy: gone.dat\r\n\r\nMade Dir: " + otherGroup +
                         "\r\nShell Link: " + otherGroup +
                         "\\B.lnk\r\nShell Link: " + UserFolder("Desktop") + "\\Old.lnk\r\n");
    WriteFile(m_inst + "\\stale.dat", "old");
    WriteFile(m_inst + "\\both.dat", "old");
    WriteFile(m_src + "\\both.dat", "new");
    WriteFile(m_src + "\\QmkUnInst.log",
              "File Del: stale.dat\nFile Del: both.dat\nFile Copy: *.dat\n"
              "File Copy: *.exe\n");
    // The climb over emptied parents ends at the Programs folder, which holds other entries.
    WriteFile(UserFolder("Programs") + "\\Other program.lnk", "x");
    bNewInstall = FALSE;

    InstallSequence();

    EXPECT_FALSE(DirExists(UserFolder("Programs") + "\\Old"));
    EXPECT_FALSE(DirExists(otherGroup));
    EXPECT_FALSE(FileExists(UserFolder("Desktop") + "\\Old.lnk"));
    EXPECT_TRUE(FileExists(UserFolder("Programs") + "\\Other program.lnk"));
    EXPECT_TRUE(FileExists(UserFolder("Programs") + "\\Quillmark 6\\Quillmark 6.lnk"));
    EXPECT_FALSE(FileExists(m_inst + "\\stale.dat"));
    EXPECT_EQ(ReadFile(m_inst + "\\both.dat"), "new");
    std::string log = ReadFile(Log());
    EXPECT_EQ(log.find("File Del: stale.dat\n"), 0u);
    EXPECT_EQ(log.find(otherGroup), std::string::npos);
}

// Package folder and installation folder the same: the manifest is appended to in place.
// Without desktop and Startup shortcuts there are exactly the four of the group.
TEST_F(InstallSeq, InstallingFromTheInstallationFolderAppendsInPlace) {
    m_strInstDir = m_src;
    std::string manifest = ReadFile(m_src + "\\QmkUnInst.log");
    InstallSequence();
    std::string log = ReadFile(m_src + "\\QmkUnInst.log");
    EXPECT_EQ(log.substr(0, manifest.size()), manifest);
    std::vector<std::string> lines = LogLines(m_src + "\\QmkUnInst.log");
    EXPECT_EQ(Tagged(lines, kTagShellLink).size(), 4u);
    EXPECT_EQ(Tagged(lines, kTagMadeDir),
              std::vector<std::string>{UserFolder("Programs") + "\\" + kProductName});
}

TEST_F(InstallSeq, GroupFolderThatCannotBeMadeKeepsItsRecordOnly) {
    WriteFile(UserFolder("Programs") + "\\Tools", "a file where the folder should go");
    m_strGroup = "Tools\\Quillmark 6";
    bDeskIcon = TRUE;
    bAutoStart = TRUE;
    InstallSequence();
    std::vector<std::string> lines = LogLines(Log());
    EXPECT_EQ(Tagged(lines, kTagMadeDir),
              std::vector<std::string>{UserFolder("Programs") + "\\Tools\\Quillmark 6"});
    std::vector<std::string> links = {UserFolder("Desktop") + "\\" + kProductName + ".lnk",
                                      UserFolder("Startup") + "\\" + kProductName + ".lnk"};
    EXPECT_EQ(Tagged(lines, kTagShellLink), links);
}

TEST_F(InstallSeq, MissingCommonProgramsSendsEverythingToTheCurrentUser) {
    Unset(HKEY_LOCAL_MACHINE, "Common Programs");
    bAllUsers = TRUE;
    bDeskIcon = TRUE;
    bAutoStart = TRUE;
    InstallSequence();
    EXPECT_EQ(bAllUsers, FALSE);
    std::vector<std::string> links = Tagged(LogLines(Log()), kTagShellLink);
    ASSERT_EQ(links.size(), 6u);
    for (const std::string& link : links)
        EXPECT_EQ(link.find(m_root + "\\user\\"), 0u) << link;
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, "AllUsers"), "A");
}

TEST_F(InstallSeq, AllUsersInstallationUsesTheMachineFolders) {
    bAllUsers = TRUE;
    bDeskIcon = TRUE;
    InstallSequence();
    std::vector<std::string> links = Tagged(LogLines(Log()), kTagShellLink);
    ASSERT_EQ(links.size(), 5u);
    for (const std::string& link : links)
        EXPECT_EQ(link.find(m_root + "\\common\\"), 0u) << link;
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, "AllUsers"), "B");
}

// An unreadable shell-folder value never sends a folder or a shortcut to the drive's root.
TEST_F(InstallSeq, UnreadableShellFoldersAreSkipped) {
    Unset(HKEY_CURRENT_USER, "Programs");
    Unset(HKEY_CURRENT_USER, "Desktop");
    Unset(HKEY_CURRENT_USER, "Startup");
    bDeskIcon = TRUE;
    bAutoStart = TRUE;
    InstallSequence();
    std::vector<std::string> lines = LogLines(Log());
    EXPECT_TRUE(Tagged(lines, kTagMadeDir).empty());
    EXPECT_TRUE(Tagged(lines, kTagShellLink).empty());
    EXPECT_FALSE(DirExists("\\Quillmark 6"));
    EXPECT_FALSE(FileExists(std::string("\\") + kProductName + ".lnk"));
    EXPECT_TRUE(FileExists(m_inst + "\\QmkShot6.exe"));
}

TEST_F(InstallSeq, RegistersTheProductAndOverwritesOnASecondRun) {
    m_inst = m_root + "\\Program Files\\Quillmark 6";
    m_strInstDir = m_inst;
    InstallSequence();
    struct Value {
        const char* key;
        const char* name;
        std::string data;
    } values[] = {
        {kProductKey, "AllUsers", "A"},
        {kProductKey, "Path", m_inst},
        {kAppPathsKey, nullptr, m_inst + "\\QmkShot6.exe"},
        {kUninstallKey, "Contact", "Support"},
        {kUninstallKey, "DisplayName", "Quillmark 6"},
        {kUninstallKey, "DisplayVersion", "6.20.01"},
        {kUninstallKey, "Publisher", "Brightwell Technology LLC"},
        {kUninstallKey, "UninstallString", "\"" + m_inst + "\\QmkUnInst.exe\""},
        {kUninstallKey, "URLInfoAbout", kHomePage},
    };
    for (const Value& v : values)
        EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, v.key, v.name), v.data) << v.key << " " << v.name;

    RegSet(HKEY_LOCAL_MACHINE, kUninstallKey, "EarlierValue", "kept");
    nVerMinor = 21;
    bAllUsers = TRUE;
    InstallSequence();
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "6.21.01");
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, "AllUsers"), "B");
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kUninstallKey, "EarlierValue"), "kept");
}
