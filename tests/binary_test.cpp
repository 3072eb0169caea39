#include <gtest/gtest.h>
#include <windows.h>

#include "framework/handles.h"
#include "support/testkit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The parts of a PE file that say what it is and what it imports.
struct PeFacts {
    bool valid = false;
    WORD machine = 0;
    WORD magic = 0;
    WORD subsystem = 0;
    std::vector<std::string> imports;
};

template <class T> bool ReadAt(const std::string& file, size_t offset, T& out) {
    if (offset + sizeof(T) > file.size())
        return false;
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

size_t RvaToOffset(const std::vector<IMAGE_SECTION_HEADER>& sections, DWORD rva) {
    for (const IMAGE_SECTION_HEADER& s : sections) {
        DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
        if (rva >= s.VirtualAddress && rva < s.VirtualAddress + size)
            return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return std::string::npos;
}

PeFacts ReadPe(const std::string& file) {
    PeFacts pe;
    IMAGE_DOS_HEADER dos;
    if (!ReadAt(file, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
        return pe;
    IMAGE_NT_HEADERS32 nt;
    if (!ReadAt(file, dos.e_lfanew, nt) || nt.Signature != IMAGE_NT_SIGNATURE)
        return pe;
    pe.machine = nt.FileHeader.Machine;
    pe.magic = nt.OptionalHeader.Magic;
    pe.subsystem = nt.OptionalHeader.Subsystem;
    size_t sectionAt =
        dos.e_lfanew + 4 + sizeof(IMAGE_FILE_HEADER) + nt.FileHeader.SizeOfOptionalHeader;
    std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
    for (size_t i = 0; i < sections.size(); ++i)
        if (!ReadAt(file, sectionAt + i * sizeof(IMAGE_SECTION_HEADER), sections[i]))
            return pe;
    DWORD importRva = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    size_t at = RvaToOffset(sections, importRva);
    for (IMAGE_IMPORT_DESCRIPTOR d; at != std::string::npos && ReadAt(file, at, d) && d.Name;
         at += sizeof d) {
        size_t name = RvaToOffset(sections, d.Name);
        if (name == std::string::npos || name >= file.size())
            return pe;
        std::string dll(file.c_str() + name);
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        pe.imports.push_back(dll);
    }
    pe.valid = true;
    return pe;
}

} // namespace

// setup.exe is a 32-bit Intel GUI program that needs nothing but Windows' own DLLs.
TEST(Binary, SetupIsPe32GuiImportingOnlyWindowsDlls) {
    PeFacts pe = ReadPe(testkit::ReadFile(testkit::SetupExe()));
    ASSERT_TRUE(pe.valid);
    EXPECT_EQ(pe.machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(pe.magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(pe.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    const std::vector<std::string> windows = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                              "advapi32.dll", "shell32.dll",  "ole32.dll",
                                              "oleaut32.dll", "comctl32.dll", "comdlg32.dll",
                                              "version.dll",  "shlwapi.dll",  "msvcrt.dll"};
    EXPECT_FALSE(pe.imports.empty());
    for (const std::string& dll : pe.imports)
        EXPECT_NE(std::find(windows.begin(), windows.end(), dll), windows.end()) << dll;
}

namespace {
std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC r = FindResourceA(module, name, type);
    if (!r)
        return std::string();
    HGLOBAL g = LoadResource(module, r);
    const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    return p ? std::string(p, SizeofResource(module, r)) : std::string();
}
} // namespace

// The wizard's picture is 120 x 260 at 8 bits per pixel, and the manifest asks
// for the version 6 common controls and the highest available rights.
TEST(Binary, PictureAndManifestInSetup) {
    LoadedLibrary library(
        LoadLibraryExA(testkit::SetupExe().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(library);
    HMODULE setup = library.get();
    std::string bitmap = ResourceBytes(setup, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(2));
    BITMAPINFOHEADER info = {};
    ASSERT_TRUE(ReadAt(bitmap, 0, info));
    EXPECT_EQ(info.biWidth, 120);
    EXPECT_EQ(std::abs(info.biHeight), 260);
    EXPECT_EQ(info.biBitCount, 8);

    std::string manifest = ResourceBytes(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"highestAvailable\""),
              std::string::npos);

    // The picture also loads as a bitmap of the program's own resources.
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    BITMAP bm = {};
    GetObjectA(loaded, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 120);
    EXPECT_EQ(bm.bmHeight, 260);
    DeleteObject(loaded);
}
