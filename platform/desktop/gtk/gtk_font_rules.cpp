// The fontconfig rules that map the dialogs' Japanese font names to installed fonts. They are
// a run-time file of the program; when they are missing, unreadable or malformed the program
// says so on stderr and goes on with the system's own font configuration.
#include "platform/desktop/gtk/gtk_internal.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <iostream>

#include "platform/desktop/core/run_time_files.h"

namespace desktop::gtk {

namespace {

constexpr char kRulesName[] = "fonts.conf";

// Parses the rules (and the system configuration they include) into a configuration of their
// own, so a malformed file is caught before it would replace the system's fonts altogether.
bool RulesParse(const std::filesystem::path& path) {
    FcConfig* config = FcConfigCreate();
    if (!config) return false;
    const FcBool ok =
        FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue);
    FcConfigDestroy(config);
    return ok == FcTrue;
}

void Warn(const std::string& what) {
    std::cerr << "zantobel: " << what
              << "; dialogs use the system's fonts, so their layout may differ\n";
}

}  // namespace

void UseOurFontRules() {
    // A FONTCONFIG_FILE set by the user wins.
    if (std::getenv("FONTCONFIG_FILE")) return;
    std::filesystem::path rules;
    std::string problem;
    if (!core::FindRunTimeFile(core::ProgramFolder(), kRulesName, rules, problem)) {
        Warn("font rules: " + problem);
        return;
    }
    if (!RulesParse(rules)) {
        Warn("font rules: " + rules.string() + " cannot be parsed");
        return;
    }
    setenv("FONTCONFIG_FILE", rules.c_str(), 1);
}

}  // namespace desktop::gtk
