#include "plot_program.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "child_process.h"
#include "picture_json.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "tsccurve-plot";

// Beside this program (so in the build folder), in the libexec folder beside
// its bin folder (an installed tree, wherever it was moved), and in the
// libexec folder it was installed to.
std::vector<fs::path> Places() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    std::vector<fs::path> places;
    if (!error) {
        places.push_back(self.parent_path() / kProgram);
        places.push_back((self.parent_path() / TSC_BIN_TO_LIBEXEC / kProgram).lexically_normal());
    }
    places.push_back(fs::path(TSC_INSTALLED_LIBEXEC) / kProgram);
    return places;
}

std::optional<fs::path> FindProgram(const std::vector<fs::path>& places) {
    for (const fs::path& place : places) {
        std::error_code error;
        if (fs::is_regular_file(place, error) && ::access(place.c_str(), X_OK) == 0) return place;
    }
    return std::nullopt;
}

// The program's messages without its name, which the caller's replaces.
std::string Messages(const std::string& errors) {
    const std::string name = std::string(kProgram) + ": ";
    std::string text;
    for (std::size_t start = 0; start < errors.size();) {
        std::size_t end = errors.find('\n', start);
        if (end == std::string::npos) end = errors.size();
        std::string line = errors.substr(start, end - start);
        if (line.starts_with(name)) line.erase(0, name.size());
        if (!line.empty()) text += (text.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return text;
}

}  // namespace

bool PlotAvailable() { return TSC_PLOT_PROGRAM_BUILT; }

const char* const kPlotUnavailable =
    "--plot needs tsccurve built with the window program (TSC_BUILD_GUI=ON, Qt Charts); this "
    "one is built without it";

std::optional<std::string> WritePicture(const tsc::picture::Picture& picture,
                                        const std::string& path) {
    const std::vector<fs::path> places = Places();
    const std::optional<fs::path> program = FindProgram(places);
    const std::string noPicture = path + ": no picture: ";
    if (!program) {
        std::string where;
        for (const fs::path& place : places) where += (where.empty() ? "" : ", ") + place.string();
        return noPicture + "the picture program is not installed (looked for " + where + ")";
    }
    const ChildOutcome run = RunChild(*program, {path}, tsc::picture::PictureJson(picture));
    if (!run.failure.empty()) return noPicture + program->string() + ": " + run.failure;
    if (run.signal != 0) {
        return noPicture + program->string() + " ended by signal " + std::to_string(run.signal);
    }
    if (run.exitCode != 0) {
        const std::string said = Messages(run.errors);
        return said.empty() ? noPicture + program->string() + " failed with status " +
                                  std::to_string(run.exitCode)
                            : said;
    }
    return std::nullopt;
}
