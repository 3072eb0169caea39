#include "testkit.h"

#include "framework/handles.h"

#include <cstdio>
#include <vector>

namespace testkit {

namespace {
std::string ModuleFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\'));
}

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}
} // namespace

std::string BinDir() {
    return ModuleFolder();
}
std::string SetupExe() {
    return BinDir() + "\\setup.exe";
}
std::string TestbedDir() {
    std::string bin = BinDir();
    return bin.substr(0, bin.find_last_of('\\')) + "\\testbed";
}

bool RemoveTree(const std::string& path) {
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) != 0;
    }
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA((path + "\\*").c_str(), &fd));
    if (find) {
        do {
            if (!IsDots(fd.cFileName))
                RemoveTree(path + "\\" + fd.cFileName);
        } while (FindNextFileA(find.get(), &fd));
    }
    find.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::string ScratchDir(const std::string& name) {
    CreateDirectoryA("C:\\qmk-tests", NULL);
    std::string dir = "C:\\qmk-tests\\" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path, const std::string& content) {
    StdioFile f(path.c_str(), "wb");
    if (f)
        std::fwrite(content.data(), 1, content.size(), f.get());
}

std::string ReadFile(const std::string& path) {
    StdioFile f(path.c_str(), "rb");
    std::string out;
    if (!f)
        return out;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        out.append(buf, n);
    return out;
}

bool CopyTo(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

Process::Process(Process&& o) noexcept : m_h(o.m_h), m_pid(o.m_pid) {
    o.m_h = NULL;
    o.m_pid = 0;
}

Process& Process::operator=(Process&& o) noexcept {
    if (this != &o) {
        Kill();
        if (m_h)
            CloseHandle(m_h);
        m_h = o.m_h;
        m_pid = o.m_pid;
        o.m_h = NULL;
        o.m_pid = 0;
    }
    return *this;
}

Process::~Process() {
    Kill();
    if (m_h)
        CloseHandle(m_h);
}

DWORD Process::Wait(DWORD timeoutMs) {
    if (!m_h)
        return STILL_ACTIVE;
    if (WaitForSingleObject(m_h, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_h, &code);
    return code;
}

bool Process::Running() const {
    return m_h && WaitForSingleObject(m_h, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(m_h, 0xDEAD);
        WaitForSingleObject(m_h, 5000);
    }
}

std::string QuoteArg(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

Process Start(const std::string& exe, const std::vector<std::string>& args,
              const std::string& workdir) {
    std::string cmd = QuoteArg(exe);
    for (const std::string& a : args)
        cmd += " " + QuoteArg(a);
    std::string dir = workdir.empty() ? exe.substr(0, exe.find_last_of('\\')) : workdir;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si,
                        &pi))
        return Process();
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

int Run(const std::string& exe, const std::vector<std::string>& args, const std::string& workdir,
        DWORD timeoutMs) {
    Process p = Start(exe, args, workdir);
    if (!p.valid())
        return -2;
    DWORD code = p.Wait(timeoutMs);
    if (code == STILL_ACTIVE) {
        p.Kill();
        return -1;
    }
    return static_cast<int>(code);
}

std::string WindowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::vector<char> buf(n + 2);
    GetWindowTextA(h, buf.data(), n + 1);
    return std::string(buf.data());
}

namespace {
struct WindowQuery {
    DWORD pid;
    std::string cls;
    std::string title;
    HWND found = NULL;
};

BOOL CALLBACK MatchWindow(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<WindowQuery*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (q->pid && owner != q->pid)
        return TRUE;
    if (!IsWindowVisible(h))
        return TRUE;
    if (!q->cls.empty()) {
        char cls[256] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (q->cls != cls)
            return TRUE;
    }
    if (!q->title.empty() && WindowText(h) != q->title)
        return TRUE;
    q->found = h;
    return FALSE;
}
} // namespace

HWND WaitForWindow(DWORD pid, const std::string& cls, const std::string& title, DWORD timeoutMs) {
    WindowQuery q{pid, cls, title};
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
            return q.found != NULL;
        },
        timeoutMs);
    return q.found;
}

namespace {
struct BoxParts {
    std::string text;
    bool icon = false;
    std::vector<std::string> buttons;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    auto* parts = reinterpret_cast<BoxParts*>(lp);
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    std::string c(cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        LONG style = GetWindowLongA(h, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON)
            parts->icon = parts->icon || IsWindowVisible(h);
        else if (parts->text.empty())
            parts->text = WindowText(h);
    } else if (lstrcmpiA(cls, "Button") == 0) {
        parts->buttons.push_back(WindowText(h));
    }
    return TRUE;
}
} // namespace

bool WaitForMessageBox(DWORD pid, MessageBoxInfo& box, DWORD timeoutMs) {
    HWND h = WaitForWindow(pid, "#32770", std::string(), timeoutMs);
    if (!h)
        return false;
    BoxParts parts;
    // The text is set while the box initialises; wait until it is there.
    WaitUntil(
        [&] {
            parts = BoxParts();
            EnumChildWindows(h, CollectChild, reinterpret_cast<LPARAM>(&parts));
            return !parts.text.empty();
        },
        5000);
    box.hwnd = h;
    box.caption = WindowText(h);
    box.text = parts.text;
    box.hasIcon = parts.icon;
    return true;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> ButtonTexts(HWND dialog) {
    BoxParts parts;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&parts));
    return parts.buttons;
}

std::string RegGet(HKEY hive, const std::string& key, const char* value) {
    RegKey k;
    if (!k.Open(hive, key.c_str()))
        return std::string();
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), value, NULL, &type, NULL, &size) != ERROR_SUCCESS)
        return std::string();
    std::vector<char> buf(size + 1);
    if (RegQueryValueExA(k.get(), value, NULL, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return std::string();
    buf[size] = 0;
    return std::string(buf.data());
}

bool RegHas(HKEY hive, const std::string& key, const char* value) {
    RegKey k;
    if (!k.Open(hive, key.c_str()))
        return false;
    if (!value)
        return true;
    return RegQueryValueExA(k.get(), value, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

void RegSet(HKEY hive, const std::string& key, const char* value, const std::string& data) {
    RegKey k;
    if (RegCreateKeyExA(hive, key.c_str(), 0, NULL, 0, KEY_WRITE, NULL, k.out(), NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(k.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

void RegDeleteAll(HKEY hive, const std::string& key) {
    RegKey k;
    if (k.Open(hive, key.c_str(), KEY_READ | KEY_WRITE)) {
        char name[512];
        while (RegEnumKeyA(k.get(), 0, name, sizeof name) == ERROR_SUCCESS) {
            size_t before = key.size();
            RegDeleteAll(hive, key + "\\" + name);
            (void)before;
            if (RegHas(hive, key + "\\" + name))
                break;
        }
    }
    k.reset();
    RegDeleteKeyA(hive, key.c_str());
}

ShortcutInfo ReadShortcut(const std::string& linkPath) {
    ShortcutInfo info;
    CoInitialize(NULL);
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.outVoid())))
        return info;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.outVoid())))
        return info;
    std::vector<wchar_t> wide(linkPath.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(),
                        static_cast<int>(wide.size()));
    if (FAILED(file->Load(wide.data(), STGM_READ)))
        return info;
    char text[1024] = {};
    link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
    info.target = text;
    text[0] = 0;
    link->GetWorkingDirectory(text, sizeof text);
    info.workingFolder = text;
    text[0] = 0;
    link->GetDescription(text, sizeof text);
    info.description = text;
    info.loaded = true;
    return info;
}

} // namespace testkit
