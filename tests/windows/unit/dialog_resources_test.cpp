// The hand-written settings dialog template and the version resource, read back from the
// program's own resources: every working control of the settings dialog with its id, class,
// text, style and place in dialog units, and the version the build wrote.
#include "core/settings/module_params.h"
#include "velta_version.h"
#include "windows/resources/dialog_ids.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Control {
    DWORD style;
    int x, y, cx, cy;
    int id; // -1 for controls without one
    std::string cls;
    std::string text;
};

struct Dialog {
    DWORD style;
    int cx, cy;
    std::string caption;
    int pointSize;
    std::string font;
    std::vector<Control> controls;
};

class Reader {
  public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD word() {
        WORD w;
        std::memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD dword() {
        const DWORD lo = word();
        return lo | DWORD(word()) << 16;
    }
    std::string text() {
        std::string s;
        for (WORD c = word(); c; c = word())
            s += c < 0x80 ? char(c) : '?';
        return s;
    }
    // A name or an ordinal (0xFFFF then the number, written here as "#number").
    std::string name_or_ordinal() {
        WORD first;
        std::memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            word();
            return "#" + std::to_string(word());
        }
        return text();
    }
    void align4(const BYTE* base) {
        while ((p_ - base) % 4)
            ++p_;
    }

  private:
    const BYTE* p_;
};

// Predefined classes come as ordinals or as names in any case; both give one spelling here.
std::string class_name(const std::string& cls) {
    if (cls == "#128" || _stricmp(cls.c_str(), "Button") == 0)
        return "Button";
    if (cls == "#129" || _stricmp(cls.c_str(), "Edit") == 0)
        return "Edit";
    if (cls == "#130" || _stricmp(cls.c_str(), "Static") == 0)
        return "Static";
    return cls;
}

Dialog load_dialog(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)); // RT_DIALOG
    EXPECT_NE(res, nullptr) << "dialog " << id;
    if (!res)
        return {};
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    Reader r(base);
    Dialog d;
    d.style = r.dword();
    r.dword(); // extended style
    const int count = r.word();
    r.word(); // x and y: the dialog is centred when it opens
    r.word();
    d.cx = short(r.word());
    d.cy = short(r.word());
    r.name_or_ordinal(); // menu
    r.name_or_ordinal(); // class
    d.caption = r.text();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.word();
        d.font = r.text();
    }
    for (int i = 0; i < count; ++i) {
        r.align4(base);
        Control c;
        c.style = r.dword();
        r.dword();
        c.x = short(r.word());
        c.y = short(r.word());
        c.cx = short(r.word());
        c.cy = short(r.word());
        c.id = short(r.word());
        c.cls = class_name(r.name_or_ordinal());
        c.text = r.name_or_ordinal();
        const WORD extra = r.word();
        for (WORD b = 0; b < extra; b += 2)
            r.word();
        d.controls.push_back(c);
    }
    return d;
}

const Control* by_id(const Dialog& d, int id) {
    for (const Control& c : d.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

void expect_control(const Control* c, const char* cls, int x, int y, int cx, int cy,
                    DWORD styleMask, DWORD style) {
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(_stricmp(c->cls.c_str(), cls), 0) << c->cls << " is not " << cls;
    EXPECT_EQ(c->x, x);
    EXPECT_EQ(c->y, y);
    EXPECT_EQ(c->cx, cx);
    EXPECT_EQ(c->cy, cy);
    EXPECT_EQ(c->style & styleMask, style) << std::hex << c->style;
    EXPECT_TRUE(c->style & WS_VISIBLE);
}

constexpr DWORD BUTTON_TYPE = BS_TYPEMASK;

} // namespace

TEST(SettingsDialogTemplate, FrameCaptionAndFont) {
    const Dialog d = load_dialog(IDD_SETTINGS);
    EXPECT_EQ(d.caption, "Velta II Settings");
    EXPECT_EQ(d.cx, 488);
    EXPECT_EQ(d.cy, 286);
    EXPECT_EQ(d.font, "MS Shell Dlg");
    EXPECT_EQ(d.pointSize, 8);
    const DWORD wanted = DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_VISIBLE | WS_CAPTION |
                         WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(d.style & wanted, wanted);
    EXPECT_FALSE(d.style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(d.style & WS_THICKFRAME);
}

TEST(SettingsDialogTemplate, ModuleControlsNamedAndPlacedInTwoColumns) {
    const Dialog d = load_dialog(IDD_SETTINGS);
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        SCOPED_TRACE(k);
        const int row = (k - 1) % 10, column = (k - 1) / 10;
        const Control* box = by_id(d, IDC_ENABLE_BASE + k);
        expect_control(box, "Button", 296 + 60 * column, 47 + 13 * row, 9, 9, BUTTON_TYPE,
                       BS_AUTOCHECKBOX);
        EXPECT_EQ(box->text, "");
        const Control* button = by_id(d, IDC_PREVIEW_BASE + k);
        expect_control(button, "Button", 305 + 60 * column, 45 + 13 * row, 44, 13,
                       BUTTON_TYPE | BS_PUSHLIKE, BS_AUTORADIOBUTTON | BS_PUSHLIKE);
        EXPECT_EQ(button->text, module_name(k));
    }
}

TEST(SettingsDialogTemplate, ButtonsSecondsAndSound) {
    const Dialog d = load_dialog(IDD_SETTINGS);
    expect_control(by_id(d, IDC_PREVIEW_PANEL), "Static", 6, 5, 274, 191, SS_TYPEMASK,
                   SS_BLACKRECT);
    expect_control(by_id(d, IDC_ENABLE_ALL), "Button", 413, 62, 52, 16, BUTTON_TYPE, BS_PUSHBUTTON);
    EXPECT_EQ(by_id(d, IDC_ENABLE_ALL)->text, "Enable All");
    expect_control(by_id(d, IDC_DISABLE_ALL), "Button", 413, 79, 52, 16, BUTTON_TYPE,
                   BS_PUSHBUTTON);
    EXPECT_EQ(by_id(d, IDC_DISABLE_ALL)->text, "Disable All");
    expect_control(by_id(d, IDC_SECONDS_EDIT), "Edit", 423, 116, 31, 13,
                   ES_NUMBER | ES_RIGHT | WS_BORDER, ES_NUMBER | ES_RIGHT | WS_BORDER);
    expect_control(by_id(d, IDC_SECONDS_SPIN), UPDOWN_CLASSA, 451, 117, 10, 14,
                   UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT,
                   UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT);
    // The spin takes the control right before it as its buddy.
    for (size_t i = 1; i < d.controls.size(); ++i) {
        if (d.controls[i].id == IDC_SECONDS_SPIN) {
            EXPECT_EQ(d.controls[i - 1].id, IDC_SECONDS_EDIT);
        }
    }
    expect_control(by_id(d, IDC_ENABLE_SOUND), "Button", 422, 146, 40, 16,
                   BUTTON_TYPE | BS_MULTILINE, BS_AUTOCHECKBOX | BS_MULTILINE);
    EXPECT_EQ(by_id(d, IDC_ENABLE_SOUND)->text, "Enable Sound");
    expect_control(by_id(d, IDC_ABOUT), "Button", 289, 192, 90, 25, BUTTON_TYPE, BS_PUSHBUTTON);
    EXPECT_EQ(by_id(d, IDC_ABOUT)->text, "About Velta II");
    expect_control(by_id(d, IDCANCEL), "Button", 383, 192, 90, 34, BUTTON_TYPE, BS_PUSHBUTTON);
    EXPECT_EQ(by_id(d, IDCANCEL)->text, "Cancel");
    // OK is deliberately not the default button: Enter belongs to the preview.
    expect_control(by_id(d, IDOK), "Button", 383, 230, 90, 43, BUTTON_TYPE, BS_PUSHBUTTON);
    EXPECT_EQ(by_id(d, IDOK)->text, "OK");
}

// Windows takes the small icon at 16 to 32 pixels and the large one at 32 to 64 for scales of
// 100 to 200 %; an image drawn at each of those sizes keeps it from scaling another one.
TEST(IconResource, HoldsAnImageForEveryScaleUpTo200Percent) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(IDI_VELTA), MAKEINTRESOURCEA(14));
    ASSERT_NE(res, nullptr); // RT_GROUP_ICON
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(dir), TRUE, size, size, 0);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)); // RT_ICON
        ASSERT_NE(image, nullptr) << size;
        // Made at its own size (0 by 0), the image shows the size it was drawn at.
        HICON icon =
            CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(module, image))),
                                     SizeofResource(module, image), TRUE, 0x30000, 0, 0, 0);
        ICONINFO info = {};
        BITMAP bitmap = {};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << size;
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(VersionResource, CarriesTheBuildVersion) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)); // RT_VERSION
    ASSERT_NE(res, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    const DWORD size = SizeofResource(module, res);
    const BYTE* fixed = nullptr;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
        DWORD signature;
        std::memcpy(&signature, data + i, 4);
        if (signature == 0xFEEF04BD) {
            fixed = data + i;
            break;
        }
    }
    ASSERT_NE(fixed, nullptr);
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    EXPECT_EQ(info.dwFileVersionMS, DWORD(VELTA_VERSION_MAJOR << 16 | VELTA_VERSION_MINOR));
    EXPECT_EQ(info.dwFileVersionLS, DWORD(VELTA_VERSION_PATCH << 16));
    EXPECT_EQ(info.dwProductVersionMS, info.dwFileVersionMS);
    EXPECT_EQ(info.dwFileType, DWORD(VFT_APP));
    // The texts hold the same version: "FileVersion" followed by VELTA_VERSION_TEXT.
    std::wstring all(reinterpret_cast<const wchar_t*>(data), size / 2);
    std::wstring version;
    for (const char* c = VELTA_VERSION_TEXT; *c; ++c)
        version += wchar_t(*c);
    const size_t at = all.find(L"FileVersion");
    ASSERT_NE(at, std::wstring::npos);
    EXPECT_NE(all.find(version, at), std::wstring::npos);
    EXPECT_NE(all.find(L"Velta II"), std::wstring::npos);
}
