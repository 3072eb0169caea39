#include "support/url_recorder.h"

#include "support/testkit.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <sstream>

namespace testkit {
namespace {

constexpr const char kMarkerUrl[] = "http://marker.invalid/end-of-record";

std::string ProjectFolder() {
    const std::string bin = BinDir();
    const std::string build = bin.substr(0, bin.find_last_of('\\'));
    return build.substr(0, build.find_last_of('\\'));
}

// The Unix path of a Windows path, through Wine's own conversion.
std::string UnixPath(const std::string& path) {
    typedef char*(CDECL * UnixFileName)(const WCHAR*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto convert = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    std::wstring wide(path.begin(), path.end());
    char* unix = convert(wide.c_str());
    if (!unix)
        return std::string();
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

} // namespace

UrlRecorder::UrlRecorder() : m_record(ProjectFolder() + "\\build\\opened-urls.txt") {
    RegSet(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers",
           UnixPath(ProjectFolder() + "\\scripts\\url-recorder.sh"));
    WriteFile(m_record, std::string());
}

std::vector<std::string> UrlRecorder::Urls() const {
    std::vector<std::string> urls;
    std::istringstream lines(ReadFile(m_record));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            urls.push_back(line);
    }
    return urls;
}

bool UrlRecorder::WaitForUrl(const std::string& url) const {
    return WaitUntil([&] {
        const std::vector<std::string> urls = Urls();
        return std::find(urls.begin(), urls.end(), url) != urls.end();
    });
}

std::vector<std::string> UrlRecorder::UrlsBeforeMarker() const {
    ShellExecuteA(NULL, "open", kMarkerUrl, NULL, NULL, SW_SHOW);
    WaitForUrl(kMarkerUrl);
    std::vector<std::string> urls = Urls();
    urls.erase(std::remove(urls.begin(), urls.end(), kMarkerUrl), urls.end());
    return urls;
}

} // namespace testkit
