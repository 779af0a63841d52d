#include "startup/settings_file_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "startup/corvalinth_b.h"

namespace corvalinth {
namespace {

namespace fs = std::filesystem;

class SettingsFileWin : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  (L"corvalinth-ini-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter_++));
        fs::create_directories(folder_);
        file_ = (folder_ / L"Corvalinth.ini").wstring();
        Module() = CorvalinthB{};
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        Module() = CorvalinthB{};
    }

    void Put(const std::string& bytes) const { Put(file_, bytes); }
    static void Put(const std::wstring& path, const std::string& bytes)
    {
        std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Contents() const
    {
        std::ifstream in(fs::path(file_), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::wstring> FolderEntries() const
    {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().wstring());
        return names;
    }

    static inline int counter_ = 0;
    fs::path folder_;
    std::wstring file_;
};

TEST_F(SettingsFileWin, AwkwardPasswordsReadBackExactly)
{
    const Win32AnsiCodec codec;
    const std::wstring passwords[] = {
        L"two words", L"  lead and trail  ", L"\"quoted\"", L"\"", L"a=b", L";semi", L"x;y",
        L"\x30D1\x30B9\x30EF\x30FC\x30C9",  // Japanese
        L"smile \xD83D\xDE00",              // outside every ANSI code page
        std::wstring(300, L'k'),
    };
    for (const auto& password : passwords) {
        fs::remove(file_);
        ASSERT_TRUE(WriteIni(L"Section", L"Color", L" 1", file_).Ok());
        ASSERT_TRUE(WriteIni(L"Section", L"Password", password, file_).Ok());
        ASSERT_TRUE(WriteIni(L"Section", L"Num", L" 250", file_).Ok());
        EXPECT_EQ(ReadIni(L"Section", L"Password", file_), password);

        const bool utf16 = Contents().rfind("\xFF\xFE", 0) == 0;
        EXPECT_EQ(utf16, !codec.Encode(password).has_value());

        LoadSettingsFrom(file_);
        EXPECT_EQ(Module().gPassword, password);
        EXPECT_EQ(Module().gColor, 1);
        EXPECT_EQ(Module().gNum, 250);
        // The system's own reader sees the same values, whatever the encoding.
        wchar_t num[32] = {};
        GetPrivateProfileStringW(L"Section", L"Num", L"", num, 32, file_.c_str());
        EXPECT_STREQ(num, L" 250");
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Corvalinth.ini"});
}

TEST_F(SettingsFileWin, WritingKeepsTheLinesItDoesNotChange)
{
    Put("; kept\r\n[Other]\nNum=3\n\n[section]\r\npassword = old \r\nNUM=9\r\n; end");
    ASSERT_TRUE(WriteIni(L"Section", L"Num", L" 1000", file_).Ok());
    ASSERT_TRUE(WriteIni(L"Section", L"Color", L" 0", file_).Ok());
    EXPECT_EQ(Contents(),
              "; kept\r\n[Other]\nNum=3\n\n[section]\r\npassword = old \r\nNUM=\" 1000\"\r\nColor=\" 0\"\r\n; end");
    EXPECT_EQ(ReadIni(L"SECTION", L"PASSWORD", file_), L"old");
    EXPECT_EQ(ReadIni(L"Other", L"Num", file_), L"3");
}

TEST_F(SettingsFileWin, WriteIntoAMissingFolderFailsAndCreatesNothing)
{
    const fs::path missing = folder_ / L"missing";
    const IniWriteResult result = WriteIni(L"Section", L"Num", L" 5", (missing / L"Corvalinth.ini").wstring());
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.error, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(IniWriteErrorText(result).empty());
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(SettingsFileWin, AFolderWhereTheFileShouldBe)
{
    fs::create_directory(file_);
    EXPECT_FALSE(WriteIni(L"Section", L"Num", L" 5", file_).Ok());
    EXPECT_TRUE(fs::is_directory(file_));
    EXPECT_EQ(ReadIni(L"Section", L"Num", file_), L"");
    Module().gNum = 3;
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gNum, 1000);
    EXPECT_EQ(Module().gColor, 0);
    EXPECT_EQ(Module().gPassword, L"");
}

TEST_F(SettingsFileWin, AFailedWriteLeavesTheOldFile)
{
    const std::string old = "[Section]\r\nPassword=old\r\n";
    Put(old);
    {
        // Another program holds the file open without letting it be replaced.
        HANDLE holder = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        const IniWriteResult result = WriteIni(L"Section", L"Password", L"new", file_);
        CloseHandle(holder);
        EXPECT_FALSE(result.Ok());
    }
    EXPECT_EQ(Contents(), old);
    // No temporary file of ours is left behind (Wine's own replacement may leave one).
    for (const auto& name : FolderEntries()) EXPECT_TRUE(name == L"Corvalinth.ini" || name.rfind(L"Corvalinth", 0) != 0);

    // A value that would break the file's lines is refused, not written.
    const IniWriteResult broken = WriteIni(L"Section", L"Password", L"x\r\n[Section]\r\nNum=1", file_);
    EXPECT_EQ(broken.error, static_cast<std::uint32_t>(ERROR_INVALID_DATA));
    EXPECT_EQ(Contents(), old);
}

TEST_F(SettingsFileWin, ReplacingKeepsTheFileAttributes)
{
    Put("[Section]\r\nNum=1\r\n");
    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_HIDDEN));
    if (!(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN)) GTEST_SKIP() << "the file system keeps no hidden flag";
    ASSERT_TRUE(WriteIni(L"Section", L"Num", L" 2", file_).Ok());
    EXPECT_EQ(ReadIni(L"Section", L"Num", file_), L" 2");
    EXPECT_TRUE(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SettingsFileWin, NoFileGivesTheDefaults)
{
    Module().gNum = 5;
    Module().gColor = 5;
    Module().gPassword = L"x";
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gColor, 0);
    EXPECT_EQ(Module().gNum, 1000);
    EXPECT_EQ(Module().gPassword, L"");
}

TEST_F(SettingsFileWin, BadFilesNeverStopTheProgram)
{
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    Put(noise);
    LoadSettingsFrom(file_);
    EXPECT_TRUE(WriteIni(L"Section", L"Num", L" 7", file_).Ok());
    EXPECT_EQ(ReadIni(L"Section", L"Num", file_), L" 7");

    // A line of a megabyte, and NUL bytes around the keys.
    const std::string longLine(1 << 20, 'x');
    using namespace std::string_literals;
    Put("[Section]\r\nPassword="s + longLine + "\r\n\0\0Junk\0\r\nNum=12.9\r\nColor=2\r\n"s);
    Module() = CorvalinthB{};
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gPassword, std::wstring(longLine.begin(), longLine.end()));
    EXPECT_EQ(Module().gNum, 12);
    EXPECT_EQ(Module().gColor, 2);

    // Beyond the size cap the rest of the file is absent, and it is not rewritten.
    Put("[Section]\r\nNum=40\r\n;" + std::string(kMaxSettingsFileBytes, ';') + "\r\nColor=1\r\n");
    Module() = CorvalinthB{};
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gNum, 40);
    EXPECT_EQ(Module().gColor, 0);
    EXPECT_EQ(WriteIni(L"Section", L"Num", L" 1", file_).error, static_cast<std::uint32_t>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(ReadIni(L"Section", L"Num", file_), L"40");
}

TEST_F(SettingsFileWin, ReadsFilesTheSystemWrote)
{
    // Written by the system's own profile functions, then read by ours.
    ASSERT_TRUE(WritePrivateProfileStringW(L"Section", L"Num", L" 300", file_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Section", L"Password", L"\"  spaced  \"", file_.c_str()));
    LoadSettingsFrom(file_);
    EXPECT_EQ(Module().gNum, 300);
    EXPECT_EQ(Module().gPassword, L"  spaced  ");
}

TEST(SettingsPath, IsBesideTheProgram)
{
    wchar_t program[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    const fs::path expected = fs::path(program).parent_path() / L"Corvalinth.ini";
    EXPECT_EQ(fs::path(SettingsPath()), expected);
}

}  // namespace
}  // namespace corvalinth
