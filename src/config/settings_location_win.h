#pragma once
// Where the settings live. The file beside the program is the one users and
// installers know; a folder that refuses writes (System32, Program Files, a
// read-only medium) sends saving to a per-user copy, which from then on is the
// settings file for every mode.
#include <span>
#include <string>
#include <vector>

#include "config/ini_document.h"
#include "config/settings_file_win.h"

namespace corvalinth {

struct SettingsLocation {
    std::wstring file;     // read at start-up and saved to first
    std::wstring perUser;  // the per-user copy, where saving goes when file's folder refuses; may be empty
};

// Decided once at start-up: the per-user copy when it exists, else the file
// beside the program.
SettingsLocation FindSettingsLocation();

enum class SettingsPlace { BesideProgram, PerUser };

struct SaveAttempt {
    SettingsPlace place = SettingsPlace::BesideProgram;
    std::wstring file;
    IniWriteResult result;
};

struct SaveOutcome {
    std::vector<SaveAttempt> attempts;  // in the order tried; the last one decides
    bool Ok() const { return !attempts.empty() && attempts.back().result.Ok(); }
};

// Writes the settings keys as one replace of the location's file; when that
// file's folder refuses, or the file is read-only, makes the per-user copy and
// writes them there.
SaveOutcome SaveSettings(const SettingsLocation& where, std::span<const IniKeyValue> keys,
                         const FilePlacing& placing = SystemFilePlacing());

}  // namespace corvalinth
