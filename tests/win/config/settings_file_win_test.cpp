#include "config/settings_file_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/corvalinth_b.h"
#include "test_support.h"

namespace corvalinth {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using wintest::FileBytes;

IniWriteResult WriteOne(std::wstring_view key, std::wstring value, const std::wstring& file,
                        const FilePlacing& placing = SystemFilePlacing())
{
    const IniKeyValue keys[] = {{key, std::move(value)}};
    return WriteIni(L"Section", keys, file, placing);
}

class SettingsFileWin : public testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / (L"corvalinth-ini-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                               std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++));
        fs::create_directories(folder_);
        file_ = (folder_ / L"Corvalinth.ini").wstring();
        Module() = CorvalinthB{};
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void Put(const std::string& bytes) const { std::ofstream(fs::path(file_), std::ios::binary) << bytes; }
    std::optional<std::string> Contents() const { return FileBytes(file_); }
    std::vector<std::wstring> FolderEntries() const
    {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().wstring());
        return names;
    }
    std::wstring SystemReads(const wchar_t* section, const wchar_t* key) const
    {
        wchar_t value[64] = {};
        GetPrivateProfileStringW(section, key, L"", value, 64, file_.c_str());
        return value;
    }

    fs::path folder_;
    std::wstring file_;
};

// Plain text stays ANSI (seen end to end); text outside the code page turns the file into UTF-16.
TEST_F(SettingsFileWin, AUtf16FileRoundTripsAndTheSystemReadsIt)
{
    const std::wstring password = L"smile \xD83D\xDE00";  // outside every ANSI code page
    Put("; kept\r\n[Other]\r\nNum=3\r\n");
    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const IniKeyValue keys[] = {{L"Color", L" 1"}, {L"Password", password}, {L"Num", L" 250"}};
    ASSERT_TRUE(WriteIni(L"Section", keys, file_).Ok());
    EXPECT_EQ(Contents()->rfind("\xFF\xFE", 0), 0u);
    // The replaced file keeps its attributes.
    EXPECT_TRUE(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gPassword, password);
    // The system's own reader sees the same values and the untouched lines.
    EXPECT_EQ(SystemReads(L"Section", L"Num"), L" 250");
    EXPECT_EQ(SystemReads(L"Other", L"Num"), L"3");
}

// The replacement's documented outcomes, played by a stand-in that leaves the
// files as the system says it does, and the renames after it working or not:
// one whole copy is in place, or the new one is kept under the name given.
TEST_F(SettingsFileWin, EveryOutcomeOfPuttingTheFileInPlaceLeavesAWholeCopy)
{
    enum Effect { Nothing, OldGone, OldToBackup };
    const struct {
        DWORD error;
        Effect effect;
        bool newMoves, oldMoves;
        std::string_view left;
    } cases[] = {
        {ERROR_SUCCESS, Nothing, false, false, "new"},
        {ERROR_UNABLE_TO_REMOVE_REPLACED, Nothing, true, false, "new"},
        {ERROR_UNABLE_TO_REMOVE_REPLACED, Nothing, false, false, "old"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, Nothing, false, false, "old"},  // as with a backup name
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, OldGone, true, false, "new"},   // as without one
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, OldGone, false, false, "kept"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldToBackup, true, false, "new"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldToBackup, false, true, "old"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldToBackup, false, false, "kept"},
        {ERROR_SHARING_VIOLATION, Nothing, false, false, "old"},
    };
    const FilePlacing& system = SystemFilePlacing();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.error << " effect " << c.effect << " moves " << c.newMoves << c.oldMoves);
        for (const auto& name : FolderEntries()) fs::remove(folder_ / name);
        Put("[Section]\r\nNum=1\r\n");
        const FilePlacing standIn{
            [&](const std::wstring& replaced, const std::wstring& replacement, const std::wstring& backup) {
                if (c.error == ERROR_SUCCESS) return system.replace(replaced, replacement, backup);
                if (c.effect == OldGone) DeleteFileW(replaced.c_str());
                if (c.effect == OldToBackup) MoveFileW(replaced.c_str(), backup.c_str());
                return static_cast<std::uint32_t>(c.error);
            },
            [&](const std::wstring& from, const std::wstring& to) {
                const bool works = from.ends_with(L".tmp") ? c.newMoves : c.oldMoves;
                return works ? system.move(from, to) : std::uint32_t{ERROR_SHARING_VIOLATION};
            }};
        const IniWriteResult result = WriteOne(L"Num", L"2", file_, standIn);
        EXPECT_EQ(result.Ok(), c.left == "new");
        const std::string expected = c.left == "old" ? "[Section]\r\nNum=1\r\n" : "[Section]\r\nNum=2\r\n";
        if (c.left == "kept") {
            EXPECT_EQ(fs::path(result.keptAs).parent_path(), folder_);
            EXPECT_EQ(FileBytes(result.keptAs), expected);
        } else {
            EXPECT_EQ(result.keptAs, L"");
            EXPECT_EQ(Contents(), expected);
            EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Corvalinth.ini"});
        }
    }
}

// NUL bytes around the keys are read past and a number is read in the user's
// form; beyond the size cap the rest of the file is absent, and it is not rewritten.
TEST_F(SettingsFileWin, BadFilesNeverStopTheProgram)
{
    Put("[Section]\r\n\0\0Junk\0\r\nNum=12.9\r\n;"s + std::string(kMaxSettingsFileBytes, ';') + "\r\nColor=1\r\n");
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gNum, 12);
    EXPECT_EQ(Module().gColor, 0);
    EXPECT_EQ(WriteOne(L"Num", L" 1", file_).error, static_cast<std::uint32_t>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(ReadIni(L"Section", L"Num", file_), L"12.9");
}

}  // namespace
}  // namespace corvalinth
