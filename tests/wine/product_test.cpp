// The PE32 product read back from the built file without running it: its
// headers and imports from the bytes, its resources through the loader as a
// data file.
#include "cases.h"
#include "driver.h"

#include <stdio.h>
#include <string.h>

#include <set>

namespace {

struct PeImage {
    std::string bytes;
    size_t header = 0;
    IMAGE_FILE_HEADER file = {};
    IMAGE_OPTIONAL_HEADER32 optional = {};
    std::vector<IMAGE_SECTION_HEADER> sections;
};

struct Import {
    std::string dll;
    std::string function;
};

struct ControlSpec {
    const char* name;
    DWORD id;
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

struct DialogSpec {
    const char* name;
    int id;
    DWORD style;
    short cx, cy;
    const char* captionStart;
    std::vector<ControlSpec> controls;
};

struct ControlTemplate {
    DWORD id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string className;
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    bool hasMenu = false;
    bool hasClass = false;
    std::string caption;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<ControlTemplate> controls;
};

const DWORD NoId = 0xFFFFFFFF;
const char* const AnyText = nullptr;
const DWORD Child = WS_CHILD | WS_VISIBLE;

// Copies a plain value out of the file; false when it lies beyond the end.
template <typename T>
bool ReadAt(const std::string& bytes, size_t offset, T* value)
{
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return false;
    memcpy(value, bytes.data() + offset, sizeof(T));
    return true;
}

// Reads the headers and the section table; false, with a failure, when the
// file is no PE32 image.
bool LoadPeImage(const std::string& path, PeImage* image)
{
    if (!ReadWholeFile(path, &image->bytes))
        return false;
    IMAGE_DOS_HEADER dos;
    if (!Expect(ReadAt(image->bytes, 0, &dos) && dos.e_magic == IMAGE_DOS_SIGNATURE, "%s has no MZ header",
                path.c_str()))
        return false;
    image->header = static_cast<size_t>(dos.e_lfanew);
    DWORD signature = 0;
    if (!Expect(ReadAt(image->bytes, image->header, &signature) && signature == IMAGE_NT_SIGNATURE &&
                    ReadAt(image->bytes, image->header + 4, &image->file),
                "%s has no PE header", path.c_str()))
        return false;
    const size_t optionalAt = image->header + 4 + sizeof(IMAGE_FILE_HEADER);
    if (!Expect(ReadAt(image->bytes, optionalAt, &image->optional) &&
                    image->optional.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC,
                "%s has no PE32 optional header", path.c_str()))
        return false;
    const size_t sectionsAt = optionalAt + image->file.SizeOfOptionalHeader;
    for (WORD i = 0; i < image->file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!Expect(ReadAt(image->bytes, sectionsAt + i * sizeof section, &section), "truncated section table"))
            return false;
        image->sections.push_back(section);
    }
    return true;
}

// The file offset of a relative virtual address; 0 when no section holds it.
size_t FileOffset(const PeImage& image, DWORD rva)
{
    for (const IMAGE_SECTION_HEADER& section : image.sections) {
        DWORD size =
            section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize : section.SizeOfRawData;
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size)
            return section.PointerToRawData + (rva - section.VirtualAddress);
    }
    return 0;
}

// The zero-terminated text at a relative virtual address; empty when no
// section holds it.
std::string TextAt(const PeImage& image, DWORD rva)
{
    const size_t at = FileOffset(image, rva);
    if (at == 0 || at >= image.bytes.size())
        return "";
    return std::string(image.bytes.c_str() + at, strnlen(image.bytes.c_str() + at, image.bytes.size() - at));
}

// Every function the image imports by name, with its DLL.
std::vector<Import> ImportsOf(const PeImage& image)
{
    std::vector<Import> imports;
    const IMAGE_DATA_DIRECTORY& directory = image.optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t at = FileOffset(image, directory.VirtualAddress);
    if (!Expect(at != 0, "the image has no import directory"))
        return imports;
    for (IMAGE_IMPORT_DESCRIPTOR descriptor; ReadAt(image.bytes, at, &descriptor) && descriptor.Name != 0;
         at += sizeof descriptor) {
        const std::string dll = TextAt(image, descriptor.Name);
        DWORD thunks = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        size_t thunkAt = FileOffset(image, thunks);
        DWORD thunk = 0;
        bool any = false;
        for (; thunkAt != 0 && ReadAt(image.bytes, thunkAt, &thunk) && thunk != 0; thunkAt += sizeof thunk) {
            any = true;
            if (!(thunk & IMAGE_ORDINAL_FLAG32))
                imports.push_back({dll, TextAt(image, thunk + 2)});
            else
                imports.push_back({dll, "#" + std::to_string(thunk & 0xFFFF)});
        }
        if (!any)
            imports.push_back({dll, ""});
    }
    return imports;
}

// Reads a zero-terminated UTF-16 string, or an ordinal after 0xFFFF, as
// text; moves `at` past it.
bool ReadSzOrOrdinal(const std::string& bytes, size_t* at, std::string* text, bool* isOrdinal)
{
    WORD unit = 0;
    if (!ReadAt(bytes, *at, &unit))
        return false;
    *isOrdinal = unit == 0xFFFF;
    if (*isOrdinal) {
        WORD ordinal = 0;
        if (!ReadAt(bytes, *at + 2, &ordinal))
            return false;
        *at += 4;
        *text = "#" + std::to_string(ordinal);
        return true;
    }
    text->clear();
    for (; ReadAt(bytes, *at, &unit); *at += 2) {
        if (unit == 0) {
            *at += 2;
            return true;
        }
        text->push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return false;
}

// The class of a dialog control by name, whether stored as a name or as
// one of the predefined atoms.
std::string ControlClassName(const std::string& stored, bool isOrdinal)
{
    if (!isOrdinal)
        return LowercaseAscii(stored);
    static const char* const Predefined[] = {"button", "edit", "static", "listbox", "scrollbar", "combobox"};
    const int atom = atoi(stored.c_str() + 1);
    if (atom >= 0x80 && atom <= 0x85)
        return Predefined[atom - 0x80];
    return stored;
}

// Decodes an extended dialog template; false, with a failure, when it is
// not one or is cut short.
bool DecodeDialogTemplate(const std::string& bytes, DialogTemplate* dialog)
{
    WORD version = 0, signature = 0, count = 0;
    if (!Expect(ReadAt(bytes, 0, &version) && ReadAt(bytes, 2, &signature) && version == 1 && signature == 0xFFFF,
                "the template is not an extended dialog template"))
        return false;
    DWORD exStyle = 0;
    size_t at = 8;
    bool whole = ReadAt(bytes, at + 4, &dialog->style) && ReadAt(bytes, at, &exStyle) &&
                 ReadAt(bytes, at + 8, &count) && ReadAt(bytes, at + 14, &dialog->cx) &&
                 ReadAt(bytes, at + 16, &dialog->cy);
    at += 18;
    std::string text;
    bool isOrdinal = false;
    whole = whole && ReadSzOrOrdinal(bytes, &at, &text, &isOrdinal);
    dialog->hasMenu = isOrdinal || !text.empty();
    whole = whole && ReadSzOrOrdinal(bytes, &at, &text, &isOrdinal);
    dialog->hasClass = isOrdinal || !text.empty();
    whole = whole && ReadSzOrOrdinal(bytes, &at, &dialog->caption, &isOrdinal);
    if (whole && (dialog->style & DS_SETFONT)) {
        whole = ReadAt(bytes, at, &dialog->pointSize);
        at += 6;
        whole = whole && ReadSzOrOrdinal(bytes, &at, &dialog->typeface, &isOrdinal);
    }
    for (WORD i = 0; whole && i < count; ++i) {
        at = (at + 3) & ~static_cast<size_t>(3);
        ControlTemplate control;
        WORD extra = 0;
        whole = ReadAt(bytes, at + 4, &control.exStyle) && ReadAt(bytes, at + 8, &control.style) &&
                ReadAt(bytes, at + 12, &control.x) && ReadAt(bytes, at + 14, &control.y) &&
                ReadAt(bytes, at + 16, &control.cx) && ReadAt(bytes, at + 18, &control.cy) &&
                ReadAt(bytes, at + 20, &control.id);
        at += 24;
        std::string className;
        whole = whole && ReadSzOrOrdinal(bytes, &at, &className, &isOrdinal);
        control.className = ControlClassName(className, isOrdinal);
        whole = whole && ReadSzOrOrdinal(bytes, &at, &control.text, &isOrdinal) && ReadAt(bytes, at, &extra);
        at += 2 + extra;
        dialog->controls.push_back(control);
    }
    return Expect(whole, "the dialog template is cut short");
}

// The bytes of one resource in language 1033; empty, with a failure, when
// it is missing.
std::string ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, const char* what)
{
    HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!Expect(data != nullptr, "no %s resource in language 1033", what))
        return "";
    return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

// Loads the product for its resources only; nullptr, with a failure, when
// the loader refuses it.
HMODULE LoadAsData(const CaseContext& context)
{
    HMODULE module =
        LoadLibraryExA(context.product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    Expect(module != nullptr, "cannot load %s as a data file (error %lu)", context.product.c_str(), GetLastError());
    return module;
}

// "type/name/language", with numeric ids as "#n".
std::string ResourceKey(LPCSTR type, LPCSTR name, WORD language)
{
    auto part = [](LPCSTR id) { return IS_INTRESOURCE(id) ? "#" + std::to_string(LOWORD(id)) : std::string(id); };
    return part(type) + "/" + part(name) + "/" + std::to_string(language);
}

// The three levels of the resource walk: every type, every name of it and
// every language of that name go into the set of keys behind `found`.
BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::set<std::string>*>(found)->insert(ResourceKey(type, name, language));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found)
{
    return EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR found)
{
    return EnumResourceNamesA(module, type, CollectName, found);
}

// Checks one decoded dialog template against what it must hold.
void ExpectDialog(const DialogTemplate& dialog, const DialogSpec& spec)
{
    std::string what = spec.name;
    Expect(dialog.style == spec.style, "%s style 0x%08lX, expected 0x%08lX", spec.name, dialog.style, spec.style);
    ExpectNumber(dialog.cx, spec.cx, (what + " width").c_str());
    ExpectNumber(dialog.cy, spec.cy, (what + " height").c_str());
    Expect(!dialog.hasMenu && !dialog.hasClass, "%s has a menu or a class of its own", spec.name);
    Expect(dialog.caption.rfind(spec.captionStart, 0) == 0 && !dialog.caption.empty(),
           "%s caption \"%s\" does not begin with \"%s\"", spec.name, dialog.caption.c_str(), spec.captionStart);
    ExpectNumber(dialog.pointSize, 8, (what + " font size").c_str());
    ExpectText(dialog.typeface, "MS Sans Serif", (what + " font").c_str());
    if (!ExpectNumber(static_cast<int64_t>(dialog.controls.size()), static_cast<int64_t>(spec.controls.size()),
                      (what + " control count").c_str()))
        return;
    for (size_t i = 0; i < spec.controls.size(); ++i) {
        const ControlTemplate& control = dialog.controls[i];
        const ControlSpec& expected = spec.controls[i];
        const std::string name = what + " control " + std::to_string(i + 1) + " (" + expected.name + ")";
        const bool idMatches =
            expected.id == NoId ? control.id == NoId || control.id == 0xFFFF : control.id == expected.id;
        Expect(idMatches, "%s: id %lu, expected %lu", name.c_str(), control.id, expected.id);
        ExpectText(control.className, expected.className, (name + " class").c_str());
        if (expected.text != AnyText)
            ExpectText(control.text, expected.text, (name + " text").c_str());
        Expect(control.style == expected.style, "%s: style 0x%08lX, expected 0x%08lX", name.c_str(), control.style,
               expected.style);
        Expect(control.exStyle == expected.exStyle, "%s: extended style 0x%08lX, expected 0x%08lX", name.c_str(),
               control.exStyle, expected.exStyle);
        Expect(control.x == expected.x && control.y == expected.y && control.cx == expected.cx &&
                   control.cy == expected.cy,
               "%s: at %d,%d size %dx%d, expected %d,%d size %dx%d", name.c_str(), control.x, control.y, control.cx,
               control.cy, expected.x, expected.y, expected.cx, expected.cy);
    }
}

// A well-formed XML text's elements: every start tag closed in order, one
// root. Fills `paths` with the path of every element, such as "a/b/c",
// each with its tag text.
bool ScanXmlElements(const std::string& xml, std::vector<std::pair<std::string, std::string>>* paths)
{
    std::vector<std::string> open;
    int roots = 0;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at)) {
        const size_t end = xml.find('>', at);
        if (end == std::string::npos)
            return false;
        const std::string tag = xml.substr(at + 1, end - at - 1);
        at = end + 1;
        if (tag.empty() || tag[0] == '?' || tag[0] == '!')
            continue;
        if (tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return false;
            open.pop_back();
            continue;
        }
        const std::string name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
        if (open.empty())
            ++roots;
        std::string path;
        for (const std::string& outer : open)
            path += outer + "/";
        paths->push_back({path + name, tag});
        if (tag.back() != '/')
            open.push_back(name);
    }
    return open.empty() && roots == 1;
}

} // namespace

// The file header, optional header and trailing zeros of the product.
void ProductHeaders(const CaseContext& context)
{
    PeImage image;
    if (!LoadPeImage(context.product, &image))
        return;
    Expect(image.file.Machine == IMAGE_FILE_MACHINE_I386, "machine 0x%04X, expected i386 (0x014C)", image.file.Machine);
    Expect(image.optional.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, "subsystem %u, expected the GUI subsystem (2)",
           image.optional.Subsystem);
    Expect((image.file.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) && !(image.file.Characteristics & IMAGE_FILE_DLL),
           "the image is not a program (characteristics 0x%04X)", image.file.Characteristics);
    const WORD fromSwap = IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP | IMAGE_FILE_NET_RUN_FROM_SWAP;
    Expect((image.file.Characteristics & fromSwap) == fromSwap,
           "the image is not marked to run from swap on removable and network media (characteristics 0x%04X)",
           image.file.Characteristics);
    Expect(image.file.PointerToSymbolTable == 0 && image.file.NumberOfSymbols == 0 &&
               image.optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG].Size == 0,
           "the image is not stripped");
    Expect(image.bytes.size() >= 272 &&
               image.bytes.find_first_not_of('\0', image.bytes.size() - 272) == std::string::npos,
           "the last 272 bytes are not all zero, so the program does not read as an empty set");
    printf("%s: %zu bytes (the count sets aside 36864 for the program file)\n", context.product.c_str(),
           image.bytes.size());
}

// The product imports only from system DLLs, and the services it needs.
void ProductImports(const CaseContext& context)
{
    PeImage image;
    if (!LoadPeImage(context.product, &image))
        return;
    static const char* const SystemDlls[] = {"kernel32.dll", "user32.dll", "comdlg32.dll",
                                             "msvcrt.dll",   "gdi32.dll",  "comctl32.dll"};
    static const Import Needed[] = {
        {"kernel32.dll", "GetModuleFileNameA"}, {"user32.dll", "DialogBoxParamA"}, {"user32.dll", "MessageBoxA"},
        {"user32.dll", "SetClassLongA"},        {"user32.dll", "SetDlgItemInt"},   {"comdlg32.dll", "GetOpenFileNameA"},
    };
    const std::vector<Import> imports = ImportsOf(image);
    std::set<std::string> dlls;
    for (const Import& import : imports)
        dlls.insert(LowercaseAscii(import.dll));
    for (const std::string& dll : dlls) {
        bool system = false;
        for (const char* allowed : SystemDlls)
            system = system || dll == allowed;
        Expect(system, "imports from %s, which is not a system DLL", dll.c_str());
    }
    for (const Import& needed : Needed) {
        bool found = false;
        for (const Import& import : imports)
            found = found || (LowercaseAscii(import.dll) == needed.dll && import.function == needed.function);
        Expect(found, "does not import %s from %s", needed.function.c_str(), needed.dll.c_str());
    }
    printf("imports from:");
    for (const std::string& dll : dlls)
        printf(" %s", dll.c_str());
    printf("\n");
}

// The product holds exactly its two dialogs, its icon, its version block
// and its manifest, all in language 1033.
void ProductResourceList(const CaseContext& context)
{
    HMODULE module = LoadAsData(context);
    if (!module)
        return;
    std::set<std::string> found;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&found));
    FreeLibrary(module);
    std::set<std::string> expected = {"#5/#101/1033", "#5/#104/1033", "#14/#105/1033", "#16/#1/1033", "#24/#1/1033"};
    std::vector<std::string> icons;
    for (const std::string& key : found) {
        if (key.rfind("#3/", 0) == 0)
            icons.push_back(key);
        else
            Expect(expected.erase(key) == 1, "unexpected resource %s (type/name/language)", key.c_str());
    }
    for (const std::string& key : expected)
        Fail("missing resource %s (type/name/language)", key.c_str());
    if (ExpectNumber(static_cast<int64_t>(icons.size()), 1, "icon images"))
        Expect(icons[0].size() > 5 && icons[0].compare(icons[0].size() - 5, 5, "/1033") == 0,
               "the icon image %s is not in language 1033", icons[0].c_str());
}

// Both dialog templates, control by control in tab order.
void ProductDialogs(const CaseContext& context)
{
    const DWORD button = Child | BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD defaultButton = Child | BS_DEFPUSHBUTTON | WS_TABSTOP;
    const DWORD radio = Child | BS_AUTORADIOBUTTON;
    const DWORD label = Child | SS_LEFT | WS_GROUP;
    const DialogSpec dialogs[] = {
        {"IDD_SPLIT",
         101,
         DS_SETFONT | DS_CENTER | WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
         181,
         86,
         "",
         {
             {"IDC_CHOOSE_FILE", 1000, "button", "&File ...", button, 0, 3, 7, 48, 12},
             {"group box", NoId, "button", "Slice Size", Child | BS_GROUPBOX, 0, 3, 19, 176, 46},
             {"IDC_SLICE_360", 1001, "button", "&360 KB", radio, 0, 16, 31, 40, 10},
             {"IDC_SLICE_720", 1002, "button", "&720 KB", radio, 0, 72, 31, 40, 10},
             {"IDC_SLICE_144", 1003, "button", "&1.44 MB", radio, 0, 128, 31, 40, 10},
             {"IDC_SLICE_USER", 1017, "button", "&User Defined", radio, 0, 16, 49, 53, 10},
             {"IDC_USER_KB", 1018, "edit", "", Child | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 77, 47, 28,
              12},
             {"IDCANCEL", 2, "button", "&Cancel", button, 0, 78, 71, 50, 14},
             {"IDOK", 1, "button", "&Split", defaultButton, 0, 129, 71, 50, 14},
             {"IDC_STATUS", 1015, "static", AnyText, label | SS_CENTERIMAGE, 0, 3, 73, 69, 12},
             {"IDC_SOURCE_PATH", 1005, "static", "", label | SS_SUNKEN | SS_CENTERIMAGE, 0, 52, 7, 127, 12},
             {"KB label", NoId, "static", "KB", label, 0, 109, 49, 31, 8},
         }},
        {"IDD_JOIN",
         104,
         DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
         194,
         86,
         "UnParvolin",
         {
             {"IDOK", 1, "button", "&Unsplit", defaultButton, 0, 139, 68, 50, 14},
             {"IDCANCEL", 2, "button", "&Cancel", button, 0, 88, 68, 50, 14},
             {"File Name label", NoId, "static", "File Name", label, WS_EX_RIGHT, 14, 20, 43, 8},
             {"File Size label", NoId, "static", "File Size", label, WS_EX_RIGHT, 14, 30, 43, 8},
             {"IDC_INFO_NAME", 1007, "static", "", label, 0, 59, 20, 120, 8},
             {"IDC_INFO_SIZE", 1008, "static", "", label, 0, 59, 30, 120, 8},
             {"Parts label", NoId, "static", "Parts", label, WS_EX_RIGHT, 14, 40, 43, 8},
             {"IDC_INFO_PARTS", 1009, "static", "", label, 0, 59, 40, 120, 8},
             {"Found label", NoId, "static", "Found", label, WS_EX_RIGHT, 14, 50, 43, 8},
             {"IDC_INFO_FOUND", 1010, "static", "", label, 0, 59, 50, 120, 8},
             {"group box", NoId, "button", "Original File Info", Child | BS_GROUPBOX, 0, 5, 7, 184, 58},
             {"IDC_STATUS", 1015, "static", AnyText, label | SS_CENTERIMAGE, 0, 9, 69, 79, 12},
         }},
    };
    HMODULE module = LoadAsData(context);
    if (!module)
        return;
    for (const DialogSpec& spec : dialogs) {
        const std::string bytes = ResourceBytes(module, RT_DIALOG, MAKEINTRESOURCEA(spec.id), spec.name);
        DialogTemplate dialog;
        if (!bytes.empty() && DecodeDialogTemplate(bytes, &dialog))
            ExpectDialog(dialog, spec);
    }
    FreeLibrary(module);
}

// IDI_PROGRAM is one 32 x 32 image in 16 colours.
void ProductIcon(const CaseContext& context)
{
    HMODULE module = LoadAsData(context);
    if (!module)
        return;
    const std::string group = ResourceBytes(module, RT_GROUP_ICON, MAKEINTRESOURCEA(105), "IDI_PROGRAM");
    WORD reserved = 1, type = 0, count = 0, planes = 0, bitCount = 0, imageId = 0;
    BYTE width = 0, height = 0, colours = 0;
    DWORD bytesInImage = 0;
    const bool whole = ReadAt(group, 0, &reserved) && ReadAt(group, 2, &type) && ReadAt(group, 4, &count) &&
                       ReadAt(group, 6, &width) && ReadAt(group, 7, &height) && ReadAt(group, 8, &colours) &&
                       ReadAt(group, 10, &planes) && ReadAt(group, 12, &bitCount) && ReadAt(group, 14, &bytesInImage) &&
                       ReadAt(group, 18, &imageId);
    if (!Expect(whole && reserved == 0 && type == 1, "IDI_PROGRAM is not an icon group"))
        return;
    ExpectNumber(count, 1, "images in IDI_PROGRAM");
    Expect(width == 32 && height == 32 && colours == 16 && bitCount == 4,
           "the icon entry is %ux%u, %u colours, %u bits; expected 32x32, 16 colours, 4 bits", width, height, colours,
           bitCount);
    const std::string image = ResourceBytes(module, RT_ICON, MAKEINTRESOURCEA(imageId), "icon image");
    BITMAPINFOHEADER header = {};
    if (!Expect(ReadAt(image, 0, &header) && header.biSize == sizeof header, "the icon image has no bitmap header"))
        return;
    Expect(header.biWidth == 32 && header.biHeight == 64 && header.biPlanes == 1 && header.biBitCount == 4,
           "the icon bitmap is %ldx%ld, %u planes, %u bits; expected 32x64 (image and mask), 1 plane, 4 bits",
           header.biWidth, header.biHeight, header.biPlanes, header.biBitCount);
    const size_t expectedSize = sizeof header + 16 * sizeof(RGBQUAD) + 32 * 32 / 2 + 32 * 32 / 8;
    ExpectNumber(static_cast<int64_t>(image.size()), static_cast<int64_t>(expectedSize), "icon image bytes");
    ExpectNumber(bytesInImage, static_cast<int64_t>(image.size()), "icon group's count of image bytes");
    FreeLibrary(module);
}

// The version block: 1.1.0.1 and its three fixed strings.
void ProductVersion(const CaseContext& context)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(context.product.c_str(), &ignored);
    if (!Expect(size != 0, "no version block (error %lu)", GetLastError()))
        return;
    std::vector<char> block(size);
    if (!Expect(GetFileVersionInfoA(context.product.c_str(), 0, size, block.data()) != 0,
                "cannot read the version block"))
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (Expect(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
                   fixed->dwSignature == 0xFEEF04BD,
               "the version block has no fixed part")) {
        Expect(fixed->dwFileVersionMS == 0x00010001 && fixed->dwFileVersionLS == 0x00000001,
               "file version %lu.%lu.%lu.%lu, expected 1.1.0.1", HIWORD(fixed->dwFileVersionMS),
               LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        Expect(fixed->dwProductVersionMS == 0x00010001 && fixed->dwProductVersionLS == 0x00000001,
               "product version %lu.%lu.%lu.%lu, expected 1.1.0.1", HIWORD(fixed->dwProductVersionMS),
               LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
    }
    WORD* translation = nullptr;
    if (!Expect(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length) &&
                    length >= 4,
                "the version block has no translation"))
        return;
    ExpectNumber(translation[0], 1033, "version block language");
    static const char* const Strings[][2] = {
        {"FileDescription", "Split Large Files"},
        {"InternalName", "Parvolin"},
        {"OriginalFilename", "parvolin.exe"},
    };
    for (const auto& entry : Strings) {
        char query[128];
        snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], entry[0]);
        char* value = nullptr;
        if (Expect(VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) && value,
                   "the version block has no %s", entry[0]))
            ExpectText(value, entry[1], entry[0]);
    }
}

// The manifest is well formed and asks to run as the invoking user.
void ProductManifest(const CaseContext& context)
{
    HMODULE module = LoadAsData(context);
    if (!module)
        return;
    const std::string manifest = ResourceBytes(module, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, "manifest");
    FreeLibrary(module);
    std::vector<std::pair<std::string, std::string>> elements;
    if (!Expect(ScanXmlElements(manifest, &elements), "the manifest is not well formed:\n%s", manifest.c_str()))
        return;
    Expect(!elements.empty() && elements[0].first == "assembly" &&
               elements[0].second.find("xmlns=\"urn:schemas-microsoft-com:asm.v1\"") != std::string::npos &&
               elements[0].second.find("manifestVersion=\"1.0\"") != std::string::npos,
           "the manifest's root is not an assembly of manifest version 1.0");
    int levels = 0;
    for (const auto& element : elements) {
        const std::string name = element.first.substr(element.first.find_last_of('/') + 1);
        if (name != "requestedExecutionLevel")
            continue;
        ++levels;
        ExpectText(element.first, "assembly/trustInfo/security/requestedPrivileges/requestedExecutionLevel",
                   "where the execution level is requested");
        Expect(element.second.find("level=\"asInvoker\"") != std::string::npos,
               "the requested execution level is not asInvoker: <%s>", element.second.c_str());
    }
    ExpectNumber(levels, 1, "requested execution levels in the manifest");
}
