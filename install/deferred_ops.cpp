#include "install/deferred_ops.h"

#include <vector>

PFN_MOVEFILEEXA pfnDelayedMove = MoveFileExA;

namespace {

constexpr const char kWininit[] = "WININIT.INI";
constexpr const char kRenameSection[] = "rename";

// Appends key=value after the existing entries of the section. Nothing is written
// when the section and the new entry would not fit the buffer whole.
bool AppendWininitEntry(const std::string& key, const std::string& value) {
    std::vector<char> buffer(kWininitSectionBuffer, '\0');
    DWORD used =
        GetPrivateProfileSectionA(kRenameSection, buffer.data(), kWininitSectionBuffer, kWininit);
    // A section that filled the buffer was read cut short.
    if (used >= static_cast<DWORD>(kWininitSectionBuffer - 2))
        return false;
    std::string entry = key + "=" + value;
    if (used + entry.size() + 2 > static_cast<size_t>(kWininitSectionBuffer))
        return false;
    entry.copy(buffer.data() + used, entry.size());
    buffer[used + entry.size()] = '\0';
    buffer[used + entry.size() + 1] = '\0';
    return WritePrivateProfileSectionA(kRenameSection, buffer.data(), kWininit) != 0;
}

} // namespace

bool ScheduleDeleteOnReboot(const std::string& path) {
    if (pfnDelayedMove(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return true;
    return AppendWininitEntry("NUL", path);
}

void ScheduleRenameOnReboot(const std::string& source, const std::string& target) {
    if (pfnDelayedMove(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    AppendWininitEntry(target, source);
}
