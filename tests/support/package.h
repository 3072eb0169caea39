// Package folders as the installer is shipped: setup.exe, a product stand-in
// from build\testbed, the agreement and the manifest.
#pragma once

#include <string>

namespace testkit {

// Stand-in file for a package: Missing none, else a build under build\testbed.
enum class Program { Missing, NoVersion, V6010, V6020, V6023 };

std::string StandIn(Program p);
// A package folder C:\qmk-tests\<name>, with the manifest unless `manifest` is false.
std::string MakePackage(const std::string& name, Program program, bool manifest = true);

} // namespace testkit
