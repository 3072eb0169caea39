#include "support/package.h"

#include "support/testkit.h"

namespace testkit {

namespace {

const char kManifest[] = "Package manifest\r\n"
                         "File Copy: QmkShot6.exe\r\n"
                         "File Copy: setup.exe > QmkUnInst.exe\r\n"
                         "File Copy: agreement.txt\r\n";

} // namespace

std::string StandIn(Program p) {
    switch (p) {
    case Program::NoVersion:
        return TestbedDir() + "\\noversion\\QmkShot6.exe";
    case Program::V6010:
        return TestbedDir() + "\\v6.0.1.0\\QmkShot6.exe";
    case Program::V6020:
        return TestbedDir() + "\\v6.0.2.0\\QmkShot6.exe";
    case Program::V6023:
        return TestbedDir() + "\\v6.0.2.3\\QmkShot6.exe";
    case Program::Missing:
        break;
    }
    return std::string();
}

std::string MakePackage(const std::string& name, Program program, bool manifest) {
    const std::string dir = ScratchDir(name);
    CopyTo(SetupExe(), dir + "\\setup.exe");
    if (program != Program::Missing)
        CopyTo(StandIn(program), dir + "\\QmkShot6.exe");
    WriteFile(dir + "\\agreement.txt", "Licence agreement of the test package.\r\n");
    if (manifest)
        WriteFile(dir + "\\QmkUnInst.log", kManifest);
    return dir;
}

} // namespace testkit
