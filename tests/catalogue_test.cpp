#include <gtest/gtest.h>
#include <windows.h>

#include "app/product.h"
#include "framework/catalogue.h"
#include "support/testkit.h"

#include <string>
#include <vector>

namespace {

// The catalogue as the user must see it, written in UTF-8 and turned into
// code page 1250 for the comparison with what LoadStringA hands out.
struct CatalogueCase {
    UINT id;
    const char* utf8;
};

const CatalogueCase kCatalogue[] = {
    {1, "Jelenleg fut a Quillmark egy példánya. Amennyiben az \"Igen\" bombra kattint, a "
        "TELEPÍTŐ megpróbálja bezárni őket mentés nélkül. \n\nFolytatja a telepítést?"},
    {2, "Quillmark Telepítő"},
    {3, "A Quillmark telepítése megszakadt. Kérjük zárja be a Quillmark programot, majd "
        "indítsa újra a telepítőt."},
    {4, "Jelenleg a Quillmark %d példánya fut. Amennyiben az \"Igen\" bombra kattint, a "
        "TELEPÍTŐ megpróbálja bezárni őket mentés nélkül. \n\nFolytatja a telepítést?"},
    {6, "Ez eltávolítja a Quillmark 6 programot.\nValóban folytatja?"},
    {7, "Kérjük fogadja el a licenc szerződést"},
    {8, "&Befejezés >"},
    {9, "A Quillmark 6 telepítése sikeres."},
    {10, "Kérjük válassza a \"Befejezés >\" gombot a telepítés befejezéséhez."},
    {11, "Valóban megszakítja a Quillmark telepítését?"},
    {12, "Adja meg a Quillmark telepítési mappáját."},
    {13, "Érvénytelen mappa nevet adott meg. Kérjük javítsa ki.\nAmennyiben új mappát szeretne "
         "létrehozni, Kérjük válassza az \"Új mappa létrehozása\" gombot."},
    {14, "A Quillmark 6.x nem telepíthető a 4-es vagy az 5-ös verzióval megegyező mappába. "
         "Kérjük válasszon egy másik mappát."},
    {15, "Quillmark 6"},
    {16, "A Quillmark %d.%02d.%02d.%02d már telepítve van ezen a gépen. Most egy régebbi "
         "verziót próbál telepíteni: %d.%02d.%02d.%02d .\n\nValóban folytatja?"},
    {17, "A Quillmark %d.%02d.%02d.%02d már telepítve van ezen a gépen.\n\nValóban folytatja a "
         "telepítést?"},
    {18, "A telepítő fájl sérült, telepítés megszakítva.\n\nKérjük töltse le a terméket "
         "honlapunkról: http://www.brightwell.example/hu/ majd a telepítést próbálja újra."},
    {19, "Ez a mappa már tartalmaz egy régebbi verziót. Frissítéshez vagy újratelepítéshez ne "
         "változtasson az útvonalon."},
    {20, "A Quillmark 6 eltávolításra került."},
    {21, "Igen"},
    {22, "Nem"},
    {23, "Hiba: Kérjük adjon meg egy valós csoportnevet, minimum 3 betű"},
    {24, "Hiba: A csoportba nem helyezhető el az ikon, kérjük adjon meg egy másik nevet."},
    {100, "Quillmark 6"},
    {101, "Quillmark 6 Súgó"},
    {102, "Olvasson a Quillmark 6-ról"},
    {104, "A Quillmark 6 eltávolítása"},
    {57344, "Quillmark Telepítő"},
};

// UTF-8 to code page 1250; fails the test when a character has no exact byte there.
std::string To1250(const char* utf8) {
    int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, NULL, 0);
    std::vector<wchar_t> wide(wn);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), wn);
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(1250, 0, wide.data(), -1, NULL, 0, NULL, &lossy);
    std::vector<char> out(n);
    WideCharToMultiByte(1250, 0, wide.data(), -1, out.data(), n, NULL, &lossy);
    EXPECT_FALSE(lossy) << utf8;
    return std::string(out.data());
}

class DataFileModule {
  public:
    explicit DataFileModule(const std::string& path)
        : m_h(LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFileModule() {
        if (m_h)
            FreeLibrary(m_h);
    }
    DataFileModule(const DataFileModule&) = delete;
    DataFileModule& operator=(const DataFileModule&) = delete;
    HMODULE get() const { return m_h; }

  private:
    HMODULE m_h;
};

std::string LoadFrom(HMODULE module, UINT id) {
    std::vector<char> buf(4096);
    int n = LoadStringA(module, id, buf.data(), static_cast<int>(buf.size()));
    return std::string(buf.data(), n > 0 ? n : 0);
}

} // namespace

// Every text, byte for byte, both from the catalogue loader in this program and
// from the resources of the built setup.exe.
TEST(Catalogue, EveryTextLoadsByteForByte) {
    DataFileModule setup(testkit::SetupExe());
    ASSERT_NE(setup.get(), nullptr);
    for (const CatalogueCase& c : kCatalogue) {
        std::string expected = To1250(c.utf8);
        EXPECT_EQ(LoadCatalogueText(c.id), expected) << "string " << c.id;
        EXPECT_EQ(LoadFrom(setup.get(), c.id), expected) << "setup.exe string " << c.id;
    }
}

// The letters that only code page 1250 has, and the layout details that are easy to lose.
TEST(Catalogue, ExactBytesOfTheFragileSpots) {
    EXPECT_EQ(LoadCatalogueText(2), "Quillmark Telep\xED"
                                    "t\xF5");
    EXPECT_NE(LoadCatalogueText(23).find("bet\xFB"), std::string::npos);
    for (UINT id : {1u, 4u})
        EXPECT_NE(LoadCatalogueText(id).find("ment\xE9s n\xE9lk\xFCl. \n\nFolytatja"),
                  std::string::npos)
            << id;
    EXPECT_NE(LoadCatalogueText(16).find("%02d .\n\n"), std::string::npos);
    EXPECT_NE(LoadCatalogueText(18).find(kLocalSite), std::string::npos);
}

// The start-up loads its texts into buffers of 128 and 256 bytes: texts that
// fit come whole, a longer one is cut and still terminated.
TEST(Catalogue, BufferLoadsFitAndTerminate) {
    char caption[128];
    EXPECT_EQ(LoadCatalogueText(2, caption, sizeof caption), 18);
    EXPECT_EQ(std::string(caption), LoadCatalogueText(2));
    for (UINT id : {1u, 3u, 4u, 6u}) {
        char text[256];
        LoadCatalogueText(id, text, sizeof text);
        EXPECT_EQ(std::string(text), LoadCatalogueText(id)) << id;
    }
    char tiny[8];
    EXPECT_EQ(LoadCatalogueText(3, tiny, sizeof tiny), 7);
    EXPECT_EQ(std::string(tiny), "A Quill");
}
