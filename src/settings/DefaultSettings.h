#pragma once
// First-run creation of the settings file: when "Yarrow.ini" is missing from
// the program folder it is created with the defaults a new user starts with.

#include <string>

namespace yarrow {

struct CreateSettingsResult {
    enum class Outcome { AlreadyThere, Created, Failed };
    Outcome outcome = Outcome::AlreadyThere;
    // For Failed: "iniファイルを作成できません\r\n" and the system's reason, and
    // the caption "エラー" (code page 932), to show with the stop icon. The
    // program goes on without a settings file; every reader uses its default.
    std::string message;
    std::string caption;

    bool failed() const { return outcome == Outcome::Failed; }
};

// Creates `folder` + "Yarrow.ini" with its four default sections unless
// something by that name exists already. `folder` ends with "/".
CreateSettingsResult CreateDefaultSettings(const std::string& folder);

}  // namespace yarrow
