#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/document/ManagerOptions.h"
#include "core/operations/ManagerFile.h"

namespace bh::cli {

namespace {

struct SettingsRequest {
    std::string manager;
    std::vector<std::string> assignments;
};

bool IsKnownSetting(const std::string& assignment) {
    const std::string name = assignment.substr(0, assignment.find('='));
    return assignment.find('=') != std::string::npos &&
           (name == "keep-versions" || name == "verify-after-copy");
}

void DeclareSettings(CLI::App& app, SettingsRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager")->required();
    app.add_option("NAME=VALUE", request.assignments,
                   "keep-versions=N (0 to 999) or verify-after-copy=yes|no; none prints them")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return IsKnownSetting(text) ? std::string()
                                            : "not keep-versions=N or verify-after-copy=yes|no";
            },
            "NAME=VALUE"));
}

// The settings with the assignments applied in order, or false with the reason.
bool Apply(const ManagerOptions& current, const std::vector<std::string>& assignments,
           ManagerOptions& changed, std::string& problem) {
    std::string text = EncodeManagerOptions(current);
    for (const std::string& assignment : assignments) {
        text += assignment + "\n";
    }
    return DecodeManagerOptions(text, changed, problem);
}

// Prints the manager's own settings, or changes them: they are kept in a file beside the
// manager, which is saved with them.
int RunSettings(const SettingsRequest& request, CliSession& session) {
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    CBrackenholdDoc& doc = session.doc();
    if (request.assignments.empty()) {
        std::fputs(EncodeManagerOptions(doc.Options()).c_str(), stdout);
        return kExitOk;
    }
    ManagerOptions changed;
    std::string problem;
    if (!Apply(doc.Options(), request.assignments, changed, problem)) {
        PrintError(problem);
        return kExitUsage;
    }
    doc.SetOptions(changed);
    if (doc.IsModified() && !SaveDocumentFile(doc, doc.PathName())) {
        return kExitPartial;
    }
    return kExitOk;
}

const bool registered = RegisterCliCommand(
    "settings", "print or change a manager's own settings (kept versions, verify after copy)",
    DeclareSettings, RunSettings);

}  // namespace

}  // namespace bh::cli
