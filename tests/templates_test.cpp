// The dialog templates as the program's resources hold them: sizes, styles,
// font, caption and every control with its id, kind, text and place.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
    return out;
}

struct ParsedItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    WORD classAtom = 0; // 0x80 button, 0x81 edit, 0x82 static
    std::wstring className;
    WORD textOrdinal = 0;
    std::wstring text;
};

struct ParsedTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<ParsedItem> items;
};

// Reads the extended template format that the resource compiler writes.
class Reader {
  public:
    explicit Reader(const BYTE* p) : m_base(p), m_p(p) {}
    template <class T> T Take() {
        T v;
        memcpy(&v, m_p, sizeof v);
        m_p += sizeof v;
        return v;
    }
    std::wstring String() {
        std::wstring s;
        for (WCHAR c; (c = Take<WCHAR>()) != 0;)
            s += c;
        return s;
    }
    // A name or an ordinal (0xFFFF followed by the number).
    void NameOrOrdinal(WORD& ordinal, std::wstring& name) {
        WORD first;
        memcpy(&first, m_p, sizeof first);
        if (first == 0xFFFF) {
            Take<WORD>();
            ordinal = Take<WORD>();
        } else {
            name = String();
        }
    }
    void AlignDword() {
        size_t off = m_p - m_base;
        m_p = m_base + ((off + 3) & ~size_t(3));
    }

  private:
    const BYTE* m_base;
    const BYTE* m_p;
};

bool LoadTemplate(int id, ParsedTemplate& t) {
    HMODULE module = GetModuleHandleA(NULL);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)); // RT_DIALOG
    if (!res)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    if (!data)
        return false;
    Reader r(data);
    if (r.Take<WORD>() != 1 || r.Take<WORD>() != 0xFFFF)
        return false; // not the extended format
    r.Take<DWORD>();  // help id
    r.Take<DWORD>();  // extended style
    t.style = r.Take<DWORD>();
    WORD count = r.Take<WORD>();
    r.Take<short>();
    r.Take<short>();
    t.cx = r.Take<short>();
    t.cy = r.Take<short>();
    WORD ord = 0;
    std::wstring name;
    r.NameOrOrdinal(ord, name); // menu
    r.NameOrOrdinal(ord, name); // class
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Take<WORD>();
        r.Take<WORD>();
        r.Take<BYTE>();
        r.Take<BYTE>();
        t.face = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        ParsedItem item;
        r.Take<DWORD>();
        r.Take<DWORD>();
        item.style = r.Take<DWORD>();
        item.x = r.Take<short>();
        item.y = r.Take<short>();
        item.cx = r.Take<short>();
        item.cy = r.Take<short>();
        item.id = static_cast<int>(r.Take<DWORD>());
        r.NameOrOrdinal(item.classAtom, item.className);
        r.NameOrOrdinal(item.textOrdinal, item.text);
        WORD extra = r.Take<WORD>();
        for (WORD k = 0; k < extra; ++k)
            r.Take<BYTE>();
        t.items.push_back(item);
    }
    return true;
}

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
constexpr DWORD kPageStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DS_CONTROL | DS_SETFONT;

struct ItemCase {
    int id;
    WORD kind;
    DWORD kindStyle; // low bits of the style that make the control what it is
    const char* text;
    short x, y, cx, cy;
    bool visible;
    DWORD extraStyle; // further bits that must be set
};

struct TemplateCase {
    int id;
    DWORD style;
    short cx, cy;
    const char* caption;
    std::vector<ItemCase> items;
};

DWORD KindBits(WORD kind, DWORD style) {
    if (kind == kButton)
        return style & BS_TYPEMASK;
    if (kind == kStatic)
        return style & SS_TYPEMASK;
    return 0;
}

const TemplateCase kTemplates[] = {
    {103,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
     318,
     204,
     "Quillmark Telepítő",
     {
         {3, kButton, BS_PUSHBUTTON, "< &Vissza", 147, 184, 50, 14, true, WS_GROUP | WS_TABSTOP},
         {IDOK, kButton, BS_DEFPUSHBUTTON, "&Tovább >", 202, 184, 50, 14, true, WS_TABSTOP},
         {IDCANCEL, kButton, BS_PUSHBUTTON, "Mégse", 257, 184, 50, 14, true, WS_TABSTOP},
         {1002, kStatic, SS_BITMAP, nullptr, 11, 8, 81, 161, false, SS_SUNKEN},
         {-1, kStatic, SS_ETCHEDHORZ, "", 11, 176, 296, 1, true, 0},
     }},
    {104,
     kPageStyle,
     313,
     174,
     "",
     {
         {1000, kEdit, 0, "", 0, 0, 313, 155, true,
          ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
         {-1, kStatic, SS_LEFT, "Elfogadja a feltételeket?", 2, 160, 306, 10, true, 0},
     }},
    {105,
     kPageStyle,
     217,
     161,
     "",
     {
         {-1, kStatic, SS_LEFT,
          "Üdvözli a Quillmark Telepítő! Ez a program telepíti számítógépére a Quillmark "
          "képernyőlopót.",
          5, 0, 207, 28, true, 0},
         {-1, kStatic, SS_LEFT,
          "Kérjük válassza a \"Tovább >\" gombot a telepítés folytatásához, illetve a \"Mégse\" "
          "gombot a telepítés megszakításához.",
          5, 32, 208, 25, true, 0},
         {1003, kStatic, SS_LEFT, nullptr, 18, 72, 191, 25, true, 0},
         {-1, kStatic, SS_LEFT, nullptr, 18, 100, 191, 10, true, 0},
     }},
    {106,
     kPageStyle,
     217,
     163,
     "",
     {
         {-1, kStatic, SS_LEFT, "Kérjük válassza ki a Quillmark telepítési típusát:", 5, 0, 207, 10,
          true, 0},
         {1001, kButton, BS_AUTORADIOBUTTON, "Telepítés kizárólag a jelenlegi felhasználó részére",
          8, 12, 205, 9, true, WS_GROUP | WS_TABSTOP},
         {1002, kButton, BS_AUTORADIOBUTTON,
          "Telepítés az összes felhasználó részére\n(Ehhez adminisztrátori jogokkal kell "
          "rendelkeznie.)",
          8, 23, 205, 29, true, BS_MULTILINE | BS_TOP},
         {-1, kStatic, SS_LEFT, "A Quillmark az alábbi mappába kerül telepítésre.", 5, 71, 207, 10,
          true, 0},
         {1006, kStatic, SS_LEFT,
          "Amennyiben máshova kívánja telepíteni, kérjük válassza a Tallóz gombot, majd adja meg "
          "a célmappát.",
          5, 83, 205, 27, true, 0},
         {-1, kButton, BS_GROUPBOX, "Célmappa", 5, 111, 207, 51, true, 0},
         {1013, kStatic, SS_LEFT, "Állandó", 11, 122, 197, 17, true, 0},
         {1005, kButton, BS_PUSHBUTTON, "&Tallóz...", 134, 141, 71, 16, true, WS_TABSTOP},
     }},
    {107,
     kPageStyle,
     217,
     163,
     "",
     {
         {-1, kStatic, SS_LEFT, "A Quillmark ikonjainak elhelyezésére szolgáló programcsoport:", 5,
          28, 207, 17, true, 0},
         {1008, kButton, BS_AUTOCHECKBOX, "A Quillmark automatikus indítása a Windows indításakor",
          5, 88, 207, 10, true, WS_TABSTOP},
         {1009, kButton, BS_AUTOCHECKBOX, "A Quillmark ikonjának elhelyezése az asztalon", 5, 99,
          207, 10, true, WS_TABSTOP},
         {1000, kEdit, 0, "", 3, 48, 211, 12, true, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
     }},
    {108,
     kPageStyle,
     217,
     163,
     "",
     {
         {1010, kStatic, SS_LEFT, "Mostmár telepítheti a Quillmark képernyőlopót.", 5, 0, 207, 16,
          true, 0},
         {1011, kStatic, SS_LEFT,
          "Kérjük válassza a \"Tovább >\" gombot a telepítés folytatásához, illetve a \"< "
          "Vissza\" gombot a telepítési beállítások módosításához.",
          5, 19, 207, 28, true, 0},
         {1009, kStatic, SS_CENTER, "A Quillmark telepítése, kérjük várjon...", 5, 80, 207, 20,
          false, 0},
         {1012, kButton, BS_AUTOCHECKBOX, "A Quillmark indítása", 5, 66, 206, 11, false, 0},
     }},
};

} // namespace

TEST(DialogTemplates, EveryTemplateAsDesigned) {
    for (const TemplateCase& tc : kTemplates) {
        SCOPED_TRACE("template " + std::to_string(tc.id));
        ParsedTemplate t;
        ASSERT_TRUE(LoadTemplate(tc.id, t));
        EXPECT_EQ(t.cx, tc.cx);
        EXPECT_EQ(t.cy, tc.cy);
        EXPECT_EQ(t.style & 0xFFFF00FF, tc.style) << std::hex << t.style;
        EXPECT_FALSE(t.style & WS_VISIBLE) << "pages are created hidden";
        EXPECT_EQ(t.caption, Wide(tc.caption));
        EXPECT_EQ(t.pointSize, 8);
        EXPECT_EQ(t.face, L"MS Sans Serif");
        ASSERT_EQ(t.items.size(), tc.items.size());
        for (size_t i = 0; i < tc.items.size(); ++i) {
            const ItemCase& want = tc.items[i];
            const ParsedItem& got = t.items[i];
            SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
            EXPECT_EQ(got.id, want.id == -1 ? 0xFFFF : want.id);
            EXPECT_EQ(got.classAtom, want.kind);
            EXPECT_EQ(KindBits(want.kind, got.style), want.kindStyle);
            EXPECT_EQ((got.style & want.extraStyle), want.extraStyle) << std::hex << got.style;
            EXPECT_EQ((got.style & WS_VISIBLE) != 0, want.visible);
            if (want.text) {
                EXPECT_EQ(got.text, Wide(want.text));
            }
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            EXPECT_EQ(got.cx, want.cx);
            EXPECT_EQ(got.cy, want.cy);
        }
    }
}

// The picture static names bitmap 101, which the program carries.
TEST(DialogTemplates, PictureShowsBitmap101) {
    ParsedTemplate t;
    ASSERT_TRUE(LoadTemplate(103, t));
    ASSERT_GE(t.items.size(), 4u);
    EXPECT_EQ(t.items[3].textOrdinal, 101);
    EXPECT_NE(FindResourceA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(2)),
              nullptr);
}

// The welcome page's version line is a format with the four fields in order.
TEST(DialogTemplates, WelcomeVersionLineIsTheFormat) {
    ParsedTemplate t;
    ASSERT_TRUE(LoadTemplate(105, t));
    ASSERT_GE(t.items.size(), 3u);
    std::wstring text = t.items[2].text;
    EXPECT_EQ(text.substr(0, text.find(L'\n')), L"Quillmark %d.%02d.%02d %s");
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 2) << "three lines";
    EXPECT_EQ(text.find(L'%', text.find(L'\n')), std::wstring::npos);
}
