// The icon, version information and manifest, read back the way Windows and
// Explorer read them: from the test program itself, which links the same
// resources, and from vellumar.exe when this build has it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

struct Bytes {  // little-endian reads that see zero past the end
    const std::string& data;
    uint32_t U8(size_t at) const { return at < data.size() ? static_cast<unsigned char>(data[at]) : 0; }
    uint32_t U16(size_t at) const { return U8(at) | (U8(at + 1) << 8); }
    uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
};

std::string ResourceData(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    const void* data = LockResource(LoadResource(module, found));
    if (!data) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

std::string ProgramPath(const std::string& which) {
    if (which == "test_program") {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        return path;
    }
#ifdef VELLUMAR_EXE
    return VELLUMAR_EXE;
#else
    return {};
#endif
}

class ProgramResources : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        path = ProgramPath(GetParam());
        if (path.empty()) GTEST_SKIP() << "this build has no vellumar target; only the test program is checked";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot open " << path << " as data, error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::string path;
    HMODULE module = nullptr;
};

int32_t RowBytes(int32_t bitsPerPixel, int32_t width) { return (bitsPerPixel * width + 31) / 32 * 4; }

// Checks one RT_ICON image: header, size, and that it holds a picture
// rather than a blank or a filled square.
void ExpectIconImage(const std::string& image, int32_t size) {
    Bytes b{image};
    ASSERT_EQ(b.U32(0), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(static_cast<int32_t>(b.U32(4)), size) << "width";
    EXPECT_EQ(static_cast<int32_t>(b.U32(8)), 2 * size) << "height counts colour rows and mask rows";
    EXPECT_EQ(b.U16(12), 1u) << "planes";
    EXPECT_EQ(b.U16(14), 24u) << "bits per pixel";
    EXPECT_EQ(b.U32(16), static_cast<uint32_t>(BI_RGB)) << "compression";
    const size_t colourStride = RowBytes(24, size);
    const size_t maskStride = RowBytes(1, size);
    const size_t maskAt = 40 + colourStride * size;
    ASSERT_EQ(image.size(), maskAt + maskStride * size) << "colour rows and AND mask, nothing else";

    std::set<uint32_t> colours;
    int32_t transparent = 0;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            if (b.U8(maskAt + y * maskStride + x / 8) & (0x80 >> (x % 8))) {
                ++transparent;
            } else {
                const size_t at = 40 + y * colourStride + x * 3;
                colours.insert(b.U8(at) | (b.U8(at + 1) << 8) | (b.U8(at + 2) << 16));
            }
        }
    }
    EXPECT_GT(transparent, 0) << "the icon's outline is not a full square";
    EXPECT_LT(transparent, size * size / 2) << "most of the square is drawn";
    EXPECT_GE(colours.size(), 6u) << "a drawing, not a few flat areas";
}

TEST_P(ProgramResources, DefaultIconHolds16And32And48Pixels24BitImages) {
    const std::string group = ResourceData(module, "DEFAULT_ICON", RT_GROUP_ICON);
    ASSERT_FALSE(group.empty()) << "no icon group DEFAULT_ICON in " << path;
    Bytes dir{group};
    EXPECT_EQ(dir.U16(2), 1u) << "resource type: icon";
    ASSERT_EQ(dir.U16(4), 3u) << "images in the group";
    ASSERT_EQ(group.size(), 6u + 3 * 14) << "GRPICONDIR with three entries";

    for (int32_t size : {16, 32, 48}) {
        SCOPED_TRACE(std::to_string(size) + " pixels");
        int32_t entry = -1;
        for (int32_t i = 0; i < 3; ++i) {
            if (static_cast<int32_t>(dir.U8(6 + 14 * i)) == size) entry = i;
        }
        ASSERT_GE(entry, 0) << "no entry of this width";
        const size_t at = 6 + 14 * entry;
        EXPECT_EQ(static_cast<int32_t>(dir.U8(at + 1)), size) << "height";
        EXPECT_EQ(dir.U16(at + 4), 1u) << "planes";
        EXPECT_EQ(dir.U16(at + 6), 24u) << "bits per pixel";
        const uint32_t id = dir.U16(at + 12);

        const std::string image = ResourceData(module, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_FALSE(image.empty()) << "icon image " << id << " missing";
        EXPECT_EQ(image.size(), dir.U32(at + 8)) << "size in the group entry";
        ExpectIconImage(image, size);

        EXPECT_EQ(LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())), TRUE,
                                              size, size, LR_DEFAULTCOLOR),
                  static_cast<int>(id))
            << "Windows picks this image for this size";
        HICON icon = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << "LoadImage error " << GetLastError();
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        EXPECT_EQ(GetObjectA(info.hbmColor, sizeof colour, &colour), static_cast<int>(sizeof colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_P(ProgramResources, VersionInformationReadsVellumar1000) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information in " << path << ", error " << GetLastError();
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "file version 1.0";
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u) << "file version .0.0";
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u) << "product version 1.0";
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u) << "product version .0.0";
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // Readers find the string table through the translation list.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u) << "one language";
    char table[64];
    wsprintfA(table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);

    struct StringCase { const char* name; const char* expect; };
    const StringCase kStrings[] = {
        {"FileDescription", "Vellumar"}, {"ProductName", "Vellumar"}, {"Comments", "Vellumar"},
        {"FileVersion", "1.0.0.0"},      {"ProductVersion", "1.0.0.0"},
    };
    for (const auto& c : kStrings) {
        char* value = nullptr;
        UINT chars = 0;
        const std::string query = std::string(table) + c.name;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars))
            << query << " missing";
        EXPECT_STREQ(value, c.expect) << query;
    }
}

// The attributes of the XML element that contains needle, or "" without one.
std::string ElementAround(const std::string& xml, const std::string& needle) {
    const size_t at = xml.find(needle);
    if (at == std::string::npos) return {};
    const size_t start = xml.rfind('<', at);
    const size_t end = xml.find('>', at);
    if (start == std::string::npos || end == std::string::npos) return {};
    return xml.substr(start, end - start + 1);
}

TEST_P(ProgramResources, ManifestAsksForCommonControls6AndNamesWindowsVersions) {
    const std::string manifest = ResourceData(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest (RT_MANIFEST 1) in " << path;

    const std::string controls = ElementAround(manifest, "\"Microsoft.Windows.Common-Controls\"");
    ASSERT_FALSE(controls.empty()) << "no dependency on the common controls";
    const size_t controlsAt = manifest.find(controls);
    EXPECT_LT(manifest.find("<dependentAssembly>"), controlsAt) << "named inside a dependent assembly";
    EXPECT_GT(manifest.find("</dependentAssembly>"), controlsAt) << "named inside a dependent assembly";
    for (const char* attribute : {"type=\"win32\"", "version=\"6.0.0.0\"", "processorArchitecture=\"*\"",
                                  "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(controls.find(attribute), std::string::npos) << attribute << " missing in " << controls;
    }

    struct OsCase { const char* id; const char* what; };
    const OsCase kSupported[] = {
        {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "Vista"}, {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "7"},
        {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "8"},     {"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "8.1"},
        {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "10 and 11"},
    };
    for (const auto& os : kSupported) {
        EXPECT_NE(ElementAround(manifest, os.id).find("<supportedOS"), std::string::npos) << "Windows " << os.what;
    }
    const std::string level = ElementAround(manifest, "<requestedExecutionLevel");
    EXPECT_NE(level.find("level=\"asInvoker\""), std::string::npos) << level;
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramResources, testing::Values("test_program", "vellumar_exe"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// The manifest takes effect: the running program's activation context sends
// comctl32.dll to the side-by-side common controls 6, and that is the file
// loaded. (Wine's copy reports version 5.81 from DllGetVersion whichever
// file it is, so the version is read from the assembly identity.)
TEST(RunningProgram, LoadsCommonControls6) {
    ACTCTX_SECTION_KEYED_DATA redirect = {};
    redirect.cbSize = sizeof redirect;
    ASSERT_TRUE(FindActCtxSectionStringA(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                         ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll", &redirect))
        << "comctl32.dll is not redirected, error " << GetLastError();

    SIZE_T needed = 0;
    QueryActCtxW(0, redirect.hActCtx, &redirect.ulAssemblyRosterIndex, AssemblyDetailedInformationInActivationContext,
                 nullptr, 0, &needed);
    std::vector<char> details(needed);
    const BOOL queried = QueryActCtxW(0, redirect.hActCtx, &redirect.ulAssemblyRosterIndex,
                                      AssemblyDetailedInformationInActivationContext, details.data(), needed, &needed);
    ReleaseActCtx(redirect.hActCtx);
    ASSERT_TRUE(queried) << "error " << GetLastError();
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(details.data());
    const std::wstring identity(assembly->lpAssemblyEncodedAssemblyIdentity,
                                assembly->ulEncodedAssemblyIdentityLength / sizeof(WCHAR));
    EXPECT_NE(identity.find(L"Microsoft.Windows.Common-Controls"), std::wstring::npos) << identity;
    EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos) << identity;

    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t file[MAX_PATH] = {};
    GetModuleFileNameW(comctl, file, MAX_PATH);
    FreeLibrary(comctl);
    std::wstring loaded(file), folder(assembly->lpAssemblyDirectoryName,
                                      assembly->ulAssemblyDirectoryNameLength / sizeof(WCHAR));
    CharLowerW(loaded.data());
    CharLowerW(folder.data());
    EXPECT_FALSE(folder.empty());
    EXPECT_NE(loaded.find(folder), std::wstring::npos) << "loaded " << loaded << ", assembly folder " << folder;
}

}  // namespace
